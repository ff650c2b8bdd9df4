// The player's entry point.
#include <windows.h>

#include "player/shell/player.h"
#include "resources/player/resource.h"

namespace {

// The shell starts the player for every audio disc put in; two players
// would fight over the drive. A second start brings the running player to
// the front and ends.
bool BringRunningPlayerForward(HINSTANCE instance, HANDLE* mutex) {
  *mutex = CreateMutexA(nullptr, FALSE, "CorvaneCDAudioPlayer.SingleInstance");
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  char name[40];
  LoadStringA(instance, IDS_MAIN_CLASS, name, sizeof name);
  // The first player may still be creating its window.
  for (int wait = 0; wait < 100; ++wait) {
    if (HWND running = FindWindowA(name, nullptr)) {
      if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
      SetForegroundWindow(running);
      break;
    }
    Sleep(50);
  }
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The command line is not looked at: "/play D:" starts the player as usual.
  HANDLE mutex = nullptr;
  if (BringRunningPlayerForward(instance, &mutex)) {
    if (mutex) CloseHandle(mutex);
    return 0;
  }
  StartPlayer(instance);
  WPARAM exitCode = 0;
  while (CreateMainWindow()) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchPlayerMessage(&msg);
    exitCode = msg.wParam;
    if (!SwitchViewAfterLoop()) break;
  }
  ShutdownPlayer();
  CloseHandle(mutex);
  return static_cast<int>(exitCode);
}
