// PlayListProc: the Playlist page. The tracks not in the play list on the
// left, the play list in play order on the right.
#include "player/properties/properties.h"

#include <commctrl.h>

#include "player/catalogue/catalogue.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

namespace {

HWND List(HWND page, int id) { return GetDlgItem(page, id); }
int Count(HWND page, int id) { return static_cast<int>(SendMessageA(List(page, id), LB_GETCOUNT, 0, 0)); }
void Enable(HWND page, int id, int enable) { EnableWindow(GetDlgItem(page, id), enable); }

void Append(HWND list, const TrackEntry* entry) {
  LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry->title));
  SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(entry));
}

const TrackEntry* Selected(HWND list, LRESULT* position) {
  *position = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (*position == LB_ERR) return nullptr;
  LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(*position), 0);
  return data == LB_ERR ? nullptr : reinterpret_cast<const TrackEntry*>(data);
}

void FillPlayList(HWND page, const DiscInfo* info) {
  HWND list = List(page, IDC_PLAY_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < info->playCount; ++i)
    if (info->playList[i] >= 1 && info->playList[i] <= info->trackCount)
      Append(list, &info->tracks[info->playList[i] - 1]);
}

void FillAvailable(HWND page, const DiscInfo* info) {
  HWND list = List(page, IDC_AVAILABLE_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int t = 0; t < info->trackCount; ++t) {
    bool listed = false;
    for (int i = 0; i < info->playCount && !listed; ++i) listed = info->playList[i] == t + 1;
    if (!listed) Append(list, &info->tracks[t]);
  }
}

// Takes the selected item of one list to the end of the other.
void MoveSelected(HWND page, int from, int to) {
  LRESULT position;
  const TrackEntry* entry = Selected(List(page, from), &position);
  if (!entry) return;
  SendMessageA(List(page, from), LB_DELETESTRING, static_cast<WPARAM>(position), 0);
  Append(List(page, to), entry);
}

void RefillAll(HWND page, const DiscInfo* info, int target) {
  SendMessageA(List(page, IDC_AVAILABLE_LIST), LB_RESETCONTENT, 0, 0);
  SendMessageA(List(page, IDC_PLAY_LIST), LB_RESETCONTENT, 0, 0);
  for (int t = 0; t < info->trackCount; ++t) Append(List(page, target), &info->tracks[t]);
}

void OnActivate(HWND page, PageState* state) {
  FillPlayList(page, state->info);
  FillAvailable(page, state->info);
  if (Count(page, IDC_PLAY_LIST) > 0) Enable(page, IDC_CLEAR_ALL, 1);
  Enable(page, IDC_ADD_TRACK, 0);
  Enable(page, IDC_REMOVE_TRACK, 0);
  MarkPageUnchanged(page, state);
}

void OnAdd(HWND page, PageState* state) {
  MoveSelected(page, IDC_AVAILABLE_LIST, IDC_PLAY_LIST);
  Enable(page, IDC_ADD_TRACK, 0);
  if (Count(page, IDC_PLAY_LIST) > 0) Enable(page, IDC_CLEAR_ALL, 1);
  MarkPageChanged(page, state);
}

void OnRemove(HWND page, PageState* state) {
  MoveSelected(page, IDC_PLAY_LIST, IDC_AVAILABLE_LIST);
  Enable(page, IDC_REMOVE_TRACK, 0);
  if (Count(page, IDC_PLAY_LIST) == 0) {
    // An empty play list is never applied.
    Enable(page, IDC_CLEAR_ALL, 0);
    state->pending = 0;
    return;
  }
  MarkPageChanged(page, state);
}

void OnClearAll(HWND page, PageState* state) {
  RefillAll(page, state->info, IDC_AVAILABLE_LIST);
  Enable(page, IDC_CLEAR_ALL, 0);
  Enable(page, IDC_ADD_TRACK, 0);
  Enable(page, IDC_REMOVE_TRACK, 0);
  state->pending = 0;
}

void OnDefault(HWND page, PageState* state) {
  RefillAll(page, state->info, IDC_PLAY_LIST);
  MarkPageChanged(page, state);
  Enable(page, IDC_CLEAR_ALL, 1);
  Enable(page, IDC_ADD_TRACK, 0);
  Enable(page, IDC_REMOVE_TRACK, 0);
}

// A double-click renames the track in the Edit Track dialog; the new title
// is saved at once.
void OnDoubleClick(HWND page, PageState* state, int listId) {
  HWND list = List(page, listId);
  LRESULT position;
  const TrackEntry* entry = Selected(list, &position);
  if (!entry) return;
  if (DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_EDIT_TRACK), page, EditTrackProc,
                      reinterpret_cast<LPARAM>(entry)) != 1)
    return;
  SaveDiscEntry(appInstance, state->info);
  TellSaveFailures(GetParent(page));
  SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(position), 0);
  SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(entry->title));
  SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(entry));
  Enable(page, IDC_ADD_TRACK, 0);
  Enable(page, IDC_REMOVE_TRACK, 0);
  // List edits made before the rename are not applied yet: they stay
  // pending, so leaving the page with OK still applies them.
  int listEdits = state->pending;
  propertiesChanged = 1;
  MarkPageChanged(page, state);
  state->pending = listEdits;
}

void OnCommand(HWND page, PageState* state, int id, int notification) {
  if (notification == LBN_SELCHANGE && id == IDC_AVAILABLE_LIST) Enable(page, IDC_ADD_TRACK, 1);
  if (notification == LBN_SELCHANGE && id == IDC_PLAY_LIST) Enable(page, IDC_REMOVE_TRACK, 1);
  if (notification == LBN_DBLCLK && (id == IDC_AVAILABLE_LIST || id == IDC_PLAY_LIST)) OnDoubleClick(page, state, id);
  if (notification != BN_CLICKED) return;
  switch (id) {
    case IDC_ADD_TRACK: OnAdd(page, state); break;
    case IDC_REMOVE_TRACK: OnRemove(page, state); break;
    case IDC_CLEAR_ALL: OnClearAll(page, state); break;
    case IDC_DEFAULT_LIST: OnDefault(page, state); break;
  }
}

}  // namespace

INT_PTR CALLBACK PlayListProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  PageState* state = PageStateOf(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND: OnCommand(page, state, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_NOTIFY:
      switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: OnActivate(page, state); return TRUE;
        case PSN_KILLACTIVE:
          if (state->pending) {
            ReplacePlayList(state->info, List(page, IDC_PLAY_LIST));
            SavePageRecord(page, state);
          }
          SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
