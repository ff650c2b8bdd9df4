// The player in this process against the virtual drive with its manual
// clock: the real main window, driven with messages the way a user's clicks
// and keys arrive, checked through its controls, the drive's command log and
// the files it writes.
#include "tests/win32/player/player_harness.h"

namespace {

TEST_F(Player, StartsWithTheFirstEntrySelectedAndSoughtButNotPlaying) {
  Start();
  EXPECT_EQ("Untitled", Text(mainWindow));
  EXPECT_EQ("Untitled", Text(Item(IDC_DISC_TITLE)));
  ASSERT_EQ(5, SendMessageA(Item(IDC_ORDER_LIST), CB_GETCOUNT, 0, 0));
  char item[100];
  SendMessageA(Item(IDC_ORDER_LIST), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ("Track 2 (4:20)", item);
  EXPECT_EQ(0, Selection());
  EXPECT_EQ(Tmsf(1, 0, 0, 50), Status(MCI_STATUS_POSITION));
  EXPECT_FALSE(Playing());
  EXPECT_TRUE(Enabled(IDC_PLAY));
  EXPECT_FALSE(Enabled(IDC_PAUSE));
  EXPECT_EQ(0, SendMessageA(Item(IDC_REPEAT), CB_GETCURSEL, 0, 0));
  EXPECT_EQ("(none)", ReadBytes(WindowsFile("tunedeck.ini")));  // a load writes nothing
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(Player, PlayPauseTwiceAndStop) {
  Start();
  Command(IDC_PLAY);
  EXPECT_TRUE(Playing());
  EXPECT_FALSE(Enabled(IDC_PLAY));
  EXPECT_TRUE(Enabled(IDC_PAUSE));
  VDriveAdvance(5000);

  Command(IDC_PAUSE);
  EXPECT_EQ(1, paused);
  EXPECT_FALSE(Playing());
  EXPECT_EQ("IDB_PAUSE_STOPPED", Text(Item(IDC_PAUSE)));
  Command(IDC_PAUSE);
  EXPECT_EQ(0, paused);
  EXPECT_TRUE(Playing());
  EXPECT_EQ("IDB_PAUSE", Text(Item(IDC_PAUSE)));

  VDriveAdvance(2000);
  Command(IDC_STOP);
  EXPECT_FALSE(Playing());
  EXPECT_EQ(Tmsf(1, 0, 0, 50), Status(MCI_STATUS_POSITION));
  EXPECT_TRUE(Enabled(IDC_PLAY));
  EXPECT_FALSE(Enabled(IDC_PAUSE));
}

TEST_F(Player, ReturnDoesNothingAndEscapeEndsWithTheDriveAtTheTrackStart) {
  Start();
  Command(IDC_FORWARD_SKIP);
  Command(IDC_PLAY);
  VDriveAdvance(30000);
  HWND focus = Item(IDC_PLAY);
  SetFocus(focus);
  PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_FALSE(ended);
  EXPECT_TRUE(Playing());

  PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(PumpUntil([this] { return ended; }));
  std::string section = "[" + std::to_string(discInfo.discId) + "]";
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find(section));
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("kovel.ini")).find("Template=101"));
  // Reopen the drive to see where the player left it.
  MCI_OPEN_PARMSA open = {};
  open.lpstrDeviceType = "cdaudio";
  ASSERT_EQ(0u, mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE, reinterpret_cast<DWORD_PTR>(&open)));
  deviceId = static_cast<uint16_t>(open.wDeviceID);
  EXPECT_EQ(Tmsf(2, 0, 0, 50), Status(MCI_STATUS_POSITION));
  EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), Status(MCI_STATUS_MODE));
  mciSendCommandA(deviceId, MCI_CLOSE, 0, 0);
}

TEST_F(Player, TheEndOfTheLastEntryFollowsTheRepeatMode) {
  struct Case {
    int repeat;
    int selection;
    bool playing;
    DWORD track;
  } cases[] = {{0, 0, false, 1}, {1, 4, true, 5}, {2, 0, true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.repeat);
    Start();
    ChooseRepeat(c.repeat);
    EXPECT_EQ(c.repeat, discInfo.repeatMode);
    Command(IDC_REVERSE_SKIP);  // from the first entry to the last
    ASSERT_EQ(4, Selection());
    Command(IDC_PLAY);
    RunToEndOfTrack(60000);
    EXPECT_EQ(c.selection, Selection());
    EXPECT_EQ(c.playing, Playing());
    EXPECT_EQ(c.track, Status(MCI_STATUS_CURRENT_TRACK));
    EXPECT_EQ(!c.playing, Enabled(IDC_PLAY));
    EXPECT_EQ(c.playing, Enabled(IDC_PAUSE));
    EndCase();
  }
}

TEST_F(Player, NoRepeatPlaysEntryAfterEntryUntilTheLast) {
  Start();
  Command(IDC_FORWARD_SKIP);
  Command(IDC_FORWARD_SKIP);
  Command(IDC_FORWARD_SKIP);  // track 4, 30 seconds
  Command(IDC_PLAY);
  RunToEndOfTrack(30000);
  EXPECT_EQ(4, Selection());
  EXPECT_TRUE(Playing());
  EXPECT_EQ(5u, Status(MCI_STATUS_CURRENT_TRACK));
}

TEST_F(Player, SkipsWrapBothWaysAndKeepPlayingOrStopped) {
  Start();
  Command(IDC_REVERSE_SKIP);
  EXPECT_EQ(4, Selection());
  EXPECT_FALSE(Playing());
  EXPECT_EQ(Tmsf(5, 0, 0, 50), Status(MCI_STATUS_POSITION));
  Command(IDC_FORWARD_SKIP);
  EXPECT_EQ(0, Selection());
  EXPECT_FALSE(Playing());

  Command(IDC_PLAY);
  VDriveAdvance(180000);  // three minutes into track 1
  Command(IDC_REVERSE_SKIP);
  EXPECT_EQ(4, Selection());
  EXPECT_TRUE(Playing());
  EXPECT_EQ(5u, Status(MCI_STATUS_CURRENT_TRACK));
  Command(IDC_FORWARD_SKIP);
  EXPECT_EQ(0, Selection());
  EXPECT_TRUE(Playing());
  EXPECT_EQ(Tmsf(1, 0, 0, 0), Status(MCI_STATUS_POSITION));

  // A list choice plays the chosen entry.
  SendMessageA(Item(IDC_ORDER_LIST), CB_SETCURSEL, 2, 0);
  Command(IDC_ORDER_LIST, CBN_SELCHANGE);
  EXPECT_TRUE(Playing());
  EXPECT_EQ(3u, Status(MCI_STATUS_CURRENT_TRACK));
}

uint32_t FixedSecond() { return 1000; }

TEST_F(Player, ShuffleStopsAndSkipsAndTrackEndsFollowTheShuffledOrder) {
  shuffleClock = FixedSecond;
  Start();
  Command(IDC_PLAY);
  SendMessageA(Item(IDC_SHUFFLE), BM_SETCHECK, BST_CHECKED, 0);
  Command(IDC_SHUFFLE, BN_CLICKED);
  EXPECT_EQ(1, discInfo.shuffle);
  EXPECT_FALSE(Playing());
  ASSERT_NE(nullptr, discInfo.shuffleOrder);
  const int32_t* order = discInfo.shuffleOrder;
  EXPECT_EQ(0, Selection());
  EXPECT_EQ(static_cast<DWORD>(order[0]), Status(MCI_STATUS_CURRENT_TRACK));
  Command(IDC_FORWARD_SKIP);
  EXPECT_EQ(static_cast<DWORD>(order[1]), Status(MCI_STATUS_CURRENT_TRACK));

  ChooseRepeat(2);
  Command(IDC_PLAY);
  VDriveAdvance(1000000);  // long enough for any track
  Pump();
  EXPECT_EQ(2, Selection());
  EXPECT_EQ(static_cast<DWORD>(order[2]), Status(MCI_STATUS_CURRENT_TRACK));
  EXPECT_TRUE(Playing());
}

// Plainly, and in the moment between an LED display's ready answer and its
// position query (the query then fails "not ready"): no box either way.
TEST_F(Player, TakingTheDiscOutWhilePlayingShowsNoDisc) {
  for (bool betweenQueries : {false, true}) {
    SCOPED_TRACE(betweenQueries);
    Start();
    Command(IDC_PLAY);
    if (betweenQueries) {
      VDriveFailNext(MCI_STATUS, MCI_STATUS_POSITION, MCIERR_DEVICE_NOT_READY);
      const std::string failed = "item=2 err=" + std::to_string(MCIERR_DEVICE_NOT_READY);
      ASSERT_TRUE(PumpUntil([&failed] {
        for (const std::string& line : DriveLog())
          if (line.find(failed) != std::string::npos) return true;
        return false;
      }));
    }
    VDriveRemoveDisc();
    ASSERT_TRUE(PumpUntil([] { return Text(mainWindow) == "Corvane CD Player - No Disc"; }));
    EXPECT_EQ("No Disc Or Data Disk", Text(Item(IDC_DISC_TITLE)));
    for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_FORWARD_SKIP, IDC_REVERSE_SKIP, IDC_EJECT,
                   IDC_ORDER_LIST, IDC_SHUFFLE, IDC_REPEAT, IDC_PROPERTIES, IDC_VIEW})
      EXPECT_FALSE(Enabled(id)) << id;
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    GetMenuItemInfoA(GetSystemMenu(mainWindow, FALSE), IDC_VIEW, FALSE, &info);
    EXPECT_TRUE(info.fState & MFS_GRAYED);
    EXPECT_EQ("IDB_OPENCD", Text(Item(IDC_DOOR)));
    EXPECT_TRUE(CaughtBoxes().empty());
    EndCase();
  }
}

TEST_F(Player, ADataDiscIsRejectedOnceAndEjected) {
  Start();
  VDriveRemoveDisc();
  ASSERT_TRUE(PumpUntil([] { return doorOpen == 1; }));
  const unsigned data[] = {Frames(0, 2, 0)};
  VDriveLoadDisc(1, data, Frames(40, 0, 0), 1);
  ASSERT_TRUE(PumpUntil([] { return !CaughtBoxes().empty(); }));
  Pump();
  ASSERT_EQ(1u, CaughtBoxes().size());
  EXPECT_EQ("Corvane CD Player", CaughtBoxes()[0].caption);
  EXPECT_EQ("CD appears to be data disk, please\n replace with a music CD.", CaughtBoxes()[0].text);
  EXPECT_EQ(mainWindow, CaughtBoxes()[0].owner);
  EXPECT_EQ(static_cast<DWORD>(MCI_MODE_OPEN), Status(MCI_STATUS_MODE));
  EXPECT_EQ(1, doorOpen);
  EXPECT_FALSE(Enabled(IDC_PLAY));
  for (int i = 0; i < 5; ++i) {
    WaitForMessage(20);
    Pump();
  }
  EXPECT_EQ(1u, CaughtBoxes().size());
}

TEST_F(Player, ADataDiscFoundWhenTheDeviceOpensLateIsRejectedOnce) {
  StartBoxCatcher(200);  // the user takes a moment to read the message
  Start(false);
  const unsigned data[] = {Frames(0, 2, 0)};
  VDriveLoadDisc(1, data, Frames(40, 0, 0), 1);
  ASSERT_TRUE(PumpUntil([] { return deviceOpen == 1 && !CaughtBoxes().empty(); }));
  for (int i = 0; i < 10; ++i) {
    WaitForMessage(20);
    Pump();
  }
  EXPECT_EQ(1u, CaughtBoxes().size());
  EXPECT_EQ(static_cast<DWORD>(MCI_MODE_OPEN), Status(MCI_STATUS_MODE));
}

TEST_F(Player, APausedDiscKeepsItsPausedLookAcrossAViewSwitch) {
  Start();
  Command(IDC_PLAY);
  Command(IDC_PAUSE);
  HWND first = mainWindow;
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  Pump();
  EXPECT_FALSE(Enabled(IDC_PLAY));
  EXPECT_TRUE(Enabled(IDC_PAUSE));
  EXPECT_EQ("IDB_PAUSE_STOPPED", Text(Item(IDC_PAUSE)));
  Command(IDC_PAUSE);  // resumes
  EXPECT_TRUE(Playing());
}

TEST_F(Player, ANewDiscIsLoadedAfterTheOldEntryIsSaved) {
  Start();
  uint32_t oldId = discInfo.discId;
  VDriveRemoveDisc();
  ASSERT_TRUE(PumpUntil([] { return doorOpen == 1; }));
  const unsigned starts[] = {Frames(0, 2, 0), Frames(5, 0, 0), Frames(9, 0, 0)};
  VDriveLoadDisc(3, starts, Frames(20, 0, 0), 0);
  ASSERT_TRUE(PumpUntil([] { return doorOpen == 0; }));
  EXPECT_NE(oldId, discInfo.discId);
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("[" + std::to_string(oldId) + "]"));
  EXPECT_EQ(3, SendMessageA(Item(IDC_ORDER_LIST), CB_GETCOUNT, 0, 0));
  EXPECT_EQ(0, Selection());
  EXPECT_FALSE(Playing());
  EXPECT_TRUE(Enabled(IDC_PLAY));
  EXPECT_TRUE(Enabled(IDC_EJECT));
  EXPECT_EQ("IDB_CLOSEDCD", Text(Item(IDC_DOOR)));
}

TEST_F(Player, AStartWithAnEmptyDriveTakesTheDiscWhenItComes) {
  Start(false);
  EXPECT_EQ(0, deviceOpen);
  EXPECT_EQ("Corvane CD Player - No Disc", Text(mainWindow));
  EXPECT_FALSE(Enabled(IDC_PLAY));
  ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
  ASSERT_TRUE(PumpUntil([] { return deviceOpen == 1 && doorOpen == 0; }));
  ASSERT_TRUE(PumpUntil([this] { return Enabled(IDC_PLAY); }));
  EXPECT_EQ("Untitled", Text(mainWindow));
  EXPECT_EQ(5, SendMessageA(Item(IDC_ORDER_LIST), CB_GETCOUNT, 0, 0));
  EXPECT_EQ(0, Selection());
  EXPECT_FALSE(Playing());
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(Player, TwoViewSwitchesWhilePlayingKeepTheMusicAndTheSelection) {
  Start();
  Command(IDC_FORWARD_SKIP);
  Command(IDC_PLAY);
  VDriveAdvance(4000);
  HWND first = mainWindow;
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  Pump();
  EXPECT_EQ(122, playerSettings.templateId);
  EXPECT_FALSE(IsWindowVisible(Item(IDC_ORDER_LIST)));
  EXPECT_EQ(1, Selection());
  EXPECT_TRUE(Playing());
  EXPECT_FALSE(Enabled(IDC_PLAY));
  EXPECT_TRUE(Enabled(IDC_PAUSE));
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("kovel.ini")).find("Template=122"));

  HWND second = mainWindow;
  SendMessageA(mainWindow, WM_COMMAND, IDC_VIEW, 0);  // the view button
  ASSERT_TRUE(PumpUntil([second] { return mainWindow != second && IsWindowVisible(mainWindow); }));
  Pump();
  EXPECT_EQ(101, playerSettings.templateId);
  EXPECT_TRUE(IsWindowVisible(Item(IDC_ORDER_LIST)));
  EXPECT_EQ(1, Selection());
  EXPECT_EQ(Tmsf(2, 0, 4, 0), Status(MCI_STATUS_POSITION));
  // The track's end still advances, through the notification window.
  RunToEndOfTrack(260000 - 4000);
  EXPECT_EQ(2, Selection());
  EXPECT_TRUE(Playing());
}

TEST_F(Player, ATrackEndingDuringAViewSwitchStillAdvances) {
  Start();
  Command(IDC_PLAY);
  HWND first = mainWindow;
  VDriveAdvance(188000);  // track 1 ends: its notification is queued...
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);  // ...behind the switch
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  Pump();
  EXPECT_EQ(1, Selection());
  EXPECT_TRUE(Playing());
  EXPECT_EQ(2u, Status(MCI_STATUS_CURRENT_TRACK));
}

TEST_F(Player, StayOnTopSurvivesAViewSwitchAndARestart) {
  Start();
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_STAY_ON_TOP, 0);
  EXPECT_TRUE(GetWindowLongA(mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
  HWND first = mainWindow;
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  EXPECT_TRUE(GetWindowLongA(mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
            GetMenuState(GetSystemMenu(mainWindow, FALSE), IDM_STAY_ON_TOP, MF_BYCOMMAND) & MF_CHECKED);
  Restart();
  EXPECT_EQ(122, playerSettings.templateId);
  EXPECT_TRUE(GetWindowLongA(mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
            GetMenuState(GetSystemMenu(mainWindow, FALSE), IDM_STAY_ON_TOP, MF_BYCOMMAND) & MF_CHECKED);
  // Turned off again, it stays off after the next restart.
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_STAY_ON_TOP, 0);
  Restart();
  EXPECT_FALSE(GetWindowLongA(mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("kovel.ini")).find("StayOnTop=0"));
}

TEST_F(Player, AStoredStayOnTopOfTwoStartsNotTopmostAndTheMenuTurnsItOn) {
  WriteBytes(WindowsFile("kovel.ini"), "[Window]\r\nStayOnTop=2\r\n");
  Start();
  EXPECT_FALSE(GetWindowLongA(mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_STAY_ON_TOP, 0);
  EXPECT_TRUE(GetWindowLongA(mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(1, playerSettings.stayOnTop);
}

TEST_F(Player, SavedPositionsAreKeptUnlessTheWindowWouldBeOffEveryMonitor) {
  WriteBytes(WindowsFile("kovel.ini"), "[Window]\r\nWindowXPosn=-8\r\nWindowYPosn=20\r\n");
  Start();
  RECT rect;
  GetWindowRect(mainWindow, &rect);
  EXPECT_EQ(-8, rect.left);
  EXPECT_EQ(20, rect.top);
  DestroyWindow(mainWindow);
  ASSERT_TRUE(PumpUntil([this] { return ended; }));
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("kovel.ini")).find("WindowXPosn=-8"));

  FreshProcess();
  WriteBytes(WindowsFile("kovel.ini"), "[Window]\r\nWindowXPosn=30000\r\nWindowYPosn=-20000\r\n");
  Start();
  GetWindowRect(mainWindow, &rect);
  EXPECT_TRUE(MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr);

  // Where the system has no monitor functions, the primary screen's work area.
  DestroyWindow(mainWindow);
  ASSERT_TRUE(PumpUntil([this] { return ended; }));
  FreshProcess();
  WriteBytes(WindowsFile("kovel.ini"), "[Window]\r\nWindowXPosn=30000\r\nWindowYPosn=-20000\r\n");
  const MonitorFunctions none = {};
  testSeamMonitorFunctions = &none;
  Start();
  testSeamMonitorFunctions = nullptr;
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(mainWindow, &rect);
  EXPECT_EQ(work.right, rect.right);
  EXPECT_EQ(work.top, rect.top);
}

TEST_F(Player, ThreeTrackEndsInARowFollowTheRepeatMode) {
  // From track 3 (3:31), then track 4 (0:30) and track 5 (1:00).
  const std::string three = PlayOf(3, 3, 31), four = PlayOf(4, 0, 30), five = PlayOf(5, 1, 0),
                    one = PlayOf(1, 3, 8);
  const RepeatOutcome cases[] = {
      {0, {four, five}, 0, false}, {1, {three, three, three}, 2, true}, {2, {four, five, one}, 0, true}};
  for (const RepeatOutcome& c : cases) {
    SCOPED_TRACE(c.repeat);
    Start();
    ChooseRepeat(c.repeat);
    Command(IDC_FORWARD_SKIP);
    Command(IDC_FORWARD_SKIP);
    Command(IDC_PLAY);
    VDriveClearLog();
    unsigned ends[3][3] = {{211000, 30000, 60000}, {211000, 211000, 211000}, {211000, 30000, 60000}};
    for (unsigned ms : ends[c.repeat]) RunToEndOfTrack(ms);
    ExpectOutcome(c);
    EndCase();
  }
}

TEST_F(Player, EjectingAMusicDiscShowsNoDiscUntilTheDoorCloses) {
  Start();
  Command(IDC_FORWARD_SKIP);
  Command(IDC_PLAY);
  VDriveAdvance(5000);
  Pump();
  Command(IDC_EJECT);
  EXPECT_EQ(static_cast<DWORD>(MCI_MODE_OPEN), Status(MCI_STATUS_MODE));
  for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_FORWARD_SKIP, IDC_REVERSE_SKIP, IDC_EJECT, IDC_ORDER_LIST,
                 IDC_SHUFFLE, IDC_REPEAT, IDC_PROPERTIES})
    EXPECT_FALSE(Enabled(id)) << id;
  for (int id : {IDC_TRACK_DISPLAY, IDC_TIME_DISPLAY}) {
    auto* record = reinterpret_cast<PositionRecord*>(GetWindowLongPtrA(Item(id), 0));
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(0, record->track + record->minutes + record->seconds + record->frames) << id;
  }
  VDriveSetDoor(0);
  ASSERT_TRUE(PumpUntil([this] { return Enabled(IDC_PLAY); }));
  EXPECT_EQ(5, SendMessageA(Item(IDC_ORDER_LIST), CB_GETCOUNT, 0, 0));
  EXPECT_EQ(0, Selection());
  EXPECT_FALSE(Playing());
  EXPECT_TRUE(Enabled(IDC_EJECT));
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(Player, SkipsAndListChoicesWhilePausedStayStoppedAndPaused) {
  Start();
  Command(IDC_PLAY);
  VDriveAdvance(5000);
  Command(IDC_PAUSE);
  Command(IDC_FORWARD_SKIP);
  EXPECT_EQ(Tmsf(2, 0, 0, 50), Status(MCI_STATUS_POSITION));
  SendMessageA(Item(IDC_ORDER_LIST), CB_SETCURSEL, 3, 0);
  Command(IDC_ORDER_LIST, CBN_SELCHANGE);
  EXPECT_EQ(Tmsf(4, 0, 0, 50), Status(MCI_STATUS_POSITION));
  EXPECT_FALSE(Playing());
  EXPECT_EQ("IDB_PAUSE_STOPPED", Text(Item(IDC_PAUSE)));
  EXPECT_TRUE(Enabled(IDC_PAUSE));
  EXPECT_FALSE(Enabled(IDC_PLAY));
}

TEST_F(Player, APauseEndsWhenTheDiscChangesAndANewPlayStarts) {
  Start();
  Command(IDC_PLAY);
  Command(IDC_PAUSE);
  VDriveRemoveDisc();
  ASSERT_TRUE(PumpUntil([] { return doorOpen == 1; }));
  ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
  ASSERT_TRUE(PumpUntil([this] { return Enabled(IDC_PLAY); }));
  Command(IDC_PLAY);
  HWND first = mainWindow;
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  ASSERT_TRUE(PumpUntil([first] { return mainWindow != first && IsWindowVisible(mainWindow); }));
  Pump();
  EXPECT_TRUE(Playing());
  EXPECT_EQ("IDB_PAUSE", Text(Item(IDC_PAUSE)));
  EXPECT_FALSE(Enabled(IDC_PLAY));
  EXPECT_EQ(0, paused);
}

// Another program holding the files (a sharing violation), or an I/O error
// part-way through a read: the player's saves at exit must write nothing,
// where rewriting from nothing would lose every other disc and setting.
DWORD failOpensWith;
int readsBeforeFailing;

HANDLE WINAPI HeldCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                             DWORD flags, HANDLE model) {
  if ((access & GENERIC_READ) && failOpensWith) {
    SetLastError(failOpensWith);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(name, access, share, security, how, flags, model);
}

BOOL WINAPI FailingReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
  if (readsBeforeFailing-- <= 0) {
    SetLastError(ERROR_CRC);
    return FALSE;
  }
  return ReadFile(file, buffer, size, read, overlapped);
}

TEST_F(Player, FilesThatCannotBeReadAreNeverReplaced) {
  const std::string catalogue = "[1]\r\nDiscTitle=Someone else's\r\n";
  const std::string settings = "[Window]\r\nWindowXPosn=40\r\n[Mine]\r\nk=v\r\n";
  struct Case {
    DWORD openError;
    int reads;
  } cases[] = {{ERROR_SHARING_VIOLATION, 1000}, {0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.openError ? "shared away" : "I/O error part-way");
    WriteBytes(WindowsFile("tunedeck.ini"), catalogue);
    WriteBytes(WindowsFile("kovel.ini"), settings);
    Start();
    ChooseRepeat(2);
    ProfileFileSeam saved = testSeamProfileFiles;
    testSeamProfileFiles.createFile = HeldCreateFile;
    testSeamProfileFiles.readFile = FailingReadFile;
    failOpensWith = c.openError;
    readsBeforeFailing = c.reads;
    SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_STAY_ON_TOP, 0);
    DestroyWindow(mainWindow);
    ASSERT_TRUE(PumpUntil([this] { return ended; }));
    testSeamProfileFiles = saved;
    EXPECT_EQ(catalogue, ReadBytes(WindowsFile("tunedeck.ini")));
    EXPECT_EQ(settings, ReadBytes(WindowsFile("kovel.ini")));
    FreshProcess();
  }
}

}  // namespace
