// CDTitleProc: the CD Title page, the disc's artist and title.
#include "player/properties/properties.h"

#include <commctrl.h>

namespace {

enum { kArtistEdit = 1025, kTitleEdit = 1024 };
int pending;

}  // namespace

INT_PTR CALLBACK CDTitleProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  DiscInfo* info = PageRecord(page, message, lParam);
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE && (LOWORD(wParam) == kTitleEdit || LOWORD(wParam) == kArtistEdit))
        MarkPageChanged(page, &pending);
      return TRUE;
    case WM_NOTIFY:
      switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
          // Filling raises the edits' change notifications; what is shown
          // is the record, so nothing is pending afterwards.
          SetDlgItemTextA(page, kTitleEdit, info->title);
          SetDlgItemTextA(page, kArtistEdit, info->artist);
          MarkPageUnchanged(page, &pending);
          return TRUE;
        case PSN_KILLACTIVE:
          if (pending) {
            ReadTitle(page, kTitleEdit, info->title);
            ReadTitle(page, kArtistEdit, info->artist);
            SavePageRecord(info, &pending);
          }
          SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
