// The error dialogs (104 missing source, 107 not removed, 109 folder not
// created): a name and a fixed sentence. They open where their template
// places them, near the top left of the progress dialog that owns them.
#include <windows.h>

#include "install/install.h"
#include "resources/install/resource.h"

INT_PTR CALLBACK InstallErrorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, IDC_ERROR_NAME, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

void ShowInstallError(HWND owner, int templateId, const char* text) {
  DialogBoxParamA(installerInstance, MAKEINTRESOURCEA(templateId), owner, InstallErrorProc,
                  reinterpret_cast<LPARAM>(text));
}
