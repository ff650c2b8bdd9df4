// Moving through the play order: skips, the list choice and the end of a
// track.
#include "player/panel/panel.h"
#include "player/panel/sequencing_core.h"

#include "player/device/cd_device.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

void ChooseOrderEntry(HWND window, int command) {
  HWND list = GetDlgItem(window, IDC_ORDER_LIST);
  int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
  int current = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
  if (count <= 0) return;  // an empty play order has nothing to go to
  int target = command == IDC_REVERSE_SKIP   ? ReverseSkipTarget(current, count)
               : command == IDC_FORWARD_SKIP ? ForwardSkipTarget(current, count)
                                             : current;
  TrackEntry* entry = OrderItem(list, target);
  if (!entry) return;
  int wasPlaying = CDIsPlaying(window, deviceId);
  CDStopRewind(window, deviceId);
  CDSeekTrack(window, entry->number, deviceId);
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(target), 0);
  if (wasPlaying == 1) SendMessageA(window, WM_COMMAND, IDC_PLAY, 0);
}

uint32_t NextOrderEntry(HWND orderList) {
  int k = static_cast<int>(SendMessageA(orderList, CB_GETCURSEL, 0, 0)) + 1;
  TrackEntry* entry = OrderItem(orderList, k);
  if (!entry) {
    k = 0;
    entry = OrderItem(orderList, 0);
  }
  return PackOrderEntry(k, entry ? entry->number : 0);
}

int IntroSeconds() { return playerSettings.introPlay == 1 ? playerSettings.introSeconds : 0; }

// An intro's end comes as the end of a play, like a track's: the same rule
// follows it.
void AdvanceAfterTrackEnd(HWND notifyWindow) {
  HWND list = GetDlgItem(mainWindow, IDC_ORDER_LIST);
  if (SendMessageA(list, CB_GETCOUNT, 0, 0) <= 0) return;
  TrackEndAction action = kReplayTrack;
  int track = 0, position = 0;
  if (discInfo.repeatMode == 1) {
    TrackEntry* entry = OrderItem(list, SendMessageA(list, CB_GETCURSEL, 0, 0));
    if (!entry) return;
    track = entry->number;
  } else {
    uint32_t next = NextOrderEntry(list);
    position = OrderEntryPosition(next);
    track = OrderEntryTrack(next);
    action = TrackEndRule(discInfo.repeatMode, position);
  }
  CDStopRewind(notifyWindow, deviceId);
  CDSeekTrack(notifyWindow, track, deviceId);
  if (action != kReplayTrack) SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  if (action != kRestAtStart) {
    paused = 0;
    CDPlayTrack(notifyWindow, deviceId, IntroSeconds());
    return;
  }
  // The last entry of the order has ended: rest at the first, stopped.
  EnableControl(mainWindow, IDC_PLAY, 1);
  EnableControl(mainWindow, IDC_PAUSE, 0);
  ShowButtonImage(mainWindow, IDC_PAUSE, "IDB_PAUSE");
}
