#include "player/controls/led_text.h"

#include <cstdio>

#include "player/device/cd_core.h"

namespace {

// Two digits below 10 ("07"), the plain number otherwise ("12", "100").
void TwoDigits(unsigned value, char (&out)[12]) {
  std::snprintf(out, sizeof out, value < 10 ? "0%u" : "%u", value);
}

}  // namespace

int FrameDigit(int frames) {
  if (frames < 10) return 0;
  int digit = frames / 10 + (frames % 10 >= 5 ? 1 : 0);
  return digit == 10 ? 0 : digit;
}

uint32_t RemainingFrames(const PositionRecord* record) {
  const int track = record->track;
  if (track < 1 || track >= kLengthSlots) return 0;
  uint32_t end = record->lengths[track];
  if (record->mode == kDiscRemaining) {
    // The track starts where the tracks before it end.
    end = record->lengths[0];
    for (int t = 1; t < track; ++t) end = end > record->lengths[t] ? end - record->lengths[t] : 0;
  }
  const uint32_t elapsed = (record->minutes * 60u + record->seconds) * kFramesPerSecond + record->frames;
  return end > elapsed ? end - elapsed : 0;
}

void FormatLedText(const PositionRecord* record, char* text, size_t size) {
  if (size == 0) return;
  char minutes[12], seconds[12], track[12];
  if (record->kind == kTrackDisplay) {
    TwoDigits(record->track, track);
    std::snprintf(text, size, "%s", track);
    return;
  }
  if (record->mode != kTrackRemaining && record->mode != kDiscRemaining) {
    TwoDigits(record->minutes, minutes);
    TwoDigits(record->seconds, seconds);
    std::snprintf(text, size, "%s:%s:%s.%d", "00", minutes, seconds, FrameDigit(record->frames));
    return;
  }
  const uint32_t left = RemainingFrames(record);
  TwoDigits(left / (60 * kFramesPerSecond), minutes);
  TwoDigits(left / kFramesPerSecond % 60, seconds);
  std::snprintf(text, size, "-%s:%s:%s.%d", "00", minutes, seconds,
                FrameDigit(static_cast<int>(left % kFramesPerSecond)));
}
