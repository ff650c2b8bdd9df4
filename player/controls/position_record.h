// The record each LED status display keeps in its extra window memory, and
// how a polled position changes it.
#pragma once

#include <cstdint>

enum { kTrackDisplay = 0, kTimeDisplay = 1 };

// What the time display shows: the time into the track, the time left of
// the track, or the time left of the disc.
enum { kTrackElapsed = 0, kTrackRemaining = 1, kDiscRemaining = 2 };

// Slot 0 of the lengths is the disc's, slot t track t's.
enum { kLengthSlots = 100 };

// The change bits of a poll.
enum {
  kPositionTimeChanged = 1,   // minutes, seconds or frames moved
  kPositionTrackChanged = 2,  // the current track changed
};

struct PositionRecord {
  void* memory;       // the global memory block holding this record
  uint16_t deviceId;  // the open cdaudio device; 0 while none is known
  uint8_t track;
  uint8_t minutes;
  uint8_t seconds;
  uint8_t frames;     // 0 to 74
  uint8_t kind;       // kTrackDisplay or kTimeDisplay
  uint8_t mode;       // the time display's kTrackElapsed, kTrackRemaining or kDiscRemaining
  // The lengths the times left are counted from, in frames, each asked of
  // the device once (asked 1) while the display shows this disc: a failed
  // question is not asked again at every tick.
  uint32_t lengths[kLengthSlots];
  uint8_t asked[kLengthSlots];
};

// Compares a polled position with the record, stores it, and returns the
// change bits. The position's own track byte is not used: track is the
// device's current track.
int UpdatePositionRecord(PositionRecord* record, int track, uint32_t positionTmsf);
