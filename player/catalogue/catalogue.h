// The disc catalogue "tunedeck.ini" and the disc identity, on the platform.
#pragma once

#include <windows.h>

#include "player/catalogue/catalogue_file.h"
#include "player/catalogue/save_failures.h"

// Reads the open device's table of contents: stores the number of tracks in
// *trackCount and returns the disc identity. A table the device cannot give
// whole gives 0 tracks and identity 0 (such a record is never saved).
// Returns 0 (trackCount untouched) for device id 0.
uint32_t ComputeDiscId(UINT deviceId, int32_t* trackCount);
// The identity the operating system's CD player gives the loaded disc: 1
// with it, or 0 when the device cannot tell it. For a disc of one or two
// tracks the device is asked for its table of contents and its length in
// milliseconds; for more tracks it is the record's own identity and nothing
// is asked.
int ComputeCdPlayerDiscId(UINT deviceId, const DiscInfo* info, uint32_t* cdPlayerId);

// Where the catalogue is: the full path the user chose ("Catalogue" in the
// settings), or empty for "tunedeck.ini" in the Windows directory. The
// shell sets it at start-up.
void UseCatalogueFile(const char* path);

// Fills the record for the disc in the drive from the catalogue; a disc the
// catalogue does not know takes the titles the user typed in the operating
// system's CD player, if its "cdplayer.ini" has them. A disc whose last
// save failed gets back the titles it had. The string resources come from
// the main window's instance. Nothing is written. A disc the catalogue
// holds, and the defaults given while it cannot be read, are saved only
// once the player changes them (RecordNeedsSave). Returns kDiscNew for a
// disc (with tracks) that the catalogue, read, does not know and that
// "cdplayer.ini" has no titles for; else 1.
enum { kDiscNew = 2 };
int LoadDiscEntry(HWND mainWindow, UINT deviceId, DiscInfo* info);
// Writes the whole record to the disc's section when it needs a save, and
// the records of discs whose save failed, in one atomic rewrite under the
// catalogue's lock (other players may share the file). Returns 1 when they
// are in the catalogue (or there was nothing to save: the file is then not
// touched), 0 when the save failed: the failure is noted for
// TellSaveFailures, and the titles stay in the player for the next save.
int SaveDiscEntry(HINSTANCE instance, DiscInfo* info);
// Saves the record, then frees its arrays; when the save of a record that
// needed one failed, the record is kept, unsaved, for the next save
// instead. Returns SaveDiscEntry's result.
int ReleaseDiscEntry(HINSTANCE instance, DiscInfo* info);
// Replaces the play list by the tracks of a list box whose items carry
// TrackEntry pointers, top to bottom.
void ReplacePlayList(DiscInfo* info, HWND listBox);
