// The CD database's protocol (CDDB over HTTP, as gnudb serves it), without
// the platform: the database's disc id, the requests, and the reading of
// every answer. What the server sends is untrusted: each reader takes any
// bytes, never reads past the size it is given and bounds every text it
// keeps. An entry that is not UTF-8 is read as Windows-1252, the encoding
// its older entries were typed in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "player/lookup/lookup_settings.h"
#include "player/lookup/lookup_types.h"

enum {
  kCddbAnswerLimit = 65536,  // bytes of one answer, headers included
  kCddbMaxMatches = 32,
};

// The database's disc id: the digit sums of each track's start in whole
// seconds (mod 255) in the top byte, the playing time in seconds in the
// middle and the number of tracks in the low byte. Every track counts,
// data tracks too.
uint32_t FreedbDiscId(const DiscToc* toc);

// One match of a search: its category and disc id (letters and digits
// only, so they go into a request as they are) and its "Artist / Title".
struct CddbMatch {
  char category[32];
  char discId[9];
  char title[kLookupTextSize];
};

struct CddbMatches {
  int count;
  int exact;  // the database called its matches exact
  CddbMatch items[kCddbMaxMatches];
};

// The search and read commands, words joined by "+" as a request wants
// them. 0 when the table is unusable or the text does not fit.
int FormatQueryCommand(const DiscToc* toc, char* out, size_t size);
int FormatReadCommand(const CddbMatch* match, char* out, size_t size);
// The HTTP/1.0 GET request for a command, with the greeting (user, host
// name, program and version; blanks in a name become "_", since the server
// splits the greeting at blanks) and protocol level 6, which answers in UTF-8.
int FormatCddbRequest(const LookupSettings* settings, const char* command, const char* hostName, char* out,
                      size_t size);

// The answer to a search (the body of the HTTP answer): 200 (one exact
// match, on a line that ended), 210 (exact) and 211 (inexact matches: a
// list that ends with "."), 202 (none), 4xx and 5xx (errors, their line
// kept). A list without its "." gives kLookupCut. Each match is its own
// entry of the database, so each line is read as UTF-8 or Windows-1252 by
// itself.
int ParseQueryAnswer(const char* body, size_t size, CddbMatches* matches, char* line, size_t lineSize);
// The answer to a read: 210 and the entry in xmcd format ending with ".";
// without the "." kLookupCut. The disc title is split at its first " / "
// into artist and title.
int ParseReadAnswer(const char* body, size_t size, LookupEntry* entry, char* line, size_t lineSize);
