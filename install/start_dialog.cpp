// The Setup dialog (103): install or remove.
#include <windows.h>

#include "install/install.h"
#include "resources/install/resource.h"

INT_PTR CALLBACK StartProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      // lParam is the caller's actionChoice.
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      CheckRadioButton(dialog, IDC_INSTALL_CHOICE, IDC_REMOVE_CHOICE, IDC_INSTALL_CHOICE);
      CenterDialog(dialog);
      return TRUE;
    case WM_PAINT:
      PaintBanner(dialog);
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          int* actionChoice = reinterpret_cast<int*>(GetWindowLongPtrA(dialog, DWLP_USER));
          *actionChoice = IsDlgButtonChecked(dialog, IDC_INSTALL_CHOICE) == BST_CHECKED ? 1 : 0;
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}
