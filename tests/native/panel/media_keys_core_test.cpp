#include "player/panel/media_keys_core.h"

#include <gtest/gtest.h>

#include "resources/player/resource.h"

namespace {

TEST(MediaKeys, EachKeyPressesTheButtonOfTheStateAtHand) {
  const TransportState stopped = {true, false, true, true, true, false};
  const TransportState playing = {false, true, true, true, true, false};
  const TransportState paused = {false, true, true, true, true, true};
  const TransportState noDisc = {false, false, false, false, false, false};
  struct Case {
    MediaKey key;
    int stopped, playing, paused;
  } cases[] = {
      {kMediaPlayPause, IDC_PLAY, IDC_PAUSE, IDC_PAUSE},
      {kMediaPlay, IDC_PLAY, 0, IDC_PAUSE},
      {kMediaPause, 0, IDC_PAUSE, 0},
      {kMediaStop, IDC_STOP, IDC_STOP, IDC_STOP},
      {kMediaNext, IDC_FORWARD_SKIP, IDC_FORWARD_SKIP, IDC_FORWARD_SKIP},
      {kMediaPrevious, IDC_REVERSE_SKIP, IDC_REVERSE_SKIP, IDC_REVERSE_SKIP},
      {kNoMediaKey, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(c.stopped, MediaKeyButton(c.key, &stopped));
    EXPECT_EQ(c.playing, MediaKeyButton(c.key, &playing));
    EXPECT_EQ(c.paused, MediaKeyButton(c.key, &paused));
    EXPECT_EQ(0, MediaKeyButton(c.key, &noDisc));
  }
}

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
