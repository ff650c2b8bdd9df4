#include "player/lookup/lookup_status.h"

#include <cstdio>

void FormatLookupStatus(const char* format, int status, const char* server, const char* line,
                        unsigned long timeoutMs, char* out, size_t size) {
  // The time in seconds as a user reads it: "15", "0.25".
  char seconds[24];
  unsigned long whole = timeoutMs / 1000, part = timeoutMs % 1000;
  if (part == 0) {
    snprintf(seconds, sizeof seconds, "%lu", whole);
  } else {
    int digits = part % 100 == 0 ? 1 : part % 10 == 0 ? 2 : 3;
    unsigned long shown = digits == 1 ? part / 100 : digits == 2 ? part / 10 : part;
    snprintf(seconds, sizeof seconds, "%lu.%0*lu", whole, digits, shown);
  }
  const char* first = status == kStatusServerError || status == kStatusNoRoots ? line : server;
  snprintf(out, size, format, first, seconds);
}

void FormatMatchLine(const char* title, const char* source, char* out, size_t size) {
  snprintf(out, size, "%s (%s)", title, source);
}
