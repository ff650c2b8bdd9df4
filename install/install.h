// The installer's process-wide state, its window and dialog procedures, and
// the operations the dialogs run. One run shows a chain of modal dialogs
// owned by an invisible main window and performs one action, an install or
// a removal.
#pragma once

#include <windows.h>

// The module whose dialogs, string and banner are loaded; set just before
// the main window is created.
extern HINSTANCE installerInstance;
// The install folder: string 1 when the Install Path dialog opens, then what
// the user typed there (at most 259 characters).
extern char installPath[MAX_PATH];

// Registers KovelSetupClass, creates the invisible main window (whose
// creation runs the whole dialog sequence) and runs the message loop.
// Returns the exit code, 0 in every case. The class is unregistered again
// before returning, so a run can follow in the same process.
int RunInstaller(HINSTANCE instance);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog 103: lParam of its creation is the address of the int that gets
// 1 (install) or 0 (remove). Ends with 1 (OK) or 0 (Cancel).
INT_PTR CALLBACK StartProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog 108. Ends with 1 (OK, installPath updated) or 0 (Cancel).
INT_PTR CALLBACK InstallPathProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialogs 101 and 105: run the install or the removal one second after
// they open. End with 1.
INT_PTR CALLBACK SetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RemoveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialogs 104, 107 and 109: lParam of the creation is the text for control
// 1001. End with 1.
INT_PTR CALLBACK InstallErrorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows error dialog 104, 107 or 109 naming `text`, owned by `owner`, and
// returns when the user has dismissed it.
void ShowInstallError(HWND owner, int templateId, const char* text);

// Dialog helpers: centre on the desktop; draw the banner across the top of
// the client area in answer to WM_PAINT; set the progress dialog's status
// line and show it at once (the dialog handles no messages while it works).
void CenterDialog(HWND dialog);
void PaintBanner(HWND dialog);
void SetStatus(HWND dialog, const char* text);

// The shared behaviour of the two progress dialogs: `action` runs once, on
// the first timer message, and returns 1 (Done is then enabled) or 0 (the
// dialog ends at once).
INT_PTR ProgressDialogMessage(HWND dialog, UINT message, WPARAM wParam, int (*action)(HWND));
// The two actions, given the progress dialog whose status line they write.
int RunInstall(HWND dialog);
int RunRemove(HWND dialog);

// Files. CopyProgramFiles makes the install folder if needed and copies the
// player and its font from the current directory (expanding compressed
// sources); 1 when both are in place, 0 when the install must stop, after
// its error dialog. RemoveProgramFiles deletes them and the folder again,
// showing an error dialog for each file it cannot delete; it returns 1.
int CopyProgramFiles(HWND dialog);
int RemoveProgramFiles(HWND dialog);
// Copies `sourceName` from the current directory to `destination`, expanding
// it when it is compressed; 1 on success, 0 on any failure (a partly written
// destination is deleted). Shows nothing.
int ExpandCopyFile(const char* sourceName, const char* destination);

// Registry, under HKEY_CLASSES_ROOT. The play verbs of "AudioCD" and
// "cdafile" and the track icon name the program in `folder` (Register) or
// the system's cdplayer.exe (Restore); keys are opened, never created.
// 1 when all three values were written, 0 at the first failure.
int RegisterPlayHandler(const char* folder);
int RestorePlayHandler();
// With a folder, stores it (less one trailing backslash, a drive root
// whole) as "AudioCD" "InstallPath"; with null, deletes that value. 1 on
// success, else 0.
int WriteInstallPath(const char* folder);
// 1 and the stored folder in buffer (MAX_PATH bytes), or 0 and the buffer
// left alone when none is stored or it is not a folder from a drive's root.
int ReadInstallPath(char* buffer);
