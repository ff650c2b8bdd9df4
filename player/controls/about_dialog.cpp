// The About box (dialog template 134): the product logo across the top of
// the client area, above the OK button.
#include <windows.h>

#include "common/bitmaps/transparent_bitmap.h"
#include "player/controls/controls.h"

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_PAINT: {
      // The dialog's face is already drawn: the logo's dark cyan surround
      // lets it show.
      PAINTSTRUCT ps;
      BeginPaint(dialog, &ps);
      DrawTransparentBitmap(dialog, 0, 0, "IDB_ABOUTLOGO", 1);
      EndPaint(dialog, &ps);
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      break;
  }
  return FALSE;
}
