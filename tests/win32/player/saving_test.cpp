// The player's saves: the catalogue in the file the settings name, a save
// that fails told once while the titles wait in the player, and titles left
// unsaved at exit.
#include "tests/win32/player/player_harness.h"

#include "player/catalogue/cdplayer_import.h"

namespace {

uint32_t Msf(unsigned frames) { return frames / 4500 | (frames / 75 % 60) << 8 | (frames % 75) << 16; }

// A disk that is full for the new files whose bits are set in fullFor,
// counted from bit 0 for the first.
unsigned fullFor;
HANDLE WINAPI FullDiskCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                                 DWORD flags, HANDLE model) {
  const bool full = fullFor & 1;
  if (how == CREATE_NEW) fullFor = fullFor >> 1 | (fullFor & 0x80000000u);
  if (how == CREATE_NEW && full) {
    SetLastError(ERROR_DISK_FULL);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(name, access, share, security, how, flags, model);
}

TEST_F(Player, TheCatalogueSettingKeepsTheDiscsInTheFileItNames) {
  const std::string folder = "C:\\shared", shared = folder + "\\tunedeck.ini";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string settings = "[Options]\r\nCatalogue=" + shared + "\r\n";
  WriteBytes(WindowsFile("kovel.ini"), settings);
  // The titles typed in the system's CD player still come from its file in
  // the Windows directory.
  uint32_t starts[5];
  for (int t = 0; t < 5; ++t) starts[t] = Msf(kStarts[t]);
  char section[16];
  CdPlayerSectionName(CdPlayerDiscId(5, starts, 0), section, sizeof section);
  WriteBytes(WindowsFile("cdplayer.ini"), std::string("[") + section + "]\r\ntitle=From the system\r\n");
  Start();
  EXPECT_STREQ("From the system", discInfo.title);
  snprintf(discInfo.artist, sizeof discInfo.artist, "Typed here");
  Restart();
  EXPECT_STREQ("Typed here", discInfo.artist);
  EXPECT_EQ("(none)", ReadBytes(WindowsFile("tunedeck.ini")));
  EXPECT_NE(std::string::npos, ReadBytes(shared).find("DiscArtist=Typed here"));
  EXPECT_EQ(0u, ReadBytes(WindowsFile("kovel.ini")).find(settings));
  EXPECT_TRUE(CaughtBoxes().empty());
  EndCase();
  for (const char* file : {"\\tunedeck.ini", "\\tunedeck.ini.lock"}) DeleteFileA((folder + file).c_str());
  RemoveDirectoryA(folder.c_str());
  DeleteFileA(WindowsFile("cdplayer.ini").c_str());
}

TEST_F(Player, AFullDiskIsToldOnceAndTheTitlesOfADiscTakenOutComeBackWithIt) {
  const unsigned three[] = {Frames(0, 2, 0), Frames(5, 0, 0), Frames(9, 0, 0)};
  auto change = [this](int tracks, const unsigned* starts, unsigned leadOut) {
    VDriveRemoveDisc();
    ASSERT_TRUE(PumpUntil([] { return doorOpen == 1; }));
    VDriveLoadDisc(tracks, starts, leadOut, 0);
    ASSERT_TRUE(PumpUntil([] { return doorOpen == 0; }));
  };
  Start();
  const uint32_t first = discInfo.discId;
  snprintf(discInfo.title, sizeof discInfo.title, "Kept in the player");
  testSeamProfileFiles.createFile = FullDiskCreateFile;
  fullFor = ~0u;
  change(3, three, Frames(20, 0, 0));
  ASSERT_EQ(1u, CaughtBoxes().size());
  EXPECT_NE(std::string::npos, CaughtBoxes()[0].text.find("The disk is full."));
  EXPECT_EQ(mainWindow, CaughtBoxes()[0].owner);
  // The same failure at the next disc change is not told again; the first
  // disc comes back with its titles.
  change(5, kStarts, kLeadOut);
  EXPECT_EQ(first, discInfo.discId);
  EXPECT_STREQ("Kept in the player", discInfo.title);
  EXPECT_EQ(1u, CaughtBoxes().size());
  // Room again: the next save takes the other disc's record along.
  testSeamProfileFiles = ProfileFileSeam{};
  change(3, three, Frames(20, 0, 0));
  const std::string saved = ReadBytes(WindowsFile("tunedeck.ini"));
  EXPECT_NE(std::string::npos, saved.find("DiscTitle=Kept in the player"));
  EXPECT_NE(std::string::npos, saved.find("[" + std::to_string(discInfo.discId) + "]"));
  EXPECT_EQ(1u, CaughtBoxes().size());
}

TEST_F(Player, ClosingWithTitlesThatCouldNotBeSavedAsksToRetryOrToCloseWithoutThem) {
  struct Case {
    const char* what;
    unsigned fullFor;  // the new files the disk has no room for
    bool readOnlySettings;
    std::vector<int> answers;
    std::vector<std::string> boxes;  // a part of each box's text, in order
    bool saved;
  } cases[] = {
      // The settings are saved; the titles' first two tries find the disk full.
      {"Retry until the disk has room", 0x6, false, {IDRETRY, IDRETRY}, {"Retry", "Retry"}, true},
      {"Cancel, with the settings read-only", ~0u, true, {IDOK, IDCANCEL},
       {"settings could not be saved", "Retry", "were not saved"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(WindowsFile("kovel.ini"), "[Window]\r\n");
    Start();
    snprintf(discInfo.title, sizeof discInfo.title, "Typed at the end");
    testSeamProfileFiles.createFile = FullDiskCreateFile;
    fullFor = c.fullFor;
    if (c.readOnlySettings) SetFileAttributesA(WindowsFile("kovel.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    ClearCaughtBoxes();
    AnswerNextBoxes(c.answers);
    DestroyWindow(mainWindow);
    ASSERT_TRUE(PumpUntil([this] { return ended; }));
    testSeamProfileFiles = ProfileFileSeam{};
    SetFileAttributesA(WindowsFile("kovel.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(c.boxes.size(), CaughtBoxes().size());
    for (size_t i = 0; i < c.boxes.size(); ++i)
      EXPECT_NE(std::string::npos, CaughtBoxes()[i].text.find(c.boxes[i])) << CaughtBoxes()[i].text;
    EXPECT_EQ(c.saved, ReadBytes(WindowsFile("tunedeck.ini")).find("Typed at the end") != std::string::npos);
    EXPECT_EQ(0, UnsavedRecordCount());
    FreshProcess();
    DeleteFileA(WindowsFile("tunedeck.ini").c_str());
    DeleteFileA(WindowsFile("kovel.ini").c_str());
  }
}

// Two players share the catalogue, as two computers would: A (a record of
// this process) types a title for the disc and saves it while the running
// player, which loaded the disc before and changed nothing, is closed. Its
// stale copy, or the defaults it showed while the file could not be read,
// must not replace A's title, and having nothing to save it tells nothing,
// even when the file cannot be written at its close.
TEST_F(Player, ClosingAPlayerThatChangedNothingKeepsAnotherPlayersTitles) {
  struct Case {
    const char* what;
    bool heldAtLoad, heldAtClose;  // another program holds the file (a share gone for a moment)
  } cases[] = {
      {"the file was read at the load", false, false},
      {"the file could not be read at the load", true, false},
      {"the file cannot be written at the close", false, true},
  };
  uint32_t starts[5];
  for (int t = 0; t < 5; ++t) starts[t] = Msf(kStarts[t]);
  const std::string path = WindowsFile("tunedeck.ini");
  const std::string stored = "[" + std::to_string(DiscIdFromToc(5, starts, 0)) + "]\r\nDiscTitle=Stored\r\n";
  auto hold = [&path] { return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(path, stored);
    HANDLE held = c.heldAtLoad ? hold() : INVALID_HANDLE_VALUE;
    Start();
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_STREQ(c.heldAtLoad ? "Untitled" : "Stored", discInfo.title);
    DiscInfo other = {};
    LoadDiscEntry(nullptr, deviceId, &other);
    snprintf(other.title, sizeof other.title, "Typed on A");
    EXPECT_EQ(1, ReleaseDiscEntry(GetModuleHandleA(nullptr), &other));
    const std::string saved = ReadBytes(path);
    EXPECT_NE(std::string::npos, saved.find("DiscTitle=Typed on A"));
    held = c.heldAtClose ? hold() : INVALID_HANDLE_VALUE;
    DestroyWindow(mainWindow);
    ASSERT_TRUE(PumpUntil([this] { return ended; }));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_EQ(saved, ReadBytes(path));
    EXPECT_TRUE(CaughtBoxes().empty());
    EXPECT_EQ(0, UnsavedRecordCount());
    EndCase();
  }
}

}  // namespace
