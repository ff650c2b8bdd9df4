// Process-wide state of the player: one instance of each for the whole run.
// It outlives every main window, which is destroyed and re-created at each
// view switch. The record of the disc in the drive is part of it; its type
// is the catalogue's (disc_info.h), whose code loads and saves the record it
// is handed and holds no state of its own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "player/catalogue/disc_info.h"
#include "player/shell/settings.h"

extern HINSTANCE appInstance;
extern PlayerSettings playerSettings;
extern DiscInfo discInfo;    // the disc in the drive; zero until the first load
extern HWND mainWindow;      // the current main window (a modeless dialog)
extern HWND callbackWindow;  // the hidden notification window
extern uint16_t deviceId;    // the open cdaudio device; 0 = none
extern int deviceOpen;       // deviceId names an open device (opened with a disc in the drive)
extern int setupDone;        // the current main window's first set-up has run
extern int viewRecreated;    // a view switch has happened
extern int savedOrderIndex;  // play-order selection carried over a view switch
extern int doorOpen;         // the drive is open or holds no usable disc
extern int paused;           // the last pause/resume toggle paused the disc
// The disc properties sheet is open: the disc watch waits until it closes,
// so the record its pages edit is never replaced under them.
extern int propertiesOpen;
// A track ended while the main window was being re-created.
extern int trackEndPending;
