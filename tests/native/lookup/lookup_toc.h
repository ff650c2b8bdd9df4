// A table of contents for the look-up's tests, from its track starts and
// lead-out in frames; every track is audio unless data tracks are named by
// their indexes.
#pragma once

#include <vector>

#include "player/device/cd_core.h"

inline DiscToc Toc(std::vector<uint32_t> offsets, uint32_t leadOut, std::vector<int> dataTracks = {}) {
  DiscToc toc = {};
  toc.trackCount = static_cast<int>(offsets.size());
  for (size_t i = 0; i < offsets.size(); ++i) {
    toc.starts[i] = offsets[i];
    toc.audio[i] = 1;
  }
  for (int t : dataTracks) toc.audio[t] = 0;
  toc.leadOut = leadOut;
  return toc;
}
