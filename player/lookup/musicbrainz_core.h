// Looking a disc up in MusicBrainz, the open music database, without the
// platform: the disc's MusicBrainz id, the request of its web service, and
// the reading of its JSON answers. What the server sends is
// untrusted: the reader takes any bytes, never reads past the size it is
// given, and bounds every text it keeps. Texts stay UTF-8 here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "player/lookup/lookup_core.h"

enum {
  kMusicBrainzIdSize = 29,  // 28 characters and the terminator
  kMusicBrainzRequestGapMs = 1000,  // the service allows a request a second
  // bytes of one answer, headers included: it holds every medium's tracks of
  // every release of the disc, some 1 KB a track
  kMusicBrainzAnswerLimit = 1024 * 1024,
};

// The disc's MusicBrainz id: the SHA-1 of its table of contents written in
// hexadecimal (the first and last track numbers, the lead-out, then one
// slot for each track number from 1 to 99 holding that track's start, 0
// for numbers the disc lacks), in MusicBrainz's base64 alphabet ("." "_"
// and "-" for "+" "/" and "="). firstTrack is the number of the disc's
// first track, 1 on nearly every disc. 0 when the table is unusable.
int MusicBrainzDiscId(const LookupToc* toc, int firstTrack, char* out, size_t size);

// The HTTP/1.0 request for the disc: its id, and its table of contents for
// discs the service knows only by a near one, with the User-Agent
// "kovel32/1.0 ( contact )" (without the brackets when there is no
// contact). 0 when the table is unusable or the request does not fit.
int FormatMusicBrainzRequest(const LookupSettings* settings, const LookupToc* toc, int firstTrack, char* out,
                             size_t size);

// How long to wait before the next request, in milliseconds, for requests
// at least gapMs apart, when the last one went out at lastTick (the
// system's millisecond tick count, which wraps) and it is now nowTick.
uint32_t MusicBrainzRequestDelay(int requestedBefore, uint32_t lastTick, uint32_t nowTick, uint32_t gapMs);

// One release of the answer that holds the disc: its artist credit (the
// names joined by their join phrases) and title, and where the track list
// of its medium that is this disc begins in the answer's body.
struct MusicBrainzMatch {
  char artist[kLookupTextSize];
  char title[kLookupTextSize];
  size_t tracksAt;
};

struct MusicBrainzMatches {
  int count;
  MusicBrainzMatch items[kLookupMaxMatches];
};

// Reads a whole answer, headers and body. 200 carries either the disc with
// the releases that hold it, or (for a table of contents only near a known
// one) a list of releases, or a CD stub with its own title, artist and
// tracks. A release's medium for this disc is the one whose discs hold the
// disc's id; failing that, among the media with the disc's number of
// tracks, the one whose discs' offsets (or else tracks' lengths) come
// nearest the disc's. Results: kLookupOk with the matches and the body;
// kLookupNoMatch for 404 (an unknown disc) or no release with such a
// medium; kLookupServerError with the status line for another status;
// kLookupCut and kLookupUnreadable for an answer cut short or not of this
// form: then no match counts.
int ParseMusicBrainzAnswer(const char* data, size_t size, const LookupToc* toc, int firstTrack,
                           MusicBrainzMatches* matches, const char** body, size_t* bodySize, char* line,
                           size_t lineSize);

// The entry of a match, from the body it was read in: its artist, title and
// the titles of its medium's tracks.
int ReadMusicBrainzEntry(const char* body, size_t size, const MusicBrainzMatch* match, LookupEntry* entry);
