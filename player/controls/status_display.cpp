// CDStatusClass: an LED readout of the current track or of the position
// inside it (or of the time left), in bright green "Corvane Digital" on
// black inside a sunken bevel. Each display polls the drive itself every
// 100 ms and repaints its text only when the part of the position it shows
// has changed. A click is passed to the owner as WM_COMMAND with the
// display's id.
#include <windows.h>

#include <cstdlib>

#include "player/controls/controls.h"
#include "player/controls/led_text.h"
#include "player/device/cd_device.h"
#include "player/shell/player_state.h"

namespace {

const UINT_PTR kPollTimer = 1;
const UINT kPollPeriod = 100;
const char kLedFace[] = "Corvane Digital";
const int kBevel = 3;

PositionRecord* RecordOf(HWND window) {
  return reinterpret_cast<PositionRecord*>(GetWindowLongPtrA(window, 0));
}

// After a device call that may have shown an error box: whether the
// display, and so its record, still exists.
bool StillThere(HWND window, const PositionRecord* record) {
  return IsWindow(window) && RecordOf(window) == record;
}

// Invalidates the text area without erasing and paints it now; the bevel
// is left alone and the opaque text cell covers the old characters.
void RepaintText(HWND window) {
  RECT text = {};
  GetClientRect(window, &text);
  InflateRect(&text, -kBevel, -kBevel);
  InvalidateRect(window, &text, FALSE);
  SendMessageA(window, WM_PAINT, 0, 0);
}

// The record lives in movable global memory, locked for the window's life.
// A display whose record cannot be had is not created.
LRESULT OnCreate(HWND window) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(PositionRecord));
  PositionRecord* record = memory ? static_cast<PositionRecord*>(GlobalLock(memory)) : nullptr;
  if (!record) {
    if (memory) GlobalFree(memory);
    return -1;
  }
  record->memory = memory;
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(record));
  char text[20] = "";
  GetWindowTextA(window, text, sizeof text);
  record->kind = static_cast<uint8_t>(std::atoi(text));
  record->deviceId = deviceId;
  const int mode = playerSettings.timeDisplay;
  record->mode = static_cast<uint8_t>(mode >= 0 && mode < kTimeDisplayModes ? mode : kTrackElapsed);
  SetTimer(window, kPollTimer, kPollPeriod, nullptr);
  return 0;
}

void OnDestroy(HWND window) {
  KillTimer(window, kPollTimer);
  PositionRecord* record = RecordOf(window);
  if (!record) return;
  SetWindowLongPtrA(window, 0, 0);
  HGLOBAL memory = record->memory;
  GlobalUnlock(memory);
  GlobalFree(memory);
}

// The lengths a time left is counted from that are not known yet: the
// current track's and, for the disc's time left, the disc's and those of the
// tracks before. Each is asked once; nothing is asked for the time into the
// track. Returns whether the display still exists after the questions
// (whose failures show error boxes).
bool AskLengths(HWND window, PositionRecord* record) {
  if (record->kind != kTimeDisplay || record->track < 1 || record->track >= kLengthSlots) return true;
  int first = record->track;
  if (record->mode == kDiscRemaining)
    first = 0;
  else if (record->mode != kTrackRemaining)
    return true;
  for (int slot = first; slot <= record->track; ++slot) {
    if (record->asked[slot]) continue;
    record->asked[slot] = 1;
    DWORD length = 0;
    const int known = slot == 0 ? CDDiscLength(window, record->deviceId, &length)
                                : CDTrackLength(window, record->deviceId, slot, &length);
    if (!StillThere(window, record)) return false;
    if (known) record->lengths[slot] = FramesFromMsf(length);
  }
  return true;
}

// One poll. The timer is stopped for its length, so each display shows at
// most one error box at a time, and started again at the end whatever
// happened.
void Tick(HWND window) {
  KillTimer(window, kPollTimer);
  PositionRecord* record = RecordOf(window);
  if (record && CDMediaPresent(window, record->deviceId) == 1 &&
      CDIsReady(window, record->deviceId) == 1 && StillThere(window, record)) {
    int track = 0;
    DWORD position = 0;
    const int polled = CDPollPosition(window, record->deviceId, &track, &position);
    if (!StillThere(window, record)) return;
    const int changes = polled ? UpdatePositionRecord(record, track, position) : 0;
    if ((changes & kPositionTimeChanged) && record->kind == kTimeDisplay) {
      // Paused or stopped, the digit after the point shows 0.
      const int playing = CDIsPlaying(window, record->deviceId);
      if (!StillThere(window, record)) return;
      if (playing == 0) record->frames = 0;
      if (!AskLengths(window, record)) return;
      RepaintText(window);
    }
    if ((changes & kPositionTrackChanged) && record->kind == kTrackDisplay) RepaintText(window);
  }
  if (IsWindow(window)) SetTimer(window, kPollTimer, kPollPeriod, nullptr);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// Three pixels dark on the top and left, light on the bottom and right:
// the readout looks sunk into the panel.
void PaintBevel(HDC dc, int w, int h) {
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HPEN highlight = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HGDIOBJ old = SelectObject(dc, shadow);
  Line(dc, 0, 0, w, 0);
  Line(dc, 0, 1, w - 1, 1);
  Line(dc, 0, 2, w - 2, 2);
  Line(dc, 0, 0, 0, h);
  Line(dc, 1, 1, 1, h - 1);
  Line(dc, 2, 1, 2, h - 2);
  SelectObject(dc, highlight);
  Line(dc, 1, h - 1, w, h - 1);
  Line(dc, 2, h - 2, w - 1, h - 2);
  Line(dc, 3, h - 3, w - 2, h - 3);
  Line(dc, w - 1, h - 1, w - 1, 0);
  Line(dc, w - 2, h - 2, w - 2, 1);
  Line(dc, w - 3, h - 3, w - 3, 2);
  SelectObject(dc, old);
  DeleteObject(highlight);
  DeleteObject(shadow);
}

void PaintStatusDisplay(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return;
  RECT client = {};
  GetClientRect(window, &client);
  PaintBevel(dc, client.right, client.bottom);

  const PositionRecord* record = RecordOf(window);
  if (record) {
    // The face at its own size: bitmap fonts are not scaled.
    HFONT font = CreateFontA(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FF_MODERN | DEFAULT_PITCH, kLedFace);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const COLORREF oldBack = SetBkColor(dc, RGB(0, 0, 0));
    const COLORREF oldText = SetTextColor(dc, RGB(0, 255, 0));
    RECT area = client;
    InflateRect(&area, -kBevel, -kBevel);
    char text[kLedTextSize];
    FormatLedText(record, text, sizeof text);
    DrawTextA(dc, text, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    if (oldFont) SelectObject(dc, oldFont);
    if (font) DeleteObject(font);
  }
  EndPaint(window, &ps);
}

}  // namespace

void SetStatusDisplayMode(HWND display, int mode) {
  PositionRecord* record = RecordOf(display);
  if (!record) return;
  record->mode = static_cast<uint8_t>(mode);
  if (AskLengths(display, record)) RepaintText(display);
}

LRESULT CALLBACK CDStatusWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (OnCreate(window) != 0) return -1;
      break;
    case WM_TIMER:
      if (wParam == kPollTimer) Tick(window);
      break;
    case WM_PAINT:
      PaintStatusDisplay(window);
      break;
    case WM_LBUTTONDOWN:
      SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), 0),
                   reinterpret_cast<LPARAM>(window));
      break;
    case WM_DESTROY:
      OnDestroy(window);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
