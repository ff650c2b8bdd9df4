// The disc catalogue without the platform: the disc identity sum, reading
// and writing a disc's record in the catalogue text, the play list and the
// shuffled order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "player/catalogue/disc_info.h"
#include "player/device/cd_core.h"

// A track start's part of the identity: the bytes reordered so that minutes
// are most significant and frames least.
uint32_t DiscIdTrackTerm(uint32_t startMsf);
// The identity of a disc from its track starts and its length, all MSF:
// the sum of the track terms, plus the length in frames for a disc of fewer
// than three tracks (wrapping at 32 bits).
uint32_t DiscIdFromToc(int trackCount, const uint32_t* startsMsf, uint32_t lengthMsf);
// The same from the device's table of contents: its starts in MSF, and the
// disc's length as the device reports it, one frame short of the lead-out
// minus the first start.
uint32_t DiscIdOfToc(const DiscToc* toc);
// The table's track starts as MSF values (room for kTocMaxTracks); returns
// how many.
int TocStartsMsf(const DiscToc* toc, uint32_t* startsMsf);

// The section name of a disc: its identity in unsigned decimal.
void DiscSectionName(uint32_t discId, char* name, size_t size);

// Parses a stored play list for a disc of trackCount tracks into numbers
// (room for trackCount). "*" (any case) and a list with no usable number
// give the default order 1..trackCount; numbers outside 1..trackCount are
// dropped and the list is cut to trackCount numbers. Returns the count.
int ParsePlayList(const char* text, int trackCount, int32_t* numbers);
// Writes the play list as decimal numbers joined by single blanks.
void FormatPlayList(const int32_t* numbers, int count, std::string* text);

// Fills the record of the disc whose discId and trackCount are set from the
// catalogue text; defaults for what the catalogue lacks. Allocates tracks
// and playList (the caller releases the previous ones first); leaves
// shuffleOrder alone. Returns 0 only when memory runs out.
int LoadDiscRecord(const std::string& catalogue, const CatalogueNames* names, DiscInfo* info);
// Writes the whole record into its section of the catalogue text, keys in
// the order DiscTitle, DiscArtist, Repeat, Shuffle, Track1..TrackN,
// PlayList. A record without tracks (never loaded, or of a disc whose table
// of contents could not be read) writes nothing. Returns 1 when the text
// changed.
int SaveDiscRecord(std::string* catalogue, const CatalogueNames* names, const DiscInfo* info);
// Frees the record's arrays and clears the pointers; counts and texts stay.
void FreeDiscArrays(DiscInfo* info);

// The run-time library's pseudo-random generator: s = s * 214013 + 2531011,
// draws return bits 16 to 30. The state starts at 1.
void SeedRandom(uint32_t seed);
int DrawRandom(void);

// The clock that seeds every item of a shuffle, in whole seconds; tests
// replace it.
extern uint32_t (*shuffleClock)(void);

// Rebuilds shuffleOrder from playList.
void BuildShuffleOrder(DiscInfo* info);
// Replaces the play list by numbers (count > 0; an empty list is ignored),
// reshuffling when shuffle is on.
void ReplacePlayListNumbers(DiscInfo* info, const int32_t* numbers, int count);
