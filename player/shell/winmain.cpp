// The player's entry point.
#include <windows.h>

#include "player/shell/player.h"
#include "resources/player/resource.h"

namespace {

// The shell starts the player for every audio disc put in; two players
// would fight over the drive. The running player owns a named mutex from its
// start to its exit. A second start brings that player's window to the front
// and ends; when there is no window (the first player is still creating it,
// or is past its window and shutting down), it waits for the mutex and then
// starts as the only player. Returns true when this start must end.
bool BringRunningPlayerForward(HINSTANCE instance, HANDLE* mutex) {
  *mutex = CreateMutexA(nullptr, TRUE, "CorvaneCDAudioPlayer.SingleInstance");
  if (!*mutex || GetLastError() != ERROR_ALREADY_EXISTS) return false;
  char name[40];
  LoadStringA(instance, IDS_MAIN_CLASS, name, sizeof name);
  for (;;) {
    if (HWND running = FindWindowA(name, nullptr)) {
      if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
      SetForegroundWindow(running);
      return true;
    }
    DWORD waited = WaitForSingleObject(*mutex, 50);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return false;
    if (waited == WAIT_FAILED) return true;
  }
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
  if (mutex) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
  return static_cast<int>(exitCode);
}
