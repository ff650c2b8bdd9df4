#include "player/controls/led_text.h"

#include <cstdio>

namespace {

// Two digits below 10 ("07"), the plain number otherwise ("12", "100").
void TwoDigits(int value, char (&out)[8]) {
  std::snprintf(out, sizeof out, value < 10 ? "0%d" : "%d", value);
}

}  // namespace

int FrameDigit(int frames) {
  if (frames < 10) return 0;
  int digit = frames / 10 + (frames % 10 >= 5 ? 1 : 0);
  return digit == 10 ? 0 : digit;
}

void FormatLedText(const PositionRecord* record, char* text, size_t size) {
  if (size == 0) return;
  char minutes[8], seconds[8], track[8];
  if (record->kind != kTrackDisplay) {
    TwoDigits(record->minutes, minutes);
    TwoDigits(record->seconds, seconds);
    std::snprintf(text, size, "%s:%s:%s.%d", "00", minutes, seconds,
                  FrameDigit(record->frames));
  } else {
    TwoDigits(record->track, track);
    std::snprintf(text, size, "%s", track);
  }
}
