// MainWndProc: the front panel's messages, its deferred set-up, the
// transport and option commands and the system menu.
#include "player/panel/panel.h"

#include <initializer_list>

#include <mmsystem.h>

#include "player/catalogue/catalogue.h"
#include "player/controls/controls.h"
#include "player/device/cd_device.h"
#include "player/lookup/lookup.h"
#include "player/properties/properties.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

const MonitorFunctions* testSeamMonitorFunctions;

namespace {

// The system's monitor functions, looked up once.
const MonitorFunctions* SystemMonitorFunctions() {
  static int lookedUp;
  static MonitorFunctions functions;
  if (!lookedUp) {
    HMODULE user = GetModuleHandleA("user32.dll");
    functions.fromRect = reinterpret_cast<MonitorFromRectCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(user, "MonitorFromRect")));
    functions.getInfo = reinterpret_cast<GetMonitorInfoCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(user, "GetMonitorInfoA")));
    lookedUp = 1;
  }
  return &functions;
}

HWND Item(HWND window, int id) { return GetDlgItem(window, id); }

// Selects entry 0 of the play order and seeks to its track.
void SelectFirstEntry(HWND window, HWND owner) {
  HWND list = Item(window, IDC_ORDER_LIST);
  SendMessageA(list, CB_SETCURSEL, 0, 0);
  if (TrackEntry* entry = OrderItem(list, 0)) CDSeekTrack(owner, entry->number, deviceId);
}

// The work area a window at rect belongs on: the nearest monitor's, or the
// primary screen's where the system has no monitor functions. Returns
// whether the window touches a monitor (or that work area) as it stands.
bool WorkAreaFor(const RECT& rect, RECT* work) {
  const MonitorFunctions* monitors = testSeamMonitorFunctions ? testSeamMonitorFunctions : SystemMonitorFunctions();
  if (monitors->fromRect && monitors->getInfo) {
    if (monitors->fromRect(&rect, kMonitorDefaultToNull)) return true;
    MonitorInfo info = {};
    info.size = sizeof info;
    if (monitors->getInfo(monitors->fromRect(&rect, kMonitorDefaultToNearest), &info)) {
      *work = info.work;
      return false;
    }
  }
  RECT overlap;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, work, 0)) return true;
  return IntersectRect(&overlap, &rect, work) != 0;
}

// A position saved while a monitor was attached may lie off every monitor
// now: such a window is moved onto the nearest one. A window still partly
// visible keeps its place.
POINT VisiblePosition(HWND window, int x, int y) {
  RECT rect;
  GetWindowRect(window, &rect);
  OffsetRect(&rect, x - rect.left, y - rect.top);
  POINT at = {x, y};
  RECT work;
  if (WorkAreaFor(rect, &work)) return at;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  at.x = x < work.left ? work.left : x + width > work.right ? work.right - width : x;
  at.y = y < work.top ? work.top : y + height > work.bottom ? work.bottom - height : y;
  return at;
}

void ApplyIntroPlay(HWND window) {
  CheckMenuItem(GetSystemMenu(window, FALSE), IDM_INTRO_PLAY,
                MF_BYCOMMAND | (playerSettings.introPlay == 1 ? MF_CHECKED : MF_UNCHECKED));
}

void ApplyStayOnTop(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  int onTop = playerSettings.stayOnTop == 1;
  CheckMenuItem(menu, IDM_STAY_ON_TOP, MF_BYCOMMAND | (onTop ? MF_CHECKED : MF_UNCHECKED));
  SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The first set-up of a new window: its position, its system menu and its
// place in the z-order.
void FirstSetup(HWND window) {
  setupDone = 1;
  POINT at = VisiblePosition(window, playerSettings.xPosn, playerSettings.yPosn);
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
  HMENU menu = GetSystemMenu(window, FALSE);
  DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_INTRO_PLAY, "&Intro Play");
  AddDriveMenu(menu);
  AppendMenuA(menu, MF_STRING, IDM_STAY_ON_TOP, "&Stay On Top");
  AppendMenuA(menu, MF_STRING, IDM_LOOKUP, "Look Up Titles &Online...");
  AppendMenuA(menu, MF_STRING, IDC_VIEW,
              playerSettings.templateId == kMinimizedTemplate ? "&Expanded View" : "Minimized Vi&ew");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_ABOUT, "&About...");
  ApplyStayOnTop(window);
  ApplyIntroPlay(window);
  AddToolTips(window);
}

void AddStyle(HWND window, LONG style) {
  SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | style);
}

// The set-up that runs after every creation of the window, once its
// controls exist, and again when the device opens late.
void DeferredSetup(HWND window) {
  AddStyle(window, WS_CAPTION | WS_SYSMENU);
  if (deviceOpen) SetTimer(window, kRemovalTimer, 0, nullptr);
  if (!setupDone) FirstSetup(window);
  AddStyle(window, WS_SYSMENU);

  if (deviceOpen) {
    if (CDTrackCount(deviceId) < 2) {
      // Not a music disc: the door toggle tells the user and ejects it. The
      // arrival watch of a window that opened the device late would find
      // the same disc and show the message a second time.
      KillTimer(window, kArrivalTimer);
      trackEndPending = 0;
      ShowWindow(window, SW_SHOWNORMAL);
      doorOpen = 0;
      PostMessageA(window, WM_COMMAND, IDC_EJECT, 0);
      return;
    }
    // A view switch keeps the record and the selection; the first window,
    // and a window whose drive choice released the record, load the disc.
    const int load = !viewRecreated || !discInfo.tracks;
    int loaded = 0;
    if (load) {
      loaded = LoadDiscEntry(window, deviceId, &discInfo);
      if (discInfo.shuffle == 1) BuildShuffleOrder(&discInfo);
    }
    FillDiscControls(window, Item(window, IDC_ORDER_LIST), Item(window, IDC_SHUFFLE),
                     Item(window, IDC_REPEAT), deviceId, &discInfo);
    if (load)
      SelectFirstEntry(window, window);
    else
      SendMessageA(Item(window, IDC_ORDER_LIST), CB_SETCURSEL, static_cast<WPARAM>(savedOrderIndex), 0);
    if (trackEndPending) {
      // A track ended while the view switched: go on now that the list is here.
      trackEndPending = 0;
      AdvanceAfterTrackEnd(callbackWindow);
    }
    if (CDIsPlaying(window, deviceId) == 1) {
      EnableControl(window, IDC_PLAY, 0);
      EnableControl(window, IDC_PAUSE, 1);
      ShowButtonImage(window, IDC_PAUSE, "IDB_PAUSE");
    }
    // A paused disc reports itself stopped: the paused look stands on its own.
    if (paused == 1) {
      EnableControl(window, IDC_PLAY, 0);
      EnableControl(window, IDC_PAUSE, 1);
      ShowButtonImage(window, IDC_PAUSE, "IDB_PAUSE_STOPPED");
    }
    ShowWindow(window, SW_SHOWNORMAL);
    if (load) StartAutoLookup(loaded);
    return;
  }

  doorOpen = 1;
  EnableMenuItem(GetSystemMenu(window, FALSE), IDC_VIEW, MF_BYCOMMAND | MF_GRAYED);
  EnableMenuItem(GetSystemMenu(window, FALSE), IDM_LOOKUP, MF_BYCOMMAND | MF_GRAYED);
  char door[20];
  LoadStringA(appInstance, IDS_OPEN_CD, door, sizeof door);
  SetDlgItemTextA(window, IDC_DOOR, door);
  SetDiscControlsEnabled(window, 0);
  SetTimer(window, kArrivalTimer, 0, nullptr);
  SetTransport(window, 0);
  EnableControl(window, IDC_EJECT, 0);
  SendMessageA(Item(window, IDC_DOOR), WM_PAINT, 0, 0);
  ShowWindow(window, SW_SHOWNORMAL);
}

void OnCreate(HWND window) {
  RegisterMediaKeys(window);
  if (!viewRecreated) {
    // A drive that is no longer a CD drive gives way to the first one.
    if (!DriveLetter(playerSettings.drive) || !(CdDrives() >> (playerSettings.drive[0] - 'A') & 1))
      playerSettings.drive[0] = '\0';
    deviceId = static_cast<uint16_t>(CDOpen(window, playerSettings.drive));
    if (deviceId != 0)
      deviceOpen = 1;
    else
      SetTimer(window, kOpenRetryTimer, 0, nullptr);
  } else if (!deviceOpen) {
    // The window re-created without a device (its drive held no disc) goes
    // on trying to open it, as the window it replaces did.
    SetTimer(window, kOpenRetryTimer, 0, nullptr);
  }
  PostMessageA(window, WM_COMMAND, IDM_SETUP, 0);
}

void RememberPosition(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  playerSettings.xPosn = rect.left;
  playerSettings.yPosn = rect.top;
}

void Play(HWND window) {
  // A new play ends any pause: the paused look must not come back later.
  paused = 0;
  CDPlayTrack(callbackWindow, deviceId, IntroSeconds());
  EnableControl(window, IDC_PLAY, 0);
  EnableControl(window, IDC_PAUSE, 1);
  ShowButtonImage(window, IDC_PAUSE, "IDB_PAUSE");
}

void ToggleShuffle(HWND window) {
  discInfo.shuffle ^= 1;
  CDStopRewind(window, deviceId);
  BuildShuffleOrder(&discInfo);
  FillDiscControls(window, Item(window, IDC_ORDER_LIST), Item(window, IDC_SHUFFLE),
                   Item(window, IDC_REPEAT), deviceId, &discInfo);
  SelectFirstEntry(window, window);
  if (paused == 0) {
    EnableControl(window, IDC_PLAY, 1);
    EnableControl(window, IDC_PAUSE, 0);
  }
}

// The disc properties sheet. While it is open the disc watch waits; after a
// change the front panel shows the record anew, stopped at the first entry.
void ShowProperties(HWND window) {
  propertiesOpen = 1;
  int changed = ShowDiscProperties(window, &discInfo);
  propertiesOpen = 0;
  AutoLookupSheetClosed();
  if (LOWORD(changed) != 1 || DiscLeftWhileSheetOpen()) return;
  paused = 0;
  CDStopRewind(window, deviceId);
  FillDiscControls(window, Item(window, IDC_ORDER_LIST), Item(window, IDC_SHUFFLE),
                   Item(window, IDC_REPEAT), deviceId, &discInfo);
  SelectFirstEntry(window, window);
  ShowPauseOff(window, 1);
}

// The online look-up. Titles it applied are shown at once. While one runs
// by itself, no other starts: that one shows what it finds instead.
void LookUpTitlesOnline(HWND window) {
  if (AutoLookupRunning()) {
    AutoLookupAsked();
    return;
  }
  if (LookUpTitles(window) == 1) ShowLookedUpTitles(window);
}

// The look-up that ran by itself shows its matches, as if asked.
void ShowAutoLookup(HWND window) {
  LookupRun* run = TakeAutoLookupRun();
  if (run && LookUpTitles(window, run) == 1) ShowLookedUpTitles(window);
}

}  // namespace

void ShowLookedUpTitles(HWND window) {
  HWND list = Item(window, IDC_ORDER_LIST);
  LRESULT selected = SendMessageA(list, CB_GETCURSEL, 0, 0);
  FillDiscControls(window, list, Item(window, IDC_SHUFFLE), Item(window, IDC_REPEAT), deviceId, &discInfo);
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

namespace {

// A click on the time display: the time into the track, the time left of
// the track, the time left of the disc, and round again.
void CycleTimeDisplay(HWND window) {
  playerSettings.timeDisplay = (playerSettings.timeDisplay + 1) % kTimeDisplayModes;
  SetStatusDisplayMode(Item(window, IDC_TIME_DISPLAY), playerSettings.timeDisplay);
}

// Intro play takes effect with the next entry played; turned off during an
// intro, the track plays on to its end instead of stopping after its intro.
void ToggleIntroPlay(HWND window) {
  playerSettings.introPlay = playerSettings.introPlay == 1 ? 0 : 1;
  ApplyIntroPlay(window);
  if (playerSettings.introPlay == 0 && doorOpen == 0 && CDIsPlaying(window, deviceId) == 1)
    CDPlayOn(callbackWindow, deviceId);
}

void ChooseRepeat(HWND window) {
  HWND list = Item(window, IDC_REPEAT);
  LRESULT item = SendMessageA(list, CB_GETCURSEL, 0, 0);
  LRESULT data = SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
  if (item == CB_ERR || data == CB_ERR || data == 0) return;
  discInfo.repeatMode = reinterpret_cast<const RepeatChoice*>(data)->mode;
}

void OnCommand(HWND window, int id, int notification) {
  switch (id) {
    case IDM_SETUP: DeferredSetup(window); break;
    case IDM_SHOW_LOOKUP: ShowAutoLookup(window); break;
    case IDCANCEL: DestroyWindow(window); break;
    case IDC_VIEW: SendMessageA(window, WM_SYSCOMMAND, IDC_VIEW, 0); break;
    case IDC_PAUSE:
      paused = CDPauseResume(window, deviceId);
      ShowButtonImage(window, IDC_PAUSE, paused == 1 ? "IDB_PAUSE_STOPPED" : "IDB_PAUSE");
      break;
    case IDC_PLAY: Play(window); break;
    case IDC_EJECT: ToggleDoor(window); break;
    case IDC_STOP:
      paused = 0;
      CDStopRewind(window, deviceId);
      ShowPauseOff(window, 1);
      break;
    case IDC_REVERSE_SKIP:
    case IDC_FORWARD_SKIP: ChooseOrderEntry(window, id); break;
    case IDC_SHUFFLE:
      if (notification == BN_CLICKED) ToggleShuffle(window);
      break;
    case IDC_REPEAT:
      if (notification == CBN_SELCHANGE) ChooseRepeat(window);
      break;
    case IDC_PROPERTIES: ShowProperties(window); break;
    case IDC_TIME_DISPLAY: CycleTimeDisplay(window); break;
    case IDC_ORDER_LIST:
      if (notification == CBN_SELCHANGE) ChooseOrderEntry(window, id);
      break;
    default: break;  // 0, 1 (Return) and 3 to 100 do nothing
  }
}

void SwitchView(HWND window) {
  RememberPosition(window);
  playerSettings.switchView ^= 1;
  playerSettings.templateId =
      playerSettings.templateId == kExpandedTemplate ? kMinimizedTemplate : kExpandedTemplate;
  savedOrderIndex = static_cast<int>(SendMessageA(Item(window, IDC_ORDER_LIST), CB_GETCURSEL, 0, 0));
  DestroyWindow(window);
}

// Returns whether the command was one of the player's own menu items.
bool OnSysCommand(HWND window, WPARAM command) {
  switch (command) {
    case IDM_ABOUT:
      DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutProc, 0);
      return true;
    case IDC_VIEW: SwitchView(window); return true;
    case IDM_STAY_ON_TOP:
      // Only 1 means topmost; a stored 2 (say) counts as off, so the item
      // always turns it on, where flipping the low bit alone never would.
      playerSettings.stayOnTop = playerSettings.stayOnTop == 1 ? 0 : 1;
      ApplyStayOnTop(window);
      return true;
    case IDM_LOOKUP: LookUpTitlesOnline(window); return true;
    case IDM_INTRO_PLAY: ToggleIntroPlay(window); return true;
  }
  if (command >= IDM_DRIVE_FIRST && command <= IDM_DRIVE_LAST) {
    SwitchDrive(window, static_cast<int>(command - IDM_DRIVE_FIRST));
    return true;
  }
  playerSettings.switchView = 0;
  return false;
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); break;
    case WM_DESTROY:
      RemoveToolTips();
      UnregisterMediaKeys(window);
      RememberPosition(window);
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND: OnCommand(window, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_SYSCOMMAND:
      if (OnSysCommand(window, wParam)) return 0;
      break;
    case WM_TIMER: OnWatchTimer(window, wParam); return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) AutoLookupWindowActive(window);
      break;
  }
  if (OnMediaKeyMessage(window, message, wParam, lParam)) return TRUE;
  // The window is a dialog of its own class: what it does not handle goes to
  // the dialog manager, which keeps keyboard navigation and Escape working.
  return DefDlgProcA(window, message, wParam, lParam);
}
