// What every source of the online look-up shares: the program's name as it
// gives it to the servers, the titles a chosen match gives, and how reading
// an answer can end. Texts are UTF-8 here; the platform layer converts them
// for display.
#pragma once

#include "player/device/cd_core.h"

enum {
  kLookupMaxTracks = kTocMaxTracks,
  kLookupTextSize = 320,  // a UTF-8 text: 79 characters of up to 4 bytes each, with room
  kLookupLineSize = 128,  // a server's status line, kept to show the user
  kLookupRequestSize = 2048,
};

// The program as it names itself to the servers.
extern const char kLookupClientName[];
extern const char kLookupClientVersion[];

// The titles of a match: its artist and title, and a title per track
// (counted from 0; trackCount is one more than the highest track given).
// Texts are without control characters or outer blanks; an empty text means
// the match has none.
struct LookupEntry {
  char artist[kLookupTextSize];
  char title[kLookupTextSize];
  int trackCount;
  char tracks[kLookupMaxTracks][kLookupTextSize];
};

// How reading an answer ended.
enum LookupResult {
  kLookupOk,
  kLookupNoMatch,      // the source does not know the disc
  kLookupServerError,  // an error answer; its status line is kept
  kLookupUnreadable,   // not an answer of the protocol
  kLookupCut,          // ended early: shorter than it says, or without its end
  kLookupTooLarge,     // larger than the answer's limit
};
