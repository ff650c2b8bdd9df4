// Looking the disc in the drive up in the online CD database: the
// "Look Up Titles Online" dialog and what it needs from the platform.
#pragma once

#include <windows.h>

#include "player/catalogue/disc_info.h"
#include "player/lookup/lookup_core.h"

// Shows the dialog for the disc in the drive, owned by the main window.
// Returns 1 when the user took a match: discInfo then holds its titles and
// the catalogue has them; the caller shows them. Nothing goes over the
// network before this is called.
int LookUpTitles(HWND mainWindow);
INT_PTR CALLBACK LookupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// How long a step of the look-up waits for the server, in milliseconds;
// tests shorten it.
extern UINT lookupTimeoutMs;

// Reads the table of contents of the disc in the open device. 0 when the
// device cannot tell it.
int ReadLookupToc(UINT deviceId, LookupToc* toc);
// Reads section "Lookup" of the settings file, first adding the keys it
// lacks with their defaults.
void LoadLookupSettings(HINSTANCE instance, LookupSettings* settings);
// A UTF-8 text in the ANSI code page, characters it lacks as "?", cut to
// size - 1 bytes without splitting a double-byte character.
void AnsiFromUtf8(const char* text, char* out, size_t size);
// Replaces the record's artist, title and track titles with the entry's,
// where the entry has them. The play list, repeat and shuffle stay.
void ApplyLookupEntry(const LookupEntry* entry, DiscInfo* info);
