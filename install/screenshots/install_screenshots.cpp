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
#include "tools/window_capture.h"

namespace {

std::string folder;
HHOOK hook;
std::map<HWND, int> stage;

std::string Caption(HWND window) {
  char text[128] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void Capture(HWND dialog, const char* name) {
  CaptureOwnWindow(dialog, (folder + "\\" + name + ".bmp").c_str());
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
