// EditTrackListProc: the TrackList page, a track picked by number and its
// title edited in place.
#include "player/properties/properties.h"

#include <commctrl.h>

#include <cstdio>

#include "player/device/cd_device.h"
#include "player/shell/player_state.h"

namespace {

enum { kTrackCombo = 1022, kLengthLabel = 1053, kTitleEdit = 1026 };
int pending;
int currentTrackIndex;

TrackEntry* EntryAt(HWND page, int position) {
  LRESULT data = SendDlgItemMessageA(page, kTrackCombo, CB_GETITEMDATA, static_cast<WPARAM>(position), 0);
  return data == CB_ERR ? nullptr : reinterpret_cast<TrackEntry*>(data);
}

// A length the device cannot tell is left blank, never another track's.
void ShowLength(HWND page, const TrackEntry* entry) {
  char length[20] = "";
  if (!entry || !CDTrackLengthText(page, deviceId, entry->number, length)) length[0] = '\0';
  SetDlgItemTextA(page, kLengthLabel, length);
}

void ShowTrack(HWND page, int position) {
  SendDlgItemMessageA(page, kTrackCombo, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  if (TrackEntry* entry = EntryAt(page, position)) SetDlgItemTextA(page, kTitleEdit, entry->title);
}

// Stores the edited title of the track on display.
void ApplyTitle(HWND page, DiscInfo* info) {
  if (TrackEntry* entry = EntryAt(page, currentTrackIndex)) ReadTitle(page, kTitleEdit, entry->title);
  SavePageRecord(info, &pending);
}

void OnActivate(HWND page, const DiscInfo* info) {
  HWND combo = GetDlgItem(page, kTrackCombo);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (int t = 0; t < info->trackCount; ++t) {
    char number[12];
    snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(info->tracks[t].number));
    LRESULT item = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info->tracks[t]));
  }
  currentTrackIndex = 0;
  ShowTrack(page, 0);
  ShowLength(page, EntryAt(page, 0));
  MarkPageUnchanged(page, &pending);
}

void OnTrackChosen(HWND page, DiscInfo* info) {
  if (pending) ApplyTitle(page, info);
  LRESULT selection = SendDlgItemMessageA(page, kTrackCombo, CB_GETCURSEL, 0, 0);
  if (selection == CB_ERR) return;
  currentTrackIndex = static_cast<int>(selection);
  ShowLength(page, EntryAt(page, currentTrackIndex));
  ShowTrack(page, currentTrackIndex);
  pending = 0;  // the edit now shows the stored title
}

}  // namespace

INT_PTR CALLBACK EditTrackListProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  DiscInfo* info = PageRecord(page, message, lParam);
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kTitleEdit && HIWORD(wParam) == EN_CHANGE) MarkPageChanged(page, &pending);
      if (LOWORD(wParam) == kTrackCombo && HIWORD(wParam) == CBN_SELCHANGE) OnTrackChosen(page, info);
      return TRUE;
    case WM_NOTIFY:
      switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: OnActivate(page, info); return TRUE;
        case PSN_KILLACTIVE:
          if (pending) ApplyTitle(page, info);
          SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
