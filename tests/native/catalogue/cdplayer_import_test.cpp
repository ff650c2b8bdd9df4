#include "player/catalogue/cdplayer_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/catalogue/catalogue_core.h"

namespace {

uint32_t Msf(uint32_t m, uint32_t s, uint32_t f) { return m | s << 8 | f << 16; }

// A record as a disc unknown to our catalogue loads it, then what the
// other player's file gives it.
DiscInfo Imported(const std::string& file, uint32_t id, int trackCount, int expected = 1) {
  const CatalogueNames names = {"DiscTitle", "DiscArtist", "Repeat", "Shuffle",
                                "Track",     "PlayList",   "Untitled", "Untitled"};
  DiscInfo info = {};
  info.trackCount = trackCount;
  LoadDiscRecord("", &names, &info);
  EXPECT_EQ(expected, ImportCdPlayerRecord(file, id, &info));
  return info;
}

std::vector<int32_t> PlayList(const DiscInfo& info) {
  return std::vector<int32_t>(info.playList, info.playList + info.playCount);
}

TEST(CdPlayerIdentity, OursForThreeTracksTheLengthInMillisecondsBelow) {
  const uint32_t three[] = {Msf(0, 2, 0), Msf(4, 1, 30), Msf(9, 20, 2)};
  EXPECT_EQ(DiscIdFromToc(3, three, Msf(70, 0, 0)), CdPlayerDiscId(3, three, 4200000));

  // Two tracks add the length in frames, rounded up, and track 1's frame
  // byte (32): 450533 ms are 33789.975 frames, 450520 ms 33789 exactly.
  const uint32_t two[] = {Msf(0, 2, 32), Msf(3, 10, 15)};
  const uint32_t starts = 2u * 256 + 32 + 3u * 65536 + 10 * 256 + 15;
  EXPECT_EQ(starts + 33790 + 32, CdPlayerDiscId(2, two, 450533));
  EXPECT_EQ(starts + 33789 + 32, CdPlayerDiscId(2, two, 450520));
  EXPECT_EQ(2u * 256 + 32 + 76, CdPlayerDiscId(1, two, 1001));  // one track: no frame byte

  // From the table in frames: the same sums.
  DiscToc toc = {};
  toc.trackCount = 2;
  toc.starts[0] = FramesFromMsf(two[0]);
  toc.starts[1] = FramesFromMsf(two[1]);
  toc.leadOut = toc.starts[0] + 33789 + 1;
  EXPECT_EQ(CdPlayerDiscId(2, two, 450533), CdPlayerDiscIdOfToc(&toc, 450533));
  toc.trackCount = 1;
  EXPECT_EQ(CdPlayerDiscId(1, two, 1001), CdPlayerDiscIdOfToc(&toc, 1001));

  char name[16];
  CdPlayerSectionName(0x137EBFA, name, sizeof name);
  EXPECT_STREQ("137EBFA", name);
}

TEST(CdPlayerImport, AFullEntryGivesTitlesAndPlayList) {
  std::string file =
      "[Other]\r\ntitle=Not this\r\n"
      "[137ebfa]\r\nEntryType=1\r\nartist=The Band\r\ntitle=Live\r\nnumtracks=3\r\n"
      "0=Opening\r\n1=Middle\r\n2=" + std::string(90, 'z') + "\r\norder=2 0 1\r\nnumplay=3\r\n"
      "[137EBFA]\r\ntitle=A later duplicate\r\n";
  DiscInfo info = Imported(file, 0x137EBFA, 3);
  EXPECT_STREQ("Live", info.title);
  EXPECT_STREQ("The Band", info.artist);
  EXPECT_STREQ("Opening", info.tracks[0].title);
  EXPECT_STREQ("Middle", info.tracks[1].title);
  EXPECT_EQ(std::string(79, 'z'), info.tracks[2].title);
  EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), PlayList(info));
  EXPECT_EQ(0, info.repeatMode);
  EXPECT_EQ(0, info.shuffle);
  FreeDiscArrays(&info);

  // Fewer titles than tracks: the others keep their defaults.
  info = Imported("[10]\r\ntitle=T\r\nnumtracks=2\r\n0=First\r\n3=Beyond numtracks\r\n", 0x10, 4);
  EXPECT_STREQ("Untitled", info.artist);
  EXPECT_STREQ("First", info.tracks[0].title);
  EXPECT_STREQ("Track 2", info.tracks[1].title);
  EXPECT_STREQ("Track 4", info.tracks[3].title);
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), PlayList(info));
  FreeDiscArrays(&info);

  // No section for the disc: nothing changes.
  info = Imported(file, 0x137EBFB, 3, 0);
  EXPECT_STREQ("Untitled", info.title);
  EXPECT_STREQ("Track 1", info.tracks[0].title);
  FreeDiscArrays(&info);
}

TEST(CdPlayerImport, BrokenOrdersAreRepairedAsAStoredPlayList) {
  struct Case {
    const char* keys;
    std::vector<int32_t> order;
  } cases[] = {
      {"order=3 1 0 2\r\nnumplay=2", {4, 2}},
      {"order=1 0", {2, 1}},  // no numplay: every number counts
      {"order=0 9 -1 x 2 3x\r\nnumplay=6", {1, 3, 4}},
      {"order=0 1 2 3 0 1\r\nnumplay=6", {1, 2, 3, 4}},
      {"order=\r\nnumplay=0", {1, 2, 3, 4}},
      {"order=4 5\r\nnumplay=2", {1, 2, 3, 4}},
      {"order=1 2\r\nnumplay=-3", {1, 2, 3, 4}},
      {"numplay=2", {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    DiscInfo info = Imported(std::string("[2A]\r\n") + c.keys + "\r\n", 0x2A, 4);
    EXPECT_EQ(c.order, PlayList(info));
    FreeDiscArrays(&info);
  }
}

}  // namespace
