#include "player/lookup/musicbrainz_core.h"

#include <bearssl.h>

#include <cstdio>
#include <cstring>

#include "player/lookup/json_reader.h"

namespace {

const long kFramesPerSecond = 75;
// A track whose length the service does not know counts as this far off.
const long kUnknownLengthFrames = 10 * kFramesPerSecond;
const long kFar = 0x7FFFFFFF;
const size_t kKeySize = 32;

// Appends text to a UTF-8 buffer, cut to whole characters within size - 1 bytes.
void AppendUtf8(char* out, size_t size, const char* text) {
  size_t used = strlen(out);
  size_t n = strlen(text);
  if (n > size - 1 - used) {
    n = size - 1 - used;
    // Back to the start of the character that the cut would split.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  memcpy(out + used, text, n);
  out[used + n] = '\0';
}

// What a medium must be to be this disc.
struct Disc {
  const LookupToc* toc;
  char id[kMusicBrainzIdSize];
};

long Distance(long a, long b) { return a > b ? a - b : b - a; }

long AddDistance(long total, long more) { return total > kFar - more ? kFar : total + more; }

// A track's length on the disc, in frames.
long TrackFrames(const LookupToc* toc, int index) {
  uint32_t end = index + 1 < toc->trackCount ? toc->offsets[index + 1] : toc->leadOut;
  return static_cast<long>(end - toc->offsets[index]);
}

// Reads an artist credit: the names joined by their join phrases.
void ReadArtistCredit(JsonReader* r, char* out, size_t size) {
  out[0] = '\0';
  if (!JsonEnterArray(r)) return;
  while (JsonNextItem(r)) {
    char name[kLookupTextSize] = "", joinPhrase[kLookupTextSize] = "", key[kKeySize];
    if (JsonEnterObject(r)) {
      while (JsonNextKey(r, key, sizeof key)) {
        if (strcmp(key, "name") == 0)
          JsonReadString(r, name, sizeof name);
        else if (strcmp(key, "joinphrase") == 0)
          JsonReadString(r, joinPhrase, sizeof joinPhrase);
        else
          JsonSkip(r);
      }
    }
    AppendUtf8(out, size, name);
    AppendUtf8(out, size, joinPhrase);
  }
  TrimText(out);
}

// How far a disc of a medium is from this one: 0 for this disc's id, else
// the sum of the differences of its track offsets (kFar for another count).
long DiscDistance(JsonReader* r, const Disc* disc) {
  char key[kKeySize], id[kMusicBrainzIdSize + 1];
  long distance = kFar;
  bool sameId = false;
  if (!JsonEnterObject(r)) return kFar;
  while (JsonNextKey(r, key, sizeof key)) {
    if (strcmp(key, "id") == 0) {
      sameId = JsonReadString(r, id, sizeof id) && strcmp(id, disc->id) == 0;
    } else if (strcmp(key, "offsets") == 0) {
      if (!JsonEnterArray(r)) continue;
      long total = 0;
      int count = 0;
      while (JsonNextItem(r)) {
        long offset;
        if (JsonReadInt(r, &offset) && count < disc->toc->trackCount)
          total = AddDistance(total, Distance(offset, static_cast<long>(disc->toc->offsets[count])));
        ++count;
      }
      distance = count == disc->toc->trackCount ? total : kFar;
    } else {
      JsonSkip(r);
    }
  }
  return sameId ? 0 : distance;
}

// A medium of a release, as far as choosing it needs.
struct Medium {
  long trackCount;   // as the medium says, or -1
  int tracksListed;  // the tracks of its list
  long discDistance;
  long lengthDistance;
  bool hasTracks;  // its track list is there, at tracksAt
  size_t tracksAt;
};

// Reads a track list: where it starts, its count, and how far its lengths
// are from the disc's.
void ReadTrackList(JsonReader* r, const char* body, const Disc* disc, Medium* medium) {
  JsonPeek(r);
  medium->tracksAt = static_cast<size_t>(r->at - body);
  if (!JsonEnterArray(r)) return;
  medium->hasTracks = true;
  char key[kKeySize];
  while (JsonNextItem(r)) {
    long frames = -1;
    if (JsonEnterObject(r)) {
      while (JsonNextKey(r, key, sizeof key)) {
        if (strcmp(key, "length") != 0) {
          JsonSkip(r);
          continue;
        }
        long length;
        if (JsonReadInt(r, &length) && length >= 0)
          frames = length / 1000 * kFramesPerSecond + length % 1000 * kFramesPerSecond / 1000;
      }
    }
    int index = medium->tracksListed++;
    long off = index < disc->toc->trackCount && frames >= 0 ? Distance(frames, TrackFrames(disc->toc, index))
                                                             : kUnknownLengthFrames;
    medium->lengthDistance = AddDistance(medium->lengthDistance, off);
  }
}

void ReadMedium(JsonReader* r, const char* body, const Disc* disc, Medium* medium) {
  *medium = Medium{-1, 0, kFar, 0, false, 0};
  char key[kKeySize];
  if (!JsonEnterObject(r)) return;
  while (JsonNextKey(r, key, sizeof key)) {
    if (strcmp(key, "track-count") == 0) {
      JsonReadInt(r, &medium->trackCount);
    } else if (strcmp(key, "discs") == 0) {
      if (!JsonEnterArray(r)) continue;
      while (JsonNextItem(r)) {
        long distance = DiscDistance(r, disc);
        if (distance < medium->discDistance) medium->discDistance = distance;
      }
    } else if (strcmp(key, "tracks") == 0) {
      ReadTrackList(r, body, disc, medium);
    } else {
      JsonSkip(r);
    }
  }
}

// How far a medium is from the disc; kFar when it cannot be the disc, and
// when it lists no tracks to take the titles from.
long MediumDistance(const Medium* medium, const Disc* disc) {
  if (!medium->hasTracks) return kFar;
  long count = medium->trackCount >= 0 ? medium->trackCount : medium->tracksListed;
  if (medium->discDistance == 0) return 0;
  if (count != disc->toc->trackCount || medium->tracksListed != count) return kFar;
  return medium->discDistance < kFar ? medium->discDistance : medium->lengthDistance;
}

// Reads a release; true, with the match, when one of its media is the disc.
bool ReadRelease(JsonReader* r, const char* body, const Disc* disc, MusicBrainzMatch* match) {
  memset(match, 0, sizeof *match);
  char key[kKeySize];
  long best = kFar;
  if (!JsonEnterObject(r)) return false;
  while (JsonNextKey(r, key, sizeof key)) {
    if (strcmp(key, "title") == 0) {
      JsonReadString(r, match->title, sizeof match->title);
    } else if (strcmp(key, "artist-credit") == 0) {
      ReadArtistCredit(r, match->artist, sizeof match->artist);
    } else if (strcmp(key, "media") == 0) {
      if (!JsonEnterArray(r)) continue;
      while (JsonNextItem(r)) {
        Medium medium;
        ReadMedium(r, body, disc, &medium);
        long distance = MediumDistance(&medium, disc);
        if (distance < best) {
          best = distance;
          match->tracksAt = medium.tracksAt;
        }
      }
    } else {
      JsonSkip(r);
    }
  }
  TrimText(match->title);
  return best < kFar;
}

// The code of an HTTP status line ("HTTP/1.1 404 Not Found"), or -1.
int HttpStatus(const char* line) {
  const char* code = strpbrk(line, " ");
  if (!code || strlen(code) < 4) return -1;
  int value = 0;
  for (int i = 1; i <= 3; ++i) {
    if (code[i] < '0' || code[i] > '9') return -1;
    value = value * 10 + (code[i] - '0');
  }
  return value;
}

// Reads the body: the releases, or the CD stub.
int ReadAnswerBody(const char* body, size_t size, const Disc* disc, MusicBrainzMatches* matches) {
  JsonReader r = JsonStart(body, size);
  MusicBrainzMatch stub;
  memset(&stub, 0, sizeof stub);
  bool hasStubTracks = false;
  char key[kKeySize];
  if (!JsonEnterObject(&r)) return kLookupUnreadable;
  while (JsonNextKey(&r, key, sizeof key)) {
    if (strcmp(key, "releases") == 0) {
      if (!JsonEnterArray(&r)) continue;
      while (JsonNextItem(&r)) {
        MusicBrainzMatch match;
        if (ReadRelease(&r, body, disc, &match) && matches->count < kLookupMaxMatches)
          matches->items[matches->count++] = match;
      }
    } else if (strcmp(key, "title") == 0) {
      JsonReadString(&r, stub.title, sizeof stub.title);
    } else if (strcmp(key, "artist") == 0) {
      JsonReadString(&r, stub.artist, sizeof stub.artist);
    } else if (strcmp(key, "tracks") == 0) {
      JsonPeek(&r);
      stub.tracksAt = static_cast<size_t>(r.at - body);
      hasStubTracks = JsonPeek(&r) == kJsonArray;
      JsonSkip(&r);
    } else {
      JsonSkip(&r);
    }
  }
  if (!JsonFinished(&r)) {
    matches->count = 0;
    return r.cut ? kLookupCut : kLookupUnreadable;
  }
  if (matches->count == 0 && hasStubTracks) {
    TrimText(stub.title);
    TrimText(stub.artist);
    matches->items[matches->count++] = stub;
  }
  return matches->count ? kLookupOk : kLookupNoMatch;
}

}  // namespace

int MusicBrainzDiscId(const LookupToc* toc, int firstTrack, char* out, size_t size) {
  if (size) out[0] = '\0';
  int lastTrack = firstTrack + toc->trackCount - 1;
  if (toc->trackCount < 1 || firstTrack < 1 || lastTrack > kLookupMaxTracks || size < kMusicBrainzIdSize)
    return 0;
  char text[2 + 2 + 8 * 100 + 1];
  size_t used = static_cast<size_t>(snprintf(text, sizeof text, "%02X%02X%08lX", firstTrack, lastTrack,
                                             static_cast<unsigned long>(toc->leadOut)));
  for (int number = 1; number <= kLookupMaxTracks; ++number) {
    uint32_t start = number >= firstTrack && number <= lastTrack ? toc->offsets[number - firstTrack] : 0;
    used += static_cast<size_t>(
        snprintf(text + used, sizeof text - used, "%08lX", static_cast<unsigned long>(start)));
  }
  unsigned char digest[br_sha1_SIZE];
  br_sha1_context sha1;
  br_sha1_init(&sha1);
  br_sha1_update(&sha1, text, used);
  br_sha1_out(&sha1, digest);

  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._";
  size_t n = 0;
  for (size_t i = 0; i < sizeof digest; i += 3) {
    uint32_t group = static_cast<uint32_t>(digest[i]) << 16;
    size_t bytes = sizeof digest - i < 3 ? sizeof digest - i : 3;
    if (bytes > 1) group |= static_cast<uint32_t>(digest[i + 1]) << 8;
    if (bytes > 2) group |= digest[i + 2];
    for (size_t k = 0; k < 4; ++k) out[n++] = k <= bytes ? kAlphabet[group >> (18 - 6 * k) & 63] : '-';
  }
  out[n] = '\0';
  return 1;
}

int FormatMusicBrainzRequest(const LookupSettings* settings, const LookupToc* toc, int firstTrack, char* out,
                             size_t size) {
  char id[kMusicBrainzIdSize];
  if (size) out[0] = '\0';
  if (!MusicBrainzDiscId(toc, firstTrack, id, sizeof id)) return 0;
  // The table of contents: first and last track, lead-out, each track's start.
  char contents[16 + 11 * kLookupMaxTracks];
  size_t used = static_cast<size_t>(snprintf(contents, sizeof contents, "%d+%d+%lu", firstTrack,
                                             firstTrack + toc->trackCount - 1,
                                             static_cast<unsigned long>(toc->leadOut)));
  for (int i = 0; i < toc->trackCount; ++i)
    used += static_cast<size_t>(snprintf(contents + used, sizeof contents - used, "+%lu",
                                         static_cast<unsigned long>(toc->offsets[i])));
  // The contact goes inside a comment of the header: printable characters
  // only, and no brackets that would end it.
  char contact[sizeof settings->contact];
  size_t length = 0;
  for (const char* p = settings->contact; *p; ++p)
    if (*p >= 0x20 && *p < 0x7F) contact[length++] = *p == '(' || *p == ')' ? ' ' : *p;
  contact[length] = '\0';
  TrimText(contact);
  char port[16] = "";
  if (settings->musicBrainzPort != kMusicBrainzDefaultPort)
    snprintf(port, sizeof port, ":%d", settings->musicBrainzPort);
  int n = snprintf(out, size,
                   "GET /ws/2/discid/%s?toc=%s&inc=artist-credits+recordings&fmt=json HTTP/1.0\r\n"
                   "Host: %s%s\r\nUser-Agent: %s/%s%s%s%s\r\nAccept: application/json\r\n\r\n",
                   id, contents, settings->musicBrainzServer, port, kLookupClientName, kLookupClientVersion,
                   contact[0] ? " ( " : "", contact, contact[0] ? " )" : "");
  return n > 0 && static_cast<size_t>(n) < size;
}

uint32_t MusicBrainzRequestDelay(int requestedBefore, uint32_t lastTick, uint32_t nowTick, uint32_t gapMs) {
  uint32_t since = nowTick - lastTick;
  return requestedBefore && since < gapMs ? gapMs - since : 0;
}

int ParseMusicBrainzAnswer(const char* data, size_t size, const LookupToc* toc, int firstTrack,
                           MusicBrainzMatches* matches, const char** body, size_t* bodySize, char* line,
                           size_t lineSize) {
  matches->count = 0;
  Disc disc = {toc, ""};
  if (!MusicBrainzDiscId(toc, firstTrack, disc.id, sizeof disc.id)) return kLookupUnreadable;
  int result = ParseHttpAnswer(data, size, body, bodySize, line, lineSize);
  if (result == kLookupServerError && HttpStatus(line) == 404) return kLookupNoMatch;
  if (result != kLookupOk) return result;
  return ReadAnswerBody(*body, *bodySize, &disc, matches);
}

int ReadMusicBrainzEntry(const char* body, size_t size, const MusicBrainzMatch* match, LookupEntry* entry) {
  memset(entry, 0, sizeof *entry);
  snprintf(entry->artist, sizeof entry->artist, "%s", match->artist);
  snprintf(entry->title, sizeof entry->title, "%s", match->title);
  if (match->tracksAt >= size) return kLookupUnreadable;
  JsonReader r = JsonStart(body + match->tracksAt, size - match->tracksAt);
  char key[kKeySize];
  if (!JsonEnterArray(&r)) return kLookupUnreadable;
  while (JsonNextItem(&r)) {
    char* title = entry->trackCount < kLookupMaxTracks ? entry->tracks[entry->trackCount] : nullptr;
    if (JsonEnterObject(&r)) {
      while (JsonNextKey(&r, key, sizeof key)) {
        if (title && strcmp(key, "title") == 0)
          JsonReadString(&r, title, kLookupTextSize);
        else
          JsonSkip(&r);
      }
    }
    if (title) {
      TrimText(title);
      ++entry->trackCount;
    }
  }
  return r.failed ? kLookupUnreadable : kLookupOk;
}
