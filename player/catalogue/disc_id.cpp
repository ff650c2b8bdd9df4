#include "player/catalogue/catalogue.h"

#include "player/catalogue/cdplayer_import.h"
#include "player/device/cd_device.h"

uint32_t ComputeDiscId(UINT deviceId, int32_t* trackCount) {
  if (LOWORD(deviceId) == 0) return 0;
  DiscToc toc;
  // A table read only in part would give an identity of some other disc,
  // whose titles would then be shown and overwritten: no table, no tracks.
  if (!CDReadTableOfContents(deviceId, &toc)) {
    *trackCount = 0;
    return 0;
  }
  *trackCount = toc.trackCount;
  return DiscIdOfToc(&toc);
}

int ComputeCdPlayerDiscId(UINT deviceId, const DiscInfo* info, uint32_t* cdPlayerId) {
  if (info->trackCount >= 3) {
    *cdPlayerId = info->discId;
    return 1;
  }
  // That player took the length in milliseconds from the device; the
  // device's own rounding of it is part of the identity, so it is asked.
  DiscToc toc;
  DWORD lengthMs = 0;
  if (info->trackCount < 1 || !CDReadTableOfContents(deviceId, &toc) || toc.trackCount != info->trackCount ||
      !CDDiscLengthMs(deviceId, &lengthMs))
    return 0;
  *cdPlayerId = CdPlayerDiscIdOfToc(&toc, lengthMs);
  return 1;
}
