// The catalogue on the platform: the disc identity's device commands, the
// file in the Windows directory, agreement with the platform's own profile
// functions and run-time generator, and saves that fail.
#include "player/catalogue/catalogue.h"

#include <gtest/gtest.h>

#include "player/catalogue/cdplayer_import.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "common/profile/profile.h"
#include "common/profile/profile_win32.h"
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

std::string CdPlayerPath() {
  char path[MAX_PATH];
  GetWindowsDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\cdplayer.ini";
}

std::string ReadCatalogue() { return ReadBytes(CataloguePath()); }
void WriteCatalogue(const std::string& text) { WriteBytes(CataloguePath(), text); }

class Catalogue : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VDRIVE_FILE", "C:\\no-such-folder\\vdrive.ini");
    VDriveReset();
    DeleteFileA(CataloguePath().c_str());
    DeleteFileA(CdPlayerPath().c_str());
    instance = GetModuleHandleA(nullptr);
  }
  void TearDown() override {
    if (id) mciSendCommandA(id, MCI_CLOSE, 0, 0);
    FreeDiscArrays(&info);
    testSeamProfileFiles = ProfileFileSeam{};
    UseCatalogueFile("");
    ForgetUnsavedRecords();
    for (const char* extra : {"", ".lock", ".replacing"}) DeleteFileA((CataloguePath() + extra).c_str());
    DeleteFileA(CdPlayerPath().c_str());
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
      "cmd=MCI_STATUS flags=0x110 item=2 track=1 err=0 ret=" + std::to_string(0 | 2 << 8),
      "cmd=MCI_STATUS flags=0x110 item=16385 track=1 err=0 ret=" + std::to_string(MCI_CDA_TRACK_AUDIO),
      "cmd=MCI_STATUS flags=0x110 item=2 track=2 err=0 ret=" + std::to_string(3 | 10 << 8 | 15 << 16),
      "cmd=MCI_STATUS flags=0x110 item=16385 track=2 err=0 ret=" + std::to_string(MCI_CDA_TRACK_AUDIO),
      "cmd=MCI_STATUS flags=0x100 item=1 err=0 ret=" + std::to_string(7 | 30 << 8 | 40 << 16),
  };
  EXPECT_EQ(expected, DriveLog());

  VDriveClearLog();
  count = -1;
  EXPECT_EQ(0u, ComputeDiscId(0, &count));
  EXPECT_EQ(-1, count);
  EXPECT_TRUE(DriveLog().empty());
}

// The identities as the catalogue computed them from its own MSF commands
// before it read the device's table of contents: what it stored under must
// not move.
uint32_t MsfStatus(UINT id, DWORD flags, DWORD item, DWORD track) {
  MCI_STATUS_PARMS status = {};
  status.dwItem = item;
  status.dwTrack = track;
  mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | flags, reinterpret_cast<DWORD_PTR>(&status));
  return static_cast<uint32_t>(status.dwReturn);
}

void SetFormat(UINT id, DWORD format) {
  MCI_SET_PARMS set = {};
  set.dwTimeFormat = format;
  mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));
}

TEST_F(Catalogue, IdentitiesAreThoseOfTheFormerMsfCommands) {
  const std::vector<std::vector<unsigned>> discs = {
      {Frames(0, 2, 0), Frames(3, 10, 15), Frames(7, 32, 55)},
      {Frames(0, 2, 74), Frames(0, 59, 74)},
      {Frames(0, 2, 32), Frames(59, 59, 74), Frames(79, 0, 1)},
      {Frames(1, 0, 0), Frames(12, 59, 1), Frames(40, 0, 74), Frames(79, 30, 0), Frames(80, 0, 0)},
  };
  for (const std::vector<unsigned>& disc : discs) {
    const int tracks = static_cast<int>(disc.size()) - 1;
    SCOPED_TRACE(tracks);
    Open(tracks, disc.data(), disc.back());
    SetFormat(id, MCI_FORMAT_MSF);
    uint32_t starts[8];
    for (int t = 1; t <= tracks; ++t) starts[t - 1] = MsfStatus(id, MCI_TRACK, MCI_STATUS_POSITION, static_cast<DWORD>(t));
    const uint32_t ours = DiscIdFromToc(tracks, starts, MsfStatus(id, 0, MCI_STATUS_LENGTH, 0));
    SetFormat(id, MCI_FORMAT_MILLISECONDS);
    const uint32_t theirs = CdPlayerDiscId(tracks, starts, MsfStatus(id, 0, MCI_STATUS_LENGTH, 0));

    int32_t count = 0;
    EXPECT_EQ(ours, ComputeDiscId(id, &count));
    EXPECT_EQ(tracks, count);
    info.trackCount = count;
    info.discId = ours;
    uint32_t cdPlayerId = 0;
    EXPECT_EQ(1, ComputeCdPlayerDiscId(id, &info, &cdPlayerId));
    EXPECT_EQ(theirs, cdPlayerId);
    mciSendCommandA(id, MCI_CLOSE, 0, 0);
    id = 0;
  }
}

// A table the device cannot give whole (the disc goes out during the read,
// say) is no disc of the catalogue's: no tracks, and nothing saved under an
// identity of a half-read table.
TEST_F(Catalogue, ATableThatCannotBeReadGivesNoTracksAndIsNeverSaved) {
  const unsigned starts[] = {Frames(0, 2, 0), Frames(4, 1, 30), Frames(9, 20, 2)};
  Open(3, starts, Frames(12, 0, 0));
  int32_t count = 0;
  const std::string catalogue = "[" + std::to_string(ComputeDiscId(id, &count)) + "]\r\nDiscTitle=Kind\r\n";
  WriteCatalogue(catalogue);
  for (DWORD item : {DWORD{MCI_STATUS_NUMBER_OF_TRACKS}, DWORD{MCI_STATUS_POSITION}, DWORD{MCI_CDA_STATUS_TYPE_TRACK},
                     DWORD{MCI_STATUS_LENGTH}}) {
    SCOPED_TRACE(item);
    VDriveFailNext(MCI_STATUS, item, MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(1, LoadDiscEntry(nullptr, id, &info));
    EXPECT_EQ(0u, info.discId);
    EXPECT_EQ(0, info.trackCount);
    EXPECT_EQ(0, info.playCount);
    EXPECT_STREQ("Untitled", info.title);
    ReleaseDiscEntry(instance, &info);
    EXPECT_EQ(catalogue, ReadCatalogue());
  }
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
  EXPECT_EQ(kDiscNew, LoadDiscEntry(nullptr, id, &info));
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

// The titles typed in the operating system's CD player, from its file in
// the Windows directory, for discs our catalogue does not know.
const unsigned kThree[] = {Frames(0, 2, 0), Frames(4, 1, 30), Frames(9, 20, 2)};
const char kThreeSection[] = "[D1720]\r\n";  // 0x200 + 0x4011E + 0x91402

TEST_F(Catalogue, AnUnknownDiscTakesTheTitlesTypedInTheSystemsCdPlayer) {
  // A big file from an old system, other discs first.
  std::string file;
  for (int n = 0; file.size() < 70000; ++n)
    file += "[" + std::to_string(n) + "]\r\ntitle=Filler title of another disc\r\n";
  file += std::string(kThreeSection) +
          "EntryType=1\r\nartist=The Band\r\ntitle=Live\r\nnumtracks=3\r\n0=Opening\r\n"
          "1=Middle\r\n2=Closing\r\norder=2 0\r\nnumplay=2\r\n";
  WriteBytes(CdPlayerPath(), file);
  Open(3, kThree, Frames(12, 0, 0));
  EXPECT_EQ(1, LoadDiscEntry(nullptr, id, &info));  // filled: not new to look up
  EXPECT_STREQ("Live", info.title);
  EXPECT_STREQ("The Band", info.artist);
  EXPECT_STREQ("Closing", info.tracks[2].title);
  ASSERT_EQ(2, info.playCount);
  EXPECT_EQ(3, info.playList[0]);
  EXPECT_EQ(1, info.playList[1]);
  EXPECT_EQ(9u, DriveLog().size());  // only the identity's commands

  ReleaseDiscEntry(instance, &info);
  EXPECT_EQ("[" + std::to_string(info.discId) + "]\r\n" +
                "DiscTitle=Live\r\nDiscArtist=The Band\r\nRepeat=0\r\nShuffle=0\r\n"
                "Track1=Opening\r\nTrack2=Middle\r\nTrack3=Closing\r\nPlayList=3 1\r\n",
            ReadCatalogue());
  EXPECT_EQ(file, ReadBytes(CdPlayerPath()));  // only ever read
}

TEST_F(Catalogue, ATwoTrackDiscIsFoundUnderThatPlayersOwnIdentity) {
  // Our identity adds the length in frames; that player's adds it from
  // milliseconds, and track 1's frame byte (32).
  const unsigned starts[] = {Frames(0, 2, 32), Frames(3, 10, 15)};
  const unsigned length = Frames(7, 30, 40);
  uint32_t theirs = 2 * 256 + 32 + (3u * 65536 + 10 * 256 + 15) + length + 32;
  char section[32];
  snprintf(section, sizeof section, "[%lx]\r\n", static_cast<unsigned long>(theirs));
  WriteBytes(CdPlayerPath(), std::string(section) + "title=Two\r\nnumtracks=2\r\n1=Second\r\n"
                                                    "order=1 7 x\r\nnumplay=3\r\n");
  Open(2, starts, starts[0] + length);
  LoadDiscEntry(nullptr, id, &info);
  EXPECT_STREQ("Two", info.title);
  EXPECT_STREQ("Untitled", info.artist);
  EXPECT_STREQ("Track 1", info.tracks[0].title);
  EXPECT_STREQ("Second", info.tracks[1].title);
  ASSERT_EQ(1, info.playCount);
  EXPECT_EQ(2, info.playList[0]);
  // After the identity's commands, the table again and the length in
  // milliseconds.
  std::vector<std::string> log = DriveLog();
  ASSERT_EQ(16u, log.size());
  std::vector<std::string> extra(log.begin() + 14, log.end());
  std::vector<std::string> expected = {
      "cmd=MCI_SET flags=0x402 format=0 err=0",
      "cmd=MCI_STATUS flags=0x100 item=1 err=0 ret=" + std::to_string(length * 1000 / 75),
  };
  EXPECT_EQ(expected, extra);
}

TEST_F(Catalogue, OurCatalogueWinsAndWithoutThatPlayersFileNothingChanges) {
  WriteBytes(CdPlayerPath(), std::string(kThreeSection) + "title=Theirs\r\n0=Their first\r\n");
  Open(3, kThree, Frames(12, 0, 0));
  int32_t count = 0;
  WriteCatalogue("[" + std::to_string(ComputeDiscId(id, &count)) + "]\r\nDiscArtist=Ours\r\n");
  EXPECT_EQ(1, LoadDiscEntry(nullptr, id, &info));
  EXPECT_STREQ("Untitled", info.title);
  EXPECT_STREQ("Ours", info.artist);
  EXPECT_STREQ("Track 1", info.tracks[0].title);
  FreeDiscArrays(&info);
  DeleteFileA(CataloguePath().c_str());
  mciSendCommandA(id, MCI_CLOSE, 0, 0);

  // A two-track disc, which would need more of the device, with a missing,
  // an empty and a broken file.
  const unsigned two[] = {Frames(0, 2, 32), Frames(3, 10, 15)};
  Open(2, two, Frames(7, 0, 0));
  for (const char* file : {"", "\xFF\xFE[\x01\n=\r]]", "(none)"}) {
    SCOPED_TRACE(file);
    if (std::string(file) == "(none)")
      DeleteFileA(CdPlayerPath().c_str());
    else
      WriteBytes(CdPlayerPath(), file);
    VDriveClearLog();
    LoadDiscEntry(nullptr, id, &info);
    EXPECT_STREQ("Untitled", info.title);
    EXPECT_EQ(2, info.playCount);
    FreeDiscArrays(&info);
  }
  EXPECT_EQ(7u, DriveLog().size());  // the identity's commands only
}

// What a user's machine may do to a save: a full disk, a share that goes
// away between two steps of the save (the file replaced in one step, or
// moved aside first as Windows 95 does), and another computer's lock held
// for as long as the test's clock says.
HANDLE WINAPI FullDiskCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                                 DWORD flags, HANDLE model) {
  if (how == CREATE_NEW) {
    SetLastError(ERROR_DISK_FULL);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(name, access, share, security, how, flags, model);
}

BOOL WINAPI ShareGoneMoveFileEx(LPCSTR, LPCSTR, DWORD) {
  SetLastError(ERROR_NETNAME_DELETED);
  return FALSE;
}

int movesBeforeTheShareGoes;
BOOL WINAPI ShareGoneMoveFile(LPCSTR from, LPCSTR to) {
  if (movesBeforeTheShareGoes-- > 0) return MoveFileA(from, to);
  SetLastError(ERROR_NETNAME_DELETED);
  return FALSE;
}

DWORD fakeTicks;
DWORD WINAPI FakeTicks() { return fakeTicks; }
VOID WINAPI FakeSleep(DWORD milliseconds) { fakeTicks += milliseconds; }

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\') + 1) + name;
}

// Another computer's player in the middle of a save: a process holding the
// catalogue's lock until it is ended.
PROCESS_INFORMATION holder;
void StartLockHolder() {
  std::string command = "\"" + BesideThisProgram("lock_holder.exe") + "\" \"" + CataloguePath() + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &holder));
  testSeamProfileFiles.getTickCount = FakeTicks;
  testSeamProfileFiles.sleep = FakeSleep;
  ASSERT_TRUE(WaitUntil(holder.hProcess, [] {
    ProfileLock lock = {};
    int status = ProfileLockFile(CataloguePath().c_str(), &lock);
    ProfileUnlockFile(&lock);
    return status == kProfileLocked;
  }));
}
// Ended, the holder leaves the lock to the system, which frees it; the
// next save waits for that on the real clock.
void EndLockHolder() {
  TerminateProcess(holder.hProcess, 9);
  WaitForSingleObject(holder.hProcess, INFINITE);
  CloseHandle(holder.hThread);
  CloseHandle(holder.hProcess);
  testSeamProfileFiles = ProfileFileSeam{};
}

HANDLE otherProgram;

TEST_F(Catalogue, AFailedSaveIsToldOnceWithTheFileAndWhyAndTheTitlesAreSavedNextTime) {
  struct Case {
    const char* what;
    const char* why;
    void (*cause)();
    void (*cure)();
  } cases[] = {
      {"the disk is full", "The disk is full.", [] { testSeamProfileFiles.createFile = FullDiskCreateFile; },
       [] { testSeamProfileFiles = ProfileFileSeam{}; }},
      {"a read-only file", "The file is read-only",
       [] { SetFileAttributesA(CataloguePath().c_str(), FILE_ATTRIBUTE_READONLY); },
       [] { SetFileAttributesA(CataloguePath().c_str(), FILE_ATTRIBUTE_NORMAL); }},
      {"another program holds it", "Another program holds the file.",
       [] {
         otherProgram = CreateFileA(CataloguePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       [] { CloseHandle(otherProgram); }},
      {"another computer holds the lock", "locked by another computer", StartLockHolder, EndLockHolder},
      {"the share goes while the file is replaced", "The folder cannot be reached.",
       [] { testSeamProfileFiles.moveFileEx = ShareGoneMoveFileEx; },
       [] { testSeamProfileFiles = ProfileFileSeam{}; }},
      {"the share goes between the moves of Windows 95", "The folder cannot be reached.",
       [] {
         testSeamProfileFiles.withoutMoveFileEx = 1;
         testSeamProfileFiles.moveFile = ShareGoneMoveFile;
         movesBeforeTheShareGoes = 1;
       },
       [] { testSeamProfileFiles = ProfileFileSeam{}; }},
  };
  Open(3, kThree, Frames(12, 0, 0));
  LoadDiscEntry(nullptr, id, &info);
  StartBoxCatcher();
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteCatalogue("[1]\r\nDiscTitle=Another disc\r\n");
    snprintf(info.title, sizeof info.title, "Typed %d", ++n);
    ClearCaughtBoxes();
    c.cause();
    for (int save = 0; save < 2; ++save) {
      EXPECT_EQ(0, SaveDiscEntry(instance, &info));
      TellSaveFailures(nullptr);
    }
    ASSERT_EQ(1u, CaughtBoxes().size());
    EXPECT_NE(std::string::npos, CaughtBoxes()[0].text.find(CataloguePath())) << CaughtBoxes()[0].text;
    EXPECT_NE(std::string::npos, CaughtBoxes()[0].text.find(c.why)) << CaughtBoxes()[0].text;
    c.cure();
    // Nothing was lost: every reader still finds the whole file.
    ProfileFile file = {};
    ASSERT_EQ(1, ProfileReadFile(CataloguePath().c_str(), &file));
    EXPECT_EQ("[1]\r\nDiscTitle=Another disc\r\n", file.text);
    EXPECT_EQ(1, SaveDiscEntry(instance, &info));
    TellSaveFailures(nullptr);
    EXPECT_EQ(1u, CaughtBoxes().size());
    const std::string saved = ReadCatalogue();
    EXPECT_EQ(0u, saved.find("[1]\r\nDiscTitle=Another disc\r\n"));
    EXPECT_NE(std::string::npos, saved.find("DiscTitle=Typed " + std::to_string(n)));
  }
  // After a save that succeeded, the same failure is a new one.
  testSeamProfileFiles.createFile = FullDiskCreateFile;
  snprintf(info.title, sizeof info.title, "Again");
  EXPECT_EQ(0, SaveDiscEntry(instance, &info));
  TellSaveFailures(nullptr);
  EXPECT_EQ(2u, CaughtBoxes().size());
  StopBoxCatcher();
}

TEST_F(Catalogue, ADiscTakenOutWhileItsSaveFailsKeepsItsTitlesForTheNextSave) {
  UseCatalogueFile("C:\\no-such-folder\\tunedeck.ini");
  Open(3, kThree, Frames(12, 0, 0));
  LoadDiscEntry(nullptr, id, &info);
  snprintf(info.title, sizeof info.title, "Kept");
  EXPECT_EQ(0, ReleaseDiscEntry(instance, &info));
  EXPECT_EQ(nullptr, info.tracks);
  EXPECT_EQ(1, UnsavedRecordCount());
  // The disc comes back before any save succeeded: its titles with it.
  LoadDiscEntry(nullptr, id, &info);
  EXPECT_STREQ("Kept", info.title);
  EXPECT_EQ(0, UnsavedRecordCount());
  EXPECT_EQ(0, ReleaseDiscEntry(instance, &info));
  // The folder is back (here: the Windows directory's file): a save of no
  // disc at all still writes them.
  UseCatalogueFile("");
  EXPECT_EQ(1, SaveDiscEntry(instance, &info));
  EXPECT_EQ(0, UnsavedRecordCount());
  EXPECT_NE(std::string::npos, ReadCatalogue().find("DiscTitle=Kept"));
}

TEST(ShuffleGenerator, AgreesWithThePlatformRunTime) {
  for (unsigned seed : {1u, 1000u, 1765000000u}) {
    srand(seed);
    SeedRandom(seed);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(rand(), DrawRandom());
  }
}

}  // namespace
