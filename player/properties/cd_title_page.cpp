// CDTitleProc: the CD Title page, the disc's artist and title.
#include "player/properties/properties.h"

#include <commctrl.h>

#include "resources/player/resource.h"

INT_PTR CALLBACK CDTitleProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  PageState* state = PageStateOf(page, message, lParam);
  if (!state) return FALSE;
  DiscInfo* info = state->info;
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE && (LOWORD(wParam) == IDC_TITLE_EDIT || LOWORD(wParam) == IDC_ARTIST_EDIT))
        MarkPageChanged(page, state);
      return TRUE;
    case WM_NOTIFY:
      switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
          // Filling raises the edits' change notifications; what is shown
          // is the record, so nothing is pending afterwards.
          SetDlgItemTextA(page, IDC_TITLE_EDIT, info->title);
          SetDlgItemTextA(page, IDC_ARTIST_EDIT, info->artist);
          MarkPageUnchanged(page, state);
          return TRUE;
        case PSN_KILLACTIVE:
          if (state->pending) {
            ReadTitle(page, IDC_TITLE_EDIT, info->title);
            ReadTitle(page, IDC_ARTIST_EDIT, info->artist);
            SavePageRecord(page, state);
          }
          SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
