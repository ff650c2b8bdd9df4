// The virtual CD drive as the player meets it: every command goes through
// WINMM (mciSendCommandA / mciSendStringA) to vcdaudio.dll. The control API
// only sets the drive up, moves its clock and reads its log; the test links
// the DLL, so WINMM shares this instance of the driver.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>

#include "tests/win32/support/win_test_support.h"
#include "vdrive_api.h"

namespace {

// The example disc: absolute start frames and lead-out.
const unsigned kStarts[] = {150, 14265, 33790, 49650, 70945};
const unsigned kLeadOut = 89935;
// Track 2 lasts 19525 frames; a play of it ends 260333.3 ms after its start.
const unsigned kTrack2Ms = 260334;

const char kExampleFile[] =
    "[Drive]\r\nDoor=closed        ; open or closed\r\nReady=1\r\nDisc=demo ; in the drive\r\n"
    "Speed=1\r\n[Disc.demo]\r\nTracks=5\r\nTrack1=0:02:00\r\nTrack2=3:10:15\r\n"
    "Track3=7:30:40\r\nTrack4=11:02:00\r\nTrack5=15:45:70\r\nLeadOut=19:59:10\r\nData=0\r\n";

DWORD Msf(DWORD m, DWORD s, DWORD f) { return m | s << 8 | f << 16; }
DWORD Tmsf(DWORD t, DWORD m, DWORD s, DWORD f) { return t | m << 8 | s << 16 | f << 24; }

const DWORD_PTR kStopped = MCI_MODE_STOP, kPlaying = MCI_MODE_PLAY, kOpen = MCI_MODE_OPEN,
                kNotReady = MCI_MODE_NOT_READY;
const DWORD_PTR kMsf = MCI_FORMAT_MSF, kTmsf = MCI_FORMAT_TMSF, kMs = MCI_FORMAT_MILLISECONDS,
                kTrue = TRUE, kFalse = FALSE;
const DWORD kErrNotReady = MCIERR_DEVICE_NOT_READY, kErrRange = MCIERR_OUTOFRANGE,
            kErrHardware = MCIERR_HARDWARE;

HWND window;         // receives the notifications of the running test
MCIDEVICEID device;  // the open cdaudio device, 0 when closed

std::string TempPath(const char* name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + name;
}
std::string DriveFilePath() { return TempPath("kovel-vdrive-test.ini"); }
std::string LogFilePath() { return TempPath("kovel-vdrive-test.log"); }

// Makes the drive read `text` as its drive file from the next command on.
void UseDriveFile(const std::string& text) {
  FILE* file = fopen(DriveFilePath().c_str(), "wb");
  ASSERT_TRUE(file);
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
  SetEnvironmentVariableA("VDRIVE_FILE", DriveFilePath().c_str());
}

// The example file with one piece of text replaced.
std::string ExampleWith(const std::string& from, const std::string& to) {
  std::string text = kExampleFile;
  return text.replace(text.find(from), from.size(), to);
}

void LoadExampleDisc() { ASSERT_EQ(VDriveLoadDisc(5, kStarts, kLeadOut, 0), 1); }

DWORD Open(DWORD_PTR flags = 0) {
  MCI_OPEN_PARMSA open = {};
  open.dwCallback = reinterpret_cast<DWORD_PTR>(window);
  open.lpstrDeviceType = "cdaudio";
  DWORD err = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | flags, reinterpret_cast<DWORD_PTR>(&open));
  device = err ? 0 : open.wDeviceID;
  return err;
}

// Closes the device; notifications it causes are still checked against its id.
DWORD Close(DWORD_PTR flags = 0) {
  MCI_GENERIC_PARMS close = {};
  close.dwCallback = reinterpret_cast<DWORD_PTR>(window);
  return mciSendCommandA(device, MCI_CLOSE, flags, reinterpret_cast<DWORD_PTR>(&close));
}

DWORD Status(DWORD item, DWORD_PTR flags = 0, DWORD track = 0, DWORD_PTR* value = nullptr) {
  MCI_STATUS_PARMS status = {};
  status.dwItem = item;
  status.dwTrack = track;
  DWORD err = mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM | flags,
                              reinterpret_cast<DWORD_PTR>(&status));
  if (value) *value = status.dwReturn;
  return err;
}

// The value of a status item that must succeed.
DWORD_PTR Get(DWORD item, DWORD_PTR flags = 0, DWORD track = 0) {
  DWORD_PTR value = 0xDEADBEEF;
  EXPECT_EQ(Status(item, flags, track, &value), 0u) << "status item " << item;
  return value;
}
DWORD_PTR Mode() { return Get(MCI_STATUS_MODE); }

DWORD SetFormat(DWORD format) {
  MCI_SET_PARMS set = {};
  set.dwTimeFormat = format;
  return mciSendCommandA(device, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set));
}

DWORD Play(DWORD_PTR flags, DWORD from = 0, DWORD to = 0) {
  MCI_PLAY_PARMS play = {};
  play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
  play.dwFrom = from;
  play.dwTo = to;
  return mciSendCommandA(device, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play));
}

DWORD Seek(DWORD_PTR flags, DWORD to = 0) {
  MCI_SEEK_PARMS seek = {};
  seek.dwCallback = reinterpret_cast<DWORD_PTR>(window);
  seek.dwTo = to;
  return mciSendCommandA(device, MCI_SEEK, flags, reinterpret_cast<DWORD_PTR>(&seek));
}

// MCI_STOP, MCI_PAUSE, or MCI_SET with door flags.
DWORD Simple(UINT msg, DWORD_PTR flags = 0) {
  MCI_SET_PARMS parms = {};
  parms.dwCallback = reinterpret_cast<DWORD_PTR>(window);
  return mciSendCommandA(device, msg, flags, reinterpret_cast<DWORD_PTR>(&parms));
}

// A command string's answer, or "error N".
std::string Mci(const std::string& command) {
  char answer[128] = "";
  MCIERROR err = mciSendStringA(command.c_str(), answer, sizeof answer, window);
  return err ? "error " + std::to_string(err) : std::string(answer);
}

// The codes of the notifications received since the last call, as "1 4";
// each must name the open device.
std::string Codes() {
  PumpPending();
  std::string codes;
  for (const Notification& n : Notifications()) {
    EXPECT_EQ(static_cast<MCIDEVICEID>(n.deviceId), device) << "notification " << n.code;
    codes += (codes.empty() ? "" : " ") + std::to_string(n.code);
  }
  ClearNotifications();
  return codes;
}

std::string ReadLog() {
  int size = VDriveReadLog(nullptr, 0);
  std::string log(static_cast<size_t>(size) + 1, '\0');
  VDriveReadLog(&log[0], size + 1);
  log.resize(static_cast<size_t>(size));
  return log;
}

struct VDriveTest : ::testing::Test {
  void SetUp() override {
    DeleteFileA(DriveFilePath().c_str());
    DeleteFileA(LogFilePath().c_str());
    SetEnvironmentVariableA("VDRIVE_FILE", TempPath("kovel-vdrive-absent.ini").c_str());
    SetEnvironmentVariableA("VDRIVE_LOG", nullptr);
    VDriveReset();
    VDriveUseManualClock(1);
    window = CreateNotifyWindow();
    device = 0;
  }
  void TearDown() override {
    if (device) {
      EXPECT_EQ(Close(), 0u);
    }
    device = 0;
    PumpPending();
    DestroyWindow(window);
    SetEnvironmentVariableA("VDRIVE_LOG", nullptr);
    VDriveReset();
    DeleteFileA(DriveFilePath().c_str());
    DeleteFileA(LogFilePath().c_str());
  }
};

TEST_F(VDriveTest, WithoutAUsableDiscTheDriveAnswersNotReady) {
  ASSERT_EQ(Open(), 0u);  // the open succeeds without a disc
  EXPECT_EQ(Mode(), kNotReady);
  EXPECT_EQ(Get(MCI_STATUS_MEDIA_PRESENT), kFalse);
  EXPECT_EQ(Get(MCI_STATUS_READY), kFalse);
  EXPECT_EQ(Get(MCI_STATUS_TIME_FORMAT), kMsf);
  for (DWORD item : {MCI_STATUS_NUMBER_OF_TRACKS, MCI_STATUS_CURRENT_TRACK, MCI_STATUS_POSITION,
                     MCI_STATUS_LENGTH})
    EXPECT_EQ(Status(item), kErrNotReady) << item;
  EXPECT_EQ(Play(0), kErrNotReady);
  EXPECT_EQ(Seek(MCI_SEEK_TO_START), kErrNotReady);
  EXPECT_EQ(Simple(MCI_STOP), kErrNotReady);
  EXPECT_EQ(Simple(MCI_PAUSE), kErrNotReady);

  VDriveSetDoor(1);  // no disc, door open
  EXPECT_EQ(Mode(), kOpen);
  EXPECT_EQ(Get(MCI_STATUS_MEDIA_PRESENT), kFalse);
  EXPECT_EQ(Play(0), kErrNotReady);

  LoadExampleDisc();  // a disc, but the drive is not ready
  VDriveSetReady(0);
  EXPECT_EQ(Mode(), kNotReady);
  EXPECT_EQ(Get(MCI_STATUS_READY), kFalse);
  EXPECT_EQ(Status(MCI_STATUS_NUMBER_OF_TRACKS), kErrNotReady);
  EXPECT_EQ(Play(0), kErrNotReady);
  VDriveSetReady(1);
  EXPECT_EQ(Get(MCI_STATUS_NUMBER_OF_TRACKS), 5u);
  EXPECT_EQ(Codes(), "");
}

TEST_F(VDriveTest, StatusInEveryTimeFormat) {
  LoadExampleDisc();
  ASSERT_EQ(Open(), 0u);
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Get(MCI_STATUS_MEDIA_PRESENT), kTrue);
  EXPECT_EQ(Get(MCI_STATUS_READY), kTrue);
  EXPECT_EQ(Get(MCI_STATUS_NUMBER_OF_TRACKS), 5u);
  EXPECT_EQ(Get(MCI_STATUS_CURRENT_TRACK), 1u);

  // A cdaudio device opens in MSF.
  EXPECT_EQ(Get(MCI_STATUS_TIME_FORMAT), kMsf);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Msf(0, 2, 0));
  EXPECT_EQ(Get(MCI_STATUS_POSITION, MCI_TRACK, 2), Msf(3, 10, 15));
  EXPECT_EQ(Get(MCI_STATUS_LENGTH), Msf(19, 57, 10));
  EXPECT_EQ(Get(MCI_STATUS_LENGTH, MCI_TRACK, 2), Msf(4, 20, 25));
  EXPECT_EQ(Get(MCI_STATUS_LENGTH, MCI_TRACK, 5), Msf(4, 13, 15));

  ASSERT_EQ(SetFormat(MCI_FORMAT_TMSF), 0u);
  EXPECT_EQ(Get(MCI_STATUS_TIME_FORMAT), kTmsf);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Tmsf(1, 0, 0, 0));
  EXPECT_EQ(Get(MCI_STATUS_POSITION, MCI_TRACK, 2), Tmsf(2, 0, 0, 0));
  // Lengths asked in TMSF come back in the MSF layout.
  EXPECT_EQ(Get(MCI_STATUS_LENGTH), Msf(19, 57, 10));
  EXPECT_EQ(Get(MCI_STATUS_LENGTH, MCI_TRACK, 2), Msf(4, 20, 25));

  ASSERT_EQ(SetFormat(MCI_FORMAT_MILLISECONDS), 0u);
  EXPECT_EQ(Get(MCI_STATUS_TIME_FORMAT), kMs);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), 2000u);
  EXPECT_EQ(Get(MCI_STATUS_POSITION, MCI_TRACK, 2), 190200u);
  EXPECT_EQ(Get(MCI_STATUS_LENGTH), 1197133u);
  EXPECT_EQ(Get(MCI_STATUS_LENGTH, MCI_TRACK, 2), 260333u);

  // The time format belongs to the open device: a new open starts in MSF.
  ASSERT_EQ(Close(), 0u);
  device = 0;
  ASSERT_EQ(Open(), 0u);
  EXPECT_EQ(Get(MCI_STATUS_TIME_FORMAT), kMsf);
}

TEST_F(VDriveTest, CommandStrings) {
  UseDriveFile(kExampleFile);
  std::string opened = Mci("open cdaudio alias cd");
  device = static_cast<MCIDEVICEID>(mciGetDeviceIDA("cd"));
  EXPECT_EQ(opened, std::to_string(device));
  EXPECT_EQ(Mci("status cd mode"), "stopped");
  EXPECT_EQ(Mci("status cd media present"), "true");
  EXPECT_EQ(Mci("status cd length"), "19:57:10");
  EXPECT_EQ(Mci("status cd position track 2"), "03:10:15");
  EXPECT_EQ(Mci("set cd time format tmsf"), "");
  EXPECT_EQ(Mci("status cd time format"), "tmsf");
  EXPECT_EQ(Mci("status cd position track 2"), "02:00:00:00");
  EXPECT_EQ(Mci("status cd length track 2"), "04:20:25");
  EXPECT_EQ(Mci("play cd from 2 to 3 notify"), "");
  EXPECT_EQ(Mci("status cd mode"), "playing");
  VDriveAdvance(kTrack2Ms);
  EXPECT_EQ(Codes(), "1");
  EXPECT_EQ(Mci("status cd position"), "03:00:00:00");
  EXPECT_EQ(Mci("close cd"), "");
  device = 0;
}

TEST_F(VDriveTest, PlayNotifiesSuccessAtItsEnd) {
  LoadExampleDisc();
  ASSERT_EQ(Open(), 0u);
  ASSERT_EQ(SetFormat(MCI_FORMAT_TMSF), 0u);
  ASSERT_EQ(Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2, 3), 0u);
  EXPECT_EQ(Mode(), kPlaying);
  VDriveAdvance(60000);
  EXPECT_EQ(Get(MCI_STATUS_CURRENT_TRACK), 2u);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Tmsf(2, 1, 0, 0));
  VDriveAdvance(kTrack2Ms - 60000 - 1);  // one millisecond short of the end
  EXPECT_EQ(Codes(), "");
  EXPECT_EQ(Mode(), kPlaying);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Tmsf(2, 4, 20, 24));
  VDriveAdvance(1);
  EXPECT_EQ(Codes(), "1");
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Tmsf(3, 0, 0, 0));
  EXPECT_EQ(Get(MCI_STATUS_CURRENT_TRACK), 3u);
  VDriveAdvance(600000);
  EXPECT_EQ(Codes(), "");

  // The same in milliseconds: 0:10 to 0:11 of the disc.
  ASSERT_EQ(SetFormat(MCI_FORMAT_MILLISECONDS), 0u);
  ASSERT_EQ(Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 10000, 11000), 0u);
  VDriveAdvance(999);
  EXPECT_EQ(Codes(), "");
  VDriveAdvance(1);
  EXPECT_EQ(Codes(), "1");
  EXPECT_EQ(Get(MCI_STATUS_POSITION), 11000u);
}

TEST_F(VDriveTest, PendingNotificationSupersededOrAborted) {
  LoadExampleDisc();
  ASSERT_EQ(Open(), 0u);
  ASSERT_EQ(SetFormat(MCI_FORMAT_TMSF), 0u);

  // A second play with notify supersedes the first; it then ends normally.
  ASSERT_EQ(Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 1, 3), 0u);
  ASSERT_EQ(Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2, 3), 0u);
  EXPECT_EQ(Codes(), "2");
  VDriveAdvance(kTrack2Ms);
  EXPECT_EQ(Codes(), "1");

  // Stop, pause, seek and a play without notify abort it.
  const struct {
    const char* what;
    DWORD (*command)();
    DWORD_PTR mode;
  } aborts[] = {
      {"stop", [] { return Simple(MCI_STOP); }, MCI_MODE_STOP},
      {"pause", [] { return Simple(MCI_PAUSE); }, MCI_MODE_STOP},
      {"seek", [] { return Seek(MCI_TO, Tmsf(4, 0, 0, 0)); }, MCI_MODE_STOP},
      {"play", [] { return Play(MCI_FROM, Tmsf(4, 0, 0, 0)); }, MCI_MODE_PLAY},
  };
  for (const auto& a : aborts) {
    ASSERT_EQ(Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2, 3), 0u) << a.what;
    VDriveAdvance(1000);
    EXPECT_EQ(a.command(), 0u) << a.what;
    EXPECT_EQ(Codes(), "4") << a.what;
    EXPECT_EQ(Mode(), a.mode) << a.what;
    VDriveAdvance(kTrack2Ms);
    EXPECT_EQ(Codes(), "") << a.what;
  }

  // Closing the device aborts its pending notification; a close and an open
  // that ask for one get exactly one.
  ASSERT_EQ(Play(MCI_FROM | MCI_NOTIFY, 2), 0u);
  ASSERT_EQ(Close(MCI_NOTIFY), 0u);
  EXPECT_EQ(Codes(), "4 1");
  ASSERT_EQ(Open(MCI_NOTIFY), 0u);
  EXPECT_EQ(Codes(), "1");
}

TEST_F(VDriveTest, PauseReportsStoppedAndAPlainPlayRunsToTheEndOfTheDisc) {
  LoadExampleDisc();
  ASSERT_EQ(Open(), 0u);
  ASSERT_EQ(Play(MCI_FROM, Msf(0, 2, 0)), 0u);
  VDriveAdvance(10000);
  ASSERT_EQ(Simple(MCI_PAUSE), 0u);
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Msf(0, 12, 0));
  VDriveAdvance(10000);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Msf(0, 12, 0));

  // A play without flags goes on from there to the end of the disc and, not
  // asked to, notifies nobody.
  ASSERT_EQ(Play(0), 0u);
  EXPECT_EQ(Mode(), kPlaying);
  VDriveAdvance(1000);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Msf(0, 13, 0));
  VDriveAdvance(1186133);  // (89935 - 900 frames) / 75 = 1187133.3 ms in all
  EXPECT_EQ(Mode(), kPlaying);
  VDriveAdvance(1);
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Msf(19, 59, 10));
  EXPECT_EQ(Get(MCI_STATUS_CURRENT_TRACK), 5u);
  EXPECT_EQ(Codes(), "");
}

TEST_F(VDriveTest, DoorOpenedAndClosedByCommand) {
  LoadExampleDisc();
  ASSERT_EQ(Open(), 0u);
  ASSERT_EQ(Play(MCI_FROM | MCI_NOTIFY, Msf(5, 0, 0)), 0u);
  VDriveAdvance(3000);
  ASSERT_EQ(Simple(MCI_SET, MCI_SET_DOOR_OPEN), 0u);
  EXPECT_EQ(Codes(), "4");  // the play is aborted
  EXPECT_EQ(Mode(), kOpen);
  EXPECT_EQ(Get(MCI_STATUS_MEDIA_PRESENT), kFalse);
  EXPECT_EQ(Status(MCI_STATUS_NUMBER_OF_TRACKS), kErrNotReady);
  EXPECT_EQ(Play(0), kErrNotReady);

  // Closing the door brings the disc back, at its start.
  ASSERT_EQ(Simple(MCI_SET, MCI_SET_DOOR_CLOSED | MCI_NOTIFY), 0u);
  EXPECT_EQ(Codes(), "1");
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Get(MCI_STATUS_MEDIA_PRESENT), kTrue);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Msf(0, 2, 0));
}

TEST_F(VDriveTest, DoorOpenIsWrittenToTheDriveFile) {
  UseDriveFile(kExampleFile);
  ASSERT_EQ(Open(), 0u);
  EXPECT_EQ(Get(MCI_STATUS_NUMBER_OF_TRACKS), 5u);
  ASSERT_EQ(Simple(MCI_SET, MCI_SET_DOOR_OPEN), 0u);
  const char doorLine[] = "Door=closed        ; open or closed";
  EXPECT_EQ(ReadBytes(DriveFilePath()), ExampleWith(doorLine, "Door=open"));
  EXPECT_EQ(Mode(), kOpen);
  ASSERT_EQ(Simple(MCI_SET, MCI_SET_DOOR_CLOSED), 0u);
  EXPECT_EQ(ReadBytes(DriveFilePath()), ExampleWith(doorLine, "Door=closed"));
  EXPECT_EQ(Mode(), kStopped);
}

TEST_F(VDriveTest, ChangesOfTheDriveFileShowAtTheNextCommand) {
  UseDriveFile(kExampleFile);
  ASSERT_EQ(Open(), 0u);
  ASSERT_EQ(SetFormat(MCI_FORMAT_TMSF), 0u);
  ASSERT_EQ(Play(MCI_FROM | MCI_NOTIFY, 2), 0u);
  VDriveAdvance(5000);

  // The disc is taken out while it plays: its play fails.
  UseDriveFile(ExampleWith("Disc=demo", "Disc="));
  EXPECT_EQ(Codes(), "");  // nothing happens before the next command
  EXPECT_EQ(Get(MCI_STATUS_MEDIA_PRESENT), kFalse);
  EXPECT_EQ(Codes(), "8");
  EXPECT_EQ(Mode(), kNotReady);

  UseDriveFile(ExampleWith("Door=closed", "Door=open"));
  EXPECT_EQ(Mode(), kOpen);

  UseDriveFile(ExampleWith("Ready=1", "Ready=0"));
  EXPECT_EQ(Mode(), kNotReady);
  EXPECT_EQ(Play(0), kErrNotReady);

  UseDriveFile(kExampleFile);
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Tmsf(1, 0, 0, 0));
  EXPECT_EQ(Get(MCI_STATUS_LENGTH, MCI_TRACK, 2), Msf(4, 20, 25));

  // A file that no longer exists takes the disc away as well.
  DeleteFileA(DriveFilePath().c_str());
  EXPECT_EQ(Mode(), kNotReady);
  EXPECT_EQ(Codes(), "");
}

// A play of a data track succeeds and plays nothing, as cdaudio drivers
// answer it: it ends at once, the drive stays stopped.
TEST_F(VDriveTest, DataDiscHasOneDataTrackThatPlaysNothing) {
  const unsigned starts[] = {150, 1000, 2000};
  ASSERT_EQ(VDriveLoadDisc(3, starts, 3000, 1), 1);
  ASSERT_EQ(Open(), 0u);
  EXPECT_EQ(Get(MCI_STATUS_MEDIA_PRESENT), kTrue);
  EXPECT_EQ(Get(MCI_STATUS_NUMBER_OF_TRACKS), 1u);
  EXPECT_EQ(Get(MCI_CDA_STATUS_TYPE_TRACK, MCI_TRACK, 1), DWORD_PTR{MCI_CDA_TRACK_OTHER});
  EXPECT_EQ(Get(MCI_STATUS_LENGTH, MCI_TRACK, 1), Msf(0, 38, 0));
  EXPECT_EQ(Status(MCI_STATUS_POSITION, MCI_TRACK, 2), kErrRange);
  EXPECT_EQ(Play(MCI_NOTIFY), 0u);
  EXPECT_EQ(Codes(), "1");
  EXPECT_EQ(Play(MCI_FROM, Msf(0, 2, 0)), 0u);
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Codes(), "");
}

// An enhanced CD from the drive file: audio tracks, then a data track.
TEST_F(VDriveTest, AnEnhancedCdAnswersEachTracksTypeAndPlaysOnlyItsAudio) {
  UseDriveFile(ExampleWith("Data=0", "Type5=data"));
  ASSERT_EQ(Open(), 0u);
  EXPECT_EQ(Get(MCI_STATUS_NUMBER_OF_TRACKS), 5u);
  for (DWORD t = 1; t <= 5; ++t)
    EXPECT_EQ(Get(MCI_CDA_STATUS_TYPE_TRACK, MCI_TRACK, t),
              static_cast<DWORD_PTR>(t == 5 ? MCI_CDA_TRACK_OTHER : MCI_CDA_TRACK_AUDIO)) << t;
  EXPECT_EQ(Status(MCI_CDA_STATUS_TYPE_TRACK, MCI_TRACK, 6), kErrRange);
  EXPECT_EQ(Status(MCI_CDA_STATUS_TYPE_TRACK), DWORD{MCIERR_MISSING_PARAMETER});

  ASSERT_EQ(SetFormat(MCI_FORMAT_TMSF), 0u);
  // Track 4 to the disc's end stops where the data track begins.
  EXPECT_EQ(Play(MCI_FROM | MCI_NOTIFY, Tmsf(4, 0, 0, 0)), 0u);
  VDriveAdvance(1000000);
  EXPECT_EQ(Codes(), "1");
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Tmsf(5, 0, 0, 0));
  // The data track itself: nothing plays, the play ends at once.
  EXPECT_EQ(Play(MCI_FROM | MCI_TO | MCI_NOTIFY, Tmsf(5, 0, 0, 0), Tmsf(5, 1, 0, 0)), 0u);
  EXPECT_EQ(Codes(), "1");
  EXPECT_EQ(Mode(), kStopped);
}

TEST_F(VDriveTest, ErrorCodesAndInjectedFaults) {
  LoadExampleDisc();
  VDriveFailNext(MCI_OPEN, 0, MCIERR_HARDWARE);
  EXPECT_EQ(Open(), kErrHardware);
  ASSERT_EQ(Open(), 0u);
  ASSERT_EQ(SetFormat(MCI_FORMAT_TMSF), 0u);
  EXPECT_EQ(Status(MCI_STATUS_POSITION, MCI_TRACK, 6), kErrRange);
  EXPECT_EQ(Status(MCI_STATUS_POSITION, MCI_TRACK, 0), kErrRange);
  EXPECT_EQ(Status(MCI_STATUS_LENGTH, MCI_TRACK, 6), kErrRange);
  EXPECT_EQ(Play(MCI_FROM | MCI_NOTIFY, 6), kErrRange);
  EXPECT_EQ(Play(MCI_FROM | MCI_TO, 3, 2), kErrRange);
  EXPECT_EQ(Play(MCI_FROM, Tmsf(1, 0, 60, 0)), kErrRange);
  EXPECT_EQ(Seek(MCI_TO, Tmsf(5, 4, 13, 16)), kErrRange);  // a frame past the lead-out
  EXPECT_EQ(Seek(MCI_TO, Tmsf(5, 4, 13, 15)), 0u);
  EXPECT_EQ(SetFormat(MCI_FORMAT_BYTES), DWORD{MCIERR_BAD_TIME_FORMAT});
  EXPECT_EQ(SetFormat(MCI_FORMAT_FRAMES), DWORD{MCIERR_BAD_TIME_FORMAT});
  EXPECT_EQ(Get(MCI_STATUS_TIME_FORMAT), kTmsf);

  // An injected fault fails the next matching command once.
  VDriveFailNext(MCI_STATUS, MCI_STATUS_MODE, MCIERR_DEVICE_NOT_READY);
  EXPECT_EQ(Get(MCI_STATUS_NUMBER_OF_TRACKS), 5u);  // another item: not this fault
  EXPECT_EQ(Status(MCI_STATUS_MODE), kErrNotReady);
  EXPECT_EQ(Mode(), kStopped);  // the fault is used up

  ASSERT_EQ(Seek(MCI_SEEK_TO_START), 0u);
  VDriveFailNext(MCI_PLAY, MCI_NOTIFY, MCIERR_HARDWARE);
  VDriveFailNext(MCI_PLAY, 0, MCIERR_DEVICE_NOT_READY);
  EXPECT_EQ(Play(MCI_NOTIFY), kErrHardware);
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Play(MCI_NOTIFY), kErrNotReady);
  EXPECT_EQ(Play(MCI_NOTIFY), 0u);
  EXPECT_EQ(Mode(), kPlaying);
  EXPECT_EQ(Codes(), "");
}

TEST_F(VDriveTest, TheLogRecordsCommandsAndNotifications) {
  LoadExampleDisc();
  ASSERT_EQ(Open(), 0u);
  VDriveClearLog();
  SetEnvironmentVariableA("VDRIVE_LOG", LogFilePath().c_str());
  EXPECT_EQ(Status(MCI_STATUS_MODE), 0u);
  ASSERT_EQ(SetFormat(MCI_FORMAT_TMSF), 0u);
  ASSERT_EQ(Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2, 3), 0u);
  VDriveAdvance(kTrack2Ms);
  EXPECT_EQ(Status(MCI_STATUS_POSITION, MCI_TRACK, 9), kErrRange);
  EXPECT_EQ(Status(MCI_STATUS_POSITION), 0u);
  const char expected[] =
      "t=0 cmd=MCI_STATUS flags=0x100 item=4 err=0 ret=525\n"
      "t=0 cmd=MCI_SET flags=0x400 format=10 err=0\n"
      "t=0 cmd=MCI_PLAY flags=0xD from=2 to=3 err=0\n"
      "t=260334 cmd=NOTIFY code=1\n"
      "t=260334 cmd=MCI_STATUS flags=0x110 item=2 track=9 err=282\n"
      "t=260334 cmd=MCI_STATUS flags=0x100 item=2 err=0 ret=3\n";
  EXPECT_EQ(ReadLog(), expected);
  EXPECT_EQ(ReadBytes(LogFilePath()), expected);
  EXPECT_EQ(Codes(), "1");

  // A short buffer gets the start of the log; the length is the whole log's.
  char start[8];
  EXPECT_EQ(VDriveReadLog(start, sizeof start), static_cast<int>(sizeof expected - 1));
  EXPECT_STREQ(start, "t=0 cmd");
  VDriveClearLog();
  EXPECT_EQ(ReadLog(), "");
}

// An open may name a drive letter: each letter is a drive of its own, with
// its own drive file, open at the same time as the others; the first CD
// drive's letter names the drive an open without a letter gets.
TEST_F(VDriveTest, EachDriveLetterIsADriveOfItsOwn) {
  ASSERT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA("D:\\")) << "the test machine's first CD drive";
  LoadExampleDisc();
  const std::string eFile = TempPath("kovel-vdrive-e.ini");
  WriteBytes(eFile, "[Drive]\r\nDisc=three\r\n[Disc.three]\r\nTracks=3\r\nTrack1=0:02:00\r\n"
                    "Track2=1:00:00\r\nTrack3=2:00:00\r\nLeadOut=3:00:00\r\n");
  SetEnvironmentVariableA("VDRIVE_FILE_E", eFile.c_str());
  for (const char* open : {"open cdaudio alias first", "open d: type cdaudio alias d", "open E: type cdaudio alias e"})
    ASSERT_EQ(std::string::npos, Mci(open).find("error")) << open;
  EXPECT_EQ(Mci("status first number of tracks"), "5");
  EXPECT_EQ(Mci("status d number of tracks"), "5");
  EXPECT_EQ(Mci("status e number of tracks"), "3");
  EXPECT_EQ(Mci("open 1: type cdaudio alias bad"), "error " + std::to_string(MCIERR_INVALID_FILE));

  VDriveClearLog();
  EXPECT_EQ(Mci("play e from 0:02:00 to 1:00:00 notify"), "");
  EXPECT_EQ(Mci("status first mode"), "stopped");
  VDriveAdvance(58000);
  device = static_cast<MCIDEVICEID>(mciGetDeviceIDA("e"));
  EXPECT_EQ(Codes(), "1");
  device = 0;
  EXPECT_EQ(Mci("set e door open"), "");
  EXPECT_NE(std::string::npos, ReadBytes(eFile).find("Door=open"));
  EXPECT_EQ(Mci("status first media present"), "true");
  const std::string log = ReadLog();
  EXPECT_EQ(0u, log.find("t=0 drive=E cmd=MCI_PLAY flags=0xD from=")) << log;
  EXPECT_NE(std::string::npos, log.find("\nt=0 cmd=MCI_STATUS flags=0x100 item=4 err=0 ret=525\n")) << log;
  EXPECT_NE(std::string::npos, log.find("\nt=58000 drive=E cmd=NOTIFY code=1\n")) << log;

  // The control functions act on the drive selected by its letter.
  VDriveSelect('d');
  VDriveRemoveDisc();
  EXPECT_EQ(Mci("status first media present"), "false");
  VDriveSelect('E');
  VDriveSetDoor(0);
  EXPECT_EQ(Mci("status e media present"), "true");
  for (const char* close : {"close first", "close d", "close e"}) EXPECT_EQ(Mci(close), "") << close;
  SetEnvironmentVariableA("VDRIVE_FILE_E", nullptr);
  DeleteFileA(eFile.c_str());
}

// Closing the last cdaudio device also ends the driver's session instance;
// that must leave other drivers' devices alone (here waveaudio, device id 1).
TEST_F(VDriveTest, ClosingTheDriveLeavesOtherDevicesAlone) {
  ASSERT_EQ(Mci("open waveaudio alias wave"), "1");
  LoadExampleDisc();
  ASSERT_EQ(Open(), 0u);
  EXPECT_EQ(Close(), 0u);
  device = 0;
  EXPECT_EQ(Mci("status wave mode"), "stopped");
  EXPECT_EQ(Mci("close wave"), "");
}

// The one test on the real clock: at 600 virtual seconds a second, a play of
// 30 s ends after 50 ms and notifies while the test only pumps messages.
TEST_F(VDriveTest, RealTimePlayEndsWithoutFurtherCommands) {
  UseDriveFile(
      "[Drive]\r\nDisc=short\r\nSpeed=600\r\n"
      "[Disc.short]\r\nTracks=1\r\nTrack1=0:02:00\r\nLeadOut=0:32:00\r\n");
  VDriveUseManualClock(0);
  ASSERT_EQ(Open(), 0u);
  ASSERT_EQ(Play(MCI_FROM | MCI_NOTIFY, Msf(0, 2, 0)), 0u);
  VDriveClearLog();
  ASSERT_TRUE(PumpUntil([] { return !Notifications().empty(); }, 5000));
  // Nothing but the notification since the play: no command woke the driver.
  std::string log = ReadLog();
  EXPECT_EQ(log.substr(log.find(' ') + 1), "cmd=NOTIFY code=1\n");
  EXPECT_EQ(Codes(), "1");
  EXPECT_EQ(Mode(), kStopped);
  EXPECT_EQ(Get(MCI_STATUS_POSITION), Msf(0, 32, 0));
}

}  // namespace

