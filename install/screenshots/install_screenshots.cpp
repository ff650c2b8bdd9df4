// Takes the installer's pictures in docs/: the Setup, Install Path and
// Install dialogs of a real install, run in this process from the current
// directory (an installation disk) into the default folder. Meant for a
// throwaway Wine prefix: it installs for real.
//
//   install_screenshots FOLDER      (writes FOLDER\install-*.bmp)
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "install/install.h"
#include "resources/install/resource.h"

namespace {

std::string folder;
HHOOK hook;
std::map<HWND, int> stage;

std::string Caption(HWND window) {
  char text[128] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Saves the whole window, frame included, as a 24-bit BMP. It is read from
// the window's own DC: the screen shows a fresh painting only later.
void Capture(HWND dialog, const char* name) {
  // The controls paint themselves: bring every one up to date first.
  RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rect;
  GetWindowRect(dialog, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int stride = (width * 3 + 3) & ~3;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC window = GetWindowDC(dialog);
  HBITMAP dib = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(window);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY);
  GdiFlush();
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + static_cast<DWORD>(stride * height);
  if (FILE* file = fopen((folder + "\\" + name + ".bmp").c_str(), "wb")) {
    fwrite(&header, sizeof header, 1, file);
    fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file);
    fwrite(bits, static_cast<size_t>(stride * height), 1, file);
    fclose(file);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(dib);
  ReleaseDC(dialog, window);
}

void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, id, 0); }

// Each dialog is captured when its loop first waits for input, that is,
// once it is shown and painted.
void Idle(HWND dialog) {
  const std::string caption = Caption(dialog);
  int& step = stage[dialog];
  if (caption == "Setup - Corvane CD Player 1.0" && step == 0) {
    Capture(dialog, "install-setup");
    Press(dialog, IDOK);
  } else if (caption == "Install Path" && step == 0) {
    Capture(dialog, "install-path");
    Press(dialog, IDOK);
  } else if (caption == "Install - Corvane CD Player 1.0" && step == 0) {
    PostMessageA(dialog, WM_TIMER, 1, 0);
  } else if (caption == "Install - Corvane CD Player 1.0" && step == 1) {
    Capture(dialog, "install-done");
    Press(dialog, IDOK);
  } else if (caption == "Install - ERROR" && step == 0) {
    Capture(dialog, "install-error");
    Press(dialog, IDOK);
  }
  ++step;
}

LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
  const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_ENTERIDLE && m->wParam == MSGF_DIALOGBOX)
    Idle(reinterpret_cast<HWND>(m->lParam));
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  folder = argv[1];
  hook = SetWindowsHookExA(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
  const int code = RunInstaller(GetModuleHandleA(nullptr));
  UnhookWindowsHookEx(hook);
  return code;
}
