#include "player/lookup/musicbrainz_core.h"

#include <bearssl.h>

#include <cstdio>
#include <cstring>

#include "player/lookup/http_answer.h"
#include "player/lookup/json_reader.h"
#include "player/lookup/utf8_text.h"

namespace {

// A track whose length the service does not know counts as this far off.
const long kUnknownLengthFrames = 10 * kFramesPerSecond;
const long kFar = 0x7FFFFFFF;
const size_t kKeySize = 32;

// What a medium must be to be this disc.
struct Disc {
  const DiscToc* toc;
  char id[kMusicBrainzIdSize];
};

long Distance(long a, long b) { return a > b ? a - b : b - a; }

long AddDistance(long total, long more) { return total > kFar - more ? kFar : total + more; }

// A track's length on the disc, in frames.
long TrackFrames(const DiscToc* toc, int index) {
  uint32_t end = index + 1 < toc->trackCount ? toc->starts[index + 1] : toc->leadOut;
  return static_cast<long>(end - toc->starts[index]);
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
          total = AddDistance(total, Distance(offset, static_cast<long>(disc->toc->starts[count])));
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
  bool hasTracks;  // its track list is there, from tracksAt
  const char* tracksAt;
};

// Reads a track list: where it starts, its count, and how far its lengths
// are from the disc's.
void ReadTrackList(JsonReader* r, const Disc* disc, Medium* medium) {
  JsonPeek(r);
  medium->tracksAt = r->at;
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

void ReadMedium(JsonReader* r, const Disc* disc, Medium* medium) {
  *medium = Medium{-1, 0, kFar, 0, false, nullptr};
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
      ReadTrackList(r, disc, medium);
    } else {
      JsonSkip(r);
    }
  }
}

// Whether a medium of the list, without its tracks, may be this disc: its
// discs hold the disc's id, or it has the disc's number of tracks.
bool MayBeTheDisc(const Medium* medium, const Disc* disc) {
  if (medium->trackCount == 0) return false;
  return medium->discDistance == 0 || medium->trackCount == disc->toc->trackCount;
}

// How far a medium with its tracks is from the disc; kFar when it cannot be
// the disc, and when it lists no tracks to take the titles from.
long MediumDistance(const Medium* medium, const Disc* disc) {
  if (!medium->hasTracks || medium->tracksListed == 0) return kFar;
  long count = medium->trackCount >= 0 ? medium->trackCount : medium->tracksListed;
  if (medium->discDistance == 0) return 0;
  if (count != disc->toc->trackCount || medium->tracksListed != count) return kFar;
  return medium->discDistance < kFar ? medium->discDistance : medium->lengthDistance;
}

// Reads a release of the list; true, with the release, when one of its
// media may be the disc.
bool ReadListedRelease(JsonReader* r, const Disc* disc, MusicBrainzRelease* release) {
  memset(release, 0, sizeof *release);
  char key[kKeySize];
  if (!JsonEnterObject(r)) return false;
  while (JsonNextKey(r, key, sizeof key)) {
    if (strcmp(key, "id") == 0) {
      JsonReadString(r, release->id, sizeof release->id);
    } else if (strcmp(key, "title") == 0) {
      JsonReadString(r, release->title, sizeof release->title);
    } else if (strcmp(key, "artist-credit") == 0) {
      ReadArtistCredit(r, release->artist, sizeof release->artist);
    } else if (strcmp(key, "date") == 0) {
      JsonReadString(r, release->date, sizeof release->date);
    } else if (strcmp(key, "country") == 0) {
      JsonReadString(r, release->country, sizeof release->country);
    } else if (strcmp(key, "media") == 0) {
      if (!JsonEnterArray(r)) continue;
      while (JsonNextItem(r)) {
        Medium medium;
        ReadMedium(r, disc, &medium);
        if (MayBeTheDisc(&medium, disc)) ++release->media;
      }
    } else {
      JsonSkip(r);
    }
  }
  TrimText(release->title);
  TrimText(release->date);
  TrimText(release->country);
  // The id goes into the next request as it is: only an MBID's characters.
  for (const char* p = release->id; *p; ++p)
    if (!((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'f') || (*p >= 'A' && *p <= 'F') || *p == '-'))
      return false;
  return release->media > 0 && release->id[0];
}

// Reads a track list's titles into the entry.
bool ReadTrackTitles(const char* at, const char* end, LookupEntry* entry) {
  JsonReader r = JsonStart(at, static_cast<size_t>(end - at));
  char key[kKeySize];
  if (!JsonEnterArray(&r)) return false;
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
  return !r.failed;
}

// The HTTP answer's body for the readers below: kLookupOk, or why there is
// none (a 404 is an unknown disc or release).
int AnswerBody(const char* data, size_t size, size_t limit, HttpAnswer* answer, char* line, size_t lineSize) {
  int result = ParseHttpAnswer(data, size, limit, answer);
  if (lineSize) snprintf(line, lineSize, "%s", answer->line);
  if (result == kLookupServerError && answer->code == 404) return kLookupNoMatch;
  return result;
}

// Starts what both readers need: the disc's id.
bool StartDisc(const DiscToc* toc, Disc* disc) {
  disc->toc = toc;
  return MusicBrainzDiscId(toc, disc->id, sizeof disc->id) != 0;
}

int ReadListBody(const char* body, size_t size, const Disc* disc, MusicBrainzList* list) {
  JsonReader r = JsonStart(body, size);
  bool hasStubTracks = false;
  const char* stubTracks = nullptr;
  const char* stubEnd = nullptr;
  char key[kKeySize], id[kMusicBrainzIdSize + 1] = "";
  if (!JsonEnterObject(&r)) return kLookupUnreadable;
  while (JsonNextKey(&r, key, sizeof key)) {
    if (strcmp(key, "releases") == 0) {
      if (!JsonEnterArray(&r)) continue;
      while (JsonNextItem(&r)) {
        MusicBrainzRelease release;
        if (ReadListedRelease(&r, disc, &release) && list->count < kMusicBrainzMaxReleases)
          list->items[list->count++] = release;
      }
    } else if (strcmp(key, "id") == 0) {
      JsonReadString(&r, id, sizeof id);
    } else if (strcmp(key, "title") == 0) {
      JsonReadString(&r, list->stub.title, sizeof list->stub.title);
    } else if (strcmp(key, "artist") == 0) {
      JsonReadString(&r, list->stub.artist, sizeof list->stub.artist);
    } else if (strcmp(key, "tracks") == 0) {
      hasStubTracks = JsonPeek(&r) == kJsonArray;
      stubTracks = r.at;
      JsonSkip(&r);
      stubEnd = r.at;
    } else {
      JsonSkip(&r);
    }
  }
  if (!JsonFinished(&r)) return r.cut ? kLookupCut : kLookupUnreadable;
  list->byId = strcmp(id, disc->id) == 0;
  if (list->count == 0 && hasStubTracks && ReadTrackTitles(stubTracks, stubEnd, &list->stub) &&
      list->stub.trackCount > 0) {
    TrimText(list->stub.title);
    TrimText(list->stub.artist);
    MusicBrainzRelease* stub = &list->items[list->count++];
    snprintf(stub->artist, sizeof stub->artist, "%s", list->stub.artist);
    snprintf(stub->title, sizeof stub->title, "%s", list->stub.title);
    stub->media = 1;
  }
  return list->count ? kLookupOk : kLookupNoMatch;
}

int ReadReleaseBody(const char* body, size_t size, const Disc* disc, LookupEntry* entry) {
  JsonReader r = JsonStart(body, size);
  char key[kKeySize];
  long best = kFar;
  const char* bestTracks = nullptr;
  if (!JsonEnterObject(&r)) return kLookupUnreadable;
  while (JsonNextKey(&r, key, sizeof key)) {
    if (strcmp(key, "title") == 0) {
      JsonReadString(&r, entry->title, sizeof entry->title);
    } else if (strcmp(key, "artist-credit") == 0) {
      ReadArtistCredit(&r, entry->artist, sizeof entry->artist);
    } else if (strcmp(key, "media") == 0) {
      if (!JsonEnterArray(&r)) continue;
      while (JsonNextItem(&r)) {
        Medium medium;
        ReadMedium(&r, disc, &medium);
        long distance = MediumDistance(&medium, disc);
        if (distance < best) {
          best = distance;
          bestTracks = medium.tracksAt;
        }
      }
    } else {
      JsonSkip(&r);
    }
  }
  if (!JsonFinished(&r)) return r.cut ? kLookupCut : kLookupUnreadable;
  TrimText(entry->title);
  if (best == kFar) return kLookupNoMatch;
  return ReadTrackTitles(bestTracks, body + size, entry) ? kLookupOk : kLookupUnreadable;
}

// Appends a request's User-Agent and end to out, from used on.
int FinishRequest(const LookupSettings* settings, char* out, size_t size, int used) {
  if (used <= 0 || static_cast<size_t>(used) >= size) return 0;
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
  int n = snprintf(out + used, size - static_cast<size_t>(used),
                   " HTTP/1.0\r\nHost: %s%s\r\nUser-Agent: %s/%s%s%s%s\r\nAccept: application/json\r\n\r\n",
                   settings->musicBrainzServer, port, kLookupClientName, kLookupClientVersion,
                   contact[0] ? " ( " : "", contact, contact[0] ? " )" : "");
  return n > 0 && static_cast<size_t>(n) < size - static_cast<size_t>(used);
}

}  // namespace

void MusicBrainzToc(const DiscToc* disc, DiscToc* audio) {
  *audio = *disc;
  int last = disc->trackCount;
  while (last > 0 && !disc->audio[last - 1]) --last;
  if (last == 0 || last == disc->trackCount) return;
  audio->trackCount = last;
  // The first trailing data track's session begins after the audio
  // session's lead-out and the data session's lead-in.
  uint32_t dataStart = disc->starts[last];
  uint32_t lastAudio = disc->starts[last - 1];
  audio->leadOut = dataStart > lastAudio + kDataSessionGapFrames ? dataStart - kDataSessionGapFrames : dataStart;
}

int MusicBrainzDiscId(const DiscToc* toc, char* out, size_t size) {
  if (size) out[0] = '\0';
  const int firstTrack = 1, lastTrack = toc->trackCount;
  if (toc->trackCount < 1 || lastTrack > kLookupMaxTracks || size < kMusicBrainzIdSize) return 0;
  char text[2 + 2 + 8 * 100 + 1];
  size_t used = static_cast<size_t>(snprintf(text, sizeof text, "%02X%02X%08lX", firstTrack, lastTrack,
                                             static_cast<unsigned long>(toc->leadOut)));
  for (int number = 1; number <= kLookupMaxTracks; ++number) {
    uint32_t start = number >= firstTrack && number <= lastTrack ? toc->starts[number - firstTrack] : 0;
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

int FormatMusicBrainzToc(const DiscToc* toc, char* out, size_t size) {
  if (size) out[0] = '\0';
  if (toc->trackCount < 1 || toc->trackCount > kLookupMaxTracks) return 0;
  int used = snprintf(out, size, "1+%d+%lu", toc->trackCount, static_cast<unsigned long>(toc->leadOut));
  for (int i = 0; i < toc->trackCount && used > 0 && static_cast<size_t>(used) < size; ++i)
    used += snprintf(out + used, size - static_cast<size_t>(used), "+%lu", static_cast<unsigned long>(toc->starts[i]));
  return used > 0 && static_cast<size_t>(used) < size;
}

int FormatMusicBrainzListRequest(const LookupSettings* settings, const DiscToc* toc, char* out, size_t size) {
  char id[kMusicBrainzIdSize];
  char contents[16 + 11 * kLookupMaxTracks];
  if (size) out[0] = '\0';
  if (!MusicBrainzDiscId(toc, id, sizeof id) || !FormatMusicBrainzToc(toc, contents, sizeof contents))
    return 0;
  int used = snprintf(out, size, "GET /ws/2/discid/%s?toc=%s&inc=artist-credits&fmt=json", id, contents);
  return FinishRequest(settings, out, size, used);
}

int FormatMusicBrainzReleaseRequest(const LookupSettings* settings, const char* releaseId, char* out, size_t size) {
  if (size) out[0] = '\0';
  if (!releaseId[0]) return 0;
  int used = snprintf(out, size, "GET /ws/2/release/%s?inc=artist-credits+recordings&fmt=json", releaseId);
  return FinishRequest(settings, out, size, used);
}

int FormatMusicBrainzSubmitAddress(const LookupSettings* settings, const DiscToc* toc, char* out, size_t size) {
  char id[kMusicBrainzIdSize];
  char contents[16 + 11 * kLookupMaxTracks];
  if (size) out[0] = '\0';
  if (!MusicBrainzDiscId(toc, id, sizeof id) || !FormatMusicBrainzToc(toc, contents, sizeof contents)) return 0;
  char port[16] = "";
  if (settings->musicBrainzPort != kMusicBrainzDefaultPort)
    snprintf(port, sizeof port, ":%d", settings->musicBrainzPort);
  int n = snprintf(out, size, "https://%s%s/cdtoc/attach?id=%s&tracks=%d&toc=%s", settings->musicBrainzServer, port, id,
                   toc->trackCount, contents);
  if (n <= 0 || static_cast<size_t>(n) >= size) {
    if (size) out[0] = '\0';
    return 0;
  }
  return 1;
}

uint32_t MusicBrainzRequestDelay(int requestedBefore, uint32_t lastTick, uint32_t nowTick, uint32_t gapMs) {
  uint32_t since = nowTick - lastTick;
  return requestedBefore && since < gapMs ? gapMs - since : 0;
}

int ParseMusicBrainzList(const char* data, size_t size, const DiscToc* toc, MusicBrainzList* list, char* line,
                         size_t lineSize) {
  memset(list, 0, sizeof *list);
  Disc disc;
  HttpAnswer answer;
  if (lineSize) line[0] = '\0';
  if (!StartDisc(toc, &disc)) return kLookupUnreadable;
  int result = AnswerBody(data, size, kMusicBrainzListLimit, &answer, line, lineSize);
  if (result == kLookupOk) result = ReadListBody(answer.body, answer.bodySize, &disc, list);
  if (result != kLookupOk) memset(list, 0, sizeof *list);
  return result;
}

int ParseMusicBrainzRelease(const char* data, size_t size, const DiscToc* toc, LookupEntry* entry, char* line,
                            size_t lineSize) {
  memset(entry, 0, sizeof *entry);
  Disc disc;
  HttpAnswer answer;
  if (lineSize) line[0] = '\0';
  if (!StartDisc(toc, &disc)) return kLookupUnreadable;
  int result = AnswerBody(data, size, kMusicBrainzReleaseLimit, &answer, line, lineSize);
  if (result == kLookupOk) result = ReadReleaseBody(answer.body, answer.bodySize, &disc, entry);
  if (result != kLookupOk) memset(entry, 0, sizeof *entry);
  return result;
}

void FormatMusicBrainzRelease(const MusicBrainzRelease* release, char* out, size_t size) {
  // The year of the date, and the country, in brackets when either is known.
  char year[8] = "";
  size_t digits = 0;
  while (digits < 4 && release->date[digits] >= '0' && release->date[digits] <= '9') ++digits;
  if (digits == 4) memcpy(year, release->date, 4);
  char details[32] = "";
  if (year[0] || release->country[0])
    snprintf(details, sizeof details, " (%s%s%s)", year, year[0] && release->country[0] ? ", " : "",
             release->country);
  // Details first, so that the titles are what a long line loses.
  size_t room = size > strlen(details) ? size - strlen(details) : 1;
  out[0] = '\0';
  AppendUtf8(out, room, release->artist);
  if (release->artist[0]) AppendUtf8(out, room, " / ");
  AppendUtf8(out, room, release->title);
  AppendUtf8(out, size, details);
}
