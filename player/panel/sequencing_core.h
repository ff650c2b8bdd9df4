// The front panel's position rules, free of the platform: where a skip goes,
// what follows the end of a track.
#pragma once

#include <cstdint>

// The previous play-order position; from the first (or none) the last.
int ReverseSkipTarget(int current, int count);
// The next play-order position; after the last (or none) the first.
int ForwardSkipTarget(int current, int count);

// A play-order position and its track number packed in one value: the
// position in the high 16 bits, the track's number in the low 16 bits.
uint32_t PackOrderEntry(int position, int32_t trackNumber);
inline int OrderEntryPosition(uint32_t entry) { return static_cast<int>(entry >> 16); }
inline int OrderEntryTrack(uint32_t entry) { return static_cast<int>(entry & 0xFFFF); }

// What the end of a track leads to.
enum TrackEndAction {
  kReplayTrack,    // Repeat Track: the same entry again
  kPlayNext,       // go on with the next entry
  kRestAtStart,    // No Repeat after the last entry: stopped at the first
};
// The rule for a repeat mode, given the position the next entry would be at
// (0 after the last). Modes other than 1 and 2 act as No Repeat.
TrackEndAction TrackEndRule(int repeatMode, int nextPosition);
