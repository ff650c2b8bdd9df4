// The player in this process against the virtual drive with its manual
// clock, for the tests of the front panel and of the properties sheet.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/profile/profile_win32.h"
#include "player/catalogue/catalogue.h"
#include "player/controls/position_record.h"
#include "player/panel/panel.h"
#include "player/shell/player.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"
#include "tests/win32/support/drive_log.h"
#include "tests/win32/support/win_test_support.h"
#include "vdrive/vdrive_api.h"


inline unsigned Frames(unsigned m, unsigned s, unsigned f) { return (m * 60 + s) * 75 + f; }
inline DWORD Tmsf(DWORD t, DWORD m, DWORD s, DWORD f) { return t | m << 8 | s << 16 | f << 24; }

// Five tracks; track 5 lasts 1:00:00 exactly, track 4 30 seconds.
inline const unsigned kStarts[] = {Frames(0, 2, 0), Frames(3, 10, 15), Frames(7, 30, 40),
                            Frames(11, 2, 0), Frames(11, 32, 0)};
inline const unsigned kLeadOut = Frames(12, 32, 0);

inline std::string WindowsFile(const char* name) {
  char path[MAX_PATH];
  GetWindowsDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\" + name;
}


inline std::string Text(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The plays the drive was sent, as logged.
inline std::vector<std::string> Plays() {
  std::vector<std::string> plays;
  for (const std::string& line : DriveLog())
    if (line.compare(0, 12, "cmd=MCI_PLAY") == 0) plays.push_back(line);
  return plays;
}

// The log line of a play of a track from its start to minutes:seconds.
inline std::string PlayOf(DWORD track, DWORD minutes, DWORD seconds) {
  return "cmd=MCI_PLAY flags=0xD from=" + std::to_string(track) + " to=" +
         std::to_string(Tmsf(track, minutes, seconds, 0)) + " err=0";
}

// How a run of track ends came out under a repeat mode: the plays sent,
// where the selection rests and whether the disc plays on.
struct RepeatOutcome {
  int repeat;
  std::vector<std::string> plays;
  int selection;
  bool playing;
};

class Player : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VDRIVE_FILE", "C:\\no-such-folder\\vdrive.ini");
    SetEnvironmentVariableA("VDRIVE_FILE_E", "C:\\no-such-folder\\vdrive-e.ini");
    DeleteFileA(WindowsFile("tunedeck.ini").c_str());
    DeleteFileA(WindowsFile("kovel.ini").c_str());
    discInfo = DiscInfo{};
    FreshProcess();
    StartBoxCatcher();
  }

  // What a new player process starts from: an empty drive, no state.
  void FreshProcess() {
    VDriveReset();
    VDriveUseManualClock(1);
    FreeDiscArrays(&discInfo);
    deviceId = 0;
    deviceOpen = setupDone = viewRecreated = savedOrderIndex = doorOpen = paused = 0;
    propertiesOpen = trackEndPending = 0;
    discInfo = DiscInfo{};
    playerSettings = PlayerSettings{};
    ended = false;
  }

  // Ends the running player as a user would, and starts a new one on the
  // same files.
  void Restart() {
    DestroyWindow(mainWindow);
    ASSERT_TRUE(PumpUntil([this] { return ended; }));
    FreshProcess();
    Start();
  }

  void TearDown() override {
    // A test that ended its player and made a fresh process has nothing to end.
    if (!ended && IsWindow(mainWindow)) {
      DestroyWindow(mainWindow);
      PumpUntil([this] { return ended; });
    }
    StopBoxCatcher();
  }

  // Starts the player with a disc (or none) and waits for its set-up.
  void Start(bool withDisc = true) {
    if (withDisc) {
      ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
    }
    StartPlayer(GetModuleHandleA(nullptr));
    ASSERT_TRUE(CreateMainWindow());
    ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(mainWindow) != 0; }));
    Pump();
    VDriveClearLog();
  }

  // Ends the player of one case of a test; the next starts afresh, without
  // catalogue or settings.
  void EndCase() {
    DestroyWindow(mainWindow);
    ASSERT_TRUE(PumpUntil([this] { return ended; }));
    FreshProcess();
    DeleteFileA(WindowsFile("tunedeck.ini").c_str());
    DeleteFileA(WindowsFile("kovel.ini").c_str());
  }

  void ExpectOutcome(const RepeatOutcome& outcome) {
    EXPECT_EQ(outcome.plays, Plays());
    EXPECT_EQ(outcome.selection, Selection());
    EXPECT_EQ(outcome.playing, Playing());
    EXPECT_EQ(!outcome.playing, Enabled(IDC_PLAY));
  }

  // Runs the player's own loop over what is queued: a quit either re-creates
  // the window for a view switch or shuts the player down.
  void Pump() {
    if (!ended) ended = !RunQueuedPlayerMessages();
  }

  template <typename Done>
  bool PumpUntil(Done done) {
    for (int round = 0; round < 500; ++round) {
      Pump();
      if (done()) return true;
      WaitForMessage(20);
    }
    return false;
  }

  HWND Item(int id) { return GetDlgItem(mainWindow, id); }
  void Command(int id, int notification = 0) {
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(Item(id)));
    Pump();
  }
  int Selection() { return static_cast<int>(SendMessageA(Item(IDC_ORDER_LIST), CB_GETCURSEL, 0, 0)); }
  void ChooseRepeat(int index) {
    SendMessageA(Item(IDC_REPEAT), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Command(IDC_REPEAT, CBN_SELCHANGE);
  }
  DWORD Status(DWORD item) {
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_TMSF;
    mciSendCommandA(deviceId, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set));
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    mciSendCommandA(deviceId, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    return static_cast<DWORD>(status.dwReturn);
  }
  bool Playing() { return Status(MCI_STATUS_MODE) == MCI_MODE_PLAY; }
  bool Enabled(int id) { return IsWindowEnabled(Item(id)) != 0; }
  // Lets the clock run to the end of the current play and the player react.
  void RunToEndOfTrack(unsigned ms) {
    VDriveAdvance(ms);
    Pump();
  }

  bool ended = false;
};

