// The record each LED status display keeps in its extra window memory.
#pragma once

#include <cstdint>

enum { kTrackDisplay = 0, kTimeDisplay = 1 };

struct PositionRecord {
  void* memory;       // the global memory block holding this record
  uint16_t deviceId;  // the open cdaudio device; 0 while none is known
  uint8_t track;
  uint8_t minutes;
  uint8_t seconds;
  uint8_t frames;     // 0 to 74
  uint8_t kind;       // kTrackDisplay or kTimeDisplay
};
