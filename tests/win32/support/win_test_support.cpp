#include "tests/win32/support/win_test_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

HHOOK boxHook;
UINT boxDelay;
std::vector<std::pair<UINT_PTR, HWND>> waitingBoxes;  // each box's dismissal timer
std::vector<int> answers;                              // the buttons of the next boxes

void CALLBACK DismissBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  for (const auto& waiting : waitingBoxes)
    if (waiting.first == timer && IsWindow(waiting.second)) PostMessageA(waiting.second, WM_COMMAND, IDOK, 0);
}
std::vector<CaughtBox> boxes;
std::vector<Notification> notifications;

LRESULT CALLBACK BoxHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char className[16] = "";
    GetClassNameA(box, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0) {
      char caption[256] = "", text[1024] = "";
      GetWindowTextA(box, caption, sizeof caption);
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      boxes.push_back({caption, text, GetWindow(box, GW_OWNER)});
      // The buttons are not set up yet: post, and let the box close itself.
      if (!answers.empty()) {
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answers.front()), 0);
        answers.erase(answers.begin());
      } else if (boxDelay == 0) {
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      } else {
        waitingBoxes.push_back({SetTimer(nullptr, 0, boxDelay, DismissBox), box});
      }
    }
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}

LRESULT CALLBACK NotifyWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == MM_MCINOTIFY) {
    notifications.push_back({wParam, lParam});
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string UseDriveFile(const char* name, const std::string& contents) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string drive = std::string(temp) + name + ".ini", log = std::string(temp) + name + ".log";
  WriteBytes(drive, contents);
  DeleteFileA(log.c_str());
  SetEnvironmentVariableA("VDRIVE_FILE", drive.c_str());
  SetEnvironmentVariableA("VDRIVE_LOG", log.c_str());
  return log;
}

DWORD ExitCode(HANDLE process) {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process, &code);
  return code;
}

bool WaitForMessage(DWORD timeoutMs) {
  return MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs, QS_ALLINPUT) == WAIT_OBJECT_0;
}

void StartBoxCatcher(UINT delayMs) {
  boxDelay = delayMs;
  boxes.clear();
  answers.clear();
  if (!boxHook) boxHook = SetWindowsHookExA(WH_CBT, BoxHookProc, nullptr, GetCurrentThreadId());
}

void StopBoxCatcher() {
  if (boxHook) UnhookWindowsHookEx(boxHook);
  boxHook = nullptr;
}

void AnswerNextBoxes(const std::vector<int>& buttons) { answers = buttons; }

const std::vector<CaughtBox>& CaughtBoxes() { return boxes; }
void ClearCaughtBoxes() { boxes.clear(); }

HWND CreateNotifyWindow() {
  static ATOM atom;
  if (!atom) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = NotifyWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TestNotifyWindow";
    atom = RegisterClassA(&wc);
  }
  notifications.clear();
  return CreateWindowA("TestNotifyWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                       GetModuleHandleA(nullptr), nullptr);
}

const std::vector<Notification>& Notifications() { return notifications; }
void ClearNotifications() { notifications.clear(); }

std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(none)";
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(bytes.size(), written) << path;
}

std::string ServerFile(const std::string& folder, const char* name) {
  std::string path = "Z:" + folder + "/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

int NamedPort(const std::string& folder, const std::string& server) {
  std::string ports = "\n" + ReadBytes(ServerFile(folder, "ports"));
  size_t at = ports.find("\n" + server + " ");
  return at == std::string::npos ? 0 : atoi(ports.c_str() + at + server.size() + 2);
}
