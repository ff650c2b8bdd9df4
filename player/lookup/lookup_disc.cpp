// The look-up's side of the platform: the table of contents from the
// device, the settings file, and an entry's texts in the disc's record.
#include "player/lookup/lookup.h"

#include <mmsystem.h>

#include <cstring>

#include "common/profile/profile.h"
#include "player/catalogue/catalogue_core.h"
#include "resources/player/resource.h"

// Windows 2000 and later; the published value.
#ifndef WC_NO_BEST_FIT_CHARS
#define WC_NO_BEST_FIT_CHARS 0x00000400
#endif

namespace {

bool Status(MCIDEVICEID id, DWORD flags, DWORD item, DWORD track, DWORD* value) {
  MCI_STATUS_PARMS status = {};
  status.dwItem = item;
  status.dwTrack = track;
  if (mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | flags, reinterpret_cast<DWORD_PTR>(&status)) != 0)
    return false;
  *value = static_cast<DWORD>(status.dwReturn);
  return true;
}

}  // namespace

int ReadLookupToc(UINT deviceId, LookupToc* toc) {
  MCIDEVICEID id = LOWORD(deviceId);
  DWORD count = 0, start = 0, length = 0;
  if (id == 0 || !Status(id, 0, MCI_STATUS_NUMBER_OF_TRACKS, 0, &count) || count < 1 ||
      count > kLookupMaxTracks)
    return 0;
  MCI_SET_PARMS set = {};
  set.dwTimeFormat = MCI_FORMAT_MSF;
  if (mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set)) != 0)
    return 0;
  for (DWORD t = 1; t <= count; ++t) {
    if (!Status(id, MCI_TRACK, MCI_STATUS_POSITION, t, &start)) return 0;
    toc->offsets[t - 1] = FramesFromMsf(start);
  }
  if (!Status(id, 0, MCI_STATUS_LENGTH, 0, &length)) return 0;
  // The platform's cdaudio device reports a disc one frame short of its
  // lead-out, as the CD database's notes for clients say.
  toc->leadOut = toc->offsets[0] + FramesFromMsf(length) + 1;
  toc->trackCount = static_cast<int>(count);
  return 1;
}

void LoadLookupSettings(HINSTANCE instance, LookupSettings* settings) {
  char file[13], path[MAX_PATH];
  ProfileFile settingsFile = {};
  LoadStringA(instance, IDS_SETTINGS_FILE, file, sizeof file);
  // A file that is there but cannot be read is not rewritten: the window
  // settings in it would be lost.
  if (ProfileResolvePath(file, path, sizeof path) && ProfileReadFile(path, &settingsFile) &&
      AddLookupDefaults(&settingsFile.text))
    ProfileWriteFile(path, &settingsFile);
  ReadLookupSettings(settingsFile.text, settings);
}

void AnsiFromUtf8(const char* text, char* out, size_t size) {
  if (size == 0) return;
  static_assert(sizeof(WCHAR) == sizeof(uint16_t), "UTF-16 code units");
  WCHAR wide[kLookupTextSize];
  Utf8ToUtf16(text, reinterpret_cast<uint16_t*>(wide), kLookupTextSize);
  char ansi[kLookupTextSize * 2];
  // Without the flag the platform would pick look-alike characters; systems
  // before Windows 2000 refuse it and give "?" for what they lack anyway.
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, ansi, sizeof ansi, "?", nullptr);
  if (n == 0 && GetLastError() == ERROR_INVALID_FLAGS)
    n = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, "?", nullptr);
  if (n == 0) ansi[0] = '\0';
  size_t length = 0;
  while (ansi[length]) {
    size_t step = IsDBCSLeadByte(static_cast<BYTE>(ansi[length])) && ansi[length + 1] ? 2 : 1;
    if (length + step > size - 1) break;
    length += step;
  }
  memcpy(out, ansi, length);
  out[length] = '\0';
}

void ApplyLookupEntry(const LookupEntry* entry, DiscInfo* info) {
  if (entry->artist[0]) AnsiFromUtf8(entry->artist, info->artist, sizeof info->artist);
  if (entry->title[0]) AnsiFromUtf8(entry->title, info->title, sizeof info->title);
  for (int t = 0; t < entry->trackCount && t < info->trackCount; ++t)
    if (entry->tracks[t][0])
      AnsiFromUtf8(entry->tracks[t], info->tracks[t].title, sizeof info->tracks[t].title);
}
