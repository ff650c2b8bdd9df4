#include "tools/window_capture.h"

#include <cstdio>
#include <string>

bool CaptureWindow(HWND window, const char* path) {
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int stride = (width * 3 + 3) & ~3;
  DWORD size = static_cast<DWORD>(stride * height);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  std::string bits(size, '\0');
  bool ok = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &bits[0], &info, DIB_RGB_COLORS) != 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
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
