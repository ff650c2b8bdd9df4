// The look-up dialog of the player in this process against the test CD
// database (tests/cddb) on 127.0.0.1: driven by a script that runs from a
// thread timer inside the dialog's modal loop, and checked through its
// controls, the front panel, the files the player writes and the requests
// the server saw.
#include <winsock.h>

#include <algorithm>
#include <functional>

#include "player/lookup/lookup.h"
#include "player/lookup/winsock.h"
#include "tests/win32/player/player_harness.h"

namespace {

const char kChoose[] = "Choose the matching disc and press OK.";
const char kLongTitle[] =
    "A Very Long Closing Number That Goes On And On, Well Past The Seventy-Nine Characters Of A Title";

// A file of the test CD database's folder, seen from Wine.
std::string ServerFile(const char* name) { return ::ServerFile(KOVEL_CDDB_DIR, name); }

int ServerPort() { return atoi(ReadBytes(ServerFile("port")).c_str()); }

HWND Dialog() { return FindWindowA("#32770", "Look Up Titles Online"); }

std::string DialogText(int id) {
  char text[256] = "";
  GetDlgItemTextA(Dialog(), id, text, sizeof text);
  return text;
}

std::vector<std::string> ListItems(HWND list, UINT countMessage, UINT textMessage) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendMessageA(list, countMessage, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[512] = "";
    SendMessageA(list, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

// The script: one step a tick, a step that is not ready yet is tried again.
// A step that never comes true cancels the dialog, so a failing test ends.
std::vector<std::function<bool()>> script;
size_t scriptAt;
int ticksWaited;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  if (scriptAt >= script.size()) return;
  size_t step = scriptAt++;
  if (script[step]()) {
    ticksWaited = 0;
    return;
  }
  scriptAt = step;
  if (++ticksWaited > 1000 && Dialog()) PostMessageA(Dialog(), WM_COMMAND, IDCANCEL, 0);
}

std::function<bool()> WhenStatus(std::string text) {
  return [text] { return Dialog() && DialogText(IDC_LOOKUP_STATUS) == text; };
}
std::function<bool()> Do(std::function<void()> action) {
  return [action] {
    action();
    return true;
  };
}
std::function<bool()> Press(int button) {
  return Do([button] {
    HWND dialog = Dialog();
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  });
}

class Lookup : public Player {
 protected:
  void SetUp() override {
    Player::SetUp();
    StopBoxCatcher();  // it would press the dialog's buttons itself
    testSeamLookupTimes = nullptr;
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    logStart = ReadBytes(ServerFile("requests.log")).size();
  }
  void TearDown() override {
    Player::TearDown();
    WSACleanup();
  }

  // Points the look-up at a scenario of the test server, as its only source.
  void UseServer(const std::string& scenario, int port = ServerPort(), const std::string& before = "",
                 const std::string& server = "127.0.0.1") {
    WriteBytes(WindowsFile("kovel.ini"), before + "[Lookup]\r\nServer=" + server +
                                             "\r\nPort=" + std::to_string(port) + "\r\nPath=/" + scenario +
                                             "/~cddb/cddb.cgi\r\nSources=gnudb\r\n");
  }

  // Opens the dialog from the system menu and runs the script in it.
  void RunLookup(std::vector<std::function<bool()>> steps) {
    script = std::move(steps);
    scriptAt = 0;
    ticksWaited = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, ScriptTick);
    SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_LOOKUP, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(script.size(), scriptAt) << "the dialog closed before its script ended";
    EXPECT_EQ(nullptr, Dialog());
    Pump();
  }

  // Looks the disc up and takes the match at index; returns the list shown.
  std::vector<std::string> TakeMatch(int index) {
    std::vector<std::string> matches;
    RunLookup({WhenStatus(kChoose), Do([&] {
                 HWND list = GetDlgItem(Dialog(), IDC_LOOKUP_LIST);
                 matches = ListItems(list, LB_GETCOUNT, LB_GETTEXT);
                 SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
               }),
               Press(IDOK)});
    return matches;
  }

  // The requests the server saw during this test.
  std::vector<std::string> Requests() {
    std::string log = ReadBytes(ServerFile("requests.log")).substr(logStart);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(log.substr(at, end - at));
    return lines;
  }

  // The server saw the connection of the test's one request closed.
  bool TheOneRequestWasClosed() {
    std::vector<std::string> requests = Requests();
    return requests.size() == 2 && requests[1] == "closed " + requests[0];
  }

  std::vector<std::string> OrderTexts() { return ListItems(Item(IDC_ORDER_LIST), CB_GETCOUNT, CB_GETLBTEXT); }

  // Ends the player as a user would, so that it saves its files.
  void EndPlayer() {
    DestroyWindow(mainWindow);
    ASSERT_TRUE(PumpUntil([this] { return ended; }));
  }

  size_t logStart = 0;
};

bool LookupGrayed() {
  return (GetMenuState(GetSystemMenu(mainWindow, FALSE), IDM_LOOKUP, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

TEST_F(Lookup, TheMenuItemFollowsStayOnTopAndNeedsAMusicDisc) {
  Start(false);
  HMENU menu = GetSystemMenu(mainWindow, FALSE);
  int at = -1;
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
    if (GetMenuItemID(menu, i) == IDM_LOOKUP) at = i;
  ASSERT_GT(at, 0);
  EXPECT_EQ(static_cast<UINT>(IDM_STAY_ON_TOP), GetMenuItemID(menu, at - 1));
  EXPECT_EQ(static_cast<UINT>(IDC_VIEW), GetMenuItemID(menu, at + 1));
  char text[64];
  GetMenuStringA(menu, IDM_LOOKUP, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ("Look Up Titles &Online...", text);
  EXPECT_TRUE(LookupGrayed());

  ASSERT_TRUE(VDriveLoadDisc(5, kStarts, kLeadOut, 0));
  ASSERT_TRUE(PumpUntil([] { return doorOpen == 0 && !LookupGrayed(); }));
  VDriveRemoveDisc();
  ASSERT_TRUE(PumpUntil(LookupGrayed));
  EXPECT_TRUE(Requests().empty());  // nothing goes out unasked
}

TEST_F(Lookup, OkAppliesTheSingleMatchSavesItAndLeavesPlaybackAlone) {
  ASSERT_EQ(1252u, GetACP()) << "the expected texts are those of the Western code page";
  const std::string window = "[Window]\r\nWindowXPosn=30\r\nWindowYPosn=40\r\n";
  UseServer("single", ServerPort(), window, "localhost");  // a name to look up
  Start();
  Command(IDC_FORWARD_SKIP);
  Command(IDC_PLAY);
  std::vector<std::string> matches;
  LRESULT selected = -1;
  bool okEnabled = false;
  RunLookup({WhenStatus(kChoose), Do([&] {
               HWND list = GetDlgItem(Dialog(), IDC_LOOKUP_LIST);
               matches = ListItems(list, LB_GETCOUNT, LB_GETTEXT);
               selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
               okEnabled = IsWindowEnabled(GetDlgItem(Dialog(), IDOK)) != 0;
             }),
             Press(IDOK)});
  EXPECT_EQ(std::vector<std::string>{"The Corvane Quartet / Late Night Sessions (gnudb)"}, matches);
  EXPECT_EQ(0, selected);
  EXPECT_TRUE(okEnabled);

  // UTF-8 in the Western code page, "?" for what it lacks, cut to 79.
  EXPECT_EQ("The Corvane Quartet", Text(mainWindow));
  EXPECT_EQ("Late Night Sessions", Text(Item(IDC_DISC_TITLE)));
  const std::vector<std::string> order = {"Blue Harbour (3:08)", "Caf\xE9 Noir (4:20)",
                                          "Slow Rain in \\ Ky?to ?? (3:31)", "Track 4 (0:30)",
                                          std::string(kLongTitle, 79) + " (1:00)"};
  EXPECT_EQ(order, OrderTexts());
  EXPECT_EQ(1, Selection());
  EXPECT_TRUE(Playing());

  std::string catalogue = ReadBytes(WindowsFile("tunedeck.ini"));
  EXPECT_NE(std::string::npos,
            catalogue.find("DiscTitle=Late Night Sessions\r\nDiscArtist=The Corvane Quartet\r\nRepeat=0\r\n"
                           "Shuffle=0\r\nTrack1=Blue Harbour\r\nTrack2=Caf\xE9 Noir\r\n"));
  EXPECT_NE(std::string::npos, catalogue.find("Track4=Track 4\r\n"));
  // The missing keys were added; the window settings were left as they were.
  EXPECT_EQ(window + "[Lookup]\r\nServer=localhost\r\nPort=" + std::to_string(ServerPort()) +
                "\r\nPath=/single/~cddb/cddb.cgi\r\nSources=gnudb\r\nUser=kovel32\r\nContact=\r\nRoots=\r\n",
            ReadBytes(WindowsFile("kovel.ini")));

  std::vector<std::string> requests = Requests();
  ASSERT_EQ(2u, requests.size());
  const std::string query =
      "/single/~cddb/cddb.cgi?cmd=cddb+query+3402ee05+5+150+14265+33790+49650+51900+752&hello=kovel32+";
  const std::string read = "/single/~cddb/cddb.cgi?cmd=cddb+read+rock+3402ee05&hello=kovel32+";
  const std::string greeting = "+kovel32+1.0&proto=6";
  EXPECT_EQ(query, requests[0].substr(0, query.size()));
  EXPECT_EQ(read, requests[1].substr(0, read.size()));
  for (const std::string& request : requests)
    EXPECT_EQ(greeting, request.substr(request.size() - greeting.size())) << request;
}

TEST_F(Lookup, OfSeveralMatchesTheOnePickedIsApplied) {
  UseServer("several");
  Start();
  std::vector<std::string> matches = TakeMatch(1);
  EXPECT_EQ((std::vector<std::string>{"The Corvane Quartet / Late Night Sessions (gnudb)",
                                      "Corvane Trio / Early Morning Sessions (gnudb)",
                                      "Various Artists / Harbour Lights (gnudb)"}),
            matches);
  EXPECT_EQ("Corvane Trio", Text(mainWindow));
  EXPECT_EQ("Early Morning Sessions", Text(Item(IDC_DISC_TITLE)));
  EXPECT_EQ("First Light (3:08)", OrderTexts()[0]);
  ASSERT_EQ(2u, Requests().size());
  EXPECT_EQ(0u, Requests()[1].find("/several/~cddb/cddb.cgi?cmd=cddb+read+jazz+3402ee06&"));
}

TEST_F(Lookup, FailuresAreToldInWordsAndChangeNothing) {
  // A port where nothing listens.
  SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  int size = sizeof address;
  ASSERT_EQ(0, bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address));
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  closesocket(probe);

  struct Case {
    const char* scenario;
    int port;
    UINT timeoutMs;
    const char* library;
    const char* status;
  } cases[] = {
      {"nomatch", ServerPort(), 15000, nullptr, "No titles were found for this disc."},
      {"error", ServerPort(), 15000, nullptr, "The server answered: 403 Database entry is corrupt."},
      {"single", ntohs(address.sin_port), 15000, nullptr, "Cannot connect to 127.0.0.1."},
      {"silent", ServerPort(), 300, nullptr, "No answer from 127.0.0.1 within 0.3 seconds."},
      // A Windows 95 without networking has no WinSock at all.
      {"single", ServerPort(), 15000, "nonet32.dll", "Networking (TCP/IP) is not installed on this computer."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    UseServer(c.scenario, c.port);
    const LookupTimes times = {c.timeoutMs, kLookupTimes.stepLimitMs, kLookupTimes.musicBrainzGapMs};
    testSeamLookupTimes = &times;
    testSeamWinSockLibrary = c.library;
    FreshProcess();
    Start();
    bool okEnabled = true;
    RunLookup({WhenStatus(c.status),
               Do([&] { okEnabled = IsWindowEnabled(GetDlgItem(Dialog(), IDOK)) != 0; }), Press(IDCANCEL)});
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ("Untitled", Text(mainWindow));
    EndPlayer();
    EXPECT_EQ(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("Corvane"));
    testSeamLookupTimes = nullptr;
  }
  testSeamWinSockLibrary = nullptr;
}

TEST_F(Lookup, CancelDropsTheConnectionAtOnce) {
  UseServer("silent");
  Start();
  RunLookup({WhenStatus("Searching..."), Press(IDCANCEL)});
  // The server sees the connection closed: the look-up is not left running.
  ASSERT_TRUE(PumpUntil([this] { return TheOneRequestWasClosed(); }));
  EXPECT_EQ("Untitled", Text(mainWindow));
}

TEST_F(Lookup, ADiscChangedWhileTheDialogIsOpenDoesNotTakeTheTitles) {
  UseServer("single");
  Start();
  const unsigned other[] = {Frames(0, 2, 0), Frames(5, 0, 0), Frames(9, 0, 0)};
  RunLookup({WhenStatus(kChoose), Do(VDriveRemoveDisc), [] { return doorOpen == 1; },
             Do([&] { VDriveLoadDisc(3, other, Frames(20, 0, 0), 0); }),
             [] { return doorOpen == 0 && discInfo.trackCount == 3; }, Press(IDOK),
             WhenStatus("The disc was changed; its titles were not replaced."), Press(IDCANCEL)});
  EXPECT_EQ("Untitled", Text(mainWindow));
  EXPECT_EQ(3u, OrderTexts().size());
  EXPECT_EQ(1u, Requests().size());  // the entry was never read
  EndPlayer();
  EXPECT_EQ(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("Corvane"));
}

}  // namespace

namespace {

// What a server that drops the line mid-answer sends: a complete search
// answer, then a read answer without its last lines and without a
// Content-Length, the connection closed.
TEST_F(Lookup, ACutEntryIsToldAndNothingIsApplied) {
  UseServer("cut");
  Start();
  bool okEnabled = true;
  RunLookup({WhenStatus(kChoose), Press(IDOK),
             WhenStatus("The answer from 127.0.0.1 was incomplete; nothing was changed."),
             Do([&] { okEnabled = IsWindowEnabled(GetDlgItem(Dialog(), IDOK)) != 0; }), Press(IDCANCEL)});
  EXPECT_FALSE(okEnabled);
  EXPECT_EQ("Untitled", Text(mainWindow));
  EXPECT_EQ("Track 1 (3:08)", OrderTexts()[0]);
  EXPECT_EQ(2u, Requests().size());
  EndPlayer();
  EXPECT_EQ(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("Corvane"));
}

// An older entry of the database typed on Windows (Windows-1252), listed
// beside a UTF-8 one: its dash and curly apostrophe come through too.
TEST_F(Lookup, AnEntryTypedOnWindowsArrivesWithAllItsLetters) {
  UseServer("latin");
  Start();
  std::vector<std::string> matches = TakeMatch(1);
  EXPECT_EQ((std::vector<std::string>{"The Corvane Quartet / Late Night Sessions (gnudb)",
                                      "Corvane Kuoro / Joutsenen Siivill\xE4 (gnudb)"}),
            matches);
  EXPECT_EQ("Corvane Kuoro", Text(mainWindow));
  EXPECT_EQ("Joutsenen Siivill\xE4", Text(Item(IDC_DISC_TITLE)));
  const std::vector<std::string> order = {"Joutsenen Siivill\xE4 (3:08)", "Kes\xE4y\xF6 (4:20)", "M\xF6kki (3:31)",
                                          "Fu-Gee-La \x96 Burnin\x92 (0:30)", "\xC5lands hav (1:00)"};
  EXPECT_EQ(order, OrderTexts());
  EndPlayer();
  EXPECT_NE(std::string::npos,
            ReadBytes(WindowsFile("tunedeck.ini")).find("Track1=Joutsenen Siivill\xE4\r\nTrack2=Kes\xE4y\xF6\r\n"));
}

// A server that sends a byte now and then, never finishing, is given up at
// the step's limit however often the quiet time starts again, and its
// connection is closed.
TEST_F(Lookup, ATrickleOfAnAnswerEndsAtTheStepsLimit) {
  UseServer("trickle");
  const LookupTimes times = {kLookupTimes.quietMs, 2000, kLookupTimes.musicBrainzGapMs};
  testSeamLookupTimes = &times;
  Start();
  RunLookup({WhenStatus("127.0.0.1 did not finish its answer within 2 seconds."), Press(IDCANCEL)});
  testSeamLookupTimes = nullptr;
  ASSERT_TRUE(PumpUntil([this] { return TheOneRequestWasClosed(); }));
  EXPECT_EQ("Untitled", Text(mainWindow));
}

// A server that keeps the connection open after answers of a given length:
// each is taken as soon as it is in, and the look-up closes the connection.
TEST_F(Lookup, AnAnswerOfGivenLengthIsTakenWhileTheConnectionStaysOpen) {
  UseServer("open");
  Start();
  RunLookup({WhenStatus(kChoose), Press(IDOK)});
  EXPECT_EQ("The Corvane Quartet", Text(mainWindow));
  EXPECT_EQ("Blue Harbour (3:08)", OrderTexts()[0]);
  ASSERT_TRUE(PumpUntil([this] { return Requests().size() == 4; }));
  std::vector<std::string> requests = Requests();
  std::sort(requests.begin(), requests.end());  // a close may be logged after the next request
  EXPECT_EQ(0u, requests[0].find("/open/~cddb/cddb.cgi?cmd=cddb+query+"));
  EXPECT_EQ(0u, requests[1].find("/open/~cddb/cddb.cgi?cmd=cddb+read+rock+3402ee05&"));
  EXPECT_EQ("closed " + requests[0], requests[2]);
  EXPECT_EQ("closed " + requests[1], requests[3]);
}

// MusicBrainz, through the test service (tests/musicbrainz) over HTTPS,
// trusting its test root.
std::string MusicBrainzFile(const char* name) { return ::ServerFile(KOVEL_MUSICBRAINZ_DIR, name); }
int MusicBrainzPort(const std::string& server) { return NamedPort(KOVEL_MUSICBRAINZ_DIR, server); }

// The discs of the service's canned replies, as the player reads them.
struct Disc {
  std::vector<unsigned> offsets;
  unsigned leadOut;
};
const Disc kHarbourLights = {{150, 14265, 33790, 49650, 51900}, 56400};
const Disc kNorthernSongs = {{150, 20000, 41000, 60000}, 80000};
const Disc kSecondOfTwo = {{150, 18000, 36000, 54000, 72000, 90000}, 108000};
const Disc kNearOnly = {{150, 30000, 60000}, 90000};
const Disc kNonAscii = {{150, 25000}, 50000};
const Disc kStub = {{150, 11111, 22222}, 33333};
const Disc kUnknown = {{150, 9000, 18000, 27000, 36000, 45000, 54000}, 63000};
const Disc kCut = {{150, 30000}, 60000};
const Disc kBusy = {{150, 12345}, 23456};

// The tests ask MusicBrainz as often as they need.
const LookupTimes kNoGap = {kLookupTimes.quietMs, kLookupTimes.stepLimitMs, 0};

class MusicBrainz : public Lookup {
 protected:
  void SetUp() override {
    Lookup::SetUp();
    testSeamLookupTimes = &kNoGap;
    musicBrainzLogStart = ReadBytes(MusicBrainzFile("requests.log")).size();
  }
  void TearDown() override {
    testSeamLookupTimes = nullptr;
    Lookup::TearDown();
  }

  // The sources in their order, MusicBrainz on a server of the test
  // service, gnudb on a scenario of the test CD database.
  void UseSources(const std::string& sources, const std::string& server, const std::string& gnudb = "nomatch",
                  const std::string& roots = MusicBrainzFile("roots.pem")) {
    WriteBytes(WindowsFile("kovel.ini"), "[Lookup]\r\nSources=" + sources +
                                             "\r\nMusicBrainzServer=localhost\r\nMusicBrainzPort=" +
                                             std::to_string(MusicBrainzPort(server)) + "\r\nRoots=" + roots +
                                             "\r\nServer=127.0.0.1\r\nPort=" + std::to_string(ServerPort()) +
                                             "\r\nPath=/" + gnudb + "/~cddb/cddb.cgi\r\n");
  }

  // Starts the player with the disc in the drive. The device reports a disc
  // one frame short of its lead-out, as a real drive does.
  void StartWith(const Disc& disc) {
    ASSERT_TRUE(VDriveLoadDisc(static_cast<int>(disc.offsets.size()), disc.offsets.data(), disc.leadOut - 1, 0));
    Start(false);
  }

  // The requests the service saw during this test: target, User-Agent,
  // server name, protocol and suite, application protocol.
  std::vector<std::string> MusicBrainzRequests() {
    std::string log = ReadBytes(MusicBrainzFile("requests.log")).substr(musicBrainzLogStart);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(log.substr(at, end - at));
    return lines;
  }

  // Runs the look-up to its list and takes the match at index.
  std::vector<std::string> TakeListed(int index) {
    std::vector<std::string> matches;
    RunLookup({[] { return Dialog() && IsWindowEnabled(GetDlgItem(Dialog(), IDOK)); }, Do([&] {
                 HWND list = GetDlgItem(Dialog(), IDC_LOOKUP_LIST);
                 matches = ListItems(list, LB_GETCOUNT, LB_GETTEXT);
                 SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
               }),
               Press(IDOK)});
    return matches;
  }

  size_t musicBrainzLogStart = 0;
};

TEST_F(MusicBrainz, EachFormOfAnswerListsItsReleasesAndOkTakesTheChosenOne) {
  ASSERT_EQ(1252u, GetACP()) << "the expected texts are those of the Western code page";
  struct Case {
    const char* what;
    const Disc* disc;
    const char* server;
    std::vector<std::string> matches;
    int take;
    const char* artist;
    const char* title;
    const char* firstTrack;
  } cases[] = {
      {"one release", &kHarbourLights, "rsa",
       {"Anna Vik & The Lanterns / Harbour Lights (1999, XE) (MusicBrainz)"}, 0, "Anna Vik & The Lanterns",
       "Harbour Lights",
       "Low Tide"},
      {"several releases, a chain of four", &kNorthernSongs, "ecdsa",
       {"Northbound / Northern Songs (1987, GB) (MusicBrainz)",
        "Northbound / Northern Songs (Remastered) (2005, GB) (MusicBrainz)",
        "Northbound / Northern Songs (1988, JP) (MusicBrainz)"},
       1, "Northbound", "Northern Songs (Remastered)", "Compass"},
      {"the second disc of two", &kSecondOfTwo, "aes128",
       {"Orchestra of the Tarn conducted by Ilse Marr / The Four Rivers (1999, XE) (MusicBrainz)"}, 0,
       "Orchestra of the Tarn conducted by Ilse Marr", "The Four Rivers", "Spring Flood"},
      {"known by a near table of contents", &kNearOnly, "rsa",
       {"Marta Lind / Three Rooms (1999, XE) (MusicBrainz)", "Marta Lind / Three Rooms (Live) (1999, XE) (MusicBrainz)"},
       1,
       "Marta Lind", "Three Rooms (Live)", "Kitchen (live)"},
      {"letters beyond ASCII", &kNonAscii, "rsa",
       {"Sigur R\xF3s & T?ky? Ensemble / Joutsenen Siivill\xE4 (1999, XE) (MusicBrainz)"}, 0,
       "Sigur R\xF3s & T?ky? Ensemble",
       "Joutsenen Siivill\xE4", nullptr},
      {"a CD stub", &kStub, "rsa", {"Pekka Aalto / Kitchen Tapes (MusicBrainz)"}, 0, "Pekka Aalto", "Kitchen Tapes",
       "Toaster"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseSources("MusicBrainz", c.server);
    StartWith(*c.disc);
    EXPECT_EQ(c.matches, TakeListed(c.take));
    EXPECT_EQ(c.artist, Text(mainWindow));
    EXPECT_EQ(c.title, Text(Item(IDC_DISC_TITLE)));
    if (c.firstTrack) {
      EXPECT_EQ(0u, OrderTexts()[0].find(c.firstTrack)) << OrderTexts()[0];
    }
    EndPlayer();
    EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find(std::string("DiscTitle=") + c.title));
    EndCase();
  }
  // For each disc its list, then the chosen release with its tracks (a CD
  // stub needs none), as the service wants them: over TLS 1.2 with the
  // server's name and no application protocol.
  std::vector<std::string> requests = MusicBrainzRequests();
  ASSERT_EQ(11u, requests.size());
  EXPECT_EQ(0u, requests[0].find("/ws/2/discid/HtS5_vmq5zQGVV5Arn9AZgvTJF4-?toc=1+5+56400+150+14265+33790+49650+"
                                 "51900&inc=artist-credits&fmt=json\tkovel32/1.0\tlocalhost\tTLSv1.2 "))
      << requests[0];
  EXPECT_EQ(0u, requests[1].find("/ws/2/release/18f135d2-5f55-4203-b018-50c5a38fd547?inc=artist-credits+recordings&"
                                 "fmt=json\tkovel32/1.0\tlocalhost\tTLSv1.2 "))
      << requests[1];
  for (const std::string& request : requests)
    EXPECT_EQ("\tnone", request.substr(request.size() - 5)) << request;
}

TEST_F(MusicBrainz, FailuresAreToldInWordsAndChangeNothing) {
  struct Case {
    const char* what;
    const Disc* disc;
    const char* server;
    std::string roots;
    std::string status;  // its start, for a text that names the date
  } cases[] = {
      {"unknown disc", &kUnknown, "rsa", MusicBrainzFile("roots.pem"), "No titles were found for this disc."},
      {"too many requests", &kBusy, "rsa", MusicBrainzFile("roots.pem"),
       "The server answered: HTTP/1.1 503 Service Temporarily Unavailable"},
      {"cut answer", &kCut, "rsa", MusicBrainzFile("roots.pem"),
       "The answer from localhost was incomplete; nothing was changed."},
      {"another name", &kHarbourLights, "wrongname", MusicBrainzFile("roots.pem"),
       "The certificate of localhost was made out for another name."},
      {"expired", &kHarbourLights, "expired", MusicBrainzFile("roots.pem"),
       "The certificate of localhost is not valid on "},
      {"untrusted root", &kHarbourLights, "untrusted", MusicBrainzFile("roots.pem"),
       "The certificate of localhost does not lead to a trusted root."},
      {"the compiled-in roots only", &kHarbourLights, "rsa", "",
       "The certificate of localhost does not lead to a trusted root."},
      {"suites it does not offer", &kHarbourLights, "oldsuites", MusicBrainzFile("roots.pem"),
       "localhost offers no encryption that this program has (TLS 1.2, ECDHE, AES-GCM or ChaCha20)."},
      {"no roots file", &kHarbourLights, "rsa", "Z:\\no-such-roots.pem",
       "The roots file Z:\\no-such-roots.pem cannot be read or holds no usable certificate."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseSources("MusicBrainz", c.server, "nomatch", c.roots);
    StartWith(*c.disc);
    bool okEnabled = true;
    std::string status;
    RunLookup({[] { return Dialog() && DialogText(IDC_LOOKUP_STATUS).find("...") == std::string::npos &&
                           !DialogText(IDC_LOOKUP_STATUS).empty(); },
               Do([&] {
                 status = DialogText(IDC_LOOKUP_STATUS);
                 okEnabled = IsWindowEnabled(GetDlgItem(Dialog(), IDOK)) != 0;
               }),
               Press(IDCANCEL)});
    EXPECT_EQ(c.status, status.substr(0, c.status.size()));
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ("Untitled", Text(mainWindow));
    EndPlayer();
    EXPECT_EQ(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("DiscTitle=H"));
    EndCase();
  }
  // Only the servers that proved themselves heard a request.
  EXPECT_EQ(3u, MusicBrainzRequests().size());
}

TEST_F(MusicBrainz, BothSourcesAreListedAndOneFailureHidesNothingOfTheOther) {
  struct Case {
    const char* sources;
    const char* server;
    const char* gnudb;
    std::vector<std::string> matches;
    std::string status;
  } cases[] = {
      {"MusicBrainz,gnudb", "rsa", "single",
       {"Anna Vik & The Lanterns / Harbour Lights (1999, XE) (MusicBrainz)",
        "The Corvane Quartet / Late Night Sessions (gnudb)"},
       kChoose},
      {"MusicBrainz,gnudb", "untrusted", "single", {"The Corvane Quartet / Late Night Sessions (gnudb)"},
       std::string(kChoose) + "\nMusicBrainz: The certificate of localhost does not lead to a trusted root."},
      {"gnudb, MusicBrainz", "rsa", "error", {"Anna Vik & The Lanterns / Harbour Lights (1999, XE) (MusicBrainz)"},
       std::string(kChoose) + "\ngnudb: The server answered: 403 Database entry is corrupt."},
      {"MusicBrainz,gnudb", "expired", "nomatch", {},
       "MusicBrainz: The certificate of localhost is not valid on "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sources) + " " + c.server + " " + c.gnudb);
    UseSources(c.sources, c.server, c.gnudb);
    StartWith(kHarbourLights);
    std::vector<std::string> matches;
    std::string status;
    RunLookup({[] { return Dialog() && DialogText(IDC_LOOKUP_STATUS).find("...") == std::string::npos &&
                           !DialogText(IDC_LOOKUP_STATUS).empty(); },
               Do([&] {
                 status = DialogText(IDC_LOOKUP_STATUS);
                 matches = ListItems(GetDlgItem(Dialog(), IDC_LOOKUP_LIST), LB_GETCOUNT, LB_GETTEXT);
               }),
               Press(IDCANCEL)});
    EXPECT_EQ(c.matches, matches);
    EXPECT_EQ(c.status, status.substr(0, c.status.size()));
    EndCase();
  }
  // And gnudb's match, listed after MusicBrainz's, is read and taken.
  UseSources("MusicBrainz,gnudb", "rsa", "single");
  StartWith(kHarbourLights);
  TakeListed(1);
  EXPECT_EQ("The Corvane Quartet", Text(mainWindow));
  EXPECT_EQ(0u, Requests().back().find("/single/~cddb/cddb.cgi?cmd=cddb+read+rock+3402ee05&"));
}

// An enhanced CD: Harbour Lights' five audio tracks, then a data track in a
// second session, 11,400 frames after their lead-out. MusicBrainz knows it
// by its audio tracks; the CD database by all six.
TEST_F(MusicBrainz, AnEnhancedCdIsAskedForByItsAudioTracks) {
  UseSources("MusicBrainz,gnudb", "rsa");
  const unsigned starts[] = {150, 14265, 33790, 49650, 51900, 67800};
  const int dataTracks[] = {0, 0, 0, 0, 0, 1};
  ASSERT_TRUE(VDriveLoadMixedDisc(6, starts, 90000 - 1, 0, dataTracks));
  Start(false);
  std::vector<std::string> matches = TakeListed(0);
  EXPECT_EQ(std::vector<std::string>{"Anna Vik & The Lanterns / Harbour Lights (1999, XE) (MusicBrainz)"}, matches);
  EXPECT_EQ("Harbour Lights", Text(Item(IDC_DISC_TITLE)));
  EXPECT_EQ(0u, MusicBrainzRequests()[0].find("/ws/2/discid/HtS5_vmq5zQGVV5Arn9AZgvTJF4-?toc=1+5+56400+150+14265+"
                                              "33790+49650+51900&"))
      << MusicBrainzRequests()[0];
  EXPECT_EQ(0u, Requests()[0].find("/nomatch/~cddb/cddb.cgi?cmd=cddb+query+4104ae06+6+150+14265+33790+49650+51900+"
                                   "67800+1200&"))
      << Requests()[0];
}

const Disc kManyReleases = {{150, 25000, 50000}, 75000};
const Disc kFailingReleases = {{150, 40000}, 70000};

// The chosen release is asked for in a request of its own, in its turn a
// second after the list's; a disc pressed in 150 releases lists them all.
TEST_F(MusicBrainz, TheChosenReleaseIsReadInItsTurnAndEveryReleaseIsListed) {
  testSeamLookupTimes = nullptr;
  UseSources("MusicBrainz", "rsa");
  StartWith(kManyReleases);
  std::vector<std::string> matches;
  RunLookup({[] { return Dialog() && IsWindowEnabled(GetDlgItem(Dialog(), IDOK)); }, Do([&] {
               HWND list = GetDlgItem(Dialog(), IDC_LOOKUP_LIST);
               matches = ListItems(list, LB_GETCOUNT, LB_GETTEXT);
               SendMessageA(list, LB_SETCURSEL, 149, 0);
             }),
             Press(IDOK), WhenStatus("Waiting for localhost, which takes one request a second...")});
  ASSERT_EQ(150u, matches.size());
  EXPECT_EQ("The Pressings / Pressing 150 (2019, US) (MusicBrainz)", matches[149]);
  EXPECT_EQ("The Pressings", Text(mainWindow));
  EXPECT_EQ("Pressing 150", Text(Item(IDC_DISC_TITLE)));
  EXPECT_EQ(0u, OrderTexts()[2].find("Pressing 150, track 3")) << OrderTexts()[2];
  std::vector<std::string> requests = MusicBrainzRequests();
  ASSERT_EQ(2u, requests.size());
  EXPECT_EQ(0u, requests[1].find("/ws/2/release/00000000-0000-4000-8000-000000000149?")) << requests[1];
}

// A release's own answer that fails is told like the list's, and nothing
// is changed: a box set past the answer's limit, a busy service, a cut answer.
TEST_F(MusicBrainz, AChosenReleaseThatCannotBeReadChangesNothing) {
  struct Case {
    int take;
    const char* status;
  } cases[] = {
      {0, "This release is too large to be read here (a set of hundreds of tracks); nothing was changed."},
      {1, "The server answered: HTTP/1.1 503 Service Temporarily Unavailable"},
      {2, "The answer from localhost was incomplete; nothing was changed."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    UseSources("MusicBrainz", "rsa");
    StartWith(kFailingReleases);
    RunLookup({[] { return Dialog() && IsWindowEnabled(GetDlgItem(Dialog(), IDOK)); },
               Do([&] { SendMessageA(GetDlgItem(Dialog(), IDC_LOOKUP_LIST), LB_SETCURSEL, c.take, 0); }), Press(IDOK),
               WhenStatus(c.status), Press(IDCANCEL)});
    EXPECT_EQ("Untitled", Text(mainWindow));
    EndPlayer();
    EXPECT_EQ(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("Pressing"));
    EndCase();
  }
}

// The program the tests register as the shell's web browser, beside them.
std::string UrlHandler() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string here = path;
  return here.substr(0, here.find_last_of('\\') + 1) + KOVEL_URL_HANDLER;
}

// Sets the shell's command for https: the handler's, or (handler empty)
// none at all; gives back what the machine had.
std::string SetHttpsCommand(const std::string& command) {
  const char kKey[] = "Software\\Classes\\https\\shell\\open\\command";
  char had[512] = "";
  LONG size = sizeof had;
  RegQueryValueA(HKEY_LOCAL_MACHINE, kKey, had, &size);
  if (command.empty())
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
  else
    RegSetValueA(HKEY_LOCAL_MACHINE, kKey, REG_SZ, command.c_str(), static_cast<DWORD>(command.size()));
  return had;
}

HWND SubmitDialog() { return FindWindowA("#32770", "Submit Disc"); }

// MusicBrainz does not know the disc: the dialog offers to add it, and the
// button opens the page where that is done, in the user's browser, or shows
// its address where no browser opens.
TEST_F(MusicBrainz, SubmitDiscOpensMusicBrainzsPageOrShowsItsAddress) {
  const std::string address = "https://localhost:" + std::to_string(MusicBrainzPort("rsa")) +
                              "/cdtoc/attach?id=Za0K_my4hWHEUXgh4QULyRqGmCg-&tracks=7&"
                              "toc=1+7+63000+150+9000+18000+27000+36000+45000+54000";
  const std::string log = WindowsFile("opened-addresses.txt");
  SetEnvironmentVariableA("KOVEL_URL_LOG", log.c_str());
  DeleteFileA(log.c_str());
  const std::string machines = SetHttpsCommand("\"" + UrlHandler() + "\" \"%1\"");
  for (bool browser : {true, false}) {
    SCOPED_TRACE(browser ? "a browser" : "no browser");
    if (!browser) SetHttpsCommand("");
    UseSources("MusicBrainz", "rsa");
    StartWith(kUnknown);
    bool offered = false;
    std::string shown;
    DWORD from = 1, to = 0;
    RunLookup({WhenStatus("No titles were found for this disc."), Do([&] {
                 offered = IsWindowVisible(GetDlgItem(Dialog(), IDC_LOOKUP_SUBMIT)) &&
                           IsWindowVisible(GetDlgItem(Dialog(), IDC_LOOKUP_SUBMIT_TEXT));
               }),
               Press(IDC_LOOKUP_SUBMIT),
               [&] {
                 if (browser) return true;
                 HWND submit = SubmitDialog();
                 if (!submit) return false;
                 char text[512] = "";
                 GetDlgItemTextA(submit, IDC_SUBMIT_ADDRESS, text, sizeof text);
                 shown = text;
                 SendDlgItemMessageA(submit, IDC_SUBMIT_ADDRESS, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                                     reinterpret_cast<LPARAM>(&to));
                 PostMessageA(submit, WM_COMMAND, IDOK, 0);
                 return true;
               },
               [] { return !SubmitDialog(); }, Press(IDCANCEL)});
    EXPECT_TRUE(offered);
    if (browser) {
      ASSERT_TRUE(PumpUntil([&] { return !ReadBytes(log).empty(); }));
      EXPECT_EQ(address + "\r\n", ReadBytes(log));
    } else {
      EXPECT_EQ(address, shown);
      EXPECT_EQ(0u, from);
      EXPECT_EQ(address.size(), to);
    }
    EndCase();
  }
  SetHttpsCommand(machines);
  // A disc MusicBrainz knows is not offered.
  UseSources("MusicBrainz", "rsa");
  StartWith(kHarbourLights);
  bool offered = true;
  RunLookup({WhenStatus(kChoose), Do([&] { offered = IsWindowVisible(GetDlgItem(Dialog(), IDC_LOOKUP_SUBMIT)); }),
             Press(IDCANCEL)});
  EXPECT_FALSE(offered);
}

// The look-up that runs by itself ([Lookup] Automatic=1).
class Automatic : public MusicBrainz {
 protected:
  void TearDown() override {
    testSeamWinSockLibrary = nullptr;
    MusicBrainz::TearDown();
  }
  void UseAutomatic(const std::string& sources, const std::string& server, int automatic = 1) {
    UseSources(sources, server);
    WriteBytes(WindowsFile("kovel.ini"),
               ReadBytes(WindowsFile("kovel.ini")) + "Automatic=" + std::to_string(automatic) + "\r\n");
  }
  // Runs the script in the look-up dialog, which the player opens itself.
  void RunOpenedLookup(std::vector<std::function<bool()>> steps) {
    script = std::move(steps);
    scriptAt = 0;
    ticksWaited = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, ScriptTick);
    EXPECT_TRUE(PumpUntil([] { return scriptAt == script.size() && !Dialog(); }));
    KillTimer(nullptr, timer);
  }
};

// An unknown disc with one sure match gets its titles with no dialog; a
// disc the catalogue knows is never looked up unasked.
TEST_F(Automatic, AnUnknownDiscTakesItsOneSureMatchAndAKnownOneIsNotAsked) {
  UseAutomatic("MusicBrainz,gnudb", "rsa");
  StartWith(kHarbourLights);
  bool dialogSeen = false;
  ASSERT_TRUE(PumpUntil([&] {
    dialogSeen = dialogSeen || Dialog() != nullptr;
    return !AutoLookupRunning();
  }));
  EXPECT_FALSE(dialogSeen);
  EXPECT_EQ("Harbour Lights", Text(Item(IDC_DISC_TITLE)));
  EXPECT_EQ("Anna Vik & The Lanterns", Text(mainWindow));
  EXPECT_EQ(0u, OrderTexts()[0].find("Low Tide")) << OrderTexts()[0];
  EXPECT_EQ(2u, MusicBrainzRequests().size());  // the list and the release
  EndPlayer();
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("DiscTitle=Harbour Lights"));
  FreshProcess();

  // Known from a run without the option, the disc is not asked for with it.
  UseAutomatic("MusicBrainz", "rsa", 0);
  StartWith(kNorthernSongs);
  EXPECT_FALSE(AutoLookupRunning());
  EndPlayer();
  FreshProcess();
  UseAutomatic("MusicBrainz", "rsa");
  StartWith(kNorthernSongs);
  EXPECT_FALSE(AutoLookupRunning());
  EXPECT_EQ(2u, MusicBrainzRequests().size());
}

// Never wrong: a disc taken out during its look-up gets nothing, and titles
// typed during it stay.
TEST_F(Automatic, ADiscTakenOutOrTitlesTypedMeanwhileGetNothing) {
  // The release waits its turn after the list: the moment to act.
  const LookupTimes times = {kLookupTimes.quietMs, kLookupTimes.stepLimitMs, 1500};
  testSeamLookupTimes = &times;
  UseAutomatic("MusicBrainz", "rsa");
  StartWith(kNonAscii);
  ASSERT_TRUE(PumpUntil([this] { return MusicBrainzRequests().size() == 1; }));
  VDriveRemoveDisc();
  ASSERT_TRUE(PumpUntil([] { return doorOpen == 1; }));
  EXPECT_FALSE(AutoLookupRunning());
  EndPlayer();
  EXPECT_EQ(1u, MusicBrainzRequests().size());
  EXPECT_EQ(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("Joutsenen"));
  FreshProcess();

  UseAutomatic("MusicBrainz", "aes128");
  StartWith(kSecondOfTwo);
  ASSERT_TRUE(PumpUntil([this] { return MusicBrainzRequests().size() == 2; }));
  // What the properties sheet does when the user types a title.
  lstrcpynA(discInfo.title, "Typed Meanwhile", sizeof discInfo.title);
  ASSERT_EQ(1, SaveDiscEntry(GetModuleHandleA(nullptr), &discInfo));
  ASSERT_TRUE(PumpUntil([] { return !AutoLookupRunning(); }));
  EXPECT_STREQ("Typed Meanwhile", discInfo.title);
  EXPECT_STREQ("Untitled", discInfo.artist);
  EndPlayer();
  EXPECT_NE(std::string::npos, ReadBytes(WindowsFile("tunedeck.ini")).find("DiscTitle=Typed Meanwhile"));
}

// Several matches are shown in the dialog, as if asked, once the player's
// window is active: not over another program's window.
TEST_F(Automatic, SeveralMatchesAreShownOnceThePlayerIsActive) {
  UseAutomatic("MusicBrainz", "ecdsa");
  StartWith(kNorthernSongs);
  HWND other = CreateWindowA("STATIC", "Another program", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                             nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(PumpUntil([this] { return MusicBrainzRequests().size() == 1; }));
  for (int round = 0; round < 50; ++round) {
    Pump();
    WaitForMessage(20);
  }
  EXPECT_EQ(nullptr, Dialog());
  EXPECT_TRUE(AutoLookupRunning());
  std::vector<std::string> matches;
  SetForegroundWindow(mainWindow);
  RunOpenedLookup({[] { return Dialog() && IsWindowEnabled(GetDlgItem(Dialog(), IDOK)); }, Do([&] {
                     HWND list = GetDlgItem(Dialog(), IDC_LOOKUP_LIST);
                     matches = ListItems(list, LB_GETCOUNT, LB_GETTEXT);
                     SendMessageA(list, LB_SETCURSEL, 1, 0);
                   }),
                   Press(IDOK)});
  DestroyWindow(other);
  EXPECT_EQ(3u, matches.size());
  EXPECT_EQ("Northern Songs (Remastered)", Text(Item(IDC_DISC_TITLE)));
  EXPECT_EQ(2u, MusicBrainzRequests().size());  // the list once, and the release taken
}

// Without networking nothing is shown and nothing changes.
TEST_F(Automatic, WithoutNetworkingNothingChanges) {
  testSeamWinSockLibrary = "nonet32.dll";
  UseAutomatic("MusicBrainz,gnudb", "rsa");
  StartWith(kStub);
  EXPECT_FALSE(AutoLookupRunning());
  EXPECT_EQ(nullptr, Dialog());
  EXPECT_EQ("Untitled", Text(mainWindow));
  EXPECT_TRUE(MusicBrainzRequests().empty());
}

// A stand-in for the platform's conversion that holds each call to the
// documented rules, which Wine does not enforce, and converts as the
// platform does when they are kept.
std::vector<std::string> brokenRules;
bool conversionFails;

int WINAPI StrictWideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int units, LPSTR out, int size,
                                     LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  bool noOptions = codePage == CP_UTF8 || codePage == CP_UTF7 || codePage == 42 ||
                   (codePage >= 50220 && codePage <= 50229) || codePage == 52936 || codePage == 54936 ||
                   (codePage >= 57002 && codePage <= 57011);
  if (conversionFails) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD kErrInvalidChars = 0x80;  // WC_ERR_INVALID_CHARS, which UTF-8 allows
  if (noOptions && flags != 0 && !(codePage == CP_UTF8 && flags == kErrInvalidChars)) {
    brokenRules.push_back("flags for " + std::to_string(codePage));
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  if (noOptions && (defaultChar || usedDefaultChar)) {
    brokenRules.push_back("default character for " + std::to_string(codePage));
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return WideCharToMultiByte(codePage, flags, wide, units, out, size, defaultChar, usedDefaultChar);
}

std::string Ansi(UINT codePage, const std::string& utf8) {
  char out[kTitleSize];
  memset(out, 'x', sizeof out);
  out[kTitleSize - 1] = '\0';
  EXPECT_EQ(1, AnsiFromUtf8(codePage, utf8.c_str(), out, sizeof out)) << codePage;
  return out;
}

std::string Repeat(const std::string& text, int count) {
  std::string repeated;
  for (int i = 0; i < count; ++i) repeated += text;
  return repeated;
}

// Every code page converts, each by its own rules, cut at a character's
// boundary within the 79 bytes of a title; a conversion that fails leaves
// the stored titles as they were.
TEST(LookupText, EveryCodePageConvertsByItsRulesAndAFailureKeepsTheTitles) {
  testSeamWideCharToMultiByte = StrictWideCharToMultiByte;
  brokenRules.clear();
  conversionFails = false;
  const std::string kyoto = "\xE4\xBA\xAC";  // a three-byte character in UTF-8, two in Shift-JIS
  const std::string note = "\xF0\x9F\x8E\xB5";  // beyond the BMP: a surrogate pair
  EXPECT_EQ("Joutsenen Siivill\xE4 ?", Ansi(1252, "Joutsenen Siivill\xC3\xA4 \xC4\x80"));
  EXPECT_EQ("Joutsenen Siivill\xC3\xA4", Ansi(CP_UTF8, "Joutsenen Siivill\xC3\xA4"));
  EXPECT_EQ("Siivill+AOQ-", Ansi(CP_UTF7, "Siivill\xC3\xA4"));
  EXPECT_EQ("a" + Repeat(kyoto, 26), Ansi(CP_UTF8, "a" + Repeat(kyoto, 40)));  // 79 bytes
  EXPECT_EQ("ab" + Repeat(kyoto, 25), Ansi(CP_UTF8, "ab" + Repeat(kyoto, 40)));  // 77 of 79
  EXPECT_EQ(Repeat(note, 19), Ansi(CP_UTF8, Repeat(note, 30)));  // 76 of 79
  EXPECT_EQ("ab" + Repeat("\x8B\x9E", 38), Ansi(932, "ab" + Repeat(kyoto, 40)));  // 78 of 79
  EXPECT_EQ(std::string(79, 'z'), Ansi(932, std::string(100, 'z')));
  EXPECT_EQ((std::vector<std::string>{}), brokenRules);

  DiscInfo info = {};
  TrackEntry tracks[2] = {{1, "First"}, {2, "Second"}};
  snprintf(info.artist, sizeof info.artist, "Old Artist");
  snprintf(info.title, sizeof info.title, "Old Title");
  info.trackCount = 2;
  info.tracks = tracks;
  static LookupEntry entry;
  snprintf(entry.artist, sizeof entry.artist, "New Artist");
  snprintf(entry.title, sizeof entry.title, "New Title");
  snprintf(entry.tracks[0], sizeof entry.tracks[0], "New First");
  entry.trackCount = 2;
  conversionFails = true;
  ApplyLookupEntry(&entry, &info);
  EXPECT_STREQ("Old Artist", info.artist);
  EXPECT_STREQ("Old Title", info.title);
  EXPECT_STREQ("First", tracks[0].title);
  conversionFails = false;
  ApplyLookupEntry(&entry, &info);
  EXPECT_STREQ("New Artist", info.artist);
  EXPECT_STREQ("New First", tracks[0].title);
  EXPECT_STREQ("Second", tracks[1].title);  // the entry has no title for it
  testSeamWideCharToMultiByte = nullptr;
}

}  // namespace
