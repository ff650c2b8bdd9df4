// libFuzzer target for the answers of MusicBrainz (the list of releases
// that hold a disc, and one release with its tracks) and the JSON reader
// under them: whatever a server sends, the reader stays within the bytes it
// is given, every text it keeps is whole UTF-8 without control characters
// within its buffer, a release's id holds only an MBID's characters, and
// only an answer whose body is one whole JSON value gives releases or
// titles: a cut answer gives none, so nothing of it can be applied.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "player/lookup/json_reader.h"
#include "player/lookup/musicbrainz_core.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "musicbrainz_fuzz: %s\n", what);
  abort();
}

// Whole UTF-8 without control characters, terminated within size bytes.
void CheckText(const char* text, size_t size) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* end = static_cast<const unsigned char*>(memchr(text, 0, size));
  Check(end != nullptr, "text not terminated");
  while (p < end) {
    Check(*p >= 0x20 && *p != 0x7F, "control character kept");
    int length = *p < 0x80 ? 1 : *p >= 0xC2 && *p <= 0xDF ? 2 : *p >= 0xE0 && *p <= 0xEF ? 3 : *p >= 0xF0 ? 4 : 0;
    Check(length > 0 && end - p >= length, "not UTF-8");
    for (int k = 1; k < length; ++k) Check((p[k] & 0xC0) == 0x80, "not UTF-8");
    p += length;
  }
}

// Walks any JSON, reading every string into buffers of every small size.
void Walk(const char* data, size_t size) {
  JsonReader r = JsonStart(data, size);
  size_t count = 0;
  int kind;
  while ((kind = JsonPeek(&r)) != kJsonNone && count++ < 10000) {
    char text[8];
    long number;
    size_t room = 1 + count % sizeof text;
    if (kind == kJsonObject) {
      if (JsonEnterObject(&r) && JsonNextKey(&r, text, room)) CheckText(text, room);
    } else if (kind == kJsonArray) {
      if (JsonEnterArray(&r)) JsonNextItem(&r);
    } else if (kind == kJsonString) {
      if (JsonReadString(&r, text, room)) CheckText(text, room);
    } else if (kind == kJsonNumber) {
      JsonReadInt(&r, &number);
    } else {
      JsonSkip(&r);
    }
    // Out of every container that ends here, to the next value.
    while (r.depth > 0 && !r.failed) {
      if (JsonNextItem(&r)) break;
    }
  }
  Check(r.at >= data && r.at <= data + size, "reader outside the text");
  Check(r.depth >= 0 && r.depth <= kJsonMaxDepth, "depth");
}

// Whether the text is one whole JSON value.
bool WholeValue(const char* data, size_t size) {
  JsonReader r = JsonStart(data, size);
  JsonSkip(&r);
  return JsonFinished(&r);
}

void CheckEntry(const LookupEntry& entry) {
  Check(entry.trackCount >= 0 && entry.trackCount <= kLookupMaxTracks, "track count");
  CheckText(entry.artist, sizeof entry.artist);
  CheckText(entry.title, sizeof entry.title);
  for (int t = 0; t < entry.trackCount; ++t) CheckText(entry.tracks[t], sizeof entry.tracks[t]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  Walk(text, size);

  // The input as the body of a whole answer, and as an answer itself.
  static const DiscToc toc = {5, {150, 14265, 33790, 49650, 51900}, {1, 1, 1, 1, 1}, 56400};
  std::string answers[2] = {"HTTP/1.1 200 OK\r\n\r\n" + std::string(text, size), std::string(text, size)};
  const bool whole = WholeValue(text, size);
  for (int a = 0; a < 2; ++a) {
    const std::string& answer = answers[a];
    static MusicBrainzList list;
    static LookupEntry entry;
    char line[kLookupLineSize];
    int result = ParseMusicBrainzList(answer.data(), answer.size(), &toc, &list, line, sizeof line);
    Check(list.count >= 0 && list.count <= kMusicBrainzMaxReleases, "release count");
    Check((result == kLookupOk) == (list.count > 0), "releases without a whole answer");
    Check(a == 1 || result != kLookupOk || whole, "releases from a body that is not one whole value");
    for (int i = 0; i < list.count; ++i) {
      const MusicBrainzRelease& release = list.items[i];
      CheckText(release.artist, sizeof release.artist);
      CheckText(release.title, sizeof release.title);
      CheckText(release.date, sizeof release.date);
      CheckText(release.country, sizeof release.country);
      Check(memchr(release.id, 0, sizeof release.id) != nullptr, "release id not terminated");
      for (const char* p = release.id; *p; ++p)
        Check((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'f') || (*p >= 'A' && *p <= 'F') || *p == '-',
              "release id");
      char request[kLookupRequestSize];
      LookupSettings settings = {};
      Check(!release.id[0] || FormatMusicBrainzReleaseRequest(&settings, release.id, request, sizeof request),
            "release request");
      char shown[2 * kLookupTextSize + 40];
      FormatMusicBrainzRelease(&release, shown, sizeof shown);
      CheckText(shown, sizeof shown);
    }
    CheckEntry(list.stub);

    result = ParseMusicBrainzRelease(answer.data(), answer.size(), &toc, &entry, line, sizeof line);
    Check(result == kLookupOk || entry.trackCount == 0, "titles without a whole answer");
    Check(a == 1 || result != kLookupOk || whole, "titles from a body that is not one whole value");
    CheckEntry(entry);
  }
  return 0;
}
