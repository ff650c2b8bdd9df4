// The decisions of the look-up that runs by itself when a disc the
// catalogue does not know is loaded (settings file, [Lookup] Automatic=1),
// without the platform: whether it starts, what it does with what the
// engine found, and whether a result still belongs to the disc in the
// drive. It never takes what it is not sure of, and never a result for a
// disc that went, nor over titles the user typed meanwhile.
#pragma once

#include <cstdint>

#include "player/catalogue/disc_info.h"
#include "player/lookup/lookup_engine.h"

enum { kAutoLookupMemory = 64 };  // discs remembered as tried in a run

// The discs tried in this run of the player: each is tried once.
struct AutoLookupTried {
  uint32_t ids[kAutoLookupMemory];
  int count;
  int next;  // where the next goes once all are used
};

// Whether a disc just loaded is looked up: the option is on, the catalogue
// did not know the disc and nothing filled its titles (discIsNew), no
// look-up runs, and it was not tried before in this run. A disc that is
// looked up is remembered as tried.
int AutoLookupStarts(AutoLookupTried* tried, int automatic, int discIsNew, uint32_t discId, int lookupRunning);

// The disc a look-up was started for, as it was then.
struct AutoLookupDisc {
  uint32_t discId;
  int32_t trackCount;
  uint32_t titles;  // a sum of its artist, title and track titles
};
AutoLookupDisc AutoLookupDiscOf(const DiscInfo* info);
// Whether a result may still go into the record: the disc is the same and
// in the drive, and its titles are as they were.
int AutoLookupBelongs(const AutoLookupDisc* asked, const DiscInfo* now, int doorOpen);

// What the driver does once the engine moved on.
enum AutoLookupStep {
  kAutoWait,   // the engine is not done
  kAutoRead,   // read the one sure match (LookupSureMatch)
  kAutoShow,   // show the matches, or what went wrong, in the look-up dialog
  kAutoApply,  // the sure match's titles are in the session's entry
  kAutoDrop,   // nothing to take: no match, a failure
};
// userAsked: the user chose the look-up from the menu while this one ran;
// it then shows what it found as if asked, unless it is sure of a match.
int AutoLookupNext(const LookupSession* s, int userAsked);
