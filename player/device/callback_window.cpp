// The hidden notification window: the end of every track played comes here,
// not to the main window, which a view switch destroys and re-creates.
#include "player/device/callback_window.h"

#include <mmsystem.h>

#include "player/panel/panel.h"

LRESULT CALLBACK CDCallbackWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != MM_MCINOTIFY) return DefWindowProcA(window, message, wParam, lParam);
  // A play that was stopped, paused, skipped away from, superseded or ended
  // by the disc going away starts nothing.
  if (wParam == MCI_NOTIFY_SUCCESSFUL) AdvanceAfterTrackEnd(window);
  return 0;
}
