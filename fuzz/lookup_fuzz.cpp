// libFuzzer target for the answers of the CD database: whatever a server
// sends, the HTTP, search and read parsers stay within the bytes they are
// given, every text they keep is terminated within its buffer and free of
// control characters, and what goes back into a request (a match's category
// and disc id) holds letters and digits only.
#include "player/lookup/lookup_core.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "lookup_fuzz: %s\n", what);
  abort();
}

void CheckText(const char* text, size_t size) {
  const char* end = static_cast<const char*>(memchr(text, 0, size));
  Check(end != nullptr, "text not terminated");
  for (const char* p = text; p < end; ++p)
    Check(static_cast<unsigned char>(*p) >= 0x20 && *p != 0x7F, "control character kept");
  uint16_t wide[kLookupTextSize];
  size_t n = Utf8ToUtf16(text, wide, kLookupTextSize);
  Check(n < kLookupTextSize && wide[n] == 0, "conversion past its buffer");
}

bool IsAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kLookupAnswerLimit) return 0;  // the dialog never keeps more
  const char* text = reinterpret_cast<const char*>(data);
  char line[kLookupLineSize];
  const char* body = nullptr;
  size_t bodySize = 0;
  int result = ParseHttpAnswer(text, size, &body, &bodySize, line, sizeof line);
  CheckText(line, sizeof line);
  if (result == kLookupOk) Check(body >= text && body + bodySize <= text + size, "body outside the answer");

  // The body parsers take the whole input, as an answer without headers.
  static LookupMatches matches;
  ParseQueryAnswer(text, size, &matches, line, sizeof line);
  CheckText(line, sizeof line);
  Check(matches.count >= 0 && matches.count <= kLookupMaxMatches, "match count");
  for (int i = 0; i < matches.count; ++i) {
    const LookupMatch& match = matches.items[i];
    CheckText(match.title, sizeof match.title);
    Check(memchr(match.category, 0, sizeof match.category) && memchr(match.discId, 0, sizeof match.discId),
          "match names not terminated");
    for (const char* p = match.category; *p; ++p) Check(IsAlnum(*p), "category");
    for (const char* p = match.discId; *p; ++p) Check(IsAlnum(*p), "disc id");
    char command[64];
    Check(FormatReadCommand(&match, command, sizeof command) == 1, "read command");
  }

  static LookupEntry entry;
  ParseReadAnswer(text, size, &entry, line, sizeof line);
  CheckText(line, sizeof line);
  Check(entry.trackCount >= 0 && entry.trackCount <= kLookupMaxTracks, "track count");
  CheckText(entry.artist, sizeof entry.artist);
  CheckText(entry.title, sizeof entry.title);
  for (int t = 0; t < entry.trackCount; ++t) CheckText(entry.tracks[t], sizeof entry.tracks[t]);
  return 0;
}
