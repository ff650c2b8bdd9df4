#include "player/lookup/auto_lookup_core.h"

namespace {

// FNV-1a over a text and its terminator.
uint32_t Sum(uint32_t sum, const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text);; ++p) {
    sum = (sum ^ *p) * 16777619u;
    if (!*p) return sum;
  }
}

}  // namespace

int AutoLookupStarts(AutoLookupTried* tried, int automatic, int discIsNew, uint32_t discId, int lookupRunning) {
  if (automatic != 1 || !discIsNew || lookupRunning) return 0;
  for (int i = 0; i < tried->count; ++i)
    if (tried->ids[i] == discId) return 0;
  if (tried->count < kAutoLookupMemory) {
    tried->ids[tried->count++] = discId;
  } else {
    tried->ids[tried->next] = discId;
    tried->next = (tried->next + 1) % kAutoLookupMemory;
  }
  return 1;
}

AutoLookupDisc AutoLookupDiscOf(const DiscInfo* info) {
  uint32_t sum = Sum(Sum(2166136261u, info->artist), info->title);
  for (int32_t t = 0; info->tracks && t < info->trackCount; ++t) sum = Sum(sum, info->tracks[t].title);
  return AutoLookupDisc{info->discId, info->trackCount, sum};
}

int AutoLookupBelongs(const AutoLookupDisc* asked, const DiscInfo* now, int doorOpen) {
  if (doorOpen || !now->tracks) return 0;
  AutoLookupDisc disc = AutoLookupDiscOf(now);
  return disc.discId == asked->discId && disc.trackCount == asked->trackCount && disc.titles == asked->titles;
}

int AutoLookupNext(const LookupSession* s, int userAsked) {
  switch (s->phase) {
    case kPhaseChoosing:
      if (LookupSureMatch(s) >= 0) return kAutoRead;
      return kAutoShow;
    case kPhaseDone: return kAutoApply;
    case kPhaseFailed: return userAsked ? kAutoShow : kAutoDrop;
    default: return kAutoWait;
  }
}
