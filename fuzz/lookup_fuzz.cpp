// libFuzzer target for the answers of the CD database: whatever a server
// sends, the HTTP, search and read parsers stay within the bytes they are
// given, every text they keep is terminated within its buffer and free of
// control characters, and what goes back into a request (a match's category
// and disc id) holds letters and digits only.
//
// Nothing partial and nothing made up: an answer cut anywhere is either
// refused or read exactly as the whole answer, also where the dialog takes
// an answer as whole before the server closes; and every text read is UTF-8
// whose characters all come from the answer, however it was encoded.
#include "player/lookup/cddb.h"
#include "player/lookup/http_answer.h"
#include "player/lookup/utf8_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "lookup_fuzz: %s\n", what);
  abort();
}

// A server's status line kept to show: terminated, printable.
void CheckLine(const char* line, size_t size) {
  const char* end = static_cast<const char*>(memchr(line, 0, size));
  Check(end != nullptr, "status line not terminated");
  for (const char* p = line; p < end; ++p) Check(*p >= 0x20 && *p < 0x7F, "status line not printable");
}

bool IsAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// What an answer says: the search and read results and what they kept.
struct Reading {
  int http;
  int query;
  CddbMatches matches;
  int read;
  LookupEntry entry;
};

// Reads an answer as the dialog does (HTTP first, when it is HTTP), and
// its bytes as a body without headers too.
void ReadAnswer(const char* data, size_t size, bool http, Reading* r) {
  char line[kLookupLineSize];
  const char* body = data;
  size_t bodySize = size;
  memset(r, 0, sizeof *r);
  r->query = r->read = kLookupUnreadable;  // unless the body is read
  if (http) {
    HttpAnswer answer;
    r->http = ParseHttpAnswer(data, size, kCddbAnswerLimit, &answer);
    CheckLine(answer.line, sizeof answer.line);
    if (r->http != kLookupOk) return;
    body = answer.body;
    bodySize = answer.bodySize;
    Check(body >= data && body + bodySize <= data + size, "body outside the answer");
  }
  r->query = ParseQueryAnswer(body, bodySize, &r->matches, line, sizeof line);
  CheckLine(line, sizeof line);
  r->read = ParseReadAnswer(body, bodySize, &r->entry, line, sizeof line);
  CheckLine(line, sizeof line);
}

bool SameMatches(const CddbMatches& a, const CddbMatches& b) {
  if (a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i)
    if (strcmp(a.items[i].category, b.items[i].category) || strcmp(a.items[i].discId, b.items[i].discId) ||
        strcmp(a.items[i].title, b.items[i].title))
      return false;
  return true;
}

bool SameEntry(const LookupEntry& a, const LookupEntry& b) {
  if (a.trackCount != b.trackCount || strcmp(a.artist, b.artist) || strcmp(a.title, b.title)) return false;
  for (int t = 0; t < a.trackCount; ++t)
    if (strcmp(a.tracks[t], b.tracks[t])) return false;
  return true;
}

// A part of an answer never counts for more than the whole says.
void CheckPart(const Reading& part, const Reading& whole) {
  if (part.query == kLookupOk)
    Check(whole.query == kLookupOk && SameMatches(part.matches, whole.matches), "a cut search answer counted");
  if (part.read == kLookupOk)
    Check(whole.read == kLookupOk && SameEntry(part.entry, whole.entry), "a cut entry counted");
}

// The bytes of an answer, to tell where a character came from.
struct Present {
  bool bytes[256];
  const char* data;
  size_t size;
};

// A text kept from an answer: terminated, no control characters, UTF-8,
// and each character but the blank in the answer, as its byte (Windows-1252)
// or as the bytes of its UTF-8 sequence (which a continued line may split).
void CheckText(const char* text, size_t size, const Present& answer) {
  const char* end = static_cast<const char*>(memchr(text, 0, size));
  Check(end != nullptr, "text not terminated");
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* stop = reinterpret_cast<const unsigned char*>(end);
  while (p < stop) {
    Check(*p >= 0x20 && *p != 0x7F, "control character kept");
    size_t length = *p < 0x80 ? 1 : *p >= 0xC2 && *p <= 0xDF ? 2 : *p >= 0xE0 && *p <= 0xEF ? 3 : *p >= 0xF0 && *p <= 0xF4 ? 4 : 0;
    Check(length > 0 && length <= static_cast<size_t>(stop - p), "text not UTF-8");
    uint32_t code = length == 1 ? *p : *p & (0x7Fu >> length);
    bool fromBytes = true;
    for (size_t k = 0; k < length; ++k) {
      Check(k == 0 || (p[k] & 0xC0) == 0x80, "text not UTF-8");
      if (k) code = code << 6 | (p[k] & 0x3Fu);
      fromBytes = fromBytes && answer.bytes[p[k]];
    }
    Check((length < 3 || code >= 0x800) && (length < 4 || code >= 0x10000) && code <= 0x10FFFF &&
              (code < 0xD800 || code > 0xDFFF),
          "text not UTF-8");
    bool windows1252 = false;
    for (int byte = 0x80; byte < 0x100 && !windows1252; ++byte)
      windows1252 = answer.bytes[byte] && Windows1252Char(static_cast<unsigned char>(byte)) == code;
    if (code == 0xFFFD) {
      bool found = false;
      for (size_t i = 0; i + 3 <= answer.size && !found; ++i) found = memcmp(answer.data + i, p, 3) == 0;
      Check(found, "a replacement character that the answer lacks");
    }
    Check(code == ' ' || windows1252 || fromBytes, "a character that the answer lacks");
    p += length;
  }
}

void CheckReading(const Reading& r, const Present& answer) {
  Check(r.matches.count >= 0 && r.matches.count <= kCddbMaxMatches, "match count");
  for (int i = 0; i < r.matches.count; ++i) {
    const CddbMatch& match = r.matches.items[i];
    CheckText(match.title, sizeof match.title, answer);
    Check(memchr(match.category, 0, sizeof match.category) && memchr(match.discId, 0, sizeof match.discId),
          "match names not terminated");
    for (const char* p = match.category; *p; ++p) Check(IsAlnum(*p), "category");
    for (const char* p = match.discId; *p; ++p) Check(IsAlnum(*p), "disc id");
    char command[64];
    Check(FormatReadCommand(&match, command, sizeof command) == 1, "read command");
  }
  Check(r.entry.trackCount >= 0 && r.entry.trackCount <= kLookupMaxTracks, "track count");
  CheckText(r.entry.artist, sizeof r.entry.artist, answer);
  CheckText(r.entry.title, sizeof r.entry.title, answer);
  for (int t = 0; t < r.entry.trackCount; ++t) CheckText(r.entry.tracks[t], sizeof r.entry.tracks[t], answer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kCddbAnswerLimit) return 0;  // the look-up never keeps more
  const char* text = reinterpret_cast<const char*>(data);
  Present answer = {{}, text, size};
  for (size_t i = 0; i < size; ++i) answer.bytes[data[i]] = true;

  static Reading whole, part;
  for (bool http : {false, true}) {
    ReadAnswer(text, size, http, &whole);
    CheckReading(whole, answer);
    if (size == 0) continue;
    // A few cuts: just before the end, halfway and one the input picks.
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    const size_t cuts[] = {size - 1, size / 2, hash % size};
    for (size_t cut : cuts) {
      ReadAnswer(text, cut, http, &part);
      CheckPart(part, whole);
      // What the dialog takes before the server closes is what it would
      // have read at the close.
      if (http && HttpAnswerProgress(text, cut, kCddbAnswerLimit) == kLookupOk)
        Check(part.http == whole.http && part.query == whole.query && part.read == whole.read &&
                  SameMatches(part.matches, whole.matches) && SameEntry(part.entry, whole.entry),
              "an answer taken early reads otherwise");
    }
  }
  return 0;
}
