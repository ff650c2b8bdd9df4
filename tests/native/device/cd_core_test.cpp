#include "player/device/cd_core.h"

#include <gtest/gtest.h>

namespace {

uint32_t Msf(uint32_t m, uint32_t s, uint32_t f) { return m | s << 8 | f << 16; }
uint32_t Tmsf(uint32_t t, uint32_t m, uint32_t s, uint32_t f) { return t | m << 8 | s << 16 | f << 24; }

TEST(TrackLengthText, MinutesAndTwoDigitSecondsWithLeadingBlank) {
  char text[20];
  FormatTrackLengthText(Msf(5, 7, 0), text, sizeof text);
  EXPECT_STREQ(" (5:07)", text);
  FormatTrackLengthText(Msf(12, 30, 74), text, sizeof text);
  EXPECT_STREQ(" (12:30)", text);
  FormatTrackLengthText(Msf(0, 9, 40), text, sizeof text);
  EXPECT_STREQ(" (0:09)", text);
  FormatTrackLengthText(Msf(255, 59, 0), text, sizeof text);
  EXPECT_STREQ(" (255:59)", text);
}

TEST(TrackPositions, SeekGoesToFrameFiftyAndPlayEndDropsTheFrames) {
  EXPECT_EQ(Tmsf(4, 0, 0, 50), TrackSeekPosition(4));
  EXPECT_EQ(Tmsf(99, 0, 0, 50), TrackSeekPosition(99));
  EXPECT_EQ(Tmsf(2, 4, 20, 0), TrackPlayEnd(2, Msf(4, 20, 25)));
}

TEST(TrackPositions, AnIntroEndsItsSecondsIntoTheTrackUnlessTheTrackIsShorter) {
  EXPECT_EQ(Tmsf(3, 0, 10, 0), TrackIntroEnd(3, Msf(4, 20, 25), 10));
  EXPECT_EQ(Tmsf(3, 0, 30, 0), TrackIntroEnd(3, Msf(0, 30, 74), 30));
  // No longer than the intro: the whole track, in whole seconds.
  EXPECT_EQ(Tmsf(4, 0, 30, 0), TrackIntroEnd(4, Msf(0, 30, 0), 30));
  EXPECT_EQ(Tmsf(5, 0, 7, 0), TrackIntroEnd(5, Msf(0, 7, 60), 10));
}

TEST(DiscTime, FramesAndMinutesSecondsFramesConvertBothWays) {
  const struct {
    uint32_t frames, msf;
  } rows[] = {{0, Msf(0, 0, 0)},       {74, Msf(0, 0, 74)},       {75, Msf(0, 1, 0)},
              {4499, Msf(0, 59, 74)},  {4500, Msf(1, 0, 0)},      {150, Msf(0, 2, 0)},
              {449999, Msf(99, 59, 74)}, {255u * 4500 + 59 * 75 + 74, Msf(255, 59, 74)}};
  for (const auto& row : rows) {
    EXPECT_EQ(row.msf, MsfFromFrames(row.frames)) << row.frames;
    EXPECT_EQ(row.frames, FramesFromMsf(row.msf)) << row.frames;
  }
}

}  // namespace
