// The program settings: window position, view and stay-on-top, kept in
// "kovel.ini" in the Windows directory.
#pragma once

#include <cstdint>
#include <string>

struct PlayerSettings {
  int32_t switchView;  // 1 while the main window is re-created in the other view
  int32_t templateId;  // 101 expanded view, 122 minimized view
  int32_t xPosn;
  int32_t yPosn;
  int32_t stayOnTop;   // 1 = topmost
};

enum { kExpandedTemplate = 101, kMinimizedTemplate = 122 };
