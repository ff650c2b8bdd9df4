// Takes the pictures in docs/: the player on the virtual drive's demo disc
// in both views, playing (also showing the time left) and without a disc,
// its About box, the three pages of the disc properties sheet and, given
// the ports of the test CD database (tests/cddb) and of the test MusicBrainz
// service (tests/musicbrainz) on 127.0.0.1 with the service's roots file,
// the look-up dialog with the matches of both, and offering to add a disc
// MusicBrainz does not know. The player runs in this process, so the
// drive's clock and contents are set directly.
//
//   screenshots FOLDER [CDDB-PORT MUSICBRAINZ-PORT ROOTS]     (writes FOLDER\*.bmp)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "common/profile/profile.h"
#include "player/catalogue/catalogue.h"
#include "player/device/cd_device.h"
#include "player/panel/panel.h"
#include "player/properties/properties.h"
#include "player/shell/player.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"
#include "tools/window_capture.h"
#include "vdrive/vdrive_api.h"

namespace {

unsigned Frames(unsigned m, unsigned s, unsigned f) { return (m * 60 + s) * 75 + f; }
const unsigned kStarts[] = {Frames(0, 2, 0), Frames(3, 10, 15), Frames(7, 30, 40), Frames(8, 2, 0),
                            Frames(12, 45, 70)};
const unsigned kLeadOut = Frames(16, 59, 10);

std::string folder;
bool ended;

void Capture(HWND window, const char* name) {
  CaptureWindow(window, (folder + "\\" + name + ".bmp").c_str());
}

// Runs the player's loop for about ms of real time (its LED displays poll on
// their own timers).
void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    if (!ended) ended = !RunQueuedPlayerMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

void Command(int id) { SendMessageA(mainWindow, WM_COMMAND, id, 0); }

// The modal windows are captured from a timer that fires in their loop.
int sheetPage;
void CALLBACK SheetTick(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND sheet = FindWindowA(nullptr, "CD Audio Disc Properties");
  if (!sheet) return;
  static const char* names[] = {"properties-cd-title", "properties-playlist", "properties-tracklist"};
  static int settled;
  if (++settled < 5) return;  // let the page paint
  settled = 0;
  Capture(sheet, names[sheetPage]);
  if (++sheetPage < 3) {
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(sheetPage), 0);
    return;
  }
  KillTimer(nullptr, timer);
  SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

void CALLBACK AboutTick(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND about = GetActiveWindow();
  static int settled;
  if (!about || about == mainWindow || ++settled < 5) return;
  KillTimer(nullptr, timer);
  Capture(about, "about");
  SendMessageA(about, WM_COMMAND, IDOK, 0);
}

// The picture the look-up dialog is taken as, once it lists its matches.
const char* lookupShot;

void CALLBACK LookupTick(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowA("#32770", "Look Up Titles Online");
  static int settled;
  if (!dialog || !IsWindowEnabled(GetDlgItem(dialog, IDOK)) || ++settled < 5) return;
  settled = 0;
  KillTimer(nullptr, timer);
  Capture(dialog, lookupShot);
  SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// The look-up of a disc (its track starts and lead-out) in the test
// MusicBrainz service, on its RSA server, and a scenario of the test CD
// database; the settings file is put back as it was.
void CaptureLookup(const char* shot, const unsigned* starts, int tracks, unsigned leadOut, const char* gnudbPath,
                   const char* cddbPort, const char* musicBrainzPort, const char* roots) {
  VDriveRemoveDisc();
  Pump(600);
  // The drive reports a disc one frame short of its lead-out.
  VDriveLoadDisc(tracks, starts, leadOut - 1, 0);
  Pump(600);
  char path[MAX_PATH];
  ProfileFile before = {};
  if (!ProfileResolvePath("kovel.ini", path, sizeof path) || !ProfileReadFile(path, &before)) return;
  ProfileFile file = before;
  const ProfileEntry server[] = {{"Sources", "MusicBrainz,gnudb"},
                                 {"MusicBrainzServer", "localhost"},
                                 {"MusicBrainzPort", musicBrainzPort},
                                 {"Roots", roots},
                                 {"Server", "127.0.0.1"},
                                 {"Port", cddbPort},
                                 {"Path", gnudbPath},
                                 {"User", "kovel32"}};
  ProfileWriteSection(&file.text, "Lookup", server, sizeof server / sizeof server[0]);
  ProfileSaveFile(path, &file);
  lookupShot = shot;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, LookupTick);
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_LOOKUP, 0);
  KillTimer(nullptr, timer);
  if (before.text.empty())
    DeleteFileA(path);
  else
    ProfileSaveFile(path, &before);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 5) {
    fprintf(stderr, "usage: screenshots FOLDER [CDDB-PORT MUSICBRAINZ-PORT ROOTS]\n");
    return 2;
  }
  folder = argv[1];
  SetEnvironmentVariableA("VDRIVE_FILE", "C:\\no-such-folder\\vdrive.ini");
  VDriveReset();
  VDriveUseManualClock(1);
  VDriveLoadDisc(5, kStarts, kLeadOut, 0);

  StartPlayer(GetModuleHandleA(nullptr));
  playerSettings.xPosn = playerSettings.yPosn = 40;
  playerSettings.templateId = kExpandedTemplate;
  CreateMainWindow();
  Pump(500);
  // A catalogued disc: titles as a user would have typed them.
  snprintf(discInfo.artist, sizeof discInfo.artist, "The Corvane Quartet");
  snprintf(discInfo.title, sizeof discInfo.title, "Late Night Sessions");
  const char* titles[] = {"Blue Harbour", "Night Train", "Slow Rain", "Interlude", "Last Call"};
  for (int t = 0; t < 5; ++t) snprintf(discInfo.tracks[t].title, kTitleSize, "%s", titles[t]);
  FillDiscControls(mainWindow, GetDlgItem(mainWindow, IDC_ORDER_LIST), GetDlgItem(mainWindow, IDC_SHUFFLE),
                   GetDlgItem(mainWindow, IDC_REPEAT), deviceId, &discInfo);
  SendMessageA(GetDlgItem(mainWindow, IDC_ORDER_LIST), CB_SETCURSEL, 1, 0);
  CDSeekTrack(mainWindow, 2, deviceId);
  Command(IDC_PLAY);
  VDriveAdvance(83400);
  Pump(600);
  Capture(mainWindow, "player-expanded");

  // Two clicks on the time display show the time left of the disc; a third
  // brings back the time into the track.
  for (int click = 0; click < 3; ++click) {
    SendMessageA(GetDlgItem(mainWindow, IDC_TIME_DISPLAY), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    if (click == 1) {
      Pump(300);
      Capture(mainWindow, "player-time-left");
    }
  }

  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  Pump(600);
  Capture(mainWindow, "player-minimized");
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDC_VIEW, 0);
  Pump(600);

  UINT_PTR timer = SetTimer(nullptr, 0, 50, AboutTick);
  SendMessageA(mainWindow, WM_SYSCOMMAND, IDM_ABOUT, 0);
  KillTimer(nullptr, timer);

  timer = SetTimer(nullptr, 0, 50, SheetTick);
  ShowDiscProperties(mainWindow, &discInfo);
  KillTimer(nullptr, timer);
  Pump(300);

  if (argc == 5) {
    // "Harbour Lights", which MusicBrainz knows, and several matches of the
    // CD database; then a disc MusicBrainz does not know, offered to add.
    const unsigned harbourLights[] = {150, 14265, 33790, 49650, 51900};
    CaptureLookup("lookup", harbourLights, 5, 56400, "/several/~cddb/cddb.cgi", argv[2], argv[3], argv[4]);
    Pump(300);
    const unsigned unknown[] = {150, 9000, 18000, 27000, 36000, 45000, 54000};
    CaptureLookup("lookup-submit", unknown, 7, 63000, "/single/~cddb/cddb.cgi", argv[2], argv[3], argv[4]);
    Pump(300);
  }

  VDriveRemoveDisc();
  Pump(600);
  Capture(mainWindow, "player-no-disc");

  DestroyWindow(mainWindow);
  Pump(200);
  // The demo titles are not kept in the catalogue.
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  DeleteFileA((std::string(windows) + "\\tunedeck.ini").c_str());
  return 0;
}
