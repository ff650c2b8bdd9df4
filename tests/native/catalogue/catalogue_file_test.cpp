// The catalogue file shared by players on several computers, and the titles
// kept in the player while their save fails.
#include "player/catalogue/catalogue_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/profile/profile.h"
#include "player/catalogue/cdplayer_import.h"

namespace {

const CatalogueNames kNames = {"DiscTitle", "DiscArtist", "Repeat", "Shuffle",
                               "Track",     "PlayList",   "Untitled", "Untitled"};

// A record as a player holds it after loading a disc the catalogue does not
// know, with its title set.
DiscInfo Disc(uint32_t id, int tracks, const char* title) {
  DiscInfo info = {};
  info.discId = id;
  info.trackCount = tracks;
  EXPECT_EQ(1, LoadDiscRecord("", &kNames, &info));
  snprintf(info.title, sizeof info.title, "%s", title);
  return info;
}

std::string Read(const std::string& path) {
  ProfileFile file = {};
  EXPECT_EQ(1, ProfileReadFile(path.c_str(), &file));
  return file.text;
}

std::string Title(const std::string& text, uint32_t id) {
  char title[80];
  ProfileGetString(text, std::to_string(id).c_str(), "DiscTitle", "(none)", title, sizeof title);
  return title;
}

class CatalogueFile : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/catalogue_file_XXXXXX";
    ASSERT_TRUE(mkdtemp(name));
    folder = name;
    path = folder + "/tunedeck.ini";
  }
  void TearDown() override {
    ForgetUnsavedRecords();
    for (const char* file : {"/tunedeck.ini", "/tunedeck.ini.lock"}) unlink((folder + file).c_str());
    rmdir(folder.c_str());
  }
  void Write(const std::string& text) {
    ProfileFile file = {text, kProfileBytes, ""};
    ASSERT_EQ(kProfileOk, ProfileSaveFile(path.c_str(), &file));
  }

  std::string folder, path;
};

TEST_F(CatalogueFile, EachSaveReadsTheFileAgainAndTheLaterSaveOfADiscWins) {
  Write("; kept\r\n[7]\r\nDiscTitle=Someone else's\r\n");
  // Two players load their discs from the file as it was, then save in turn:
  // neither loses the other's disc, nor the disc neither of them has.
  DiscInfo here = Disc(100, 3, "Here"), there = Disc(200, 2, "There");
  EXPECT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &here));
  EXPECT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &there));
  std::string text = Read(path);
  EXPECT_EQ("Here", Title(text, 100));
  EXPECT_EQ("There", Title(text, 200));
  EXPECT_EQ("Someone else's", Title(text, 7));
  EXPECT_EQ(0u, text.find("; kept\r\n[7]\r\n"));

  // Both have the same disc in: the later save is the disc's, and only its.
  DiscInfo first = Disc(300, 2, "First"), second = Disc(300, 2, "Second");
  second.repeatMode = 2;
  EXPECT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &first));
  EXPECT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &second));
  text = Read(path);
  EXPECT_EQ("Second", Title(text, 300));
  EXPECT_EQ(2, ProfileGetInt(text, "300", "Repeat", -1));
  EXPECT_EQ("Here", Title(text, 100));
  EXPECT_EQ("There", Title(text, 200));
  for (DiscInfo* info : {&here, &there, &first, &second}) FreeDiscArrays(info);
}

TEST_F(CatalogueFile, TitlesWhoseSaveFailedStayUntilASaveSucceedsOrTheirDiscComesBack) {
  Write("[1]\r\nDiscTitle=Old\r\n");
  ASSERT_EQ(0, chmod(path.c_str(), 0444));
  DiscInfo out = Disc(1, 2, "Typed"), next = Disc(2, 3, "Next");
  EXPECT_EQ(kProfileReadOnly, SaveDiscRecords(path.c_str(), &kNames, &out));
  KeepUnsavedRecord(&out);
  EXPECT_EQ(nullptr, out.tracks);
  EXPECT_EQ(1, UnsavedRecordCount());
  // The same disc again replaces its earlier unsaved record.
  DiscInfo again = Disc(1, 2, "Typed again");
  KeepUnsavedRecord(&again);
  EXPECT_EQ(1, UnsavedRecordCount());
  EXPECT_EQ(kProfileReadOnly, SaveDiscRecords(path.c_str(), &kNames, &next));
  EXPECT_EQ(1, UnsavedRecordCount());
  EXPECT_EQ("Old", Title(Read(path), 1));

  // The next save that succeeds takes them along.
  ASSERT_EQ(0, chmod(path.c_str(), 0644));
  EXPECT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &next));
  EXPECT_EQ(0, UnsavedRecordCount());
  std::string text = Read(path);
  EXPECT_EQ("Typed again", Title(text, 1));
  EXPECT_EQ("Next", Title(text, 2));

  // A disc put in again gets its unsaved titles back; another disc of the
  // same identity but another track count does not.
  DiscInfo kept = Disc(5, 4, "Unsaved");
  KeepUnsavedRecord(&kept);
  DiscInfo other = {};
  other.discId = 5;
  other.trackCount = 3;
  EXPECT_EQ(0, TakeUnsavedRecord(&other));
  DiscInfo back = {};
  back.discId = 5;
  back.trackCount = 4;
  ASSERT_EQ(1, TakeUnsavedRecord(&back));
  EXPECT_STREQ("Unsaved", back.title);
  ASSERT_NE(nullptr, back.tracks);
  EXPECT_STREQ("Track 4", back.tracks[3].title);
  EXPECT_EQ(0, UnsavedRecordCount());
  for (DiscInfo* info : {&next, &back}) FreeDiscArrays(info);
}

// A save writes a disc's section only when the player has something the
// catalogue lacks: a record changed since its load or last save, or a disc
// new to a catalogue that its load could read. Between the load and the
// save another computer saves the same disc as "Theirs".
TEST_F(CatalogueFile, ASaveWritesADiscOnlyWhenThePlayerChangedItOrTheCatalogueLacksIt) {
  enum At { kStored, kNew, kMissing, kUnreadable };  // the catalogue at the load
  struct Case {
    const char* what;
    At at;
    void (*edit)(DiscInfo*);  // what the player changes; null: nothing
    const char* saved;        // the disc's title in the file after the save
  } cases[] = {
      {"a stored disc left alone", kStored, nullptr, "Theirs"},
      {"its title typed", kStored, [](DiscInfo* d) { snprintf(d->title, sizeof d->title, "Typed"); }, "Typed"},
      {"its artist typed", kStored, [](DiscInfo* d) { snprintf(d->artist, sizeof d->artist, "Band"); }, "Mine"},
      {"a track's title typed", kStored, [](DiscInfo* d) { snprintf(d->tracks[2].title, kTitleSize, "Song"); },
       "Mine"},
      {"its play list edited", kStored, [](DiscInfo* d) { ReplacePlayListNumbers(d, d->playList + 1, 1); }, "Mine"},
      {"repeat chosen", kStored, [](DiscInfo* d) { d->repeatMode = 2; }, "Mine"},
      {"shuffle chosen", kStored, [](DiscInfo* d) { d->shuffle = 1; }, "Mine"},
      {"a disc new to the catalogue", kNew, nullptr, "Untitled"},
      {"a disc of a catalogue not made yet", kMissing, nullptr, "Untitled"},
      {"titles taken over from the system's CD player", kNew,
       [](DiscInfo* d) { ImportCdPlayerRecord("[1234]\r\ntitle=From the system\r\n", 0x1234, d); },
       "From the system"},
      {"the defaults of a catalogue that could not be read", kUnreadable, nullptr, "Theirs"},
      {"a title typed over those defaults", kUnreadable,
       [](DiscInfo* d) { snprintf(d->title, sizeof d->title, "Typed"); }, "Typed"},
  };
  const std::string other = "[7]\r\nDiscTitle=Another disc\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    unlink(path.c_str());
    if (c.at == kStored) Write(other + "[4660]\r\nDiscTitle=Mine\r\nPlayList=3 1 2\r\n");
    if (c.at == kNew) Write(other);
    if (c.at == kUnreadable) {
      ASSERT_EQ(0, mkdir(path.c_str(), 0700));
    }
    DiscInfo info = {};
    info.discId = 0x1234;
    info.trackCount = 3;
    EXPECT_EQ(c.at == kNew || c.at == kMissing, LoadCatalogueRecord(path.c_str(), &kNames, &info));
    if (c.at == kUnreadable) {
      EXPECT_STREQ("Untitled", info.title);
      ASSERT_EQ(0, rmdir(path.c_str()));  // the share is back
      Write(other + "[4660]\r\nDiscTitle=Mine\r\n");
    }
    DiscInfo theirs = Disc(0x1234, 3, "Theirs");
    ASSERT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &theirs));
    const std::string before = Read(path);
    if (c.edit) c.edit(&info);
    const bool written = std::string(c.saved) != "Theirs";
    EXPECT_EQ(written, RecordNeedsSave(&info) == 1);
    EXPECT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &info));
    const std::string text = Read(path);
    EXPECT_EQ(c.saved, Title(text, 0x1234));
    EXPECT_EQ(c.at == kMissing ? "(none)" : "Another disc", Title(text, 7));
    if (!written) {
      EXPECT_EQ(before, text);
    }
    // Once saved, the record is written again only when it changes again.
    EXPECT_EQ(0, RecordNeedsSave(&info));
    ASSERT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &theirs));
    EXPECT_EQ(kProfileOk, SaveDiscRecords(path.c_str(), &kNames, &info));
    EXPECT_EQ("Theirs", Title(Read(path), 0x1234));
    ForgetLoadedRecord(&info);
    for (DiscInfo* record : {&info, &theirs}) FreeDiscArrays(record);
  }
}

}  // namespace
