// PlayListProc: the Playlist page. The tracks not in the play list on the
// left, the play list in play order on the right.
#include "player/properties/properties.h"

#include <commctrl.h>

#include "player/catalogue/catalogue.h"
#include "player/shell/player_state.h"

namespace {

enum {
  kAvailable = 1025,
  kPlayList = 1030,
  kAdd = 1028,
  kRemove = 1029,
  kClearAll = 1031,
  kDefault = 1032,
};
int pending;

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
  HWND list = List(page, kPlayList);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < info->playCount; ++i)
    if (info->playList[i] >= 1 && info->playList[i] <= info->trackCount)
      Append(list, &info->tracks[info->playList[i] - 1]);
}

void FillAvailable(HWND page, const DiscInfo* info) {
  HWND list = List(page, kAvailable);
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
  SendMessageA(List(page, kAvailable), LB_RESETCONTENT, 0, 0);
  SendMessageA(List(page, kPlayList), LB_RESETCONTENT, 0, 0);
  for (int t = 0; t < info->trackCount; ++t) Append(List(page, target), &info->tracks[t]);
}

void OnActivate(HWND page, const DiscInfo* info) {
  FillPlayList(page, info);
  FillAvailable(page, info);
  if (Count(page, kPlayList) > 0) Enable(page, kClearAll, 1);
  Enable(page, kAdd, 0);
  Enable(page, kRemove, 0);
  MarkPageUnchanged(page, &pending);
}

void OnAdd(HWND page) {
  MoveSelected(page, kAvailable, kPlayList);
  Enable(page, kAdd, 0);
  if (Count(page, kPlayList) > 0) Enable(page, kClearAll, 1);
  MarkPageChanged(page, &pending);
}

void OnRemove(HWND page) {
  MoveSelected(page, kPlayList, kAvailable);
  Enable(page, kRemove, 0);
  if (Count(page, kPlayList) == 0) {
    // An empty play list is never applied.
    Enable(page, kClearAll, 0);
    pending = 0;
    return;
  }
  MarkPageChanged(page, &pending);
}

void OnClearAll(HWND page, const DiscInfo* info) {
  RefillAll(page, info, kAvailable);
  Enable(page, kClearAll, 0);
  Enable(page, kAdd, 0);
  Enable(page, kRemove, 0);
  pending = 0;
}

void OnDefault(HWND page, const DiscInfo* info) {
  RefillAll(page, info, kPlayList);
  MarkPageChanged(page, &pending);
  Enable(page, kClearAll, 1);
  Enable(page, kAdd, 0);
  Enable(page, kRemove, 0);
}

// A double-click renames the track in the Edit Track dialog; the new title
// is saved at once.
void OnDoubleClick(HWND page, DiscInfo* info, int listId) {
  HWND list = List(page, listId);
  LRESULT position;
  const TrackEntry* entry = Selected(list, &position);
  if (!entry) return;
  if (DialogBoxParamA(appInstance, MAKEINTRESOURCEA(kEditTrackDialog), page, EditTrackProc,
                      reinterpret_cast<LPARAM>(entry)) != 1)
    return;
  SaveDiscEntry(appInstance, info);
  SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(position), 0);
  SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(entry->title));
  SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(entry));
  Enable(page, kAdd, 0);
  Enable(page, kRemove, 0);
  // List edits made before the rename are not applied yet: they stay
  // pending, so leaving the page with OK still applies them.
  int listEdits = pending;
  propertiesChanged = 1;
  MarkPageChanged(page, &pending);
  pending = listEdits;
}

void OnCommand(HWND page, DiscInfo* info, int id, int notification) {
  if (notification == LBN_SELCHANGE && id == kAvailable) Enable(page, kAdd, 1);
  if (notification == LBN_SELCHANGE && id == kPlayList) Enable(page, kRemove, 1);
  if (notification == LBN_DBLCLK && (id == kAvailable || id == kPlayList)) OnDoubleClick(page, info, id);
  if (notification != BN_CLICKED) return;
  switch (id) {
    case kAdd: OnAdd(page); break;
    case kRemove: OnRemove(page); break;
    case kClearAll: OnClearAll(page, info); break;
    case kDefault: OnDefault(page, info); break;
  }
}

}  // namespace

INT_PTR CALLBACK PlayListProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  DiscInfo* info = PageRecord(page, message, lParam);
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND: OnCommand(page, info, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_NOTIFY:
      switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: OnActivate(page, info); return TRUE;
        case PSN_KILLACTIVE:
          if (pending) {
            ReplacePlayList(info, List(page, kPlayList));
            SavePageRecord(info, &pending);
          }
          SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
