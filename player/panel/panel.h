// The main window: the player's front panel.
#pragma once

#include <windows.h>

#include <cstdint>

#include "player/catalogue/disc_info.h"

// The multiple-monitor functions came with Windows 98 and 2000: the panel
// looks them up at run time and, without them, keeps its window on the
// primary screen's work area. Declared here, as the platform's headers show
// them only to programs for those systems.
struct MonitorInfo {
  DWORD size;
  RECT monitor;
  RECT work;
  DWORD flags;
};
typedef HANDLE(WINAPI* MonitorFromRectCall)(const RECT*, DWORD);
typedef BOOL(WINAPI* GetMonitorInfoCall)(HANDLE, MonitorInfo*);
enum { kMonitorDefaultToNull = 0, kMonitorDefaultToNearest = 2 };
struct MonitorFunctions {
  MonitorFromRectCall fromRect;
  GetMonitorInfoCall getInfo;
};
// Test seam: when set, it stands in for what the run-time look-up found (a
// record without the functions acts as Windows 95 or NT 4.0). The program
// never sets it.
extern const MonitorFunctions* testSeamMonitorFunctions;

// One choice of the repeat list; an index of 255 ends the table.
struct RepeatChoice {
  uint8_t index;
  uint8_t mode;
  char text[20];
};
extern const RepeatChoice repeatChoices[];

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the disc in the caption, title, play-order list, shuffle box and
// repeat list. The play-order list is left without a selection.
void FillDiscControls(HWND window, HWND orderList, HWND shuffleBox, HWND repeatList, UINT device,
                      const DiscInfo* info);
// Enables or disables the list and option controls; disabling also shows
// the no-disc texts.
void SetDiscControlsEnabled(HWND window, int enable);
// Writes an LED display's record and repaints its text.
void ResetStatusDisplay(HWND display, int track, int minutes, int seconds, int frames, int kind);

// The track entry an item of the play-order list points to, or null.
TrackEntry* OrderItem(HWND orderList, LRESULT position);

// Shows a named bitmap on one of the main window's buttons.
void ShowButtonImage(HWND window, int id, const char* image);
void EnableControl(HWND window, int id, int enable);
// Nothing plays: Play enabled or not, Pause disabled and showing
// "IDB_PAUSE".
void ShowPauseOff(HWND window, int playEnabled);
// The transport of a disc that is there (enable 1) or not (0): Pause off,
// and Play, Stop and the skips enabled alike.
void SetTransport(HWND window, int enable);

// The sequencing commands and the disc watch.
void ChooseOrderEntry(HWND window, int command);
uint32_t NextOrderEntry(HWND orderList);
void AdvanceAfterTrackEnd(HWND notifyWindow);
// The seconds each play is cut to while intro play is on, else 0.
int IntroSeconds();
void ToggleDoor(HWND window);
void OnWatchTimer(HWND window, UINT_PTR timer);
// Leaves the drive in use for another CD drive (its number, A: 0): the disc's
// record is saved, the device closed and opened on that drive, whose disc
// is then taken as at a disc change.
void SwitchDrive(HWND window, int drive);
// The disc went out while the properties sheet was open; the disc watch
// handles that at its next tick.
int DiscLeftWhileSheetOpen();

// The CD drives: a bit per drive the system reports as a CD drive (A: bit
// 0), and the number of the one in use (the chosen one, else the first;
// -1 without any).
uint32_t CdDrives();
int DriveInUse();
// The system menu's Drive submenu: every CD drive by its letter, the one in
// use checked; grayed without any.
void AddDriveMenu(HMENU systemMenu);
void CheckDriveInUse(HWND window);

// Shows the titles a look-up put into the record: the caption, title and
// play-order list, the selection and playback as they were.
void ShowLookedUpTitles(HWND window);

// The look-up that runs by itself (auto_lookup.cpp). A disc just loaded
// (LoadDiscEntry's result) is looked up when the settings ask for it and
// the catalogue did not know it; the disc going, a drive switch and the
// player's end cancel it. The notification window hands it its messages;
// the main window tells when it is active (the matches are shown then) and
// when the properties sheet closed (titles found meanwhile wait for it).
struct LookupRun;
void StartAutoLookup(int loaded);
void CancelAutoLookup();
int AutoLookupRunning();
int OnAutoLookupMessage(UINT message, WPARAM wParam, LPARAM lParam);
// The user chose the look-up from the menu while one ran by itself: it
// shows what it finds, as if asked.
void AutoLookupAsked();
void AutoLookupWindowActive(HWND window);
void AutoLookupSheetClosed();
// The look-up that waits to show its matches, handed over to the dialog
// (which frees it); null when there is none, or it no longer belongs to
// the disc.
LookupRun* TakeAutoLookupRun();

// Tool tips on the buttons and the two displays, in the string table's
// words, from the window's first set-up until it is destroyed.
void AddToolTips(HWND window);
void RemoveToolTips();

// The media keys: hot keys of the main window from its creation to its
// destruction. Returns whether the message was a media key's hot key or
// application command, which the window procedure answers with TRUE.
void RegisterMediaKeys(HWND window);
void UnregisterMediaKeys(HWND window);
bool OnMediaKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

enum { kArrivalTimer = 1, kRemovalTimer = 2, kOpenRetryTimer = 3 };
