// The disc properties sheet, opened from the player's database button and
// driven while it runs modally: a script of steps runs from a thread timer
// inside the sheet's own message loop, the way a user types and clicks.
#include "player/properties/properties.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "tests/win32/player/player_harness.h"

namespace {

std::vector<std::function<bool()>> script;
size_t scriptAt;

// One step a tick. A step is claimed before it runs, because it may open a
// modal dialog whose loop runs the next steps; a step not ready yet returns
// false and is tried again.
void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  if (scriptAt >= script.size()) return;
  size_t step = scriptAt++;
  if (!script[step]()) scriptAt = step;
}

HWND Sheet() { return FindWindowA(nullptr, "CD Audio Disc Properties"); }
HWND Page() { return reinterpret_cast<HWND>(SendMessageA(Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0)); }

void Type(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextA(dialog, id, text.c_str());
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Notify(HWND dialog, int id, int code) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Pick(HWND page, int list, int position) {
  SendDlgItemMessageA(page, list, LB_SETCURSEL, static_cast<WPARAM>(position), 0);
  Notify(page, list, LBN_SELCHANGE);
}

std::vector<std::string> Items(HWND page, int list) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendDlgItemMessageA(page, list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[100];
    SendDlgItemMessageA(page, list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

bool IsOn(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

// Steps for the script.
std::function<bool()> WhenOpen() { return [] { return Sheet() != nullptr && Page() != nullptr; }; }
std::function<bool()> Do(std::function<void()> action) {
  return [action] {
    action();
    return true;
  };
}
std::function<bool()> GoTo(int page) {
  return Do([page] { SendMessageA(Sheet(), PSM_SETCURSEL, static_cast<WPARAM>(page), 0); });
}
std::function<bool()> Press(int button) {
  return Do([button] { SendMessageA(Sheet(), PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0); });
}

class Properties : public Player {
 protected:
  // Starts the player on the disc with the given catalogue section body.
  void StartWith(const std::string& section) {
    if (!section.empty()) {
      ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
      uint32_t starts[5];
      for (int t = 0; t < 5; ++t) starts[t] = kStarts[t] / 4500 | kStarts[t] / 75 % 60 << 8 | kStarts[t] % 75 << 16;
      uint32_t id = DiscIdFromToc(5, starts, 0);
      WriteBytes(WindowsFile("tunedeck.ini"), "[" + std::to_string(id) + "]\r\n" + section);
    }
    Start();
    StopBoxCatcher();  // it would answer the sheet itself
  }

  // Runs the sheet through the given steps, opened from the database button.
  void RunSheet(std::vector<std::function<bool()>> steps) {
    script = std::move(steps);
    scriptAt = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, ScriptTick);
    Command(IDC_PROPERTIES);
    KillTimer(nullptr, timer);
    EXPECT_EQ(script.size(), scriptAt) << "the sheet closed before its script ended";
  }

  // The same, calling the sheet directly for its result.
  int ShowSheet(std::vector<std::function<bool()>> steps) {
    script = std::move(steps);
    scriptAt = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, ScriptTick);
    int result = ShowDiscProperties(mainWindow, &discInfo);
    KillTimer(nullptr, timer);
    return result;
  }

  std::string Catalogue() { return ReadBytes(WindowsFile("tunedeck.ini")); }
  std::vector<int32_t> PlayList() { return std::vector<int32_t>(discInfo.playList, discInfo.playList + discInfo.playCount); }
};

TEST_F(Properties, CancelWithoutEditsChangesNothing) {
  StartWith("");
  Command(IDC_PLAY);
  EXPECT_EQ(0, ShowSheet({WhenOpen(), GoTo(1), GoTo(2), Press(PSBTN_CANCEL)}));
  EXPECT_EQ("(none)", Catalogue());
  RunSheet({WhenOpen(), Press(PSBTN_OK)});
  EXPECT_TRUE(Playing());  // nothing applied: playback untouched
}

TEST_F(Properties, ANewTitleWithOkIsStoredAndShownStoppedAtTheFirstEntry) {
  StartWith("");
  Command(IDC_FORWARD_SKIP);
  Command(IDC_PLAY);
  RunSheet({WhenOpen(), Do([] { Type(Page(), IDC_TITLE_EDIT, "Giant Steps"); }), Press(PSBTN_OK)});
  EXPECT_STREQ("Giant Steps", discInfo.title);
  EXPECT_EQ("Giant Steps", Text(Item(IDC_DISC_TITLE)));
  EXPECT_NE(std::string::npos, Catalogue().find("\r\nDiscTitle=Giant Steps\r\n"));
  EXPECT_FALSE(Playing());
  EXPECT_EQ(0, Selection());
  EXPECT_TRUE(Enabled(IDC_PLAY));
  // A later showing without changes reports none.
  EXPECT_EQ(0, ShowSheet({WhenOpen(), Press(PSBTN_OK)}));
}

TEST_F(Properties, AnArtistAppliedByLeavingThePageSurvivesCancel) {
  StartWith("");
  EXPECT_EQ(1, ShowSheet({WhenOpen(), Do([] { Type(Page(), IDC_ARTIST_EDIT, "Coltrane"); }), GoTo(1),
                          Press(PSBTN_CANCEL)}));
  EXPECT_STREQ("Coltrane", discInfo.artist);
  EXPECT_NE(std::string::npos, Catalogue().find("DiscArtist=Coltrane"));
  // A title typed and cancelled on its own page is dropped.
  EXPECT_EQ(0, ShowSheet({WhenOpen(), Do([] { Type(Page(), IDC_TITLE_EDIT, "Dropped"); }), Press(PSBTN_CANCEL)}));
  EXPECT_STREQ("Untitled", discInfo.title);
}

TEST_F(Properties, ATitleOfAHundredCharactersIsStoredAsItsFirst79) {
  StartWith("");
  std::string longTitle(100, 'a');
  ShowSheet({WhenOpen(), Do([&] { Type(Page(), IDC_TITLE_EDIT, longTitle); }), Press(PSBTN_APPLYNOW), Press(PSBTN_CANCEL)});
  EXPECT_EQ(std::string(79, 'a'), discInfo.title);
  EXPECT_NE(std::string::npos, Catalogue().find("DiscTitle=" + std::string(79, 'a') + "\r\n"));
}

TEST_F(Properties, ThePlaylistPageShowsThePlayListAndTheOtherTracks) {
  StartWith("PlayList=3 1 2\r\nTrack3=Three\r\n");
  std::vector<std::string> shown, available;
  bool addEnabled = true;
  ShowSheet({WhenOpen(), GoTo(1), Do([&] {
               shown = Items(Page(), IDC_PLAY_LIST);
               available = Items(Page(), IDC_AVAILABLE_LIST);
               addEnabled = IsOn(Page(), IDC_ADD_TRACK);
             }),
             Press(PSBTN_CANCEL)});
  EXPECT_EQ((std::vector<std::string>{"Three", "Track 1", "Track 2"}), shown);
  EXPECT_EQ((std::vector<std::string>{"Track 4", "Track 5"}), available);
  EXPECT_FALSE(addEnabled);
}

TEST_F(Properties, AnEmptiedPlayListIsNeverApplied) {
  StartWith("PlayList=3 1 2\r\n");
  auto removeFirst = Do([] {
    Pick(Page(), IDC_PLAY_LIST, 0);
    Notify(Page(), IDC_REMOVE_TRACK, BN_CLICKED);
  });
  EXPECT_EQ(0, ShowSheet({WhenOpen(), GoTo(1), removeFirst, removeFirst, removeFirst, Press(PSBTN_OK)}));
  EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), PlayList());

  // Clear All stores nothing by itself; adding 2 and 1 then OK stores 2 1.
  EXPECT_EQ(0, ShowSheet({WhenOpen(), GoTo(1), Do([] { Notify(Page(), IDC_CLEAR_ALL, BN_CLICKED); }), Press(PSBTN_OK)}));
  EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), PlayList());
  EXPECT_EQ(1, ShowSheet({WhenOpen(), GoTo(1), Do([] {
                            Notify(Page(), IDC_CLEAR_ALL, BN_CLICKED);
                            Pick(Page(), IDC_AVAILABLE_LIST, 1);
                            Notify(Page(), IDC_ADD_TRACK, BN_CLICKED);
                            Pick(Page(), IDC_AVAILABLE_LIST, 0);
                            Notify(Page(), IDC_ADD_TRACK, BN_CLICKED);
                          }),
                          Press(PSBTN_OK)}));
  EXPECT_EQ((std::vector<int32_t>{2, 1}), PlayList());
  EXPECT_NE(std::string::npos, Catalogue().find("PlayList=2 1\r\n"));
}

TEST_F(Properties, RemovedTracksGoToTheEndOfTheAvailableList) {
  StartWith("PlayList=1 2 3\r\n");
  std::vector<std::string> available;
  ShowSheet({WhenOpen(), GoTo(1), Do([&] {
               Pick(Page(), IDC_PLAY_LIST, 0);
               Notify(Page(), IDC_REMOVE_TRACK, BN_CLICKED);
               available = Items(Page(), IDC_AVAILABLE_LIST);
               Pick(Page(), IDC_AVAILABLE_LIST, 2);
               Notify(Page(), IDC_ADD_TRACK, BN_CLICKED);
             }),
             Press(PSBTN_OK)});
  EXPECT_EQ((std::vector<std::string>{"Track 4", "Track 5", "Track 1"}), available);
  EXPECT_EQ((std::vector<int32_t>{2, 3, 1}), PlayList());
}

uint32_t FixedSecond() { return 1000; }

TEST_F(Properties, DefaultWithShuffleOnGivesANewShuffleOfAllTracks) {
  shuffleClock = FixedSecond;
  StartWith("PlayList=4 2\r\nShuffle=1\r\n");
  ASSERT_EQ(2, SendMessageA(Item(IDC_ORDER_LIST), CB_GETCOUNT, 0, 0));
  RunSheet({WhenOpen(), GoTo(1), Do([] { Notify(Page(), IDC_DEFAULT_LIST, BN_CLICKED); }), Press(PSBTN_OK)});
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4, 5}), PlayList());
  ASSERT_EQ(5, SendMessageA(Item(IDC_ORDER_LIST), CB_GETCOUNT, 0, 0));
  std::vector<int32_t> shuffled(discInfo.shuffleOrder, discInfo.shuffleOrder + 5);
  auto* first = reinterpret_cast<TrackEntry*>(SendMessageA(Item(IDC_ORDER_LIST), CB_GETITEMDATA, 0, 0));
  EXPECT_EQ(shuffled[0], first->number);
  std::sort(shuffled.begin(), shuffled.end());
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4, 5}), shuffled);
}

TEST_F(Properties, SwitchingTracksOnTheTrackListPageStoresTheTypedTitle) {
  StartWith("Track2=Second\r\n");
  std::string shown, length;
  EXPECT_EQ(1, ShowSheet({WhenOpen(), GoTo(2), Do([&] {
                            HWND page = Page();
                            Type(page, IDC_TRACK_TITLE, "Opening");
                            SendDlgItemMessageA(page, IDC_TRACK_NUMBER, CB_SETCURSEL, 1, 0);
                            Notify(page, IDC_TRACK_NUMBER, CBN_SELCHANGE);
                            char text[100];
                            GetDlgItemTextA(page, IDC_TRACK_TITLE, text, sizeof text);
                            shown = text;
                            GetDlgItemTextA(page, 1053, text, sizeof text);
                            length = text;
                          }),
                          Press(PSBTN_CANCEL)}));
  EXPECT_STREQ("Opening", discInfo.tracks[0].title);
  EXPECT_NE(std::string::npos, Catalogue().find("Track1=Opening\r\n"));
  EXPECT_EQ("Second", shown);
  EXPECT_EQ(" (4:20)", length);
  EXPECT_STREQ("Second", discInfo.tracks[1].title);
}

TEST_F(Properties, TheEditTrackDialogFromADoubleClickRenamesTheTrack) {
  StartWith("PlayList=3 1\r\n");
  bool saveAtFirst = true, saveAfterTyping = false;
  std::string number, relabelled;
  auto dialog = [] { return FindWindowA(nullptr, "Edit Track Information"); };
  EXPECT_EQ(1, ShowSheet({WhenOpen(), GoTo(1), Do([] {
                            Pick(Page(), IDC_PLAY_LIST, 0);
                            Notify(Page(), IDC_PLAY_LIST, LBN_DBLCLK);  // runs the dialog's steps
                          }),
                          [&] { return dialog() != nullptr; },
                          Do([&] {
                            HWND d = dialog();
                            saveAtFirst = IsOn(d, IDOK);
                            char text[20];
                            GetDlgItemTextA(d, 1039, text, sizeof text);
                            number = text;
                            Type(d, 1040, "Naima");
                            saveAfterTyping = IsOn(d, IDOK);
                            SendMessageA(d, WM_COMMAND, IDOK, 0);
                          }),
                          Do([&] { relabelled = Items(Page(), IDC_PLAY_LIST)[0]; }), Press(PSBTN_CANCEL)}));
  EXPECT_FALSE(saveAtFirst);
  EXPECT_TRUE(saveAfterTyping);
  EXPECT_EQ("3", number);
  EXPECT_EQ("Naima", relabelled);
  EXPECT_STREQ("Naima", discInfo.tracks[2].title);
  EXPECT_NE(std::string::npos, Catalogue().find("Track3=Naima\r\n"));

  // Cancel leaves the title.
  ShowSheet({WhenOpen(), GoTo(1), Do([] {
               Pick(Page(), IDC_AVAILABLE_LIST, 0);
               Notify(Page(), IDC_AVAILABLE_LIST, LBN_DBLCLK);
             }),
             [&] { return dialog() != nullptr; },
             Do([&] {
               Type(dialog(), 1040, "Not this");
               SendMessageA(dialog(), WM_COMMAND, IDCANCEL, 0);
             }),
             Press(PSBTN_CANCEL)});
  EXPECT_STREQ("Track 2", discInfo.tracks[1].title);
}

TEST_F(Properties, TheDiscTakenOutWhileTheSheetIsOpenIsHandledAfterItCloses) {
  StartWith("");
  uint32_t id = discInfo.discId;
  int ticks = 0;
  RunSheet({WhenOpen(), Do([] { VDriveRemoveDisc(); }),
            [&] { return ++ticks >= 10; },  // the disc watch ticks meanwhile
            Do([&] {
              EXPECT_EQ(0, doorOpen);
              EXPECT_NE(nullptr, discInfo.tracks);
              Type(Page(), IDC_TITLE_EDIT, "Kept");
            }),
            Press(PSBTN_OK)});
  EXPECT_EQ(id, discInfo.discId);
  EXPECT_NE(std::string::npos, Catalogue().find("[" + std::to_string(id) + "]\r\nDiscTitle=Kept\r\n"));
  ASSERT_TRUE(PumpUntil([] { return Text(mainWindow) == "Corvane CD Player - No Disc"; }));
  // The same disc put back is loaded afresh, with its stored title.
  ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
  ASSERT_TRUE(PumpUntil([] { return Text(GetDlgItem(mainWindow, IDC_DISC_TITLE)) == "Kept"; }));
}

}  // namespace
