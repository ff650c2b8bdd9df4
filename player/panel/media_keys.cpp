// The media keys: registered as hot keys of the main window while it
// exists, so that they reach the player in the background too, and taken as
// the application commands they send a window in the foreground. Each key
// presses the front-panel button it stands for in the state at hand.
#include "player/panel/media_keys_core.h"
#include "player/panel/panel.h"

#include "player/shell/player_state.h"
#include "resources/player/resource.h"

namespace {

// Each hot key's id is its virtual key.
const unsigned kHotKeys[] = {kKeyPlayPause, kKeyStop, kKeyNextTrack, kKeyPreviousTrack};

bool ButtonEnabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != 0; }

void PressButtonFor(HWND window, MediaKey key) {
  // A modal dialog (the properties sheet, the About box, a message) disables
  // the panel: its buttons cannot be pressed then, nor by a key.
  if (!IsWindowEnabled(window)) return;
  TransportState state = {ButtonEnabled(window, IDC_PLAY),         ButtonEnabled(window, IDC_PAUSE),
                          ButtonEnabled(window, IDC_STOP),         ButtonEnabled(window, IDC_FORWARD_SKIP),
                          ButtonEnabled(window, IDC_REVERSE_SKIP), paused == 1};
  int button = MediaKeyButton(key, &state);
  if (button) SendMessageA(window, WM_COMMAND, MAKEWPARAM(button, 0), 0);
}

}  // namespace

void RegisterMediaKeys(HWND window) {
  // A key another program holds stays with it, without a word.
  for (unsigned key : kHotKeys) RegisterHotKey(window, static_cast<int>(key), 0, key);
}

void UnregisterMediaKeys(HWND window) {
  for (unsigned key : kHotKeys) UnregisterHotKey(window, static_cast<int>(key));
}

bool OnMediaKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MediaKey key = kNoMediaKey;
  if (message == WM_HOTKEY)
    key = MediaKeyOfVirtualKey(static_cast<unsigned>(wParam));
  else if (message == kAppCommandMessage)
    key = MediaKeyOfAppCommand(AppCommandOf(static_cast<uint32_t>(lParam)));
  // Other commands go on to the default procedure, which passes them up.
  if (key == kNoMediaKey) return false;
  PressButtonFor(window, key);
  return true;
}
