#include "player/catalogue/catalogue_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint32_t Msf(uint32_t m, uint32_t s, uint32_t f) { return m | s << 8 | f << 16; }

CatalogueNames Names() {
  return {"DiscTitle", "DiscArtist", "Repeat", "Shuffle", "Track", "PlayList", "Untitled", "Untitled"};
}

std::vector<int32_t> Order(const int32_t* numbers, int count) {
  return std::vector<int32_t>(numbers, numbers + count);
}

// A record loaded from the catalogue text for a disc of the given identity
// and track count.
DiscInfo Load(const std::string& catalogue, uint32_t discId, int trackCount) {
  CatalogueNames names = Names();
  DiscInfo info = {};
  info.discId = discId;
  info.trackCount = trackCount;
  EXPECT_EQ(1, LoadDiscRecord(catalogue, &names, &info));
  return info;
}

TEST(DiscIdentity, TheTwoWorkedExamples) {
  const uint32_t two[] = {Msf(0, 2, 0), Msf(3, 10, 15)};
  EXPECT_EQ(2u * 256 + (3u * 65536 + 10 * 256 + 15) + ((7u * 60 + 30) * 75 + 40),
            DiscIdFromToc(2, two, Msf(7, 30, 40)));
  const uint32_t three[] = {Msf(0, 2, 0), Msf(4, 1, 30), Msf(9, 20, 2)};
  EXPECT_EQ(2u * 256 + (4u * 65536 + 1 * 256 + 30) + (9u * 65536 + 20 * 256 + 2),
            DiscIdFromToc(3, three, Msf(70, 0, 0)));
}

TEST(DiscIdentity, FromTheTableInFramesAsFromTheDevicesMsfAnswers) {
  // The device's answers: starts and the disc's length in MSF, the length
  // one frame short of the lead-out. Frames and seconds at their edges.
  const struct {
    std::vector<uint32_t> startsMsf;
    uint32_t lengthMsf;
  } discs[] = {
      {{Msf(0, 2, 0), Msf(3, 10, 15)}, Msf(7, 30, 40)},
      {{Msf(0, 2, 74)}, Msf(0, 59, 74)},
      {{Msf(0, 2, 32), Msf(59, 59, 74)}, Msf(79, 0, 0)},
      {{Msf(0, 2, 0), Msf(4, 1, 30), Msf(9, 20, 2)}, Msf(70, 0, 0)},
      {{Msf(1, 0, 0), Msf(12, 59, 1), Msf(40, 0, 74), Msf(79, 30, 0)}, Msf(80, 58, 73)},
  };
  for (const auto& disc : discs) {
    DiscToc toc = {};
    toc.trackCount = static_cast<int>(disc.startsMsf.size());
    for (int t = 0; t < toc.trackCount; ++t) toc.starts[t] = FramesFromMsf(disc.startsMsf[static_cast<size_t>(t)]);
    toc.leadOut = toc.starts[0] + FramesFromMsf(disc.lengthMsf) + 1;
    EXPECT_EQ(DiscIdFromToc(toc.trackCount, disc.startsMsf.data(), disc.lengthMsf), DiscIdOfToc(&toc))
        << toc.trackCount << " tracks";
  }
  // A full disc: the track terms alone.
  DiscToc full = {};
  full.trackCount = kTocMaxTracks;
  std::vector<uint32_t> msf;
  for (int t = 0; t < kTocMaxTracks; ++t) {
    full.starts[t] = 150 + static_cast<uint32_t>(t) * 4507;
    msf.push_back(MsfFromFrames(full.starts[t]));
  }
  full.leadOut = full.starts[kTocMaxTracks - 1] + 4000;
  EXPECT_EQ(DiscIdFromToc(kTocMaxTracks, msf.data(), 0), DiscIdOfToc(&full));
}

TEST(PlayListText, StoredListsAndTheirRepairs) {
  int32_t numbers[5];
  struct Case {
    const char* text;
    std::vector<int32_t> order;
  } cases[] = {
      {"*", {1, 2, 3, 4, 5}},
      {"2  5 1", {2, 5, 1}},
      {"  4 3  ", {4, 3}},
      {"+3 04 2x", {3, 4, 2}},
      // Junk never gives an empty or out-of-range order.
      {"1 9 0 -2 2", {1, 2}},
      {"", {1, 2, 3, 4, 5}},
      {"abc 0", {1, 2, 3, 4, 5}},
      {"1 2 3 4 5 1 2", {1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int count = ParsePlayList(c.text, 5, numbers);
    EXPECT_EQ(c.order, Order(numbers, count));
  }
  std::string text;
  const int32_t list[] = {3, 1, 2};
  FormatPlayList(list, 3, &text);
  EXPECT_EQ("3 1 2", text);
}

TEST(CatalogueRecord, AnUnknownDiscLoadsDefaults) {
  DiscInfo info = Load("[1]\r\nDiscTitle=Other\r\n", 512, 3);
  EXPECT_STREQ("Untitled", info.title);
  EXPECT_STREQ("Untitled", info.artist);
  ASSERT_EQ(3, info.trackCount);
  EXPECT_EQ(2, info.tracks[1].number);
  EXPECT_STREQ("Track 2", info.tracks[1].title);
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3}), Order(info.playList, info.playCount));
  EXPECT_EQ(0, info.repeatMode);
  EXPECT_EQ(0, info.shuffle);
  EXPECT_EQ(nullptr, info.shuffleOrder);
  FreeDiscArrays(&info);
}

TEST(CatalogueRecord, AStoredDiscLoadsItsValues) {
  std::string long80(80, 'x');
  std::string catalogue = "[512]\r\ndisctitle = Blue Train \r\nDiscArtist=" + long80 +
                          "\r\nREPEAT=258\r\nShuffle=1\r\nTrack2=Moment's Notice\r\nPlayList=3  1\r\n";
  DiscInfo info = Load(catalogue, 512, 3);
  EXPECT_STREQ("Blue Train", info.title);
  EXPECT_EQ(std::string(79, 'x'), info.artist);
  EXPECT_EQ(2, info.repeatMode);  // the low 8 bits of 258
  EXPECT_EQ(1, info.shuffle);
  EXPECT_STREQ("Track 1", info.tracks[0].title);
  EXPECT_STREQ("Moment's Notice", info.tracks[1].title);
  EXPECT_EQ((std::vector<int32_t>{3, 1}), Order(info.playList, info.playCount));
  FreeDiscArrays(&info);

  info = Load("[7]\r\nPlayList=*\r\n", 7, 2);
  EXPECT_EQ((std::vector<int32_t>{1, 2}), Order(info.playList, info.playCount));
  FreeDiscArrays(&info);
}

TEST(CatalogueRecord, ASaveWritesTheWholeRecordInKeyOrder) {
  CatalogueNames names = Names();
  DiscInfo info = Load("", 512, 2);
  std::string catalogue;
  EXPECT_EQ(1, SaveDiscRecord(&catalogue, &names, &info));
  EXPECT_EQ(
      "[512]\r\nDiscTitle=Untitled\r\nDiscArtist=Untitled\r\nRepeat=0\r\nShuffle=0\r\n"
      "Track1=Track 1\r\nTrack2=Track 2\r\nPlayList=1 2\r\n",
      catalogue);

  // Values are replaced where they stand; other sections and lines stay.
  catalogue = "; discs\r\n[9]\r\nDiscTitle=Nine\r\n[512]\r\nPlayList=*\r\ndisctitle=Old\r\n";
  snprintf(info.title, sizeof info.title, "New");
  info.repeatMode = 2;
  EXPECT_EQ(1, SaveDiscRecord(&catalogue, &names, &info));
  EXPECT_EQ(
      "; discs\r\n[9]\r\nDiscTitle=Nine\r\n[512]\r\nPlayList=1 2\r\ndisctitle=New\r\n"
      "DiscArtist=Untitled\r\nRepeat=2\r\nShuffle=0\r\nTrack1=Track 1\r\nTrack2=Track 2\r\n",
      catalogue);
  FreeDiscArrays(&info);

  // A record never loaded writes nothing, nor one of a disc whose table of
  // contents could not be read (no tracks, identity 0).
  DiscInfo empty = {};
  catalogue.clear();
  EXPECT_EQ(0, SaveDiscRecord(&catalogue, &names, &empty));
  DiscInfo unread = Load("", 0, 0);
  EXPECT_EQ(0, SaveDiscRecord(&catalogue, &names, &unread));
  FreeDiscArrays(&unread);
  EXPECT_EQ("", catalogue);
}

TEST(CatalogueRecord, ALongDefaultOrderSurvivesSaveAndLoad) {
  CatalogueNames names = Names();
  DiscInfo info = Load("", 99, 99);
  std::string catalogue;
  SaveDiscRecord(&catalogue, &names, &info);
  FreeDiscArrays(&info);
  info = Load(catalogue, 99, 99);
  ASSERT_EQ(99, info.playCount);
  for (int i = 0; i < 99; ++i) EXPECT_EQ(i + 1, info.playList[i]);
  FreeDiscArrays(&info);
}

uint32_t second;
uint32_t FixedClock() { return second; }

TEST(Shuffle, TheGeneratorIsTheRunTimeLibrarys) {
  SeedRandom(1);
  EXPECT_EQ(41, DrawRandom());
  EXPECT_EQ(18467, DrawRandom());
  EXPECT_EQ(6334, DrawRandom());
}

TEST(Shuffle, EveryItemReseedsWithTheClockSecond) {
  shuffleClock = FixedClock;
  second = 1000;
  // Seeded with 1000 the draws are 3304, 8221, 26849, 14038, 1509, ...,
  // slots mod 3: 1, 1, 2, 1, 0. Item 1 takes slot 1; item 2 walks 1 (full),
  // 1, 2; item 3 walks 1, 1, 2, 1, 0. So 1 2 3 becomes 3 1 2.
  int32_t list[] = {1, 2, 3};
  DiscInfo info = {};
  info.playCount = 3;
  info.playList = static_cast<int32_t*>(malloc(sizeof list));
  memcpy(info.playList, list, sizeof list);
  BuildShuffleOrder(&info);
  EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), Order(info.shuffleOrder, 3));
  BuildShuffleOrder(&info);  // the same second, the same order
  EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), Order(info.shuffleOrder, 3));

  // A new list while shuffle is off leaves the shuffled order alone...
  const int32_t two[] = {2, 4};
  ReplacePlayListNumbers(&info, two, 2);
  EXPECT_EQ((std::vector<int32_t>{2, 4}), Order(info.playList, info.playCount));
  EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), Order(info.shuffleOrder, 3));
  // ...and with shuffle on it is a permutation of the new list.
  info.shuffle = 1;
  const int32_t four[] = {4, 1, 3, 2};
  ReplacePlayListNumbers(&info, four, 4);
  std::vector<int32_t> shuffled = Order(info.shuffleOrder, 4);
  std::sort(shuffled.begin(), shuffled.end());
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), shuffled);
  ReplacePlayListNumbers(&info, four, 0);  // an empty list is never applied
  EXPECT_EQ(4, info.playCount);
  FreeDiscArrays(&info);
}

}  // namespace
