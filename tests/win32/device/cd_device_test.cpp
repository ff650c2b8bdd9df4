// The device layer against the virtual drive: the exact commands of every
// operation (read back from the drive's log), their results, and the error
// boxes they show.
#include "player/device/cd_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/win32/support/drive_log.h"
#include "tests/win32/support/win_test_support.h"
#include "vdrive/vdrive_api.h"

namespace {

unsigned Frames(unsigned m, unsigned s, unsigned f) { return (m * 60 + s) * 75 + f; }
DWORD Tmsf(DWORD t, DWORD m, DWORD s, DWORD f) { return t | m << 8 | s << 16 | f << 24; }

// The example disc: track 2 lasts 4:20:25.
const unsigned kStarts[] = {Frames(0, 2, 0), Frames(3, 10, 15), Frames(7, 30, 40),
                            Frames(11, 2, 0), Frames(15, 45, 70)};
const unsigned kLeadOut = Frames(19, 59, 10);

class CDDevice : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VDRIVE_FILE", "C:\\no-such-folder\\vdrive.ini");
    SetEnvironmentVariableA("VDRIVE_LOG", nullptr);
    VDriveReset();
    VDriveUseManualClock(1);
    ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
    notify = CreateNotifyWindow();
    // An ordinary top-level window, so that boxes can name it as owner.
    owner = CreateWindowA("TestNotifyWindow", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                          nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    StartBoxCatcher();
  }

  void TearDown() override {
    StopBoxCatcher();
    if (id) mciSendCommandA(id, MCI_CLOSE, 0, 0);
    DestroyWindow(owner);
    DestroyWindow(notify);
    PumpPending();
  }

  // Opens the device and forgets the commands that took.
  void Open() {
    id = CDOpen(owner);
    ASSERT_NE(0u, id);
    VDriveClearLog();
  }

  DWORD Status(DWORD item, DWORD format = MCI_FORMAT_TMSF) {
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = format;
    mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set));
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    EXPECT_EQ(0u, mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM,
                                  reinterpret_cast<DWORD_PTR>(&status)));
    return static_cast<DWORD>(status.dwReturn);
  }

  void SeekTmsf(DWORD position) {
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_TMSF;
    mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set));
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = position;
    ASSERT_EQ(0u, mciSendCommandA(id, MCI_SEEK, MCI_TO, reinterpret_cast<DWORD_PTR>(&seek)));
  }

  // Plays track t from its start through the layer, and clears the log.
  void PlayTrack(int t) {
    CDSeekTrack(owner, t, id);
    CDPlayTrack(notify, id);
    ASSERT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), Status(MCI_STATUS_MODE));
    VDriveClearLog();
  }

  HWND notify = nullptr;
  HWND owner = nullptr;
  UINT id = 0;
};

TEST_F(CDDevice, OpenSetsTmsfAndSeeksToTrackOne) {
  id = CDOpen(owner);
  ASSERT_NE(0u, id);
  std::vector<std::string> expected = {
      "cmd=MCI_OPEN flags=0x2002 err=0",
      "cmd=MCI_SET flags=0x400 format=10 err=0",
      "cmd=MCI_SEEK flags=0x8 to=1 err=0",
  };
  EXPECT_EQ(expected, DriveLog());
  EXPECT_EQ(Tmsf(1, 0, 0, 0), Status(MCI_STATUS_POSITION));
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(CDDevice, OpenOfAnEmptyDriveClosesAgainSilently) {
  VDriveRemoveDisc();
  EXPECT_EQ(0u, CDOpen(owner));
  std::vector<std::string> expected = {
      "cmd=MCI_OPEN flags=0x2002 err=0",
      "cmd=MCI_SET flags=0x400 format=10 err=0",
      "cmd=MCI_SEEK flags=0x8 to=1 err=" + std::to_string(MCIERR_DEVICE_NOT_READY),
      "cmd=MCI_CLOSE flags=0x0 err=0",
  };
  EXPECT_EQ(expected, DriveLog());
  EXPECT_TRUE(CaughtBoxes().empty());
  EXPECT_EQ(0u, mciGetDeviceIDA("cdaudio"));
}

TEST_F(CDDevice, OpenThatFailsSendsNothingMore) {
  VDriveFailNext(MCI_OPEN, 0, MCIERR_HARDWARE);
  EXPECT_EQ(0u, CDOpen(owner));
  EXPECT_EQ(std::vector<std::string>{"cmd=MCI_OPEN flags=0x2002 err=" +
                                     std::to_string(MCIERR_HARDWARE)},
            DriveLog());
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(CDDevice, TrackCountAsksOnlyAnOpenDevice) {
  EXPECT_EQ(0, CDTrackCount(0));
  EXPECT_TRUE(DriveLog().empty());
  Open();
  EXPECT_EQ(5, CDTrackCount(id));
  EXPECT_EQ(5, CDTrackCount(id | 0xABCD0000u));  // only the low 16 bits count
  EXPECT_EQ("cmd=MCI_STATUS flags=0x100 item=3 err=0 ret=5", DriveLog().at(0));
  VDriveFailNext(MCI_STATUS, MCI_STATUS_NUMBER_OF_TRACKS, MCIERR_HARDWARE);
  EXPECT_EQ(0, CDTrackCount(id));
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(CDDevice, PlayTrackPlaysTheWholeSecondsOfTheCurrentTrackAndNotifies) {
  Open();
  EXPECT_EQ(1, CDSeekTrack(owner, 2, id));
  EXPECT_EQ(0, CDPlayTrack(notify, id));
  std::vector<std::string> expected = {
      "cmd=MCI_SET flags=0x400 format=10 err=0",
      "cmd=MCI_SEEK flags=0xA to=" + std::to_string(Tmsf(2, 0, 0, 50)) + " err=0",
      "cmd=MCI_SET flags=0x400 format=10 err=0",
      "cmd=MCI_STATUS flags=0x100 item=8 err=0 ret=2",
      "cmd=MCI_STATUS flags=0x110 item=1 track=2 err=0 ret=" +
          std::to_string(4 | 20 << 8 | 25 << 16),
      "cmd=MCI_PLAY flags=0xD from=2 to=" + std::to_string(Tmsf(2, 4, 20, 0)) + " err=0",
  };
  EXPECT_EQ(expected, DriveLog());
  EXPECT_EQ(Tmsf(2, 0, 0, 0), Status(MCI_STATUS_POSITION));

  VDriveAdvance(260000 - 1);  // 4:20 of play, less a millisecond
  PumpPending();
  EXPECT_TRUE(Notifications().empty());
  VDriveAdvance(1);
  ASSERT_TRUE(PumpUntil([] { return !Notifications().empty(); }));
  EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), Notifications()[0].code);
  EXPECT_EQ(static_cast<LPARAM>(id), Notifications()[0].deviceId);
  EXPECT_EQ(Tmsf(2, 4, 20, 0), Status(MCI_STATUS_POSITION));
  EXPECT_EQ(0, CDIsPlaying(owner, id));
}

TEST_F(CDDevice, PlayTrackSetsTmsfAfterTheDiscIdentityLeftMsf) {
  Open();
  Status(MCI_STATUS_MODE, MCI_FORMAT_MSF);
  CDSeekTrack(owner, 3, id);
  CDPlayTrack(notify, id);
  MCI_STATUS_PARMS status = {};
  status.dwItem = MCI_STATUS_POSITION;
  mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
  EXPECT_EQ(Tmsf(3, 0, 0, 0), status.dwReturn);
}

TEST_F(CDDevice, StopRewindLandsOnFrameFiftyOfTheCurrentTrack) {
  Open();
  PlayTrack(4);
  VDriveAdvance(95000);
  EXPECT_EQ(0, CDStopRewind(owner, id));
  std::vector<std::string> expected = {
      "cmd=MCI_STATUS flags=0x100 item=8 err=0 ret=4",
      "cmd=NOTIFY code=4",  // the stop aborts the play, while it runs
      "cmd=MCI_STOP flags=0x0 err=0",
      "cmd=MCI_SET flags=0x402 format=10 err=0",
      "cmd=MCI_SEEK flags=0xA to=" + std::to_string(Tmsf(4, 0, 0, 50)) + " err=0",
  };
  EXPECT_EQ(expected, DriveLog());
  EXPECT_EQ(Tmsf(4, 0, 0, 50), Status(MCI_STATUS_POSITION));
  EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), Status(MCI_STATUS_MODE));
  ASSERT_TRUE(PumpUntil([] { return !Notifications().empty(); }));
  EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_ABORTED), Notifications()[0].code);
}

TEST_F(CDDevice, AnIntroPlaysTheFirstSecondsAndPlayOnMovesTheEndToTheTrackEnd) {
  Open();
  CDSeekTrack(owner, 2, id);
  VDriveClearLog();
  EXPECT_EQ(0, CDPlayTrack(notify, id, 10));
  EXPECT_EQ("cmd=MCI_PLAY flags=0xD from=2 to=" + std::to_string(Tmsf(2, 0, 10, 0)) + " err=0", DriveLog().back());
  VDriveAdvance(4000);
  VDriveClearLog();
  EXPECT_EQ(0, CDPlayOn(notify, id));
  std::vector<std::string> expected = {
      "cmd=MCI_SET flags=0x400 format=10 err=0",
      "cmd=MCI_STATUS flags=0x100 item=8 err=0 ret=2",
      "cmd=MCI_STATUS flags=0x110 item=1 track=2 err=0 ret=" + std::to_string(4 | 20 << 8 | 25 << 16),
      "cmd=NOTIFY code=2",  // the intro's end is replaced
      "cmd=MCI_PLAY flags=0x9 to=" + std::to_string(Tmsf(2, 4, 20, 0)) + " err=0",
  };
  EXPECT_EQ(expected, DriveLog());
  VDriveAdvance(260000 - 4000);
  ASSERT_TRUE(PumpUntil([] { return Notifications().size() == 2; }));
  EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), Notifications()[1].code);
  EXPECT_EQ(Tmsf(2, 4, 20, 0), Status(MCI_STATUS_POSITION));
}

TEST_F(CDDevice, LengthsOfATrackAndOfTheDiscAndAnOpenOfAnotherDrive) {
  Open();
  DWORD track = 0, disc = 0;
  EXPECT_EQ(1, CDTrackLength(owner, id, 2, &track));
  EXPECT_EQ(1, CDDiscLength(owner, id, &disc));
  EXPECT_EQ(4u | 20 << 8 | 25 << 16, track);
  EXPECT_EQ(19u | 57 << 8 | 10 << 16, disc);
  EXPECT_EQ("cmd=MCI_STATUS flags=0x100 item=1 err=0 ret=" + std::to_string(disc), DriveLog().back());
  VDriveFailNext(MCI_STATUS, MCI_STATUS_LENGTH, MCIERR_HARDWARE);
  EXPECT_EQ(0, CDDiscLength(owner, id, &disc));
  EXPECT_EQ(1u, CaughtBoxes().size());

  // The drive goes to the driver as the element of the open.
  VDriveSelect('E');
  const unsigned starts[] = {Frames(0, 2, 0), Frames(1, 0, 0)};
  ASSERT_TRUE(VDriveLoadDisc(2, starts, Frames(2, 0, 0), 0));
  VDriveClearLog();
  UINT other = CDOpen(owner, "E:");
  ASSERT_NE(0u, other);
  EXPECT_EQ("drive=E cmd=MCI_OPEN flags=0x2202 err=0", DriveLog().at(0));
  EXPECT_EQ(2, CDTrackCount(other));
  EXPECT_EQ(5, CDTrackCount(id));
  CDClose(owner, other);
}

TEST_F(CDDevice, PauseAndResumeBothWays) {
  Open();
  PlayTrack(1);
  VDriveAdvance(10000);
  EXPECT_EQ(1, CDPauseResume(owner, id));
  EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), Status(MCI_STATUS_MODE));
  DWORD paused = Status(MCI_STATUS_POSITION);
  EXPECT_EQ(Tmsf(1, 0, 10, 0), paused);

  VDriveClearLog();
  EXPECT_EQ(0, CDPauseResume(owner, id));
  std::vector<std::string> expected = {
      "cmd=MCI_STATUS flags=0x100 item=4 err=0 ret=525",
      "cmd=MCI_PLAY flags=0x0 err=0",
  };
  EXPECT_EQ(expected, DriveLog());
  EXPECT_EQ(1, CDIsPlaying(owner, id));

  // A resumed disc plays on past the end of its track, without notification.
  VDriveAdvance(200000);
  PumpPending();
  EXPECT_EQ(2u, Status(MCI_STATUS_CURRENT_TRACK));
  ASSERT_EQ(1u, Notifications().size());  // the pause aborted the play
  EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_ABORTED), Notifications()[0].code);
}

TEST_F(CDDevice, PauseResumeAfterStopPlaysFromTheRewoundPosition) {
  Open();
  PlayTrack(3);
  VDriveAdvance(5000);
  CDStopRewind(owner, id);
  EXPECT_EQ(0, CDPauseResume(owner, id));
  EXPECT_EQ(1, CDIsPlaying(owner, id));
  VDriveAdvance(1000);
  EXPECT_EQ(Tmsf(3, 0, 1, 50), Status(MCI_STATUS_POSITION));
}

TEST_F(CDDevice, IsPlayingSetsTmsfThenAsksTheMode) {
  Open();
  EXPECT_EQ(0, CDIsPlaying(owner, id));
  std::vector<std::string> expected = {
      "cmd=MCI_SET flags=0x400 format=10 err=0",
      "cmd=MCI_STATUS flags=0x100 item=4 err=0 ret=525",
  };
  EXPECT_EQ(expected, DriveLog());
  PlayTrack(1);
  EXPECT_EQ(1, CDIsPlaying(owner, id));
}

TEST_F(CDDevice, PollPositionGivesTheCurrentTrackAndThePosition) {
  Open();
  SeekTmsf(Tmsf(2, 4, 19, 0));  // the last second of track 2
  VDriveClearLog();
  int track = 0;
  DWORD position = 0;
  EXPECT_EQ(1, CDPollPosition(owner, id, &track, &position));
  std::vector<std::string> expected = {
      "cmd=MCI_STATUS flags=0x100 item=4 err=0 ret=525",
      "cmd=MCI_STATUS flags=0x100 item=8 err=0 ret=2",
      "cmd=MCI_SET flags=0x402 format=10 err=0",
      "cmd=MCI_STATUS flags=0x100 item=2 err=0 ret=" + std::to_string(Tmsf(2, 4, 19, 0)),
  };
  EXPECT_EQ(expected, DriveLog());
  EXPECT_EQ(2, track);
  EXPECT_EQ(Tmsf(2, 4, 19, 0), position);

  MCI_PLAY_PARMS play = {};
  mciSendCommandA(id, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play));
  VDriveAdvance(1400);  // 4:20:25 is the end: into track 3
  EXPECT_EQ(1, CDPollPosition(owner, id, &track, &position));
  EXPECT_EQ(3, track);
  EXPECT_EQ(Tmsf(3, 0, 0, 5), position);
  EXPECT_TRUE(CaughtBoxes().empty());
}

// The disc goes out, or the drive stops being ready, before or during the
// poll: no box (the disc watch shows the removal), the answers untouched.
TEST_F(CDDevice, PollPositionIsSilentWhenTheDiscIsGone) {
  const struct {
    const char* name;
    void (*happen)();
  } cases[] = {
      {"no disc: not ready", [] { VDriveRemoveDisc(); }},
      {"door opened: the track query fails", [] { VDriveSetDoor(1); }},
      {"door opened, the driver says hardware",
       [] {
         VDriveSetDoor(1);
         VDriveFailNext(MCI_STATUS, MCI_STATUS_CURRENT_TRACK, MCIERR_HARDWARE);
       }},
      {"out between the ready answer and the position",
       [] { VDriveFailNext(MCI_STATUS, MCI_STATUS_POSITION, MCIERR_DEVICE_NOT_READY); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    c.happen();
    int track = 7;
    DWORD position = 7;
    EXPECT_EQ(0, CDPollPosition(owner, id, &track, &position));
    EXPECT_EQ(7, track);
    EXPECT_EQ(7u, position);
    EXPECT_TRUE(CaughtBoxes().empty());
    mciSendCommandA(id, MCI_CLOSE, 0, 0);
    id = 0;
    VDriveReset();
    VDriveUseManualClock(1);
    ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
  }
}

// An enhanced CD: four audio tracks and a data track in a second session.
// The drive's LeadOut is set one frame short, as a real drive reports it.
TEST_F(CDDevice, TableOfContentsGivesStartsTypesAndTheLeadOutInFrames) {
  const unsigned starts[] = {150, 18000, 36000, 54000, 72000 + 11400};
  const int data[] = {0, 0, 0, 0, 1};
  ASSERT_TRUE(VDriveLoadMixedDisc(5, starts, 99999 - 1, 0, data));
  Open();
  DiscToc toc = {};
  ASSERT_EQ(1, CDReadTableOfContents(id, &toc));
  ASSERT_EQ(5, toc.trackCount);
  for (int t = 0; t < 5; ++t) {
    EXPECT_EQ(starts[t], toc.starts[t]) << t;
    EXPECT_EQ(t < 4, toc.audio[t]) << t;
  }
  EXPECT_EQ(99999u, toc.leadOut);
  const std::vector<std::string> log = DriveLog();
  ASSERT_EQ(13u, log.size());
  EXPECT_EQ("cmd=MCI_STATUS flags=0x100 item=3 err=0 ret=5", log[0]);
  EXPECT_EQ("cmd=MCI_SET flags=0x402 format=2 err=0", log[1]);
  EXPECT_EQ("cmd=MCI_STATUS flags=0x110 item=2 track=5 err=0 ret=" + std::to_string(18 | 32 << 8),
            log[10]);
  EXPECT_EQ("cmd=MCI_STATUS flags=0x110 item=16385 track=5 err=0 ret=" + std::to_string(MCI_CDA_TRACK_OTHER),
            log[11]);
  EXPECT_EQ("cmd=MCI_STATUS flags=0x100 item=1 err=0 ret=" + std::to_string(22 | 11 << 8 | 23 << 16), log[12]);

  // The commands that depend on the time format set their own.
  int track = 0;
  DWORD position = 0, ms = 0;
  EXPECT_EQ(1, CDDiscLengthMs(id, &ms));
  EXPECT_EQ((99998u - 150) * 1000 / 75, ms);
  EXPECT_EQ(1, CDPollPosition(owner, id, &track, &position));
  EXPECT_EQ(Tmsf(1, 0, 0, 0), position);

  // A data disc: one track, of data.
  ASSERT_TRUE(VDriveLoadDisc(3, starts, 60000, 1));
  ASSERT_EQ(1, CDReadTableOfContents(id, &toc));
  EXPECT_EQ(1, toc.trackCount);
  EXPECT_EQ(0, toc.audio[0]);
  EXPECT_EQ(60001u, toc.leadOut);
  EXPECT_TRUE(CaughtBoxes().empty());
}

// Any command of the read that fails makes the whole table unknown, silently.
TEST_F(CDDevice, TableOfContentsThatCannotBeReadWholeIsNone) {
  const struct {
    UINT command;
    DWORD match;
  } faults[] = {{MCI_STATUS, MCI_STATUS_NUMBER_OF_TRACKS},
                {MCI_SET, MCI_SET_TIME_FORMAT},
                {MCI_STATUS, MCI_STATUS_POSITION},
                {MCI_STATUS, MCI_CDA_STATUS_TYPE_TRACK},
                {MCI_STATUS, MCI_STATUS_LENGTH}};
  Open();
  for (const auto& f : faults) {
    SCOPED_TRACE(f.match);
    DiscToc toc = {};
    toc.trackCount = 5;
    VDriveFailNext(f.command, f.match, MCIERR_HARDWARE);
    EXPECT_EQ(0, CDReadTableOfContents(id, &toc));
    EXPECT_EQ(0, toc.trackCount);
  }
  DiscToc toc = {};
  EXPECT_EQ(0, CDReadTableOfContents(0, &toc));
  VDriveRemoveDisc();
  EXPECT_EQ(0, CDReadTableOfContents(id, &toc));
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(CDDevice, MediaPresentFollowsTheDoorAndEjectOpensIt) {
  Open();
  EXPECT_EQ(1u, CDMediaPresent(owner, id));
  EXPECT_EQ(1, CDIsReady(owner, id));
  CDOpenDoor(owner, id);
  EXPECT_EQ("cmd=MCI_SET flags=0x100 err=0", DriveLog().at(2));
  EXPECT_EQ(0u, CDMediaPresent(owner, id));
  EXPECT_EQ(1, CDIsReady(owner, id));  // an open door is not "not ready"
  EXPECT_EQ(static_cast<DWORD>(MCI_MODE_OPEN), Status(MCI_STATUS_MODE));
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(CDDevice, TrackLengthTextOfAShortTrack) {
  const unsigned starts[] = {Frames(0, 2, 0), Frames(0, 11, 30), Frames(2, 0, 0)};
  ASSERT_TRUE(VDriveLoadDisc(3, starts, Frames(5, 0, 0), 0));
  Open();
  char text[20] = "untouched";
  EXPECT_EQ(1, CDTrackLengthText(owner, id, 1, text));
  EXPECT_STREQ(" (0:09)", text);
  std::vector<std::string> expected = {
      "cmd=MCI_SET flags=0x400 format=10 err=0",
      "cmd=MCI_STATUS flags=0x110 item=1 track=1 err=0 ret=" + std::to_string(9 << 8 | 30 << 16),
  };
  EXPECT_EQ(expected, DriveLog());
  EXPECT_EQ(1, CDTrackLengthText(owner, id, 2, text));
  EXPECT_STREQ(" (1:48)", text);
}

TEST_F(CDDevice, CloseReleasesTheDevice) {
  Open();
  EXPECT_EQ(1, CDClose(owner, id));
  EXPECT_EQ(std::vector<std::string>{"cmd=MCI_CLOSE flags=0x0 err=0"}, DriveLog());
  id = 0;
  EXPECT_EQ(0u, mciGetDeviceIDA("cdaudio"));
}

// One failing command of each operation shows exactly one box, owned by the
// given window; the silent operations show none.
struct FailureCase {
  const char* name;
  UINT command;
  DWORD match;
  int boxes;
  bool (*run)(HWND owner, HWND notify, UINT id);
};

const FailureCase kFailures[] = {
    {"close", MCI_CLOSE, 0, 1, [](HWND o, HWND, UINT id) { return CDClose(o, id) == 0; }},
    {"eject", MCI_SET, MCI_SET_DOOR_OPEN, 1, [](HWND o, HWND, UINT id) { CDOpenDoor(o, id); return true; }},
    {"is playing: format", MCI_SET, MCI_SET_TIME_FORMAT, 1,
     [](HWND o, HWND, UINT id) { return CDIsPlaying(o, id) == 0; }},
    {"is playing: mode", MCI_STATUS, MCI_STATUS_MODE, 1,
     [](HWND o, HWND, UINT id) { return CDIsPlaying(o, id) == 0; }},
    {"play: track", MCI_STATUS, MCI_STATUS_CURRENT_TRACK, 1,
     [](HWND, HWND n, UINT id) { return CDPlayTrack(n, id) == 0; }},
    {"play: length", MCI_STATUS, MCI_STATUS_LENGTH, 1,
     [](HWND, HWND n, UINT id) { return CDPlayTrack(n, id) == 0; }},
    {"play: play", MCI_PLAY, 0, 1, [](HWND, HWND n, UINT id) { return CDPlayTrack(n, id) == 0; }},
    {"stop: track", MCI_STATUS, MCI_STATUS_CURRENT_TRACK, 1,
     [](HWND o, HWND, UINT id) { return CDStopRewind(o, id) == 0; }},
    {"stop: stop", MCI_STOP, 0, 1, [](HWND o, HWND, UINT id) { return CDStopRewind(o, id) == 0; }},
    {"stop: seek", MCI_SEEK, 0, 1, [](HWND o, HWND, UINT id) { return CDStopRewind(o, id) == 0; }},
    {"stop: format ignored", MCI_SET, MCI_SET_TIME_FORMAT, 0,
     [](HWND o, HWND, UINT id) { return CDStopRewind(o, id) == 0; }},
    {"pause: mode", MCI_STATUS, MCI_STATUS_MODE, 1,
     [](HWND o, HWND, UINT id) { return CDPauseResume(o, id) == 0; }},
    {"resume: play", MCI_PLAY, 0, 1, [](HWND o, HWND, UINT id) { return CDPauseResume(o, id) == 0; }},
    {"seek is silent", MCI_SEEK, 0, 0, [](HWND o, HWND, UINT id) { return CDSeekTrack(o, 2, id) == 1; }},
    {"media present is silent", MCI_STATUS, MCI_STATUS_MEDIA_PRESENT, 0,
     [](HWND o, HWND, UINT id) { return CDMediaPresent(o, id) == 0; }},
    {"is ready", MCI_STATUS, MCI_STATUS_MODE, 1, [](HWND o, HWND, UINT id) { return CDIsReady(o, id) == 0; }},
    {"poll: track", MCI_STATUS, MCI_STATUS_CURRENT_TRACK, 1,
     [](HWND o, HWND, UINT id) { int t = 0; DWORD p = 0; return CDPollPosition(o, id, &t, &p) == 0; }},
    {"poll: position", MCI_STATUS, MCI_STATUS_POSITION, 1,
     [](HWND o, HWND, UINT id) { int t = 0; DWORD p = 0; return CDPollPosition(o, id, &t, &p) == 0; }},
    {"length text", MCI_STATUS, MCI_STATUS_LENGTH, 1, [](HWND o, HWND, UINT id) {
       char text[20] = "untouched";
       return CDTrackLengthText(o, id, 2, text) == 0 && strcmp(text, "untouched") == 0;
     }},
};

TEST_F(CDDevice, EachFailedOperationShowsExactlyOneBoxAndTheSilentOnesNone) {
  char expectedText[256];
  ASSERT_TRUE(mciGetErrorStringA(MCIERR_HARDWARE, expectedText, sizeof expectedText));
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(c.name);
    Open();
    ClearCaughtBoxes();
    VDriveFailNext(c.command, c.match, MCIERR_HARDWARE);
    EXPECT_TRUE(c.run(owner, owner, id));
    ASSERT_EQ(static_cast<size_t>(c.boxes), CaughtBoxes().size());
    if (c.boxes) {
      EXPECT_EQ("Corvane CD Player - Error", CaughtBoxes()[0].caption);
      EXPECT_EQ(expectedText, CaughtBoxes()[0].text);
      EXPECT_EQ(owner, CaughtBoxes()[0].owner);
    }
    mciSendCommandA(id, MCI_CLOSE, 0, 0);
    id = 0;
    VDriveReset();
    VDriveUseManualClock(1);
    ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
  }
}

TEST_F(CDDevice, ErrorBoxWithoutPlatformTextSaysUnknownError) {
  char text[256];
  const DWORD unknown = 0xFFFF;
  ASSERT_FALSE(mciGetErrorStringA(unknown, text, sizeof text));
  CDShowError(nullptr, unknown);
  ASSERT_EQ(1u, CaughtBoxes().size());
  EXPECT_EQ("Unknown Error!", CaughtBoxes()[0].text);
  EXPECT_EQ("Corvane CD Player - Error", CaughtBoxes()[0].caption);
  EXPECT_EQ(nullptr, CaughtBoxes()[0].owner);
}

}  // namespace
