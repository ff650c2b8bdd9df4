// CDBitmapClass: shows the bitmap resource its window text names,
// stretched over the whole control, its key colour letting the face colour
// show. Keeps no state of its own and takes no input.
#include <windows.h>

#include "common/bitmaps/transparent_bitmap.h"
#include "player/controls/controls.h"

namespace {

enum { kTextSize = 256 };

void PaintPicture(HWND window) {
  char text[kTextSize] = "";
  SendMessageA(window, WM_GETTEXT, kTextSize, reinterpret_cast<LPARAM>(text));
  // The picture is composed over what the control shows at its top left,
  // which must be the freshly erased face: a WM_PAINT sent directly (a text
  // change, a focus change) comes with nothing invalid, and composing over
  // the previous, stretched picture would smear it.
  InvalidateRect(window, nullptr, TRUE);
  PAINTSTRUCT ps;
  if (!BeginPaint(window, &ps)) return;
  StretchTransparentBitmap(window, 0, 0, text, 1);
  EndPaint(window, &ps);
}

}  // namespace

LRESULT CALLBACK CDBitmapWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      SendMessageA(window, WM_PAINT, 0, 0);
      return 0;
    case WM_PAINT:
      PaintPicture(window);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
