#include "player/controls/position_record.h"

#include <gtest/gtest.h>

namespace {

uint32_t Tmsf(uint32_t t, uint32_t m, uint32_t s, uint32_t f) { return t | m << 8 | s << 16 | f << 24; }

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
