// The disc watch: the main window's one-shot timers that retry opening the
// device and notice a disc going in or out, and the door toggle that ejects
// a disc or accepts a new one.
#include "player/panel/panel.h"

#include <initializer_list>

#include <cstring>

#include "player/catalogue/catalogue.h"
#include "player/controls/position_record.h"
#include "player/device/cd_device.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

namespace {

// The disc went out while the properties sheet was open (it may be back, or
// another disc may be in now): the watch handles it once the sheet closes.
int removalSeen;

void ArmTimer(HWND window, UINT_PTR timer) { SetTimer(window, timer, 0, nullptr); }

// The view item and the look-up item both need a music disc.
void SetViewItemEnabled(HWND window, int enable) {
  for (UINT item : {IDC_VIEW, IDM_LOOKUP})
    EnableMenuItem(GetSystemMenu(window, FALSE), item, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

void SetDoorIndicator(HWND window) {
  char door[20];
  LoadStringA(appInstance, doorOpen == 1 ? IDS_OPEN_CD : IDS_CLOSED_CD, door, sizeof door);
  SetDlgItemTextA(window, IDC_DOOR, door);
}

void BlankDisplays(HWND window) {
  ResetStatusDisplay(GetDlgItem(window, IDC_TRACK_DISPLAY), 0, 0, 0, 0, kTrackDisplay);
  ResetStatusDisplay(GetDlgItem(window, IDC_TIME_DISPLAY), 0, 0, 0, 0, kTimeDisplay);
}

// The drive is empty: the front panel shows no disc and waits for one. A
// look-up of the disc that went has nothing more to give.
void EnterNoDiscState(HWND window) {
  CancelAutoLookup();
  doorOpen = 1;
  paused = 0;
  SetDoorIndicator(window);
  BlankDisplays(window);
  SetDiscControlsEnabled(window, 0);
  SetViewItemEnabled(window, 0);
  ArmTimer(window, kArrivalTimer);
  SetTransport(window, 0);
  EnableControl(window, IDC_EJECT, 0);
  SendMessageA(GetDlgItem(window, IDC_DOOR), WM_PAINT, 0, 0);
}

void OnArrivalTick(HWND window) {
  if (CDMediaPresent(window, deviceId) == 1) {
    SetViewItemEnabled(window, 1);
    SendMessageA(window, WM_COMMAND, IDC_EJECT, 0);
  } else {
    ArmTimer(window, kArrivalTimer);
  }
}

void OnRemovalTick(HWND window) {
  if (!removalSeen && CDMediaPresent(window, deviceId) != 0) {
    ArmTimer(window, kRemovalTimer);
    return;
  }
  // A disc that came back (or another one) is then found by the arrival
  // watch and loaded afresh.
  removalSeen = 0;
  EnterNoDiscState(window);
}

// Each LED display keeps its own copy of the device id.
void GiveDisplaysTheDevice(HWND window) {
  for (int id : {IDC_TRACK_DISPLAY, IDC_TIME_DISPLAY}) {
    auto* record = reinterpret_cast<PositionRecord*>(GetWindowLongPtrA(GetDlgItem(window, id), 0));
    if (record) record->deviceId = deviceId;
  }
}

void OnOpenRetryTick(HWND window) {
  deviceId = static_cast<uint16_t>(CDOpen(window, playerSettings.drive));
  if (deviceId == 0) {
    ArmTimer(window, kOpenRetryTimer);
    return;
  }
  GiveDisplaysTheDevice(window);
  deviceOpen = 1;
  SetViewItemEnabled(window, 1);
  PostMessageA(window, WM_COMMAND, IDM_SETUP, 0);
  ArmTimer(window, kRemovalTimer);
}

}  // namespace

int DiscLeftWhileSheetOpen() { return removalSeen; }

void OnWatchTimer(HWND window, UINT_PTR timer) {
  if (timer != kArrivalTimer && timer != kRemovalTimer && timer != kOpenRetryTimer) return;
  KillTimer(window, timer);
  // While the properties sheet is open the record its pages edit must stay:
  // the watch only looks, and acts once the sheet has closed.
  if (propertiesOpen && timer != kOpenRetryTimer) {
    if (timer == kRemovalTimer && CDMediaPresent(window, deviceId) == 0) removalSeen = 1;
    ArmTimer(window, timer);
    return;
  }
  if (timer == kArrivalTimer) OnArrivalTick(window);
  if (timer == kRemovalTimer) OnRemovalTick(window);
  if (timer == kOpenRetryTimer) OnOpenRetryTick(window);
}

void SwitchDrive(HWND window, int drive) {
  if (drive == DriveInUse() || drive < 0 || drive >= 26 || !(CdDrives() >> drive & 1)) return;
  for (UINT_PTR timer : {kArrivalTimer, kRemovalTimer, kOpenRetryTimer}) KillTimer(window, timer);
  // The drive left behind stops, as it does when the player ends.
  if (deviceId != 0 && CDMediaPresent(window, deviceId)) CDStopRewind(window, deviceId);
  // The controls let go of the record before it is saved and freed.
  EnterNoDiscState(window);
  ReleaseDiscEntry(appInstance, &discInfo);
  if (deviceId != 0) CDClose(window, deviceId);
  const char letter[] = {static_cast<char>('A' + drive), ':', '\0', '\0'};
  memcpy(playerSettings.drive, letter, sizeof playerSettings.drive);
  CheckDriveInUse(window);
  // The arrival watch the no-disc state armed finds the new drive's disc;
  // a drive without one is opened again until it has one.
  deviceId = static_cast<uint16_t>(CDOpen(window, playerSettings.drive));
  GiveDisplaysTheDevice(window);
  deviceOpen = deviceId != 0;
  if (!deviceOpen) ArmTimer(window, kOpenRetryTimer);
  TellSaveFailures(window);
}

void ToggleDoor(HWND window) {
  doorOpen ^= 1;
  // The disc goes out or another comes in: no pause carries over.
  paused = 0;
  if (CDTrackCount(deviceId) < 2) {
    char caption[40];
    LoadStringA(appInstance, IDS_APP_TITLE, caption, sizeof caption);
    MessageBoxA(window, "CD appears to be data disk, please\n replace with a music CD.", caption,
                MB_ICONERROR | MB_OK);
    doorOpen = 1;
  }
  SetDoorIndicator(window);
  int enable, loaded = 0;
  if (doorOpen == 1) {
    // A look-up of the disc that went has nothing more to give.
    CancelAutoLookup();
    CDOpenDoor(window, deviceId);
    BlankDisplays(window);
    SetDiscControlsEnabled(window, 0);
    EnableControl(window, IDC_EJECT, 0);
    SetViewItemEnabled(window, 0);
    ArmTimer(window, kArrivalTimer);
    enable = 0;
  } else {
    KillTimer(window, kArrivalTimer);
    ArmTimer(window, kRemovalTimer);
    EnableControl(window, IDC_EJECT, 1);
    SetDiscControlsEnabled(window, 1);
    // The previous disc's entry is saved before the new one is read.
    ReleaseDiscEntry(appInstance, &discInfo);
    loaded = LoadDiscEntry(window, deviceId, &discInfo);
    if (discInfo.shuffle == 1) BuildShuffleOrder(&discInfo);
    HWND list = GetDlgItem(window, IDC_ORDER_LIST);
    FillDiscControls(window, list, GetDlgItem(window, IDC_SHUFFLE), GetDlgItem(window, IDC_REPEAT),
                     deviceId, &discInfo);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    if (TrackEntry* first = OrderItem(list, 0)) CDSeekTrack(window, first->number, deviceId);
    enable = 1;
  }
  SetTransport(window, enable);
  SendMessageA(GetDlgItem(window, IDC_DOOR), WM_PAINT, 0, 0);
  // Told once the panel shows the new disc: the box's message loop runs
  // the panel's timers.
  TellSaveFailures(window);
  if (enable) StartAutoLookup(loaded);
}
