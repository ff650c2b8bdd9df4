// The Remove dialog (105) and the removal it runs.
#include <windows.h>

#include "install/install.h"
#include "install/install_core.h"

int RunRemove(HWND dialog) {
  RemoveProgramFiles(dialog);
  // The shell gets the system's own player back, whatever it had before.
  RestorePlayHandler();
  WriteInstallPath(nullptr);
  SetStatus(dialog, kRemoveDoneText);
  return 1;
}

INT_PTR CALLBACK RemoveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return ProgressDialogMessage(dialog, message, wParam, RunRemove);
}
