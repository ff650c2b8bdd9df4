// Saves of the catalogue and of the settings that failed, told to the user:
// once per failure, naming the file and why in plain words. Saves that
// succeed show nothing.
#pragma once

#include <windows.h>

enum SavedFile { kCatalogueSave, kSettingsSave, kSavedFileKinds };

// Notes how a save of one of the player's files ended: status is a
// ProfileStatus (kProfileOk for a save that succeeded), path the file.
void NoteSave(int kind, const char* path, int status);
// Tells each failure noted and not told yet, in a message box owned by
// owner (null: none). A failure is told once: the same failure of the same
// file again is not told until a save of that file has succeeded.
void TellSaveFailures(HWND owner);
// Closing with disc titles whose save failed: tells the catalogue's failure
// and asks whether to try again. Returns 1 for Retry; on Cancel says that the
// titles were not saved and returns 0.
int AskRetryUnsavedTitles(HWND owner);
