// The release disk of `make dist`, end to end, with the shipped 32-bit
// programs: this 64-bit program runs in a fresh prefix of 32-bit Wine
// (tools/wine-run --wow32, see the Makefile's test target) and drives the
// real install.exe and kovel32.exe from outside, as a user would: it finds
// their windows and presses their buttons. A probe linked as they are
// (probe/) shows what the release run-time's start-up and exit do.
//
// Environment: KOVEL_RELEASE_DISK, the disk folder (build/dist/kovel32-<version>);
// KOVEL_RELEASE_BIN, the 32-bit build's programs the disk was made from;
// KOVEL_RELEASE_PASS, "no-network" when the prefix has no WinSock, as a
// Windows 95 installed without networking: the player must start and play
// all the same, and its look-up say that networking is missing;
// KOVEL_RELEASE_SERVERS, the folder of the test MusicBrainz service and the
// test CD database (musicbrainz\, cddb\), which the player asks with
// networking.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/install/resource.h"
#include "tests/win32/support/win_test_support.h"

namespace {

// Everything runs emulated: a 32-bit process takes seconds to start.
const DWORD kWaitMs = 60000;
const char kSetupCaption[] = "Setup - Corvane CD Player 1.0";
const char kPathCaption[] = "Install Path";
const char kInstallCaption[] = "Install - Corvane CD Player 1.0";
const char kRemoveCaption[] = "Remove - Corvane CD Player 1.0";
const char kErrorCaption[] = "Install - ERROR";
const char kPlayerClass[] = "CorvaneCDAudioPlayer";
const int kPlay = 1007, kOrderList = 1038, kLookUpItem = 1003, kLookupStatus = 1060, kLookupList = 1061;
const char kLookupCaption[] = "Look Up Titles Online";
const char kFontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
// The shell's keys as Windows has them, and the value each holds.
const char* const kShellKeys[][2] = {{"AudioCD\\Shell\\Play\\Command", " /play %1"},
                                     {"cdafile\\Defaulticon", ",0"},
                                     {"cdafile\\shell\\play\\command", " -play %1"}};

std::string Env(const char* name) {
  char value[MAX_PATH] = "";
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? value : "";
}

std::string WindowsDirectory() {
  char path[MAX_PATH] = "";
  GetWindowsDirectoryA(path, sizeof path);
  return path;
}

// The installer and the player are 32-bit: they see the 32-bit registry view.
const REGSAM kView32 = KEY_WOW64_32KEY;

void SetText(HKEY root, const char* path, const char* name, const std::string& text) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE | kView32, nullptr,
                                           &key, nullptr));
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

// "(none)" when the key or the value is missing.
std::string Text(HKEY root, const char* path, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | kView32, &key) != ERROR_SUCCESS) return "(none)";
  char text[MAX_PATH] = "";
  DWORD size = sizeof text, type = 0;
  const LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? text : "(none)";
}

struct Process {
  PROCESS_INFORMATION info = {};
  ~Process() {
    if (!info.hProcess) return;
    if (ExitCode(info.hProcess) == STILL_ACTIVE) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
};

bool Start(Process* process, const std::string& program, const std::string& folder) {
  std::string command = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process->info) != 0;
}

struct Search {
  DWORD processId;
  const char* caption;
  HWND found;
};

// A visible dialog of the process with the caption, or null.
HWND FindDialog(const Process& process, const char* caption) {
  Search search = {process.info.dwProcessId, caption, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        Search* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[16] = "", caption[128] = "";
        GetClassNameA(window, name, sizeof name);
        GetWindowTextA(window, caption, sizeof caption);
        if (owner == s->processId && IsWindowVisible(window) && lstrcmpA(name, "#32770") == 0 &&
            lstrcmpA(caption, s->caption) == 0) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The dialog once it shows, or once an error dialog shows instead (the
// failure then names the error's subject).
HWND AwaitDialog(const Process& process, const char* caption) {
  HWND dialog = nullptr, error = nullptr;
  WaitUntil(
      process.info.hProcess,
      [&] {
        dialog = FindDialog(process, caption);
        error = FindDialog(process, kErrorCaption);
        return dialog || error;
      },
      kWaitMs);
  if (error) {
    char name[MAX_PATH] = "";
    GetDlgItemTextA(error, IDC_ERROR_NAME, name, sizeof name);
    ADD_FAILURE() << "error dialog about " << name << " instead of " << caption;
  }
  EXPECT_TRUE(dialog) << "no dialog " << caption;
  return dialog;
}

void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Runs the installer from the disk: Install (into the default folder) or
// Remove, then Done once the work has run; expects it to end with 0.
void RunInstaller(const std::string& disk, bool install) {
  Process setup;
  ASSERT_TRUE(Start(&setup, disk + "\\install.exe", disk));
  HWND choice = AwaitDialog(setup, kSetupCaption);
  ASSERT_TRUE(choice);
  SendDlgItemMessageA(choice, IDC_INSTALL_CHOICE, BM_SETCHECK, install ? BST_CHECKED : BST_UNCHECKED, 0);
  SendDlgItemMessageA(choice, IDC_REMOVE_CHOICE, BM_SETCHECK, install ? BST_UNCHECKED : BST_CHECKED, 0);
  Press(choice, IDOK);
  if (install) {
    HWND path = AwaitDialog(setup, kPathCaption);
    ASSERT_TRUE(path);
    char folder[MAX_PATH] = "";
    GetDlgItemTextA(path, IDC_INSTALL_FOLDER, folder, sizeof folder);
    EXPECT_STREQ("C:\\KOVEL", folder);
    Press(path, IDOK);
  }
  HWND progress = AwaitDialog(setup, install ? kInstallCaption : kRemoveCaption);
  ASSERT_TRUE(progress);
  // Done is enabled once the work, started by the dialog's timer, is over.
  ASSERT_TRUE(WaitUntil(setup.info.hProcess, [&] { return IsWindowEnabled(GetDlgItem(progress, IDOK)) != 0; },
                        kWaitMs));
  EXPECT_FALSE(FindDialog(setup, kErrorCaption));
  Press(progress, IDOK);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(setup.info.hProcess, kWaitMs));
  EXPECT_EQ(0u, ExitCode(setup.info.hProcess));
}

// Starts the player; its window once it shows, with a disc to play.
HWND StartPlayer(Process* run, const std::string& program) {
  HWND window = nullptr;
  if (!Start(run, program, "")) return nullptr;
  WaitUntil(
      run->info.hProcess,
      [&] {
        window = FindWindowA(kPlayerClass, nullptr);
        return window && IsWindowVisible(window) && IsWindowEnabled(GetDlgItem(window, kPlay));
      },
      kWaitMs);
  return window && IsWindowEnabled(GetDlgItem(window, kPlay)) ? window : nullptr;
}

// Index of the first line from `from` on that holds every piece; npos if none.
size_t FindLine(const std::string& log, size_t from, const char* piece, const char* other = "") {
  for (size_t at = from; at < log.size();) {
    const size_t end = log.find('\n', at);
    const std::string line = log.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (line.find(piece) != std::string::npos && line.find(other) != std::string::npos) return at;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return std::string::npos;
}

TEST(Release32, InstallsPlaysAcrossATrackEndKeepsItsFilesAndIsRemoved) {
  const std::string disk = Env("KOVEL_RELEASE_DISK"), bin = Env("KOVEL_RELEASE_BIN");
  const bool noNetwork = Env("KOVEL_RELEASE_PASS") == "no-network";
  ASSERT_FALSE(disk.empty() || bin.empty()) << "KOVEL_RELEASE_DISK and KOVEL_RELEASE_BIN must name folders";
  const std::string windows = WindowsDirectory();
  const std::string player = "C:\\KOVEL\\kovel32.exe", font = windows + "\\Fonts\\digital.fon";
  const std::string catalogue = windows + "\\tunedeck.ini", settings = windows + "\\kovel.ini";
  for (const auto& key : kShellKeys) SetText(HKEY_CLASSES_ROOT, key[0], nullptr, windows + "\\cdplayer.exe" + key[1]);
  ASSERT_EQ("(none)", ReadBytes(player));
  ASSERT_EQ("(none)", ReadBytes(catalogue));
  // The machine has the two CD drives the player's drive choice offers.
  for (const char* root : {"D:\\", "E:\\"}) EXPECT_EQ(UINT{DRIVE_CDROM}, GetDriveTypeA(root)) << root;

  // Install: the program and the font expanded from the disk, the shell's
  // verbs and the font registered.
  RunInstaller(disk, true);
  EXPECT_EQ(ReadBytes(bin + "\\kovel32.exe"), ReadBytes(player));
  EXPECT_EQ(ReadBytes(bin + "\\digital.fon"), ReadBytes(font));
  for (const auto& key : kShellKeys)
    EXPECT_EQ(player + key[1], Text(HKEY_CLASSES_ROOT, key[0], nullptr)) << key[0];
  EXPECT_EQ("C:\\KOVEL", Text(HKEY_CLASSES_ROOT, "AudioCD", "InstallPath"));
  EXPECT_EQ("digital.fon", Text(HKEY_LOCAL_MACHINE, kFontsKey, "Corvane Digital"));

  // Play: the installed player on a disc whose first track lasts four
  // seconds, played at twice its speed, goes on into the second track.
  const std::string log = UseDriveFile(
      "release-drive",
      "[Drive]\r\nDisc=short\r\nSpeed=2\r\n[Disc.short]\r\nTracks=3\r\nTrack1=0:02:00\r\n"
      "Track2=0:06:00\r\nTrack3=3:00:00\r\nLeadOut=6:00:00\r\n");
  {
    Process run;
    HWND window = StartPlayer(&run, player);
    ASSERT_TRUE(window);
    RECT button;
    GetClientRect(GetDlgItem(window, kPlay), &button);
    const LPARAM at = MAKELPARAM(button.right / 2, button.bottom / 2);
    PostMessageA(GetDlgItem(window, kPlay), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(GetDlgItem(window, kPlay), WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitUntil(
        run.info.hProcess, [&] { return SendDlgItemMessageA(window, kOrderList, CB_GETCURSEL, 0, 0) == 1; },
        kWaitMs));
    // The end of track 1 was notified, and the player then played track 2.
    const std::string played = ReadBytes(log);
    const size_t first = FindLine(played, 0, "cmd=MCI_PLAY");
    const size_t end = FindLine(played, first == std::string::npos ? played.size() : first, "cmd=NOTIFY", "code=1");
    EXPECT_NE(std::string::npos, first) << played;
    EXPECT_NE(std::string::npos, end) << played;
    EXPECT_NE(std::string::npos, FindLine(played, end == std::string::npos ? played.size() : end,
                                          "cmd=MCI_PLAY", " from=2 "))
        << played;
    if (noNetwork) {
      PostMessageA(window, WM_SYSCOMMAND, kLookUpItem, 0);
      HWND lookup = AwaitDialog(run, kLookupCaption);
      ASSERT_TRUE(lookup);
      char status[256] = "";
      EXPECT_TRUE(WaitUntil(
          run.info.hProcess,
          [&] { return GetDlgItemTextA(lookup, kLookupStatus, status, sizeof status) > 0; }, kWaitMs));
      EXPECT_STREQ("Networking (TCP/IP) is not installed on this computer.", status);
      Press(lookup, IDCANCEL);
      EXPECT_TRUE(WaitUntil(run.info.hProcess, [&] { return !FindDialog(run, kLookupCaption); }, kWaitMs));
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(run.info.hProcess, kWaitMs));
    EXPECT_EQ(0u, ExitCode(run.info.hProcess));
  }
  // At exit the player kept the disc in its catalogue and its settings
  // (where the window was depends on the display, not on the program).
  EXPECT_EQ(
      "[198656]\r\nDiscTitle=Untitled\r\nDiscArtist=Untitled\r\nRepeat=0\r\nShuffle=0\r\n"
      "Track1=Track 1\r\nTrack2=Track 2\r\nTrack3=Track 3\r\nPlayList=1 2 3\r\n",
      ReadBytes(catalogue));
  const std::string kept = ReadBytes(settings);
  EXPECT_EQ(noNetwork ? kept.find("\r\n[Window]\r\nWindowXPosn=") + 2 : 0u, kept.find("[Window]\r\nWindowXPosn="))
      << kept;
  EXPECT_NE(std::string::npos, kept.find("\r\nTemplate=101\r\nStayOnTop=0\r\n")) << kept;

  // Remove: the program, its folder and the font go, the shell's verbs are
  // handed back to the system's player.
  RunInstaller(disk, false);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(player.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\KOVEL"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(font.c_str()));
  for (const auto& key : kShellKeys)
    EXPECT_EQ(windows + "\\cdplayer.exe" + key[1], Text(HKEY_CLASSES_ROOT, key[0], nullptr)) << key[0];
  EXPECT_EQ("(none)", Text(HKEY_CLASSES_ROOT, "AudioCD", "InstallPath"));
  EXPECT_EQ("(none)", Text(HKEY_LOCAL_MACHINE, kFontsKey, "Corvane Digital"));
}

// The release run-time's start-up and exit, in a probe linked as the shipped
// programs are (probe/runtime_probe.cpp): each static object constructed
// once, before WinMain, those of a file in their order and the files in the
// order the compiler's own start-up code takes (the last linked first);
// WinMain given the show state and the arguments past the program's name,
// quoted or not (a letter beyond ASCII belongs to the name); at exit the
// functions registered with atexit, then the static destructors in reverse
// order of construction, then the destructor functions; WinMain's result
// the exit code. The program's name on the command line need not be its path.
TEST(Release32, RunTimeStartsAndEndsAProgramInOrder) {
  if (Env("KOVEL_RELEASE_PASS") == "no-network") GTEST_SKIP() << "run once, in the pass with networking";
  const std::string bin = Env("KOVEL_RELEASE_BIN");
  ASSERT_FALSE(bin.empty()) << "KOVEL_RELEASE_BIN must name a folder";
  const std::string program = bin + "\\runtime_probe.exe";
  const std::string names[] = {"\"" + program + "\"", "C:\\Pr\xE9sent\\probe.exe"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE output = nullptr, probeOutput = nullptr;
    ASSERT_TRUE(CreatePipe(&output, &probeOutput, &inherited, 0));
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINNOACTIVE;
    startup.hStdOutput = startup.hStdError = probeOutput;
    std::string command = name + "  one \"two three\"";
    Process probe;
    const BOOL started = CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &probe.info);
    CloseHandle(probeOutput);
    // The probe's few lines fit in the pipe: it ends without a reader.
    const DWORD waited = started ? WaitForSingleObject(probe.info.hProcess, kWaitMs) : WAIT_FAILED;
    std::string text;
    char chunk[512];
    DWORD got = 0;
    while (waited == WAIT_OBJECT_0 && ReadFile(output, chunk, sizeof chunk, &got, nullptr) && got)
      text.append(chunk, got);
    CloseHandle(output);
    ASSERT_TRUE(started);
    ASSERT_EQ(WAIT_OBJECT_0, waited);
    EXPECT_EQ(
        "construct other\nconstruct first\nconstruct second\narguments one \"two three\"\nshow 7\n"
        "atexit second\natexit first\ndestroy second\ndestroy first\ndestroy other\ndestructor function\n",
        text);
    EXPECT_EQ(42u, ExitCode(probe.info.hProcess));
  }
}

// A disc of the look-up's cases in the drive file: its track starts and
// lead-out as the player reads them (the drive reports the disc one frame
// short of its lead-out, as a real one does), and its data track, if any.
std::string DriveDisc(const std::vector<unsigned>& offsets, unsigned leadOut, int dataTrack = 0) {
  auto msf = [](unsigned frames) {
    char text[16];
    snprintf(text, sizeof text, "%u:%02u:%02u", frames / 4500, frames / 75 % 60, frames % 75);
    return std::string(text);
  };
  std::string disc = "[Drive]\r\nDisc=lookup\r\n[Disc.lookup]\r\nTracks=" + std::to_string(offsets.size()) + "\r\n";
  for (size_t t = 0; t < offsets.size(); ++t) disc += "Track" + std::to_string(t + 1) + "=" + msf(offsets[t]) + "\r\n";
  if (dataTrack) disc += "Type" + std::to_string(dataTrack) + "=data\r\n";
  return disc + "LeadOut=" + msf(leadOut - 1) + "\r\n";
}

std::string Port(const std::string& servers, const char* server) {
  std::string ports = ReadBytes(servers + "\\musicbrainz\\ports");
  size_t at = ports.find(std::string(server) + " ");
  return at == std::string::npos ? "" : ports.substr(at + strlen(server) + 1, ports.find('\n', at) - at - strlen(server) - 1);
}

// The release's player asks the test services about a disc: the list it
// shows and the status it ends with, each case in a player started afresh;
// where a match is taken, its titles go into the catalogue.
TEST(Release32, LooksDiscsUpInMusicBrainzAndGnudbOverItsOwnTls) {
  if (Env("KOVEL_RELEASE_PASS") == "no-network") GTEST_SKIP() << "no WinSock in this pass";
  const std::string bin = Env("KOVEL_RELEASE_BIN"), servers = Env("KOVEL_RELEASE_SERVERS");
  ASSERT_FALSE(bin.empty() || servers.empty()) << "KOVEL_RELEASE_BIN and KOVEL_RELEASE_SERVERS must name folders";
  const std::string windows = WindowsDirectory();
  const std::vector<unsigned> harbour = {150, 14265, 33790, 49650, 51900};
  const std::string choose = "Choose the matching disc and press OK.";
  const char* const kCountries[] = {"GB", "DE", "US", "JP", "FR", "NL", "XE"};
  std::vector<std::string> many;
  for (int i = 0; i < 150; ++i)
    many.push_back("The Pressings / Pressing " + std::to_string(i + 1) + " (" + std::to_string(1970 + i % 50) + ", " +
                   kCountries[i % 7] + ") (MusicBrainz)");
  const std::vector<std::string> failing = {"The Pressings / Complete Works (2001, GB) (MusicBrainz)",
                                            "The Pressings / Busy Pressing (2001, GB) (MusicBrainz)",
                                            "The Pressings / Cut Pressing (2001, GB) (MusicBrainz)"};
  struct Case {
    const char* what;
    std::string disc;
    const char* sources;
    const char* server;
    const char* gnudb;
    std::vector<std::string> matches;
    std::string status;  // its start
    const char* taken;   // the disc title the catalogue keeps, when the first match is taken
    const char* failed = nullptr;  // the status after OK, where the first match cannot be read
  } cases[] = {
      {"one release", DriveDisc(harbour, 56400), "MusicBrainz", "rsa", "nomatch",
       {"Anna Vik & The Lanterns / Harbour Lights (1999, XE) (MusicBrainz)"}, choose, "Harbour Lights"},
      {"several releases, a chain of four", DriveDisc({150, 20000, 41000, 60000}, 80000), "MusicBrainz", "ecdsa",
       "nomatch",
       {"Northbound / Northern Songs (1987, GB) (MusicBrainz)",
        "Northbound / Northern Songs (Remastered) (2005, GB) (MusicBrainz)",
        "Northbound / Northern Songs (1988, JP) (MusicBrainz)"},
       choose, nullptr},
      {"the second disc of two", DriveDisc({150, 18000, 36000, 54000, 72000, 90000}, 108000), "MusicBrainz",
       "aes128", "nomatch", {"Orchestra of the Tarn conducted by Ilse Marr / The Four Rivers (1999, XE) (MusicBrainz)"},
       choose,
       "The Four Rivers"},
      {"a near table of contents", DriveDisc({150, 30000, 60000}, 90000), "MusicBrainz", "rsa", "nomatch",
       {"Marta Lind / Three Rooms (1999, XE) (MusicBrainz)", "Marta Lind / Three Rooms (Live) (1999, XE) (MusicBrainz)"},
       choose, nullptr},
      {"letters beyond ASCII", DriveDisc({150, 25000}, 50000), "MusicBrainz", "rsa", "nomatch",
       {"Sigur R\xF3s & T?ky? Ensemble / Joutsenen Siivill\xE4 (1999, XE) (MusicBrainz)"}, choose,
       "Joutsenen Siivill\xE4"},
      {"unknown disc", DriveDisc({150, 9000, 18000, 27000, 36000, 45000, 54000}, 63000), "MusicBrainz", "rsa",
       "nomatch", {}, "No titles were found for this disc.", nullptr},
      {"cut answer", DriveDisc({150, 30000}, 60000), "MusicBrainz", "rsa", "nomatch", {},
       "The answer from localhost was incomplete; nothing was changed.", nullptr},
      {"another name", DriveDisc(harbour, 56400), "MusicBrainz", "wrongname", "nomatch", {},
       "The certificate of localhost was made out for another name.", nullptr},
      {"expired", DriveDisc(harbour, 56400), "MusicBrainz", "expired", "nomatch", {},
       "The certificate of localhost is not valid on ", nullptr},
      {"untrusted root", DriveDisc(harbour, 56400), "MusicBrainz", "untrusted", "nomatch", {},
       "The certificate of localhost does not lead to a trusted root.", nullptr},
      {"suites it does not offer", DriveDisc(harbour, 56400), "MusicBrainz", "oldsuites", "nomatch", {},
       "localhost offers no encryption that this program has", nullptr},
      {"both sources", DriveDisc(harbour, 56400), "MusicBrainz,gnudb", "untrusted", "single",
       {"The Corvane Quartet / Late Night Sessions (gnudb)"},
       choose + "\nMusicBrainz: The certificate of localhost does not lead to a trusted root.", "Late Night Sessions"},
      {"an enhanced CD, known by its audio tracks", DriveDisc({150, 14265, 33790, 49650, 51900, 67800}, 90000, 6),
       "MusicBrainz", "rsa", "nomatch", {"Anna Vik & The Lanterns / Harbour Lights (1999, XE) (MusicBrainz)"}, choose,
       "Harbour Lights"},
      {"a disc in 150 releases", DriveDisc({150, 25000, 50000}, 75000), "MusicBrainz", "rsa", "nomatch", many, choose,
       "Pressing 1"},
      {"a release too large", DriveDisc({150, 40000}, 70000), "MusicBrainz", "rsa", "nomatch", failing, choose,
       nullptr, "This release is too large to be read here"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseDriveFile("release-lookup", c.disc);
    DeleteFileA((windows + "\\tunedeck.ini").c_str());
    WriteBytes(windows + "\\kovel.ini",
               std::string("[Lookup]\r\nSources=") + c.sources + "\r\nMusicBrainzServer=localhost\r\nMusicBrainzPort=" +
                   Port(servers, c.server) + "\r\nRoots=" + servers + "\\musicbrainz\\roots.pem\r\nServer=127.0.0.1\r\n" +
                   "Port=" + ReadBytes(servers + "\\cddb\\port") + "\r\nPath=/" + c.gnudb + "/~cddb/cddb.cgi\r\n");
    Process run;
    HWND window = StartPlayer(&run, bin + "\\kovel32.exe");
    ASSERT_TRUE(window);
    PostMessageA(window, WM_SYSCOMMAND, kLookUpItem, 0);
    HWND lookup = AwaitDialog(run, kLookupCaption);
    ASSERT_TRUE(lookup);
    char status[512] = "";
    EXPECT_TRUE(WaitUntil(
        run.info.hProcess,
        [&] {
          return GetDlgItemTextA(lookup, kLookupStatus, status, sizeof status) > 0 && !strstr(status, "...");
        },
        kWaitMs));
    EXPECT_EQ(c.status, std::string(status).substr(0, c.status.size()));
    std::vector<std::string> matches;
    // Wine hands a list box's text to another process in UTF-16 alone.
    for (LRESULT i = 0; i < SendDlgItemMessageW(lookup, kLookupList, LB_GETCOUNT, 0, 0); ++i) {
      wchar_t wide[256] = L"";
      char line[256] = "";
      SendDlgItemMessageW(lookup, kLookupList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
      WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, nullptr, nullptr);
      matches.push_back(line);
    }
    EXPECT_EQ(c.matches, matches);
    Press(lookup, c.taken || c.failed ? IDOK : IDCANCEL);
    if (c.failed) {
      // The release is read in its own request; its failure is told and nothing changes.
      EXPECT_TRUE(WaitUntil(
          run.info.hProcess,
          [&] { return GetDlgItemTextA(lookup, kLookupStatus, status, sizeof status) > 0 && strstr(status, c.failed); },
          kWaitMs))
          << status;
      Press(lookup, IDCANCEL);
    }
    EXPECT_TRUE(WaitUntil(run.info.hProcess, [&] { return !FindDialog(run, kLookupCaption); }, kWaitMs));
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(run.info.hProcess, kWaitMs));
    const std::string catalogue = ReadBytes(windows + "\\tunedeck.ini");
    if (c.taken) {
      EXPECT_NE(std::string::npos, catalogue.find(std::string("DiscTitle=") + c.taken)) << catalogue;
    } else {
      EXPECT_NE(std::string::npos, catalogue.find("DiscTitle=Untitled")) << catalogue;
    }
  }
  DeleteFileA((windows + "\\tunedeck.ini").c_str());
  DeleteFileA((windows + "\\kovel.ini").c_str());
}

}  // namespace
