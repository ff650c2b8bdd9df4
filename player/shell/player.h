// The player's frame: start-up, the main window's creation and message loop
// steps, and the shutdown. WinMain strings them together; tests drive them
// one by one.
#pragma once

#include <windows.h>

// Loads the settings, registers the classes, creates the notification window.
void StartPlayer(HINSTANCE instance);
// Creates the main window from the current template.
bool CreateMainWindow();
// Offers a message to the accelerators and the dialog manager, else
// dispatches it.
void DispatchPlayerMessage(MSG* msg);
// After the loop ended: true (and the bookkeeping done) for a view switch.
bool SwitchViewAfterLoop();
// Saves the settings, stops and closes the drive, saves the disc's entry;
// a failed save is told, and titles left unsaved are offered another try.
void ShutdownPlayer();
// Runs the loop over what is queued now, without waiting: a quit re-creates
// the window for a view switch or shuts the player down. Returns false once
// the player has ended. For programs that drive the player in their own
// process (its tests, the screenshots).
bool RunQueuedPlayerMessages();
