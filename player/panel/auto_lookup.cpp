// The look-up that runs by itself ([Lookup] Automatic=1 in the settings
// file): a disc the catalogue does not know is looked up in the background
// as it is loaded, through the notification window, which outlives every
// main window. Its one sure match is taken as OK in the look-up dialog
// would take it; several, or one it is not sure of, are shown in that
// dialog once the player's window is active; anything else changes
// nothing. The decisions are auto_lookup_core's.
#include <cstdlib>

#include "player/catalogue/catalogue.h"
#include "player/device/cd_device.h"
#include "player/lookup/auto_lookup_core.h"
#include "player/lookup/lookup.h"
#include "player/panel/panel.h"
#include "player/shell/player_state.h"
#include "player/shell/settings_file.h"
#include "resources/player/resource.h"

namespace {

// The run's two messages and its timer, on the notification window.
enum : UINT { kAutoMessages = WM_APP + 11 };
enum { kAutoTimer = 11 };

LookupRun* run;
AutoLookupDisc asked;  // the disc it was started for
AutoLookupTried tried;
int userAsked;     // the user chose the look-up from the menu meanwhile
int showPending;   // the matches wait for the player's window to be active
int applyPending;  // the titles wait for the properties sheet to close

void Stop() {
  if (run) {
    LookupRunStop(run);
    free(run);
  }
  run = nullptr;
  userAsked = showPending = applyPending = 0;
}

// The sure match's titles go into the record and the catalogue, and the
// panel shows them, if the disc is still the one asked for and its titles
// are as they were.
void Apply() {
  // The sheet's pages edit the record in place: the titles wait for it.
  if (propertiesOpen) {
    applyPending = 1;
    return;
  }
  if (AutoLookupBelongs(&asked, &discInfo, doorOpen)) {
    ApplyLookupEntry(&run->session.entry, &discInfo);
    SaveDiscEntry(appInstance, &discInfo);
    if (IsWindow(mainWindow)) ShowLookedUpTitles(mainWindow);
  }
  Stop();
  if (IsWindow(mainWindow)) TellSaveFailures(mainWindow);
}

// The matches are shown in the look-up dialog, opened by the main window
// once it is the active window: never over another program's.
void Show() {
  if (!AutoLookupBelongs(&asked, &discInfo, doorOpen)) {
    Stop();
    return;
  }
  if (showPending) return;
  showPending = 1;
  if (IsWindow(mainWindow) && GetForegroundWindow() == mainWindow)
    PostMessageA(mainWindow, WM_COMMAND, IDM_SHOW_LOOKUP, 0);
}

// Moves on once the engine did.
void Advance() {
  while (run) {
    switch (AutoLookupNext(&run->session, userAsked)) {
      case kAutoRead:
        if (!AutoLookupBelongs(&asked, &discInfo, doorOpen)) {
          Stop();
          return;
        }
        LookupRunChoose(run, LookupSureMatch(&run->session));
        continue;  // a CD stub is read at once
      case kAutoShow: Show(); return;
      case kAutoApply: Apply(); return;
      case kAutoDrop: Stop(); return;
      default: return;
    }
  }
}

}  // namespace

void StartAutoLookup(int loaded) {
  if (!AutoLookupStarts(&tried, LoadLookupAutomatic(appInstance), loaded == kDiscNew, discInfo.discId,
                        run || LookupDialogOpen()))
    return;
  DiscToc toc;
  if (!CDReadTableOfContents(deviceId, &toc)) return;
  run = static_cast<LookupRun*>(calloc(1, sizeof(LookupRun)));
  if (!run) return;
  asked = AutoLookupDiscOf(&discInfo);
  if (!LookupRunStart(run, callbackWindow, kAutoMessages, kAutoTimer, &toc, discInfo.discId)) {
    Stop();
    return;
  }
  Advance();
}

void CancelAutoLookup() { Stop(); }

int AutoLookupRunning() { return run != nullptr; }

int OnAutoLookupMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!run || !LookupRunMessage(run, message, wParam, lParam)) return 0;
  Advance();
  return 1;
}

void AutoLookupAsked() {
  userAsked = 1;
  Advance();
}

void AutoLookupWindowActive(HWND window) {
  if (showPending) PostMessageA(window, WM_COMMAND, IDM_SHOW_LOOKUP, 0);
}

void AutoLookupSheetClosed() {
  if (applyPending) Apply();
}

LookupRun* TakeAutoLookupRun() {
  if (!showPending) return nullptr;
  LookupRun* taken = run;
  run = nullptr;
  Stop();
  if (!AutoLookupBelongs(&asked, &discInfo, doorOpen)) {
    LookupRunStop(taken);
    free(taken);
    return nullptr;
  }
  return taken;
}
