// Start-up of the installer: the class of the invisible main window, the
// window, and the message loop that ends when the dialog sequence is over.
#include <windows.h>

#include "install/install.h"
#include "resources/install/resource.h"

HINSTANCE installerInstance;
char installPath[MAX_PATH];

namespace {

const char kMainClass[] = "KovelSetupClass";

}  // namespace

int RunInstaller(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the standard arrow
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kMainClass;
  if (!RegisterClassA(&wc)) return 0;

  installerInstance = instance;
  // Never shown: its creation runs the dialogs, whose end posts the quit.
  HWND window = CreateWindowA(kMainClass, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  MSG msg = {};
  if (window) {
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // The sequence only sent WM_DESTROY; the window itself goes now, and
    // the second quit message its destruction posts is taken back.
    DestroyWindow(window);
    MSG again;
    PeekMessageA(&again, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  UnregisterClassA(kMainClass, instance);
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}
