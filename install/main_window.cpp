// The installer's invisible main window. Its creation runs the whole chain
// of dialogs, each owned by it: Setup, then Install Path and Install, or
// Remove.
#include <windows.h>

#include "install/install.h"
#include "resources/install/resource.h"

namespace {

INT_PTR ShowDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter) {
  return DialogBoxParamA(installerInstance, MAKEINTRESOURCEA(templateId), owner, procedure,
                         parameter);
}

void RunDialogSequence(HWND window) {
  int actionChoice = 1;
  if (ShowDialog(window, IDD_SETUP, StartProc, reinterpret_cast<LPARAM>(&actionChoice)) == 1) {
    if (actionChoice == 1) {
      if (ShowDialog(window, IDD_INSTALL_PATH, InstallPathProc, 0) == 1)
        ShowDialog(window, IDD_INSTALL, SetupProc, 0);
    } else {
      ShowDialog(window, IDD_REMOVE, RemoveProc, 0);
    }
  }
  SendMessageA(window, WM_DESTROY, 0, 0);
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      RunDialogSequence(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
