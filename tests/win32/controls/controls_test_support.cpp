#include "tests/win32/controls/controls_test_support.h"

#include <cstdio>

#include "player/controls/controls.h"
#include "resources/player/resource.h"

namespace {

std::vector<Command> commands;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    commands.push_back({wParam, lParam});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

ATOM Register(const char* name, WNDPROC proc, int extra, HCURSOR cursor, HBRUSH background) {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = extra;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassA(&wc);
}

}  // namespace

void RegisterControlClasses() {
  static bool done;
  if (done) return;
  done = true;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  Register("CDControlClass", CDControlWndProc, kControlExtraBytes,
           LoadCursorA(instance, MAKEINTRESOURCEA(IDC_POINTING_HAND)),
           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  Register("CDBitmapClass", CDBitmapWndProc, kBitmapExtraBytes, LoadCursorA(nullptr, IDC_ARROW),
           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  Register("CDStatusClass", CDStatusWndProc, kStatusExtraBytes, LoadCursorA(nullptr, IDC_ARROW),
           static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  Register("ControlsTestParent", ParentProc, 0, LoadCursorA(nullptr, IDC_ARROW),
           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

HWND CreateTestParent(int width, int height) {
  RegisterControlClasses();
  commands.clear();
  HWND parent = CreateWindowExA(0, "ControlsTestParent", "controls", WS_POPUP | WS_VISIBLE, 0, 0,
                                width, height, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  SetForegroundWindow(parent);
  UpdateWindow(parent);
  return parent;
}

std::vector<Command>& Commands() { return commands; }

namespace {

// Copies a w x h area of dc into a 32-bit top-down DIB and returns it.
Pixels ReadBack(HDC dc, int x, int y, int w, int h) {
  Pixels p;
  p.width = w;
  p.height = h;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, w, h, dc, x, y, SRCCOPY);
  GdiFlush();
  const uint32_t* px = static_cast<const uint32_t*>(bits);
  for (int i = 0; i < w * h; ++i) {
    uint32_t v = px[i];
    p.colour.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(dib);
  return p;
}

}  // namespace

Pixels Capture(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  Pixels p = ReadBack(dc, 0, 0, client.right, client.bottom);
  ReleaseDC(window, dc);
  return p;
}

Pixels BitmapPixels(HBITMAP bitmap) {
  BITMAP bm = {};
  GetObjectA(bitmap, sizeof bm, &bm);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  Pixels p = ReadBack(memory, 0, 0, bm.bmWidth, bm.bmHeight);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return p;
}

Pixels ResourcePixels(const char* name) {
  HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
  if (!bitmap) return Pixels();
  Pixels p = BitmapPixels(bitmap);
  DeleteObject(bitmap);
  return p;
}

int CountGdiObjects() {
  int n = 0;
  for (uintptr_t h = 1; h <= 0xFFFF; ++h) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(h)) != 0) ++n;
  }
  return n;
}

bool LoadLedFont() {
  static int loaded = -1;
  if (loaded < 0) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, n);
    file = file.substr(0, file.find_last_of("\\/") + 1) + "digital.fon";
    AddFontResourceExA(file.c_str(), FR_PRIVATE, nullptr);
    HFONT font = CreateFontA(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FF_MODERN | DEFAULT_PITCH, "Corvane Digital");
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    loaded = lstrcmpA(face, "Corvane Digital") == 0 ? 1 : 0;
  }
  return loaded == 1;
}

std::string ColourText(COLORREF c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}
