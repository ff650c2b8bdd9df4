// Helpers for the Win32 tests: pumping the message queue until a condition
// holds, catching message boxes, and recording MCI notifications.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

// Dispatches queued messages until done() holds or about maxWaitMs passed
// waiting for new messages. Returns whether done() held.
template <typename Done>
bool PumpUntil(Done done, DWORD maxWaitMs = 5000);
void PumpPending();

// Message boxes and dialogs shown on this thread while a catcher runs are
// recorded and dismissed with IDOK; with a delay they stay open that long
// first, as a user's would (timers keep firing in their loop meanwhile).
struct CaughtBox {
  std::string caption;
  std::string text;
  HWND owner;
};
void StartBoxCatcher(UINT delayMs = 0);
// The buttons that the next boxes are closed with (IDRETRY, IDCANCEL), one
// each, in order; boxes after them are closed with IDOK.
void AnswerNextBoxes(const std::vector<int>& buttons);
void StopBoxCatcher();
const std::vector<CaughtBox>& CaughtBoxes();
void ClearCaughtBoxes();

// A hidden window that records the MM_MCINOTIFY messages it receives.
struct Notification {
  WPARAM code;
  LPARAM deviceId;
};
HWND CreateNotifyWindow();
const std::vector<Notification>& Notifications();
void ClearNotifications();

// A whole file, as bytes; "(none)" when it does not exist.
std::string ReadBytes(const std::string& path);
// Replaces a file with the bytes.
void WriteBytes(const std::string& path, const std::string& bytes);

// A file of a test server's folder (a path of this machine), as Wine sees it.
std::string ServerFile(const std::string& folder, const char* name);
// The port of one of the servers that the folder's "ports" file names
// ("name port" a line); 0 when it names no such server.
int NamedPort(const std::string& folder, const std::string& server);

// The virtual drive of the processes this one starts: its file, in the temp
// folder under `name`.ini, holds `contents`, and its command log starts
// empty in `name`.log (VDRIVE_FILE, VDRIVE_LOG). Returns the log's path.
std::string UseDriveFile(const char* name, const std::string& contents);

// Waits for one message or the timeout; the primitive under PumpUntil.
bool WaitForMessage(DWORD timeoutMs);

// Waits, at most about maxWaitMs, for done() while another process runs on
// its own; checks every 50 ms.
template <typename Done>
bool WaitUntil(HANDLE process, Done done, DWORD maxWaitMs = 10000) {
  for (DWORD waited = 0; waited < maxWaitMs; waited += 50) {
    if (done()) return true;
    WaitForSingleObject(process, 50);
  }
  return done();
}
// A process's exit code, STILL_ACTIVE while it runs.
DWORD ExitCode(HANDLE process);

template <typename Done>
bool PumpUntil(Done done, DWORD maxWaitMs) {
  DWORD waited = 0;
  for (;;) {
    PumpPending();
    if (done()) return true;
    if (waited >= maxWaitMs) return false;
    DWORD start = GetTickCount();
    WaitForMessage(maxWaitMs - waited);
    waited += GetTickCount() - start;
  }
}
