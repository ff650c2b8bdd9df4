#include "player/shell/settings.h"

#include <cstdio>
#include <cstring>

#include "common/profile/profile.h"

int32_t SettingsNumber(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  int negative = 0;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > INT32_MAX) value = INT32_MAX;  // the text holds at most 19 characters
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int SettingsHexBytes(const char* text, unsigned char* bytes, size_t size) {
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < 2 * size; ++i)
    if (digit(text[i]) < 0) return 0;
  if (text[2 * size] != '\0') return 0;
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(digit(text[2 * i]) << 4 | digit(text[2 * i + 1]));
  return 1;
}

char DriveLetter(const char* text) {
  char letter = text[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  return letter >= 'A' && letter <= 'Z' && text[1] == ':' && text[2] == '\0' ? letter : '\0';
}

void CatalogueSetting(const char* text, char* out, size_t size) {
  const bool drive = ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
                     text[1] == ':' && (text[2] == '\\' || text[2] == '/');
  const bool share = text[0] == '\\' && text[1] == '\\' && text[2] && text[2] != '\\';
  const size_t length = strlen(text);
  const bool file = length > 0 && text[length - 1] != '\\' && text[length - 1] != '/';
  if ((drive || share) && file && length < size)
    memcpy(out, text, length + 1);
  else if (size > 0)
    out[0] = '\0';
}

namespace {

// A stored option: its number when it lies in [low, high], else def.
int32_t Option(const ProfileSection* section, const char* key, int32_t low, int32_t high, int32_t def) {
  char value[20];
  ProfileSectionGetString(section, key, "", value, sizeof value);
  int32_t number = SettingsNumber(value);
  return value[0] && number >= low && number <= high ? number : def;
}

int DefaultOptions(const PlayerSettings* settings) {
  return settings->timeDisplay == 0 && settings->introPlay == 0 &&
         settings->introSeconds == kDefaultIntroSeconds && settings->drive[0] == '\0';
}

}  // namespace

void ReadSettings(const std::string& text, const SettingsNames* names, PlayerSettings* settings) {
  // Each number is read as at most 19 characters, as a 20-character buffer takes.
  char value[20];
  ProfileSection section = ProfileFindSection(text, names->section);
  ProfileSectionGetString(&section, names->xPosn, "0", value, sizeof value);
  settings->xPosn = SettingsNumber(value);
  ProfileSectionGetString(&section, names->yPosn, "0", value, sizeof value);
  settings->yPosn = SettingsNumber(value);
  settings->templateId = ProfileSectionGetInt(&section, names->templateId, kExpandedTemplate);
  if (settings->templateId != kExpandedTemplate && settings->templateId != kMinimizedTemplate)
    settings->templateId = kExpandedTemplate;
  settings->switchView = 0;
  ProfileSectionGetString(&section, names->stayOnTop, "0", value, sizeof value);
  settings->stayOnTop = SettingsNumber(value);

  ProfileSection options = ProfileFindSection(text, names->options);
  settings->timeDisplay = Option(&options, names->timeDisplay, 0, kTimeDisplayModes - 1, 0);
  settings->introPlay = Option(&options, names->introPlay, 0, 1, 0);
  settings->introSeconds =
      Option(&options, names->introSeconds, kMinIntroSeconds, kMaxIntroSeconds, kDefaultIntroSeconds);
  ProfileSectionGetString(&options, names->drive, "", value, sizeof value);
  const char letter = DriveLetter(value);
  const char drive[] = {letter, letter ? ':' : '\0', '\0', '\0'};
  memcpy(settings->drive, drive, sizeof settings->drive);
  // Read whole: a longer path is refused, not cut into another one.
  char catalogue[sizeof settings->catalogue + 1];
  ProfileSectionGetString(&options, names->catalogue, "", catalogue, sizeof catalogue);
  memset(settings->catalogue, 0, sizeof settings->catalogue);
  CatalogueSetting(catalogue, settings->catalogue, sizeof settings->catalogue);
}

int WriteSettings(std::string* text, const SettingsNames* names, const PlayerSettings* settings) {
  char x[16], y[16], view[16], top[16];
  snprintf(x, sizeof x, "%ld", static_cast<long>(settings->xPosn));
  snprintf(y, sizeof y, "%ld", static_cast<long>(settings->yPosn));
  snprintf(view, sizeof view, "%ld", static_cast<long>(settings->templateId));
  snprintf(top, sizeof top, "%ld", static_cast<long>(settings->stayOnTop));
  const ProfileEntry entries[] = {
      {names->xPosn, x}, {names->yPosn, y}, {names->templateId, view}, {names->stayOnTop, top}};
  int changed = ProfileWriteSection(text, names->section, entries, 4);
  if (DefaultOptions(settings) && !ProfileFindSection(*text, names->options).found) return changed;
  char time[16], intro[16], seconds[16];
  snprintf(time, sizeof time, "%ld", static_cast<long>(settings->timeDisplay));
  snprintf(intro, sizeof intro, "%ld", static_cast<long>(settings->introPlay));
  snprintf(seconds, sizeof seconds, "%ld", static_cast<long>(settings->introSeconds));
  const ProfileEntry options[] = {{names->timeDisplay, time},
                                  {names->introPlay, intro},
                                  {names->introSeconds, seconds},
                                  {names->drive, settings->drive}};
  return ProfileWriteSection(text, names->options, options, 4) | changed;
}
