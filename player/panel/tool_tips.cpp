// The front panel's tool tips: the common controls' tool tip window of
// Windows 95, one tool per button and display, its text a string of the
// program that the tool tip loads itself.
#include "player/panel/panel.h"

#include <commctrl.h>

#include "player/shell/player_state.h"
#include "resources/player/resource.h"

namespace {

// The tool tip window of the main window. It has no owner: Wine does not
// make a window topmost (Stay On Top) above a topmost window it owns.
HWND toolTips;

}  // namespace

void AddToolTips(HWND window) {
  RemoveToolTips();
  toolTips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, appInstance, nullptr);
  if (!toolTips) return;
  const struct {
    int control;
    int text;
  } tools[] = {
      {IDC_PAUSE, IDS_TIP_PAUSE},
      {IDC_PLAY, IDS_TIP_PLAY},
      {IDC_STOP, IDS_TIP_STOP},
      {IDC_REVERSE_SKIP, IDS_TIP_PREVIOUS},
      {IDC_FORWARD_SKIP, IDS_TIP_NEXT},
      {IDC_EJECT, IDS_TIP_EJECT},
      {IDC_VIEW,
       playerSettings.templateId == kMinimizedTemplate ? IDS_TIP_EXPANDED_VIEW : IDS_TIP_MINIMIZED_VIEW},
      {IDC_PROPERTIES, IDS_TIP_DISC_INFO},
      {IDC_TRACK_DISPLAY, IDS_TIP_TRACK},
      {IDC_TIME_DISPLAY, IDS_TIP_TIME},
  };
  for (const auto& tool : tools) {
    // The tool information as Windows 95's common controls know it.
    TOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, tool.control));
    info.hinst = appInstance;
    info.lpszText = MAKEINTRESOURCEA(tool.text);
    SendMessageA(toolTips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }
}

void RemoveToolTips() {
  if (toolTips) DestroyWindow(toolTips);
  toolTips = nullptr;
}
