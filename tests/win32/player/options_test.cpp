// The player's options against the virtual drive: the time display's modes,
// intro play, the choice among CD drives (the test machine has D: and E:),
// the tool tips, and the options kept in "kovel.ini".
#include "tests/win32/player/player_harness.h"

#include <commctrl.h>

#include <algorithm>

namespace {

bool Checked(UINT item) {
  return (GetMenuState(GetSystemMenu(mainWindow, FALSE), item, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

PositionRecord* TimeRecord() {
  return reinterpret_cast<PositionRecord*>(GetWindowLongPtrA(GetDlgItem(mainWindow, IDC_TIME_DISPLAY), 0));
}

TEST_F(Player, IntroPlayPlaysTheFirstSecondsOfEachEntryUnderEveryRepeatMode) {
  // From track 4, ten seconds of each entry.
  const std::string four = PlayOf(4, 0, 10), five = PlayOf(5, 0, 10), one = PlayOf(1, 0, 10);
  const RepeatOutcome cases[] = {
      {0, {four, five}, 0, false}, {1, {four, four, four}, 3, true}, {2, {four, five, one}, 0, true}};
  for (const RepeatOutcome& c : cases) {
    SCOPED_TRACE(c.repeat);
    Start();
    SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_INTRO_PLAY, 0);
    EXPECT_TRUE(Checked(IDM_INTRO_PLAY));
    ChooseRepeat(c.repeat);
    Command(IDC_REVERSE_SKIP);
    Command(IDC_REVERSE_SKIP);
    Command(IDC_PLAY);
    RunToEndOfTrack(10000);
    RunToEndOfTrack(10000);
    ExpectOutcome(c);
    EndCase();
  }
}

TEST_F(Player, TurningIntroPlayOffLetsTheTrackPlayOnToItsEnd) {
  Start();
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_INTRO_PLAY, 0);
  Command(IDC_PLAY);
  VDriveAdvance(4000);
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_INTRO_PLAY, 0);
  EXPECT_FALSE(Checked(IDM_INTRO_PLAY));
  RunToEndOfTrack(8000);  // past the intro's end
  EXPECT_EQ(0, Selection());
  EXPECT_TRUE(Playing());
  RunToEndOfTrack(188000 - 12000);  // track 1 lasts 3:08
  EXPECT_EQ(1, Selection());
  const std::vector<std::string> plays = {
      PlayOf(1, 0, 10), "cmd=MCI_PLAY flags=0x9 to=" + std::to_string(Tmsf(1, 3, 8, 0)) + " err=0",
      PlayOf(2, 4, 20)};
  EXPECT_EQ(plays, Plays());
}

TEST_F(Player, ChoosingAnotherDriveSavesThisDiscAndShowsThatDrivesDisc) {
  Start();
  const std::string first = "[" + std::to_string(discInfo.discId) + "]";
  VDriveSelect('E');
  const unsigned starts[] = {Frames(0, 2, 0), Frames(5, 0, 0), Frames(9, 0, 0)};
  ASSERT_TRUE(VDriveLoadDisc(3, starts, Frames(20, 0, 0), 0));
  VDriveSelect(0);
  char text[16] = "";
  GetMenuStringA(GetSystemMenu(mainWindow, FALSE), IDM_DRIVE_FIRST + 4, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ("E:", text);
  EXPECT_TRUE(Checked(IDM_DRIVE_FIRST + 3));  // D:, the first CD drive
  EXPECT_FALSE(Checked(IDM_DRIVE_FIRST + 4));

  Command(IDC_PLAY);
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_DRIVE_FIRST + 4, 0);
  ASSERT_TRUE(PumpUntil([this] { return Enabled(IDC_PLAY) && discInfo.trackCount == 3; }));
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find(first));
  EXPECT_EQ(3, SendMessageA(Item(IDC_ORDER_LIST), CB_GETCOUNT, 0, 0));
  EXPECT_EQ(0, Selection());
  EXPECT_FALSE(Playing());
  EXPECT_STREQ("E:", playerSettings.drive);
  EXPECT_FALSE(Checked(IDM_DRIVE_FIRST + 3));
  EXPECT_TRUE(Checked(IDM_DRIVE_FIRST + 4));
  // The first drive was stopped and closed before the other was opened.
  const std::vector<std::string> log = DriveLog();
  const auto stop = std::find(log.begin(), log.end(), "cmd=MCI_STOP flags=0x0 err=0");
  const auto close = std::find(stop, log.end(), "cmd=MCI_CLOSE flags=0x0 err=0");
  EXPECT_NE(log.end(), std::find(close, log.end(), "drive=E cmd=MCI_OPEN flags=0x2202 err=0"));

  // And back: the second disc's record is saved, the first disc's loaded.
  ChooseRepeat(2);
  const std::string second = "[" + std::to_string(discInfo.discId) + "]";
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_DRIVE_FIRST + 3, 0);
  ASSERT_TRUE(PumpUntil([this] { return Enabled(IDC_PLAY) && discInfo.trackCount == 5; }));
  const std::string catalogue = ReadBytes(WindowsFile("tunedeck.ini"));
  const size_t section = catalogue.find(second);
  ASSERT_NE(std::string::npos, section);
  EXPECT_NE(std::string::npos, catalogue.substr(section, catalogue.find('[', section + 1) - section).find("Repeat=2\r\n"));
  EXPECT_EQ(5, SendMessageA(Item(IDC_ORDER_LIST), CB_GETCOUNT, 0, 0));
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(Player, ChoosingADriveWithoutADiscLeavesNoDeviceOpenUntilADiscComes) {
  Start();
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_DRIVE_FIRST + 4, 0);  // E:, empty
  Pump();
  EXPECT_EQ(0, deviceId);
  EXPECT_EQ(0, deviceOpen);
  EXPECT_EQ("Corvane CD Player - No Disc", Text(mainWindow));
  // A command that sets the window up again finds no device: no word of a
  // data disc that is not there.
  HWND first = mainWindow;
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  Pump();
  EXPECT_EQ("Corvane CD Player - No Disc", Text(mainWindow));
  EXPECT_EQ(0, deviceOpen);
  // The disc that then comes into E: is taken.
  VDriveSelect('E');
  const unsigned starts[] = {Frames(0, 2, 0), Frames(5, 0, 0), Frames(9, 0, 0)};
  ASSERT_TRUE(VDriveLoadDisc(3, starts, Frames(20, 0, 0), 0));
  VDriveSelect(0);
  ASSERT_TRUE(PumpUntil([this] { return deviceOpen == 1 && discInfo.trackCount == 3 && Enabled(IDC_PLAY); }));
  EXPECT_NE(0, deviceId);
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(Player, TheOptionsSurviveAViewSwitchAndARestart) {
  // At its defaults the player writes the settings file it always did.
  Start();
  Restart();
  EXPECT_EQ(std::string::npos, ReadBytes(WindowsFile("kovel.ini")).find("Options"));
  DestroyWindow(mainWindow);
  ASSERT_TRUE(PumpUntil([this] { return ended; }));

  // A drive that is gone and seconds out of range give the defaults.
  WriteBytes(WindowsFile("kovel.ini"), "[Options]\r\nIntroSeconds=99\r\nDrive=F:\r\n");
  FreshProcess();
  Start();
  EXPECT_STREQ("", playerSettings.drive);
  EXPECT_EQ(10, playerSettings.introSeconds);
  EXPECT_TRUE(Checked(IDM_DRIVE_FIRST + 3));
  for (int click = 0; click < 2; ++click) {
    SendMessageA(Item(IDC_TIME_DISPLAY), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(Item(IDC_TIME_DISPLAY), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(click + 1, TimeRecord()->mode);
  }
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_INTRO_PLAY, 0);

  HWND first = mainWindow;
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  EXPECT_EQ(kDiscRemaining, TimeRecord()->mode);
  EXPECT_TRUE(Checked(IDM_INTRO_PLAY));

  Restart();
  EXPECT_EQ(0u, ReadBytes(WindowsFile("kovel.ini"))
                    .find("[Options]\r\nIntroSeconds=10\r\nDrive=\r\nTimeDisplay=2\r\nIntroPlay=1\r\n[Window]\r\n"));
  EXPECT_EQ(kDiscRemaining, TimeRecord()->mode);
  EXPECT_TRUE(Checked(IDM_INTRO_PLAY));
  // A third click comes round to the time into the track.
  SendMessageA(Item(IDC_TIME_DISPLAY), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(kTrackElapsed, TimeRecord()->mode);
  EXPECT_EQ(0, playerSettings.timeDisplay);
}

// The main window's tool tip window: the one top-level tool tip window of
// this thread.
HWND ToolTips() {
  struct Found {
    HWND window;
    int count;
  } found = {nullptr, 0};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        char name[32] = "";
        GetClassNameA(window, name, sizeof name);
        auto* f = reinterpret_cast<Found*>(data);
        if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) {
          f->window = window;
          ++f->count;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.count == 1 ? found.window : nullptr;
}

std::string TipOf(HWND tips, int control) {
  char text[80] = "";
  TOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.hwnd = mainWindow;
  info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(mainWindow, control));
  info.lpszText = text;
  SendMessageA(tips, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  return text;
}

TEST_F(Player, ToolTipsNameTheButtonsAndDisplaysInBothViews) {
  Start();
  const struct {
    int control;
    const char* text;
  } tips[] = {{IDC_PAUSE, "Pause"},
              {IDC_PLAY, "Play"},
              {IDC_STOP, "Stop"},
              {IDC_REVERSE_SKIP, "Previous Track"},
              {IDC_FORWARD_SKIP, "Next Track"},
              {IDC_EJECT, "Eject"},
              {IDC_VIEW, "Minimized View"},
              {IDC_PROPERTIES, "Disc Info"},
              {IDC_TRACK_DISPLAY, "Track"},
              {IDC_TIME_DISPLAY, "Time: click to show the time left"}};
  HWND window = ToolTips();
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(10, SendMessageA(window, TTM_GETTOOLCOUNT, 0, 0));
  for (const auto& tip : tips) EXPECT_EQ(tip.text, TipOf(window, tip.control)) << tip.control;

  HWND first = mainWindow;
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  window = ToolTips();
  ASSERT_NE(nullptr, window) << "one tool tip window, the new view's";
  EXPECT_EQ("Expanded View", TipOf(window, IDC_VIEW));
  EXPECT_EQ("Play", TipOf(window, IDC_PLAY));
}

}  // namespace
