// What the look-up tells the user, without the platform: the status texts'
// numbers (the string table holds their words, in this order) and the
// filling in of what each names.
#pragma once

#include <cstddef>

enum LookupStatus {
  kStatusConnecting,
  kStatusSearching,
  kStatusReading,
  kStatusChoose,
  kStatusNoMatch,
  kStatusNameNotFound,
  kStatusCannotConnect,
  kStatusTimeout,      // nothing from the server for a while
  kStatusTooSlow,      // the server did not finish a step in time
  kStatusConnectionLost,
  kStatusIncomplete,   // the answer ended early
  kStatusServerError,
  kStatusUnreadable,
  kStatusTooLong,
  kStatusNoSockets,
  kStatusNoContents,
  kStatusDiscChanged,
  kStatusWaitingTurn,  // MusicBrainz takes a request a second
  kStatusNoRoots,      // line names the roots file
  kStatusNoMemory,
  kStatusReleaseTooLarge,  // the chosen release holds more than its answer's limit
  kStatusCount,
};

// The text of a status. format is the status's text from the program's
// string table; each "%s" in it takes in turn what the status names: the
// server; for kStatusServerError the server's own status line and for
// kStatusNoRoots the roots file, both given as line; for kStatusTimeout and
// kStatusTooSlow the server, then timeoutMs, the time the step waited, in
// seconds ("15", "0.3").
void FormatLookupStatus(const char* format, int status, const char* server, const char* line,
                        unsigned long timeoutMs, char* out, size_t size);

// A line of the list of matches: "Artist / Title (source)", UTF-8.
void FormatMatchLine(const char* title, const char* source, char* out, size_t size);
