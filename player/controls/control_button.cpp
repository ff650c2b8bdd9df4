// CDControlClass: a small raised button showing the bitmap resource its
// window text names. A click sends the parent WM_COMMAND with the button's
// id. Pressed, the bands move down a line and the picture down and right by
// a pixel; disabled, the picture is etched; focused, a dotted rectangle
// surrounds the picture.
#include <windows.h>

#include "common/bitmaps/transparent_bitmap.h"
#include "player/controls/controls.h"
#include "player/shell/player_state.h"

uint16_t dotPhase = 1;

namespace {

enum { kButtonUp = 1, kButtonDown = 0 };
enum { kTextSize = 40 };

struct DotPen {
  HDC dc;
  COLORREF colour;
};

// LineDDA's callback: draws every other point. The phase carries over from
// one dotted line to the next, and from one painting to the next.
void CALLBACK DottedLinePixel(int x, int y, LPARAM data) {
  const DotPen* pen = reinterpret_cast<const DotPen*>(data);
  if (dotPhase == 1) {
    SetPixelV(pen->dc, x, y, pen->colour);
    dotPhase = 2;
  } else {
    dotPhase = 1;
  }
}

void DottedLine(HDC dc, COLORREF colour, int x1, int y1, int x2, int y2) {
  DotPen pen = {dc, colour};
  LineDDA(x1, y1, x2, y2, DottedLinePixel, reinterpret_cast<LPARAM>(&pen));
}

void SolidLine(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

HINSTANCE ResourceInstance() { return appInstance ? appInstance : GetModuleHandleA(nullptr); }

// Redraws the whole button now: frame, bands and face.
void Repaint(HWND window) {
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

// The picture named by name, composed over the face colour (etched when the
// button is disabled), at the middle of the client area moved by (dx, dy),
// with the focus rectangle around it while the button has the focus. Draws
// through a context of the whole window, so that a WM_PAINT sent without an
// invalid area shows a new picture too.
void DrawButtonFace(HWND window, int dx, int dy, const char* name) {
  RECT client = {};
  GetClientRect(window, &client);
  const int hasFocus = GetWindowWord(window, kHasFocusWord);
  HDC dc = GetDC(window);
  if (!dc) return;
  HBITMAP image = LoadBitmapA(ResourceInstance(), name);
  HDC memory = image ? CreateCompatibleDC(dc) : nullptr;
  if (!memory) {
    if (image) DeleteObject(image);
    ReleaseDC(window, dc);
    return;
  }
  BITMAP bm = {};
  GetObjectA(image, sizeof bm, &bm);
  const int w = bm.bmWidth, h = bm.bmHeight;
  const int ox = (client.right - w) / 2, oy = (client.bottom - h) / 2;

  HBITMAP background = CreateCompatibleBitmap(dc, w, h);
  HBITMAP composite = nullptr;
  if (background) {
    HGDIOBJ old = SelectObject(memory, background);
    RECT all = {0, 0, w, h};
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    FillRect(memory, &all, face);
    DeleteObject(face);
    composite = ComposeTransparent(dc, image, background);
    SelectObject(memory, old);
    DeleteObject(background);
  }
  HBITMAP picture = composite;
  if (composite && !IsWindowEnabled(window)) {
    picture = MakeDisabledBitmap(composite);
    DeleteObject(composite);
  }
  if (picture) {
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(dc, ox + dx, oy + dy, w, h, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    if (hasFocus == 1) {
      RECT focus = {ox + dx, oy + dy, ox + dx + w, oy + dy + h};
      DrawFocusRect(dc, &focus);
    }
    DeleteObject(picture);
  }
  DeleteObject(image);
  DeleteDC(memory);
  ReleaseDC(window, dc);
}

// The highlight bands above the picture and the shadow bands below it, each
// a few solid lines and then two dotted ones; pressed, they sit a line lower.
void PaintBands(HDC dc, int state, int w, int h) {
  const int down = state == kButtonDown ? 1 : 0;
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  HPEN highlightPen = CreatePen(PS_SOLID, 1, highlight);
  HPEN shadowPen = CreatePen(PS_SOLID, 1, shadow);
  HGDIOBJ old = SelectObject(dc, highlightPen);
  for (int y = 2; y <= 3 + down; ++y) SolidLine(dc, 2, y, w - 2, y);
  DottedLine(dc, highlight, 2, 4 + down, w - 2, 4 + down);
  DottedLine(dc, highlight, 3, 5 + down, w - 3, 5 + down);
  SelectObject(dc, shadowPen);
  for (int y = h - 3; y >= h - 4 + down; --y) SolidLine(dc, 2, y, w - 2, y);
  DottedLine(dc, shadow, 2, h - 5 + down, w - 3, h - 5 + down);
  DottedLine(dc, shadow, 3, h - 6 + down, w - 2, h - 6 + down);
  SelectObject(dc, old);
  DeleteObject(highlightPen);
  DeleteObject(shadowPen);
}

void PaintButton(HWND window, int state) {
  // A WM_PAINT sent directly by the owner after a text change comes with
  // nothing invalid: the whole button is drawn all the same, so a smaller
  // new picture leaves nothing of the old one.
  InvalidateRect(window, nullptr, FALSE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return;
  RECT client = {};
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;

  HPEN shadowPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HPEN highlightPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN blackPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HBRUSH faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));

  // The well: a sunken 1-pixel frame.
  HGDIOBJ oldPen = SelectObject(dc, shadowPen);
  SolidLine(dc, 0, 0, w, 0);
  SolidLine(dc, 0, 0, 0, h);
  SelectObject(dc, highlightPen);
  SolidLine(dc, w - 1, h - 1, w - 1, 0);
  SolidLine(dc, w, h - 1, 0, h - 1);
  // The body: black outline, face inside.
  SelectObject(dc, blackPen);
  HGDIOBJ oldBrush = SelectObject(dc, faceBrush);
  Rectangle(dc, 1, 1, w - 1, h - 1);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(faceBrush);
  DeleteObject(blackPen);
  DeleteObject(highlightPen);
  DeleteObject(shadowPen);

  PaintBands(dc, state, w, h);

  char text[kTextSize] = "";
  SendMessageA(window, WM_GETTEXT, kTextSize, reinterpret_cast<LPARAM>(text));
  const int d = state == kButtonDown ? 1 : 0;
  DrawButtonFace(window, d, d, text);
  EndPaint(window, &ps);
}

LRESULT OnPress(HWND window) {
  SetWindowWord(window, kButtonStateWord, kButtonDown);
  SetFocus(window);
  SetWindowWord(window, kHasFocusWord, 1);
  Repaint(window);
  SetCapture(window);
  return 0;
}

// The release point is two unsigned 16-bit numbers: a point left of or
// above the button (negative while captured) is outside.
LRESULT OnRelease(HWND window, LPARAM lParam) {
  ReleaseCapture();
  SetWindowWord(window, kButtonStateWord, kButtonUp);
  Repaint(window);
  const unsigned x = LOWORD(lParam), y = HIWORD(lParam);
  RECT client = {};
  GetClientRect(window, &client);
  if (x < static_cast<unsigned>(client.right) && y < static_cast<unsigned>(client.bottom)) {
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), 0), 0);
  }
  return 0;
}

// A button being disabled hands the focus to the next tab stop after it,
// whether or not it held the focus.
void OnDisable(HWND window) {
  HWND next = GetNextDlgTabItem(GetParent(window), window, FALSE);
  if (next && next != window) SetFocus(next);
}

}  // namespace

LRESULT CALLBACK CDControlWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetWindowWord(window, kButtonStateWord, kButtonUp);
      SetWindowWord(window, kHasFocusWord, 0);
      break;
    case WM_SETFOCUS:
      SetWindowWord(window, kHasFocusWord, 1);
      Repaint(window);
      return 0;
    case WM_KILLFOCUS:
      SetWindowWord(window, kHasFocusWord, 0);
      Repaint(window);
      return 0;
    case WM_ENABLE:
      if (!wParam) OnDisable(window);
      Repaint(window);
      break;
    case WM_PAINT:
      PaintButton(window, GetWindowWord(window, kButtonStateWord));
      break;
    case WM_LBUTTONDOWN:
      return OnPress(window);
    case WM_LBUTTONUP:
      return OnRelease(window, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
