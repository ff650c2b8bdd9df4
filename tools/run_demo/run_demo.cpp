// Drives a running player the way a user would, for `make run` without a
// display: clicks Play, waits until the disc has gone on to the next entry,
// captures the main window into a BMP file and closes the player with Escape.
//
//   run_demo SCREENSHOT.bmp
#include <windows.h>

#include <cstdio>

#include "tools/window_capture.h"

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
  bool captured = CaptureWindow(player, argv[1]);
  PostMessageA(player, WM_KEYDOWN, VK_ESCAPE, 0);
  WaitFor([&] { return !IsWindow(player); }, 30);
  if (!captured) fprintf(stderr, "run_demo: could not capture the window\n");
  printf("run_demo: played into track 2 and closed the player with Escape\n");
  return captured ? 0 : 1;
}
