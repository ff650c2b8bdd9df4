// The media keys against the player in this process: each key, as a hot key
// and as an application command, does what the panel's button does in the
// state at hand, and the hot keys belong to whichever main window exists.
#include "player/panel/media_keys_core.h"
#include "tests/win32/player/player_harness.h"
#include "tests/win32/support/drive_log.h"

namespace {

enum Path { kButtons, kAppCommands, kHotKeys };

// The transport commands of the drive log since the last look: what the
// panel asked the drive to do, without the displays' and watch's polling.
std::vector<std::string> TransportLog() {
  std::vector<std::string> moves;
  for (const std::string& line : DriveLog())
    for (const char* cmd : {"cmd=MCI_PLAY ", "cmd=MCI_PAUSE ", "cmd=MCI_STOP ", "cmd=MCI_SEEK "})
      if (line.compare(0, strlen(cmd), cmd) == 0) moves.push_back(line);
  VDriveClearLog();
  return moves;
}

class MediaKeys : public Player {
 protected:
  // Delivers a key the way the path does: a key without a virtual key of its
  // own comes as an application command on the hot-key path too.
  void Key(Path path, unsigned command, unsigned virtualKey, int button) {
    if (path == kButtons) {
      if (button) Command(button);
    } else if (path == kHotKeys && virtualKey) {
      PostMessageA(mainWindow, WM_HOTKEY, virtualKey, MAKELPARAM(0, virtualKey));
    } else {
      PostMessageA(mainWindow, kAppCommandMessage, reinterpret_cast<WPARAM>(mainWindow),
                   MAKELPARAM(0, command));
    }
    Pump();
  }
  // The panel and the drive after a step.
  std::string Look() {
    std::string look;
    for (const std::string& line : TransportLog()) look += line + "\n";
    look += "play=" + std::to_string(Enabled(IDC_PLAY)) + " pause=" + std::to_string(Enabled(IDC_PAUSE)) +
            " " + Text(Item(IDC_PAUSE)) + " paused=" + std::to_string(paused) +
            " entry=" + std::to_string(Selection()) + " playing=" + std::to_string(Playing());
    VDriveClearLog();
    return look;
  }
};

TEST_F(MediaKeys, EachKeyDoesWhatItsButtonDoesInEveryState) {
  struct Step {
    unsigned command, virtualKey;
    int button;  // what a user presses for it; 0: nothing
  } steps[] = {
      {kAppCommandPlayPause, kKeyPlayPause, IDC_PLAY},     // stopped: plays
      {kAppCommandPlayPause, kKeyPlayPause, IDC_PAUSE},    // playing: pauses
      {kAppCommandNextTrack, kKeyNextTrack, IDC_FORWARD_SKIP},
      {kAppCommandPlayPause, kKeyPlayPause, IDC_PAUSE},    // paused: resumes
      {kAppCommandNextTrack, kKeyNextTrack, IDC_FORWARD_SKIP},
      {kAppCommandPreviousTrack, kKeyPreviousTrack, IDC_REVERSE_SKIP},
      {kAppCommandPlay, 0, 0},                             // playing already
      {kAppCommandPause, 0, IDC_PAUSE},
      {kAppCommandPause, 0, 0},                            // paused already
      {kAppCommandPlay, 0, IDC_PAUSE},                     // resumes
      {kAppCommandStop, kKeyStop, IDC_STOP},
      {kAppCommandPause, 0, 0},                            // stopped
      {kAppCommandPreviousTrack, kKeyPreviousTrack, IDC_REVERSE_SKIP},
      {kAppCommandPlay, 0, IDC_PLAY},
  };
  std::vector<std::string> looks[3];
  Start();
  for (Path path : {kButtons, kAppCommands, kHotKeys}) {
    for (const Step& step : steps) {
      VDriveAdvance(3000);
      Key(path, step.command, step.virtualKey, step.button);
      looks[path].push_back(Look());
    }
    Command(IDC_STOP);  // back where the player started: stopped at entry 0
    Look();
  }
  EXPECT_NE(std::string::npos, looks[kButtons][1].find("IDB_PAUSE_STOPPED paused=1"));
  EXPECT_NE(std::string::npos, looks[kButtons].back().find("entry=0 playing=1"));
  for (size_t i = 0; i < looks[kButtons].size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(looks[kButtons][i], looks[kAppCommands][i]);
    EXPECT_EQ(looks[kButtons][i], looks[kHotKeys][i]);
  }
}

TEST_F(MediaKeys, DoNothingWithoutADiscOrUnderAModalDialog) {
  Start();
  VDriveRemoveDisc();
  ASSERT_TRUE(PumpUntil([] { return doorOpen == 1; }));
  TransportLog();
  for (Path path : {kAppCommands, kHotKeys})
    for (unsigned key : {kKeyPlayPause, kKeyStop, kKeyNextTrack, kKeyPreviousTrack})
      Key(path, key == kKeyPlayPause ? kAppCommandPlayPause : kAppCommandStop, key, 0);
  Key(kAppCommands, kAppCommandPlay, 0, 0);
  EXPECT_TRUE(TransportLog().empty());
  EXPECT_EQ("Corvane CD Player - No Disc", Text(mainWindow));
  EXPECT_FALSE(Enabled(IDC_PAUSE));
  EXPECT_TRUE(CaughtBoxes().empty());  // a command sent to an empty drive would show an error

  ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
  ASSERT_TRUE(PumpUntil([this] { return Enabled(IDC_PLAY); }));
  TransportLog();
  EnableWindow(mainWindow, FALSE);  // as the properties sheet leaves it
  Key(kHotKeys, kAppCommandPlayPause, kKeyPlayPause, 0);
  Key(kAppCommands, kAppCommandNextTrack, 0, 0);
  EXPECT_TRUE(TransportLog().empty());
  EXPECT_EQ(0, Selection());
  EnableWindow(mainWindow, TRUE);

  // Handled commands answer TRUE; others go on to the default procedure.
  EXPECT_EQ(TRUE, SendMessageA(mainWindow, kAppCommandMessage, 0, MAKELPARAM(0, kAppCommandStop)));
  EXPECT_EQ(FALSE, SendMessageA(mainWindow, kAppCommandMessage, 0, MAKELPARAM(0, 10)));  // volume up
}

TEST_F(MediaKeys, TheHotKeysBelongToEachMainWindowAndLeaveOthersKeysAlone) {
  HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(other, 1, 0, kKeyStop));  // another program holds Stop
  // Whether some window holds the key: then this one cannot take it.
  auto held = [other](unsigned key) {
    if (!RegisterHotKey(other, 2, 0, key)) return true;
    UnregisterHotKey(other, 2);
    return false;
  };
  const unsigned keys[] = {kKeyPlayPause, kKeyNextTrack, kKeyPreviousTrack};
  Start();
  EXPECT_TRUE(CaughtBoxes().empty());
  for (unsigned key : keys) EXPECT_TRUE(held(key)) << key;

  HWND first = mainWindow;
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  for (unsigned key : keys) EXPECT_TRUE(held(key)) << key;
  Key(kAppCommands, kAppCommandPlayPause, 0, 0);
  EXPECT_TRUE(Playing());

  DestroyWindow(mainWindow);
  ASSERT_TRUE(PumpUntil([this] { return ended; }));
  for (unsigned key : keys) EXPECT_FALSE(held(key)) << key;
  EXPECT_TRUE(held(kKeyStop));
  UnregisterHotKey(other, 1);
  DestroyWindow(other);
}

}  // namespace
