// The behaviour the Install and Remove dialogs share: they open with an
// empty status line, start the work a second later, and stay open after a
// success until the user presses Done.
#include <windows.h>

#include "install/install.h"

namespace {

const UINT_PTR kStartTimer = 1;

}  // namespace

INT_PTR ProgressDialogMessage(HWND dialog, UINT message, WPARAM wParam, int (*action)(HWND)) {
  switch (message) {
    case WM_INITDIALOG:
      CenterDialog(dialog);
      SetTimer(dialog, kStartTimer, 1000, nullptr);
      return TRUE;
    case WM_PAINT:
      PaintBanner(dialog);
      return FALSE;
    case WM_TIMER:
      KillTimer(dialog, kStartTimer);
      // A timer message already queued when the timer was killed must not
      // run the action a second time.
      if (GetWindowLongPtrA(dialog, DWLP_USER) != 0) return FALSE;
      SetWindowLongPtrA(dialog, DWLP_USER, 1);
      if (action(dialog))
        EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
      else
        EndDialog(dialog, 1);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}
