// The catalogue file as several players keep it: players on several
// computers may save into one file (on a share), and a disc whose save
// failed keeps its titles in the player until a save succeeds.
#pragma once

#include "player/catalogue/catalogue_core.h"

// Fills the record of the disc whose discId and trackCount are set: a disc
// kept unsaved takes back its record, any other disc is read from the
// catalogue file at path (defaults for what the file lacks, and for
// everything when it cannot be read or path is null). Returns 1 when the
// disc is new to a catalogue that was read: only such a disc may take over
// titles kept elsewhere.
int LoadCatalogueRecord(const char* path, const CatalogueNames* names, DiscInfo* info);
// Saves into the catalogue file at path, which players on several
// computers may share: under the file's lock it reads the file again and
// writes the record's section, when the record needs a save, after the
// sections of the discs kept unsaved, replacing only those sections; every
// other disc stays as the file has it, and the latest save of a disc is the
// one the file keeps. Once the save succeeds the discs kept unsaved are
// forgotten, and a record LoadCatalogueRecord filled needs no save until it
// changes. With nothing to write the file is not touched. Returns a
// ProfileStatus (profile.h).
int SaveDiscRecords(const char* path, const CatalogueNames* names, const DiscInfo* info);

// A record needs a save when it holds a disc (tracks, at least one) the
// catalogue may lack as the record has it. A record LoadCatalogueRecord filled from the
// catalogue, or with defaults while the catalogue could not be read, needs
// one only once it differs from what it was given or last saved; a disc new
// to the catalogue, and a record kept unsaved, until a save succeeds; a
// record filled by other means, at every save. So a player that changed
// nothing never puts its copy over titles another computer saved meanwhile,
// and the defaults shown while the catalogue could not be read never
// replace the titles it holds.
int RecordNeedsSave(const DiscInfo* info);
// Whether a save has anything to write: the record, or discs kept unsaved.
int CatalogueNeedsSave(const DiscInfo* info);
// Stops following a record LoadCatalogueRecord filled (it is released):
// until it is loaded again it needs a save at every save.
void ForgetLoadedRecord(const DiscInfo* info);
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
