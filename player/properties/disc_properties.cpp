// ShowDiscProperties and the protocol the three pages share.
#include "player/properties/properties.h"

#include <commctrl.h>

#include "player/catalogue/catalogue.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

int propertiesChanged;

int ShowDiscProperties(HWND mainWindow, DiscInfo* info) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
  struct PageKind {
    const char* title;
    int templateId;
    int icon;
    DLGPROC procedure;
  } kinds[] = {
      {"CD Title", IDD_CD_TITLE_PAGE, IDI_CD_TITLE_PAGE, CDTitleProc},
      {"Playlist", IDD_PLAYLIST_PAGE, IDI_PLAYLIST_PAGE, PlayListProc},
      {"TrackList", IDD_TRACKLIST_PAGE, IDI_TRACKLIST_PAGE, EditTrackListProc},
  };
  PageState states[3] = {};
  PROPSHEETPAGEA pages[3] = {};
  for (int i = 0; i < 3; ++i) {
    states[i].info = info;
    pages[i].dwSize = sizeof pages[i];
    pages[i].dwFlags = PSP_USETITLE | PSP_USEICONID;
    pages[i].hInstance = instance;
    pages[i].pszTemplate = MAKEINTRESOURCEA(kinds[i].templateId);
    pages[i].pszIcon = MAKEINTRESOURCEA(kinds[i].icon);
    pages[i].pszTitle = kinds[i].title;
    pages[i].pfnDlgProc = kinds[i].procedure;
    pages[i].lParam = reinterpret_cast<LPARAM>(&states[i]);
  }
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USEICONID;
  header.hwndParent = mainWindow;
  header.hInstance = instance;
  header.pszIcon = MAKEINTRESOURCEA(IDI_PLAYER);
  header.pszCaption = "CD Audio Disc Properties";
  header.nPages = 3;
  header.nStartPage = 0;
  header.ppsp = pages;
  PropertySheetA(&header);
  int changed = propertiesChanged;
  propertiesChanged = 0;  // each showing reports only its own changes
  return changed;
}

PageState* PageStateOf(HWND page, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* description = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
    SetWindowLongPtrA(page, DWLP_USER, description->lParam);
  }
  return reinterpret_cast<PageState*>(GetWindowLongPtrA(page, DWLP_USER));
}

void MarkPageUnchanged(HWND page, PageState* state) {
  state->pending = 0;
  SendMessageA(GetParent(page), PSM_UNCHANGED, reinterpret_cast<WPARAM>(page), 0);
}

void MarkPageChanged(HWND page, PageState* state) {
  SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
  state->pending = 1;
}

void SavePageRecord(HWND page, PageState* state) {
  SaveDiscEntry(appInstance, state->info);
  TellSaveFailures(GetParent(page));
  state->pending = 0;
  propertiesChanged = 1;
}

void ReadTitle(HWND dialog, int id, char* title) { GetDlgItemTextA(dialog, id, title, kTitleSize); }
