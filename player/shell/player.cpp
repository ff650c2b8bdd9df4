// The player process: start-up, the window classes, the steps of the message
// loop that re-creates the main window at every view switch, and the shutdown.
#include <windows.h>
#include <commctrl.h>

#include "player/catalogue/catalogue.h"
#include "player/controls/controls.h"
#include "player/device/cd_device.h"
#include "player/panel/callback_window.h"
#include "player/panel/panel.h"
#include "player/shell/player.h"
#include "player/shell/player_state.h"
#include "player/shell/settings_file.h"
#include "resources/player/resource.h"

namespace {

HACCEL accelerators;  // loaded with the first window, kept for the run

struct ClassEntry {
  UINT nameId;
  WNDPROC procedure;
  UINT style;
  int extraBytes;
  LPCSTR icon;    // a resource of the program, or null
  LPCSTR cursor;  // a resource of the program, or a system cursor
  int ownCursor;
  HBRUSH background;
};

// Registers the player's five classes in order; FALSE at the first failure.
BOOL RegisterPlayerClasses(HINSTANCE instance) {
  const ClassEntry classes[] = {
      {IDS_MAIN_CLASS, MainWndProc, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, DLGWINDOWEXTRA,
       MAKEINTRESOURCEA(IDI_PLAYER), IDC_ARROW, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
      {IDS_CONTROL_CLASS, CDControlWndProc, CS_VREDRAW | CS_HREDRAW, kControlExtraBytes, nullptr,
       MAKEINTRESOURCEA(IDC_POINTING_HAND), 1, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
      {IDS_BITMAP_CLASS, CDBitmapWndProc, CS_VREDRAW | CS_HREDRAW, kBitmapExtraBytes, nullptr,
       IDC_ARROW, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
      {IDS_STATUS_CLASS, CDStatusWndProc, CS_VREDRAW | CS_HREDRAW, kStatusExtraBytes, nullptr,
       IDC_ARROW, 0, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))},
      {IDS_CALLBACK_CLASS, CDCallbackWndProc, CS_VREDRAW | CS_HREDRAW, 0, nullptr, IDC_ARROW, 0,
       reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1)},
  };
  for (const ClassEntry& entry : classes) {
    char name[40];
    LoadStringA(instance, entry.nameId, name, sizeof name);
    WNDCLASSA wc = {};
    wc.style = entry.style;
    wc.lpfnWndProc = entry.procedure;
    wc.cbWndExtra = entry.extraBytes;
    wc.hInstance = instance;
    wc.hIcon = entry.icon ? LoadIconA(instance, entry.icon) : nullptr;
    wc.hCursor = LoadCursorA(entry.ownCursor ? instance : nullptr, entry.cursor);
    wc.hbrBackground = entry.background;
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc)) return FALSE;
  }
  return TRUE;
}

}  // namespace

void StartPlayer(HINSTANCE instance) {
  appInstance = instance;
  playerSettings.templateId = kExpandedTemplate;
  playerSettings.switchView = 0;
  LoadPlayerSettings(appInstance, &playerSettings);
  UseCatalogueFile(playerSettings.catalogue);
  InitCommonControls();
  RegisterPlayerClasses(appInstance);
  char name[40];
  LoadStringA(appInstance, IDS_CALLBACK_CLASS, name, sizeof name);
  callbackWindow = CreateWindowA(name, "MCI CallBacks", WS_OVERLAPPEDWINDOW | WS_MINIMIZE, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 appInstance, nullptr);
}

bool CreateMainWindow() {
  playerSettings.switchView = 0;
  mainWindow = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(LOWORD(playerSettings.templateId)),
                                  nullptr, nullptr, 0);
  if (!viewRecreated) accelerators = LoadAcceleratorsA(appInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  return mainWindow != nullptr;
}

void DispatchPlayerMessage(MSG* msg) {
  if (TranslateAcceleratorA(mainWindow, accelerators, msg)) return;
  if (IsDialogMessageA(mainWindow, msg)) return;
  TranslateMessage(msg);
  DispatchMessageA(msg);
}

bool SwitchViewAfterLoop() {
  if (playerSettings.switchView != 1) return false;
  setupDone = 0;
  viewRecreated = 1;
  SavePlayerSettings(appInstance, &playerSettings);
  TellSaveFailures(nullptr);
  return true;
}

void ShutdownPlayer() {
  // A look-up under way ends with the player: its connections close.
  CancelAutoLookup();
  SavePlayerSettings(appInstance, &playerSettings);
  TellSaveFailures(nullptr);
  if (CDMediaPresent(nullptr, deviceId)) CDStopRewind(nullptr, deviceId);
  if (deviceId != 0) CDClose(nullptr, deviceId);
  ReleaseDiscEntry(appInstance, &discInfo);
  // Titles that could not be saved: the user tries again, or closes the
  // player without them.
  while (UnsavedRecordCount() > 0 && AskRetryUnsavedTitles(nullptr)) SaveDiscEntry(appInstance, &discInfo);
  ForgetUnsavedRecords();
  DestroyWindow(callbackWindow);
}

bool RunQueuedPlayerMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) {
      DispatchPlayerMessage(&msg);
    } else if (SwitchViewAfterLoop()) {
      CreateMainWindow();
    } else {
      ShutdownPlayer();
      return false;
    }
  }
  return true;
}
