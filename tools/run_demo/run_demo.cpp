// Drives a running player the way a user would, for `make run` without a
// display: clicks Play, waits until the disc has gone on to the next entry,
// captures the main window into a BMP file and closes the player with Escape.
//
//   run_demo SCREENSHOT.bmp
#include <windows.h>

#include <cstdio>

namespace {

const int kPlay = 1007, kOrderList = 1038;

// Waits up to seconds for done(); the player runs in another process.
template <typename Done>
bool WaitFor(Done done, int seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (done()) return true;
    Sleep(50);
  }
  return false;
}

void Click(HWND button) {
  RECT rect;
  GetClientRect(button, &rect);
  LPARAM at = MAKELPARAM(rect.right / 2, rect.bottom / 2);
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(button, WM_LBUTTONUP, 0, at);
}

// The window as it is on the screen, as a 24-bit BMP file.
bool Capture(HWND window, const char* path) {
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int stride = (width * 3 + 3) & ~3;
  DWORD imageSize = static_cast<DWORD>(stride * height);
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
  void* bits = HeapAlloc(GetProcessHeap(), 0, imageSize);
  bool ok = bits && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bits, &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  FILE* file = ok ? fopen(path, "wb") : nullptr;
  if (file) {
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageSize;
    ok = fwrite(&header, sizeof header, 1, file) == 1 &&
         fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
         fwrite(bits, imageSize, 1, file) == 1;
    ok = fclose(file) == 0 && ok;
  }
  if (bits) HeapFree(GetProcessHeap(), 0, bits);
  return ok && file;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: run_demo SCREENSHOT.bmp\n");
    return 2;
  }
  HWND player = nullptr;
  if (!WaitFor([&] { return (player = FindWindowA("CorvaneCDAudioPlayer", nullptr)) && IsWindowVisible(player); }, 60) ||
      !WaitFor([&] { return IsWindowEnabled(GetDlgItem(player, kPlay)) != 0; }, 60)) {
    fprintf(stderr, "run_demo: the player did not come up with a disc\n");
    return 1;
  }
  HWND list = GetDlgItem(player, kOrderList);
  Click(GetDlgItem(player, kPlay));
  if (!WaitFor([&] { return SendMessageA(list, CB_GETCURSEL, 0, 0) == 1; }, 120)) {
    fprintf(stderr, "run_demo: the disc did not go on to the next track\n");
    return 1;
  }
  Sleep(1500);  // a little way into the new track, so the time display moves
  SetForegroundWindow(player);
  bool captured = Capture(player, argv[1]);
  PostMessageA(player, WM_KEYDOWN, VK_ESCAPE, 0);
  WaitFor([&] { return !IsWindow(player); }, 30);
  if (!captured) fprintf(stderr, "run_demo: could not capture the window\n");
  printf("run_demo: played into track 2 and closed the player with Escape\n");
  return captured ? 0 : 1;
}
