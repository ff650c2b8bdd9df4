#include "player/catalogue/catalogue.h"

#include <mmsystem.h>

#include "player/catalogue/cdplayer_import.h"

namespace {

DWORD Status(MCIDEVICEID id, DWORD flags, DWORD item, DWORD track) {
  MCI_STATUS_PARMS status = {};
  status.dwItem = item;
  status.dwTrack = track;
  mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | flags, reinterpret_cast<DWORD_PTR>(&status));
  return static_cast<DWORD>(status.dwReturn);
}

void SetTimeFormat(MCIDEVICEID id, DWORD format) {
  MCI_SET_PARMS set = {};
  set.dwTimeFormat = format;
  mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));
}

}  // namespace

uint32_t ComputeDiscId(UINT deviceId, int32_t* trackCount) {
  MCIDEVICEID id = LOWORD(deviceId);
  if (id == 0) return 0;
  int32_t count = static_cast<int32_t>(Status(id, 0, MCI_STATUS_NUMBER_OF_TRACKS, 0));
  *trackCount = count;
  SetTimeFormat(id, MCI_FORMAT_MSF);
  uint32_t length = Status(id, 0, MCI_STATUS_LENGTH, 0);
  // A disc holds at most 99 tracks; the device is asked for no more.
  uint32_t starts[kMaxDiscTracks];
  int tocTracks = count < 0 ? 0 : count > kMaxDiscTracks ? kMaxDiscTracks : count;
  for (int t = 1; t <= tocTracks; ++t) starts[t - 1] = Status(id, MCI_TRACK, MCI_STATUS_POSITION, static_cast<DWORD>(t));
  return DiscIdFromToc(tocTracks, starts, length);
}

uint32_t ComputeCdPlayerDiscId(UINT deviceId, const DiscInfo* info) {
  MCIDEVICEID id = LOWORD(deviceId);
  int32_t count = info->trackCount;
  if (count >= 3 || count < 1 || id == 0) return info->discId;
  uint32_t starts[2];
  SetTimeFormat(id, MCI_FORMAT_MSF);
  for (int32_t t = 1; t <= count; ++t)
    starts[t - 1] = Status(id, MCI_TRACK, MCI_STATUS_POSITION, static_cast<DWORD>(t));
  SetTimeFormat(id, MCI_FORMAT_MILLISECONDS);
  return CdPlayerDiscId(count, starts, Status(id, 0, MCI_STATUS_LENGTH, 0));
}
