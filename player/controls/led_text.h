// What an LED display shows: a pure function of its record.
#pragma once

#include <cstddef>

#include "player/controls/position_record.h"

enum { kLedTextSize = 32 };  // room for any record's text

// The tenths digit shown after the point for a frame count (75 frames a
// second): frames counted in tens, rounded half up, 10 wrapping to 0.
int FrameDigit(int frames);

// The text of the display: the track ("07", "12") for the track display,
// "00:mm:ss.t" for the time display. Writes at most size bytes.
void FormatLedText(const PositionRecord* record, char* text, size_t size);
