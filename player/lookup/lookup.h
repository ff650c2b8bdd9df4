// Looking the disc in the drive up online: the "Look Up Titles Online"
// dialog, and taking a match's titles into the disc's record.
#pragma once

#include <windows.h>

#include "player/catalogue/disc_info.h"
#include "player/lookup/lookup_run.h"

// Shows the dialog for the disc in the drive, owned by the main window.
// Returns 1 when the user took a match: discInfo then holds its titles and
// the catalogue has them; the caller shows them. Nothing goes over the
// network before this is called. Given a look-up that ran by itself to its
// end (run, allocated), the dialog shows what it found instead of asking
// anew, and frees it.
int LookUpTitles(HWND mainWindow, LookupRun* run = nullptr);
INT_PTR CALLBACK LookupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// 1 while the dialog is open.
int LookupDialogOpen();

// Opens the user's web browser at the address where a disc is added to
// MusicBrainz (the shell's "open" of it); where none opens, a small dialog
// shows the address, selected, to be copied.
void OpenSubmitAddress(HWND owner, const char* address);
INT_PTR CALLBACK SubmitAddressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A UTF-8 text in a code page (the ANSI code page is GetACP()), characters
// it lacks as its default character, cut to whole characters within
// size - 1 bytes (and kLookupTextSize - 1). Returns 1; 0 when the platform
// cannot convert it, and then out is left as it was.
int AnsiFromUtf8(UINT codePage, const char* text, char* out, size_t size);
// Replaces the record's artist, title and track titles with the entry's,
// where the entry has them and they convert to the ANSI code page. The play
// list, repeat and shuffle stay.
void ApplyLookupEntry(const LookupEntry* entry, DiscInfo* info);

// Test seam: when set, the look-up calls this instead of the platform's
// WideCharToMultiByte, with the same arguments, so that tests can hold the
// calls to the documented rules that Wine does not enforce. The program
// never sets it.
extern int(WINAPI* testSeamWideCharToMultiByte)(UINT codePage, DWORD flags, LPCWSTR wide, int units, LPSTR out,
                                                 int size, LPCSTR defaultChar, LPBOOL usedDefaultChar);
