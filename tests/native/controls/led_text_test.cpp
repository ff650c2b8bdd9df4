#include "player/controls/led_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(uint8_t kind, uint8_t track, uint8_t minutes, uint8_t seconds, uint8_t frames) {
  PositionRecord record = {};
  record.kind = kind;
  record.track = track;
  record.minutes = minutes;
  record.seconds = seconds;
  record.frames = frames;
  char text[kLedTextSize];
  FormatLedText(&record, text, sizeof text);
  return text;
}

TEST(FrameDigit, CountsFramesInTensRoundedHalfUp) {
  // The table of every frame a device reports.
  const struct {
    int from, to, digit;
  } rows[] = {{0, 9, 0},   {10, 14, 1}, {15, 24, 2}, {25, 34, 3},
              {35, 44, 4}, {45, 54, 5}, {55, 64, 6}, {65, 74, 7}};
  for (const auto& row : rows) {
    for (int f = row.from; f <= row.to; ++f) EXPECT_EQ(row.digit, FrameDigit(f)) << f;
  }
  // Beyond a second's frames a result of 10 wraps to 0.
  EXPECT_EQ(9, FrameDigit(94));
  EXPECT_EQ(0, FrameDigit(95));
  EXPECT_EQ(0, FrameDigit(104));
}

TEST(LedText, TrackDisplayShowsTwoDigits) {
  EXPECT_EQ("07", Text(kTrackDisplay, 7, 3, 5, 42));
  EXPECT_EQ("09", Text(kTrackDisplay, 9, 0, 0, 0));
  EXPECT_EQ("10", Text(kTrackDisplay, 10, 0, 0, 0));
  EXPECT_EQ("12", Text(kTrackDisplay, 12, 0, 0, 0));
  EXPECT_EQ("00", Text(kTrackDisplay, 0, 0, 0, 0));
  EXPECT_EQ("100", Text(kTrackDisplay, 100, 0, 0, 0));
}

TEST(LedText, TimeDisplayShowsMinutesSecondsAndTenths) {
  EXPECT_EQ("00:03:05.4", Text(kTimeDisplay, 7, 3, 5, 42));
  EXPECT_EQ("00:00:00.0", Text(kTimeDisplay, 0, 0, 0, 0));
  EXPECT_EQ("00:00:59.0", Text(kTimeDisplay, 1, 0, 59, 9));
  EXPECT_EQ("00:12:10.1", Text(kTimeDisplay, 1, 12, 10, 10));
  EXPECT_EQ("00:00:01.7", Text(kTimeDisplay, 1, 0, 1, 74));
  // Any kind other than 0 is a time display.
  EXPECT_EQ("00:03:05.4", Text(2, 7, 3, 5, 42));
  // The largest values fit.
  EXPECT_EQ("00:255:255.26", Text(kTimeDisplay, 255, 255, 255, 255));
}

uint32_t Frames(uint32_t m, uint32_t s, uint32_t f) { return (m * 60 + s) * 75 + f; }

TEST(LedText, TheTimeLeftOfTheTrackOrTheDiscFollowsADash) {
  PositionRecord record = {};
  record.kind = kTimeDisplay;
  record.track = 2;
  record.minutes = 1;
  record.seconds = 5;
  record.frames = 30;
  char text[kLedTextSize];
  // Nothing known yet: no time left.
  record.mode = kTrackRemaining;
  FormatLedText(&record, text, sizeof text);
  EXPECT_STREQ("-00:00:00.0", text);

  record.lengths[0] = Frames(19, 57, 10);
  record.lengths[1] = Frames(3, 8, 15);
  record.lengths[2] = Frames(4, 20, 25);
  FormatLedText(&record, text, sizeof text);
  EXPECT_STREQ("-00:03:14.7", text);
  record.mode = kDiscRemaining;
  FormatLedText(&record, text, sizeof text);
  EXPECT_STREQ("-00:15:43.4", text);
  record.mode = kTrackElapsed;
  FormatLedText(&record, text, sizeof text);
  EXPECT_STREQ("00:01:05.3", text);

  // Played on past the track's length: none left, never a wrapped number.
  record.mode = kTrackRemaining;
  record.minutes = 4;
  record.seconds = 21;
  FormatLedText(&record, text, sizeof text);
  EXPECT_STREQ("-00:00:00.0", text);
  // A disc over 99 minutes keeps its minutes whole.
  record.mode = kDiscRemaining;
  record.track = 1;
  record.minutes = record.seconds = record.frames = 0;
  record.lengths[0] = Frames(100, 0, 0);
  FormatLedText(&record, text, sizeof text);
  EXPECT_STREQ("-00:100:00.0", text);
}

TEST(LedText, ShortBufferIsCutNotOverrun) {
  PositionRecord record = {};
  record.kind = kTimeDisplay;
  record.minutes = 3;
  char text[5];
  FormatLedText(&record, text, sizeof text);
  EXPECT_STREQ("00:0", text);
}

}  // namespace
