#include "tools/window_capture.h"

#include <cstdio>
#include <string>

namespace {

// Copies the window's pixels from a DC whose origin is the window's
// top-left corner, and writes them as a BMP file.
bool SaveFrom(HDC source, int x, int y, int width, int height, const char* path) {
  int stride = (width * 3 + 3) & ~3;
  DWORD size = static_cast<DWORD>(stride * height);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;

  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  SelectObject(memory, old);
  std::string bits(size, '\0');
  bool ok = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &bits[0], &info, DIB_RGB_COLORS) != 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  if (!ok) return false;

  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + size;
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  ok = fwrite(&header, sizeof header, 1, file) == 1 && fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
       fwrite(bits.data(), size, 1, file) == 1;
  return fclose(file) == 0 && ok;
}

}  // namespace

bool CaptureWindow(HWND window, const char* path) {
  RECT rect;
  GetWindowRect(window, &rect);
  HDC screen = GetDC(nullptr);
  bool ok = SaveFrom(screen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, path);
  ReleaseDC(nullptr, screen);
  return ok;
}

bool CaptureOwnWindow(HWND window, const char* path) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rect;
  GetWindowRect(window, &rect);
  HDC own = GetWindowDC(window);
  bool ok = SaveFrom(own, 0, 0, rect.right - rect.left, rect.bottom - rect.top, path);
  ReleaseDC(window, own);
  return ok;
}
