// What the installer's dialogs share: centring, the banner, the status line.
#include <windows.h>

#include "common/bitmaps/transparent_bitmap.h"
#include "install/install.h"
#include "resources/install/resource.h"

void CenterDialog(HWND dialog) {
  RECT desktop, rect;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(dialog, &rect);
  MoveWindow(dialog, (rect.left + desktop.right - rect.right) / 2,
             (rect.top + desktop.bottom - rect.bottom) / 2, rect.right - rect.left,
             rect.bottom - rect.top, TRUE);
}

void PaintBanner(HWND dialog) {
  // The face is drawn by the time BeginPaint returns; the banner's key
  // colour lets it show.
  PAINTSTRUCT ps;
  BeginPaint(dialog, &ps);
  DrawTransparentBitmap(dialog, 0, 0, MAKEINTRESOURCEA(IDB_BANNER), 1);
  EndPaint(dialog, &ps);
}

void SetStatus(HWND dialog, const char* text) {
  SetDlgItemTextA(dialog, IDC_STATUS, text);
  UpdateWindow(GetDlgItem(dialog, IDC_STATUS));
}
