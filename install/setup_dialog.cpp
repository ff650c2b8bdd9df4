// The Install dialog (101) and the install it runs.
#include <windows.h>

#include "install/install.h"
#include "install/install_core.h"

int RunInstall(HWND dialog) {
  if (!CopyProgramFiles(dialog)) return 0;
  // The shell's registration may be missing on this machine: the install
  // is complete without it.
  RegisterPlayHandler(installPath);
  WriteInstallPath(installPath);
  SetStatus(dialog, kInstallDoneText);
  return 1;
}

INT_PTR CALLBACK SetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return ProgressDialogMessage(dialog, message, wParam, RunInstall);
}
