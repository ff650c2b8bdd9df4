// The Install Path dialog (108): the folder to install into. What is typed
// is taken as it is; a bad folder fails later, at its step.
#include <windows.h>

#include "install/install.h"
#include "resources/install/resource.h"

INT_PTR CALLBACK InstallPathProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      LoadStringA(installerInstance, IDS_DEFAULT_FOLDER, installPath, sizeof installPath);
      CenterDialog(dialog);
      SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, installPath);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          // A longer entry is cut to the buffer's 259 characters.
          GetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, installPath, sizeof installPath);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}
