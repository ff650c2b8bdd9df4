// EditTrackListProc: the TrackList page, a track picked by number and its
// title edited in place.
#include "player/properties/properties.h"

#include <commctrl.h>

#include <cstdio>

#include "player/device/cd_device.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

namespace {

TrackEntry* EntryAt(HWND page, int position) {
  LRESULT data = SendDlgItemMessageA(page, IDC_TRACK_NUMBER, CB_GETITEMDATA, static_cast<WPARAM>(position), 0);
  return data == CB_ERR ? nullptr : reinterpret_cast<TrackEntry*>(data);
}

// A length the device cannot tell is left blank, never another track's.
void ShowLength(HWND page, const TrackEntry* entry) {
  char length[20] = "";
  if (!entry || !CDTrackLengthText(page, deviceId, entry->number, length)) length[0] = '\0';
  SetDlgItemTextA(page, IDC_TRACK_LENGTH, length);
}

void ShowTrack(HWND page, int position) {
  SendDlgItemMessageA(page, IDC_TRACK_NUMBER, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  if (TrackEntry* entry = EntryAt(page, position)) SetDlgItemTextA(page, IDC_TRACK_TITLE, entry->title);
}

// Stores the edited title of the track on display.
void ApplyTitle(HWND page, PageState* state) {
  if (TrackEntry* entry = EntryAt(page, state->currentTrack)) ReadTitle(page, IDC_TRACK_TITLE, entry->title);
  SavePageRecord(page, state);
}

void OnActivate(HWND page, PageState* state) {
  const DiscInfo* info = state->info;
  HWND combo = GetDlgItem(page, IDC_TRACK_NUMBER);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (int t = 0; t < info->trackCount; ++t) {
    char number[12];
    snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(info->tracks[t].number));
    LRESULT item = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info->tracks[t]));
  }
  state->currentTrack = 0;
  ShowTrack(page, 0);
  ShowLength(page, EntryAt(page, 0));
  MarkPageUnchanged(page, state);
}

void OnTrackChosen(HWND page, PageState* state) {
  if (state->pending) ApplyTitle(page, state);
  LRESULT selection = SendDlgItemMessageA(page, IDC_TRACK_NUMBER, CB_GETCURSEL, 0, 0);
  if (selection == CB_ERR) return;
  state->currentTrack = static_cast<int>(selection);
  ShowLength(page, EntryAt(page, state->currentTrack));
  ShowTrack(page, state->currentTrack);
  state->pending = 0;  // the edit now shows the stored title
}

}  // namespace

INT_PTR CALLBACK EditTrackListProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  PageState* state = PageStateOf(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_TRACK_TITLE && HIWORD(wParam) == EN_CHANGE) MarkPageChanged(page, state);
      if (LOWORD(wParam) == IDC_TRACK_NUMBER && HIWORD(wParam) == CBN_SELCHANGE) OnTrackChosen(page, state);
      return TRUE;
    case WM_NOTIFY:
      switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: OnActivate(page, state); return TRUE;
        case PSN_KILLACTIVE:
          if (state->pending) ApplyTitle(page, state);
          SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
