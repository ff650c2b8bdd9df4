// What an LED display shows: a pure function of its record.
#pragma once

#include <cstddef>

#include "player/controls/position_record.h"

enum { kLedTextSize = 32 };  // room for any record's text

// The tenths digit shown after the point for a frame count (75 frames a
// second): frames counted in tens, rounded half up, 10 wrapping to 0.
int FrameDigit(int frames);

// The frames left of the track, or of the disc, from the record's position
// and the lengths it holds (none left where a length is not known).
uint32_t RemainingFrames(const PositionRecord* record);

// The text of the display: the track ("07", "12") for the track display;
// for the time display "00:mm:ss.t" into the track, or the time left of the
// track or the disc in the same layout after a "-" ("-00:03:14.7").
// Writes at most size bytes.
void FormatLedText(const PositionRecord* record, char* text, size_t size);
