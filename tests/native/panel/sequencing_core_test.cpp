#include "player/panel/sequencing_core.h"

#include <gtest/gtest.h>

namespace {

TEST(Skips, WrapAtBothEndsAndStartFromNothingSelected) {
  EXPECT_EQ(4, ReverseSkipTarget(0, 5));
  EXPECT_EQ(2, ReverseSkipTarget(3, 5));
  EXPECT_EQ(4, ReverseSkipTarget(-1, 5));  // nothing selected
  EXPECT_EQ(0, ForwardSkipTarget(4, 5));
  EXPECT_EQ(4, ForwardSkipTarget(3, 5));
  EXPECT_EQ(0, ForwardSkipTarget(-1, 5));
  EXPECT_EQ(0, ForwardSkipTarget(0, 1));
  EXPECT_EQ(0, ReverseSkipTarget(0, 1));
}

TEST(TrackEnd, EachRepeatModeAndUnknownModesActAsNoRepeat) {
  EXPECT_EQ(kReplayTrack, TrackEndRule(1, 0));
  EXPECT_EQ(kReplayTrack, TrackEndRule(1, 3));
  EXPECT_EQ(kPlayNext, TrackEndRule(2, 0));
  EXPECT_EQ(kPlayNext, TrackEndRule(0, 3));
  EXPECT_EQ(kRestAtStart, TrackEndRule(0, 0));
  EXPECT_EQ(kRestAtStart, TrackEndRule(7, 0));
  EXPECT_EQ(kPlayNext, TrackEndRule(255, 1));
}

TEST(OrderEntry, PacksThePositionHighAndTheTrackLow) {
  uint32_t entry = PackOrderEntry(3, 12);
  EXPECT_EQ(0x3000Cu, entry);
  EXPECT_EQ(3, OrderEntryPosition(entry));
  EXPECT_EQ(12, OrderEntryTrack(entry));
}

}  // namespace
