// The hidden notification window: the end of every track played comes here,
// not to the main window, which a view switch destroys and re-creates.
#include "player/panel/callback_window.h"

#include <mmsystem.h>

#include "player/panel/panel.h"
#include "player/shell/player_state.h"

LRESULT CALLBACK CDCallbackWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The look-up that runs by itself lives here, out of reach of view switches.
  if (OnAutoLookupMessage(message, wParam, lParam)) return 0;
  if (message != MM_MCINOTIFY) return DefWindowProcA(window, message, wParam, lParam);
  // A play that was stopped, paused, skipped away from, superseded or ended
  // by the disc going away starts nothing.
  if (wParam != MCI_NOTIFY_SUCCESSFUL) return 0;
  // A track that ends while a view switch re-creates the main window is
  // advanced by the new window's set-up, once its play-order list exists.
  if (IsWindow(mainWindow) && setupDone)
    AdvanceAfterTrackEnd(window);
  else
    trackEndPending = 1;
  return 0;
}
