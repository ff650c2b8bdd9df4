// A table of contents for the look-up's tests, from its track starts and
// lead-out in frames.
#pragma once

#include <vector>

#include "player/lookup/lookup_core.h"

inline LookupToc Toc(std::vector<uint32_t> offsets, uint32_t leadOut) {
  LookupToc toc = {};
  toc.trackCount = static_cast<int>(offsets.size());
  for (size_t i = 0; i < offsets.size(); ++i) toc.offsets[i] = offsets[i];
  toc.leadOut = leadOut;
  return toc;
}
