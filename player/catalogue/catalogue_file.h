// The catalogue file as several players keep it: players on several
// computers may save into one file (on a share), and a disc whose save
// failed keeps its titles in the player until a save succeeds.
#pragma once

#include "player/catalogue/catalogue_core.h"

// Saves into the catalogue file at path, which players on several
// computers may share: under the file's lock it reads the file again and
// writes the record's section (a record without tracks writes nothing)
// after the sections of the discs kept unsaved, replacing only those
// sections; every other disc stays as the file has it, and the latest save
// of a disc is the one the file keeps. Once the save succeeds the discs kept
// unsaved are forgotten. Returns a ProfileStatus (profile.h).
int SaveDiscRecords(const char* path, const CatalogueNames* names, const DiscInfo* info);
// A disc taken out of the player while its last save failed keeps its
// titles in the player until a save gets them into the catalogue: the
// record's arrays move here (its pointers are cleared), in place of an
// earlier unsaved record of the same disc.
void KeepUnsavedRecord(DiscInfo* info);
// A disc put in again takes back its unsaved record: when one of the same
// identity and track count is kept, its arrays and texts move into info
// (whose arrays must be free) and 1 is returned.
int TakeUnsavedRecord(DiscInfo* info);
// How many discs are kept unsaved, and letting them go (the user closed the
// player without them).
int UnsavedRecordCount();
void ForgetUnsavedRecords();
