#include "player/panel/sequencing_core.h"

int ReverseSkipTarget(int current, int count) { return current > 0 ? current - 1 : count - 1; }

int ForwardSkipTarget(int current, int count) {
  return current + 1 < count && current >= -1 ? current + 1 : 0;
}

uint32_t PackOrderEntry(int position, int32_t trackNumber) {
  return static_cast<uint32_t>(position) << 16 | (static_cast<uint32_t>(trackNumber) & 0xFFFF);
}

TrackEndAction TrackEndRule(int repeatMode, int nextPosition) {
  if (repeatMode == 1) return kReplayTrack;
  if (repeatMode == 2 || nextPosition != 0) return kPlayNext;
  return kRestAtStart;
}
