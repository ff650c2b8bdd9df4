// The helpers that paint disc data into the front panel's controls.
#include "player/panel/panel.h"

#include <initializer_list>

#include <cstdio>
#include <cstring>

#include "player/controls/position_record.h"
#include "player/device/cd_device.h"
#include "resources/player/resource.h"

const RepeatChoice repeatChoices[] = {
    {0, 0, "No Repeat"},
    {1, 1, "Repeat Track"},
    {2, 2, "Repeat All"},
    {255, 0, ""},
};

TrackEntry* OrderItem(HWND orderList, LRESULT position) {
  LRESULT data = SendMessageA(orderList, CB_GETITEMDATA, static_cast<WPARAM>(position), 0);
  return data == CB_ERR ? nullptr : reinterpret_cast<TrackEntry*>(data);
}

void ShowButtonImage(HWND window, int id, const char* image) {
  HWND button = GetDlgItem(window, id);
  SetWindowTextA(button, image);
  InvalidateRect(button, nullptr, FALSE);
  SendMessageA(button, WM_PAINT, 0, 0);
}

void EnableControl(HWND window, int id, int enable) { EnableWindow(GetDlgItem(window, id), enable); }

void FillDiscControls(HWND window, HWND orderList, HWND shuffleBox, HWND repeatList, UINT device,
                      const DiscInfo* info) {
  SetWindowTextA(window, info->artist);
  SetDlgItemTextA(window, IDC_DISC_TITLE, info->title);

  const int32_t* order = info->shuffle == 1 && info->shuffleOrder ? info->shuffleOrder : info->playList;
  SendMessageA(orderList, CB_RESETCONTENT, 0, 0);
  for (int k = 0; order && k < info->playCount; ++k) {
    if (order[k] < 1 || order[k] > info->trackCount) continue;
    TrackEntry* entry = &info->tracks[order[k] - 1];
    char length[20] = "", text[kTitleSize + sizeof length];
    if (!CDTrackLengthText(window, device, entry->number, length)) length[0] = '\0';
    snprintf(text, sizeof text, "%.79s%s", entry->title, length);
    LRESULT item = SendMessageA(orderList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(orderList, CB_SETITEMDATA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(entry));
  }

  SendMessageA(repeatList, CB_RESETCONTENT, 0, 0);
  for (const RepeatChoice* choice = repeatChoices; choice->index != 255; ++choice) {
    LRESULT item = SendMessageA(repeatList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice->text));
    SendMessageA(repeatList, CB_SETITEMDATA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(choice));
    if (choice->mode == info->repeatMode) SendMessageA(repeatList, CB_SETCURSEL, choice->index, 0);
  }
  SendMessageA(shuffleBox, BM_SETCHECK, info->shuffle == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetDiscControlsEnabled(HWND window, int enable) {
  SendDlgItemMessageA(window, IDC_ORDER_LIST, CB_RESETCONTENT, 0, 0);
  if (!enable) {
    SetWindowTextA(window, "Corvane CD Player - No Disc");
    SetDlgItemTextA(window, IDC_DISC_TITLE, "No Disc Or Data Disk");
    SendDlgItemMessageA(window, IDC_REPEAT, CB_SETCURSEL, 0, 0);
    CheckDlgButton(window, IDC_SHUFFLE, BST_UNCHECKED);
  }
  for (int id : {IDC_SHUFFLE, IDC_REPEAT, IDC_ORDER_LIST, IDC_PROPERTIES, IDC_VIEW})
    EnableControl(window, id, enable);
}

void ResetStatusDisplay(HWND display, int track, int minutes, int seconds, int frames, int kind) {
  auto* record = reinterpret_cast<PositionRecord*>(GetWindowLongPtrA(display, 0));
  if (!record) return;
  record->track = static_cast<uint8_t>(track);
  record->minutes = static_cast<uint8_t>(minutes);
  record->seconds = static_cast<uint8_t>(seconds);
  record->frames = static_cast<uint8_t>(frames);
  record->kind = static_cast<uint8_t>(kind);
  // A blanked display forgets the disc's lengths: the next disc is another.
  memset(record->lengths, 0, sizeof record->lengths);
  memset(record->asked, 0, sizeof record->asked);
  RECT text;
  GetClientRect(display, &text);
  InflateRect(&text, -3, -3);
  InvalidateRect(display, &text, FALSE);
  SendMessageA(display, WM_PAINT, 0, 0);
}
