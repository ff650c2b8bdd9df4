// The catalogue on the platform: the disc identity's device commands, the
// file in the Windows directory, agreement with the platform's own profile
// functions and run-time generator.
#include "player/catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/win32/support/drive_log.h"
#include "tests/win32/support/win_test_support.h"
#include "vdrive/vdrive_api.h"

namespace {

unsigned Frames(unsigned m, unsigned s, unsigned f) { return (m * 60 + s) * 75 + f; }

std::string CataloguePath() {
  char path[MAX_PATH];
  GetWindowsDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\tunedeck.ini";
}

std::string ReadCatalogue() { return ReadBytes(CataloguePath()); }
void WriteCatalogue(const std::string& text) { WriteBytes(CataloguePath(), text); }

class Catalogue : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VDRIVE_FILE", "C:\\no-such-folder\\vdrive.ini");
    VDriveReset();
    DeleteFileA(CataloguePath().c_str());
    instance = GetModuleHandleA(nullptr);
  }
  void TearDown() override {
    if (id) mciSendCommandA(id, MCI_CLOSE, 0, 0);
    FreeDiscArrays(&info);
    DeleteFileA(CataloguePath().c_str());
  }
  void Open(int tracks, const unsigned* starts, unsigned leadOut) {
    ASSERT_TRUE(VDriveLoadDisc(tracks, starts, leadOut, 0));
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "cdaudio";
    ASSERT_EQ(0u, mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT,
                                  reinterpret_cast<DWORD_PTR>(&open)));
    id = open.wDeviceID;
    VDriveClearLog();
  }

  HINSTANCE instance = nullptr;
  UINT id = 0;
  DiscInfo info = {};
};

TEST_F(Catalogue, DiscIdentityAsksTheTrackTableInOrder) {
  // The two-track worked example: the disc's length joins the identity.
  const unsigned starts[] = {Frames(0, 2, 0), Frames(3, 10, 15)};
  Open(2, starts, Frames(0, 2, 0) + Frames(7, 30, 40));
  int32_t count = -1;
  EXPECT_EQ(2u * 256 + (3u * 65536 + 10 * 256 + 15) + ((7u * 60 + 30) * 75 + 40),
            ComputeDiscId(id, &count));
  EXPECT_EQ(2, count);
  std::vector<std::string> expected = {
      "cmd=MCI_STATUS flags=0x100 item=3 err=0 ret=2",
      "cmd=MCI_SET flags=0x402 format=2 err=0",
      "cmd=MCI_STATUS flags=0x100 item=1 err=0 ret=" + std::to_string(7 | 30 << 8 | 40 << 16),
      "cmd=MCI_STATUS flags=0x110 item=2 track=1 err=0 ret=" + std::to_string(0 | 2 << 8),
      "cmd=MCI_STATUS flags=0x110 item=2 track=2 err=0 ret=" + std::to_string(3 | 10 << 8 | 15 << 16),
  };
  EXPECT_EQ(expected, DriveLog());

  VDriveClearLog();
  count = -1;
  EXPECT_EQ(0u, ComputeDiscId(0, &count));
  EXPECT_EQ(-1, count);
  EXPECT_TRUE(DriveLog().empty());
}

TEST_F(Catalogue, ThreeTrackIdentityHasNoLengthTerm) {
  const unsigned starts[] = {Frames(0, 2, 0), Frames(4, 1, 30), Frames(9, 20, 2)};
  Open(3, starts, Frames(12, 0, 0));
  int32_t count = 0;
  EXPECT_EQ(2u * 256 + (4u * 65536 + 1 * 256 + 30) + (9u * 65536 + 20 * 256 + 2),
            ComputeDiscId(id, &count));
}

TEST_F(Catalogue, LoadWritesNothingAndReleaseSavesTheWholeRecord) {
  const unsigned starts[] = {Frames(0, 2, 0), Frames(4, 1, 30), Frames(9, 20, 2)};
  Open(3, starts, Frames(12, 0, 0));
  EXPECT_EQ(1, LoadDiscEntry(nullptr, id, &info));
  EXPECT_EQ("(none)", ReadCatalogue());
  EXPECT_STREQ("Untitled", info.title);
  EXPECT_STREQ("Track 3", info.tracks[2].title);

  snprintf(info.artist, sizeof info.artist, "Someone");
  ReleaseDiscEntry(instance, &info);
  EXPECT_EQ(nullptr, info.tracks);
  std::string section = "[" + std::to_string(info.discId) + "]\r\n";
  EXPECT_EQ(section +
                "DiscTitle=Untitled\r\nDiscArtist=Someone\r\nRepeat=0\r\nShuffle=0\r\n"
                "Track1=Track 1\r\nTrack2=Track 2\r\nTrack3=Track 3\r\nPlayList=1 2 3\r\n",
            ReadCatalogue());

  // The platform's own reader sees what we wrote.
  char value[80];
  GetPrivateProfileStringA(std::to_string(info.discId).c_str(), "DiscArtist", "", value,
                           sizeof value, "tunedeck.ini");
  EXPECT_STREQ("Someone", value);

  // A second release (at exit, say) has nothing left to write.
  ReleaseDiscEntry(instance, &info);
}

TEST_F(Catalogue, ACatalogueWrittenByThePlatformLoadsTheSameTitles) {
  const unsigned starts[] = {Frames(0, 2, 0), Frames(4, 1, 30), Frames(9, 20, 2)};
  Open(3, starts, Frames(12, 0, 0));
  int32_t count = 0;
  std::string section = std::to_string(ComputeDiscId(id, &count));
  WritePrivateProfileStringA(section.c_str(), "DiscTitle", "\"Quoted Title\"", "tunedeck.ini");
  WritePrivateProfileStringA(section.c_str(), "Track2", "  Second  ", "tunedeck.ini");
  WritePrivateProfileStringA(section.c_str(), "Repeat", "258", "tunedeck.ini");
  WritePrivateProfileStringA(section.c_str(), "PlayList", "3 1", "tunedeck.ini");
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, "tunedeck.ini");  // flush

  LoadDiscEntry(nullptr, id, &info);
  EXPECT_STREQ("Quoted Title", info.title);
  EXPECT_STREQ("Second", info.tracks[1].title);
  EXPECT_EQ(2, info.repeatMode);
  ASSERT_EQ(2, info.playCount);
  EXPECT_EQ(3, info.playList[0]);
  EXPECT_EQ(1, info.playList[1]);
}

TEST_F(Catalogue, ASaveReplacesValuesInPlaceAndKeepsTheRest) {
  const unsigned starts[] = {Frames(0, 2, 0), Frames(4, 1, 30), Frames(9, 20, 2)};
  Open(3, starts, Frames(12, 0, 0));
  int32_t count = 0;
  std::string section = "[" + std::to_string(ComputeDiscId(id, &count)) + "]\r\n";
  WriteCatalogue("; my discs\r\n[1]\r\nDiscTitle=One\r\n" + section +
                 "PlayList=*\r\nDiscTitle=Kind\r\n[2]\r\nDiscTitle=Two\r\n");
  LoadDiscEntry(nullptr, id, &info);
  EXPECT_STREQ("Kind", info.title);
  info.shuffle = 1;
  SaveDiscEntry(instance, &info);
  EXPECT_EQ("; my discs\r\n[1]\r\nDiscTitle=One\r\n" + section +
                "PlayList=1 2 3\r\nDiscTitle=Kind\r\nDiscArtist=Untitled\r\nRepeat=0\r\n"
                "Shuffle=1\r\nTrack1=Track 1\r\nTrack2=Track 2\r\nTrack3=Track 3\r\n"
                "[2]\r\nDiscTitle=Two\r\n",
            ReadCatalogue());
}

TEST_F(Catalogue, ReleaseWithNoDiscEverLoadedWritesNothing) {
  ReleaseDiscEntry(instance, &info);
  EXPECT_EQ("(none)", ReadCatalogue());
}

TEST_F(Catalogue, ReplacePlayListTakesTheListBoxItemsTopToBottom) {
  TrackEntry tracks[4] = {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}};
  HWND list = CreateWindowA("LISTBOX", "", 0, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
  for (int t : {3, 1, 4}) {
    LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tracks[t - 1].title));
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&tracks[t - 1]));
  }
  info.playList = static_cast<int32_t*>(calloc(1, sizeof(int32_t)));
  info.playCount = 1;
  ReplacePlayList(&info, list);
  ASSERT_EQ(3, info.playCount);
  EXPECT_EQ(3, info.playList[0]);
  EXPECT_EQ(1, info.playList[1]);
  EXPECT_EQ(4, info.playList[2]);
  DestroyWindow(list);
}

TEST(ShuffleGenerator, AgreesWithThePlatformRunTime) {
  for (unsigned seed : {1u, 1000u, 1765000000u}) {
    srand(seed);
    SeedRandom(seed);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(rand(), DrawRandom());
  }
}

}  // namespace
