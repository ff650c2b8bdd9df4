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

// Key names of the settings file, as the string table gives them.
struct SettingsNames {
  char section[40];
  char xPosn[40];
  char yPosn[40];
  char templateId[40];
  char stayOnTop[40];
};

// A stored number: leading white space, an optional sign, then decimal
// digits up to the first other character; no digits give 0.
int32_t SettingsNumber(const char* text);

// Fills the record from the settings text; defaults for what is missing, and
// a template other than 101 or 122 reads as 101.
void ReadSettings(const std::string& text, const SettingsNames* names, PlayerSettings* settings);
// Writes the four stored fields in order; returns 1 when the text changed.
int WriteSettings(std::string* text, const SettingsNames* names, const PlayerSettings* settings);
