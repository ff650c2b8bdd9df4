#include "player/shell/settings.h"

#include <cstdio>

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
}

int WriteSettings(std::string* text, const SettingsNames* names, const PlayerSettings* settings) {
  char x[16], y[16], view[16], top[16];
  snprintf(x, sizeof x, "%ld", static_cast<long>(settings->xPosn));
  snprintf(y, sizeof y, "%ld", static_cast<long>(settings->yPosn));
  snprintf(view, sizeof view, "%ld", static_cast<long>(settings->templateId));
  snprintf(top, sizeof top, "%ld", static_cast<long>(settings->stayOnTop));
  const ProfileEntry entries[] = {
      {names->xPosn, x}, {names->yPosn, y}, {names->templateId, view}, {names->stayOnTop, top}};
  return ProfileWriteSection(text, names->section, entries, 4);
}
