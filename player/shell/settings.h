// The program settings: window position, view and stay-on-top, and the
// options (time display, intro play, drive, where the catalogue is), kept
// in "kovel.ini" in the Windows directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct PlayerSettings {
  int32_t switchView;  // 1 while the main window is re-created in the other view
  int32_t templateId;  // 101 expanded view, 122 minimized view
  int32_t xPosn;
  int32_t yPosn;
  int32_t stayOnTop;   // 1 = topmost
  int32_t timeDisplay;   // 0 track time elapsed, 1 track time left, 2 disc time left
  int32_t introPlay;     // 1 = each entry plays only its first introSeconds
  int32_t introSeconds;  // 5 to 30
  char drive[4];         // the CD drive in use ("E:"), empty for the first
  char catalogue[260];   // the catalogue's full path, empty for the Windows directory
};

enum {
  kExpandedTemplate = 101,
  kMinimizedTemplate = 122,
  kTimeDisplayModes = 3,
  kDefaultIntroSeconds = 10,
  kMinIntroSeconds = 5,
  kMaxIntroSeconds = 30,
};

// Key names of the settings file, as the string table gives them.
struct SettingsNames {
  char section[40];
  char xPosn[40];
  char yPosn[40];
  char templateId[40];
  char stayOnTop[40];
  char options[40];
  char timeDisplay[40];
  char introPlay[40];
  char introSeconds[40];
  char drive[40];
  char catalogue[40];
};

// A stored number: leading white space, an optional sign, then decimal
// digits up to the first other character; no digits give 0.
int32_t SettingsNumber(const char* text);

// Bytes stored as hex digits: exactly 2 * size digits of either case give
// them; anything else gives 0, and bytes are left as they were.
int SettingsHexBytes(const char* text, unsigned char* bytes, size_t size);

// The letter of a stored drive: "E:" (any case) gives 'E'; anything else 0.
char DriveLetter(const char* text);

// A stored catalogue path: the full path of a file (on a drive,
// C:\Music\tunedeck.ini, or a share, \\server\music\tunedeck.ini) that
// fits in size is copied into out; anything else gives "" (the Windows
// directory).
void CatalogueSetting(const char* text, char* out, size_t size);

// Fills the record from the settings text; defaults for what is missing, and
// for a template other than 101 or 122, an option out of its range, a
// drive that is not a letter and a colon, or a catalogue that is not a full
// path.
void ReadSettings(const std::string& text, const SettingsNames* names, PlayerSettings* settings);
// Writes the window's four fields in order, then the four options; the
// options section only once it exists or an option differs from its
// default, so a player left at its defaults writes the file it always did.
// The catalogue's place is only ever set by the user, and never written.
// Returns 1 when the text changed.
int WriteSettings(std::string* text, const SettingsNames* names, const PlayerSettings* settings);
