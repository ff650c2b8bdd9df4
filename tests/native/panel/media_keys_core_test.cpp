#include "player/panel/media_keys_core.h"

#include <gtest/gtest.h>

namespace {

// Which button each key presses in each state is checked against the
// panel's own buttons in the player's tests; here, the codes.
TEST(MediaKeys, CommandsAndKeysMapToTheirKeyWhateverTheDevice) {
  EXPECT_EQ(kMediaPlayPause, MediaKeyOfAppCommand(AppCommandOf(14u << 16)));
  EXPECT_EQ(kMediaNext, MediaKeyOfAppCommand(AppCommandOf((11u | 0x1000) << 16 | 0x0008)));
  EXPECT_EQ(kMediaPrevious, MediaKeyOfAppCommand(AppCommandOf((12u | 0x8000) << 16)));
  EXPECT_EQ(kMediaStop, MediaKeyOfAppCommand(13));
  EXPECT_EQ(kMediaPlay, MediaKeyOfAppCommand(46));
  EXPECT_EQ(kMediaPause, MediaKeyOfAppCommand(47));
  EXPECT_EQ(kNoMediaKey, MediaKeyOfAppCommand(10));  // volume up is not ours
  EXPECT_EQ(kMediaPlayPause, MediaKeyOfVirtualKey(0xB3));
  EXPECT_EQ(kMediaStop, MediaKeyOfVirtualKey(0xB2));
  EXPECT_EQ(kMediaPrevious, MediaKeyOfVirtualKey(0xB1));
  EXPECT_EQ(kMediaNext, MediaKeyOfVirtualKey(0xB0));
  EXPECT_EQ(kNoMediaKey, MediaKeyOfVirtualKey(0xAF));
}

}  // namespace
