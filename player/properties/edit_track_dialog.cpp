// EditTrackProc: the Edit Track Information dialog for one track. It stores
// the new title in the entry; its caller saves the catalogue.
#include "player/properties/properties.h"

#include <cstdio>

#include "player/device/cd_device.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

namespace {


void OnInit(HWND dialog, TrackEntry* entry) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(entry));
  char text[20];
  snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(entry->number));
  SetDlgItemTextA(dialog, IDC_EDIT_NUMBER, text);
  SetDlgItemTextA(dialog, IDC_EDIT_TITLE, entry->title);
  if (!CDTrackLengthText(dialog, deviceId, entry->number, text)) text[0] = '\0';  // blank, not a made-up time
  SetDlgItemTextA(dialog, IDC_EDIT_LENGTH, text);
  // Filling the edit enabled Save through its change notification.
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
}

}  // namespace

INT_PTR CALLBACK EditTrackProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* entry = reinterpret_cast<TrackEntry*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: OnInit(dialog, reinterpret_cast<TrackEntry*>(lParam)); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_EDIT_TITLE:
          if (HIWORD(wParam) == EN_CHANGE) EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
          return TRUE;
        case IDOK:
          ReadTitle(dialog, IDC_EDIT_TITLE, entry->title);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
