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
  EXPECT_EQ(9u * 4500 + 8 * 75 + 74, FramesFromMsf(Msf(9, 8, 74)));
}

TEST(PositionPoll, ReportsTimeAndTrackChangesAndStoresThePosition) {
  PositionRecord record = {};
  record.kind = kTimeDisplay;
  EXPECT_EQ(kPositionTimeChanged | kPositionTrackChanged,
            UpdatePositionRecord(&record, 2, Tmsf(2, 4, 19, 0)));
  EXPECT_EQ(0, UpdatePositionRecord(&record, 2, Tmsf(2, 4, 19, 0)));
  EXPECT_EQ(kPositionTimeChanged, UpdatePositionRecord(&record, 2, Tmsf(2, 4, 19, 1)));
  // From the last second of track 2 to the start of track 3.
  EXPECT_EQ(3, UpdatePositionRecord(&record, 3, Tmsf(3, 0, 0, 0)));
  EXPECT_EQ(3, record.track);
  EXPECT_EQ(0, record.minutes + record.seconds + record.frames);
  EXPECT_EQ(kTimeDisplay, record.kind);
}

TEST(PositionPoll, UsesTheCurrentTrackNotThePositionsTrackByte) {
  PositionRecord record = {};
  record.track = 5;
  EXPECT_EQ(kPositionTimeChanged, UpdatePositionRecord(&record, 5, Tmsf(6, 0, 1, 2)));
  EXPECT_EQ(5, record.track);
  EXPECT_EQ(1, record.seconds);
  EXPECT_EQ(2, record.frames);
}

}  // namespace
