// Looking a disc up in MusicBrainz, the open music database, without the
// platform: the disc's MusicBrainz id, the two requests of its web service
// and the reading of their JSON answers. The first asks which releases hold
// the disc (without their tracks, so that a disc pressed in dozens of
// releases still gives a small answer); the second asks for the one release
// the user chose, with its tracks. What the server sends is untrusted: the
// readers take any bytes, never read past the size they are given, and
// bound every text they keep. Texts stay UTF-8 here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "player/lookup/lookup_settings.h"
#include "player/lookup/lookup_types.h"

enum {
  kMusicBrainzIdSize = 29,          // 28 characters and the terminator
  kMusicBrainzReleaseIdSize = 37,   // a release's MBID: 36 characters and the terminator
  kMusicBrainzRequestGapMs = 1000,  // the service allows a request a second
  // Bytes of the list of releases, headers included: a release without its
  // tracks takes 2 to 4 KB (its artist credit, release events and media
  // with their disc ids and offsets), so this holds some 500 of them.
  kMusicBrainzListLimit = 2 * 1024 * 1024,
  // Bytes of one release with its tracks: some 1 KB a track, so a set of up
  // to about a thousand tracks.
  kMusicBrainzReleaseLimit = 1024 * 1024,
  kMusicBrainzMaxReleases = 256,
  // An enhanced CD's data track starts this far after its audio tracks'
  // lead-out: the lead-out and lead-in of the first session between them.
  kDataSessionGapFrames = 11400,
};

// The table of contents as MusicBrainz counts the disc: an enhanced CD
// (audio tracks, then data tracks in a second session) by its audio tracks
// only, its lead-out before the first trailing data track's session. Other
// discs as they are.
void MusicBrainzToc(const DiscToc* disc, DiscToc* audio);

// The disc's MusicBrainz id, from its MusicBrainz table of contents: the
// SHA-1 of the table written in hexadecimal (the first and last track
// numbers, the lead-out, then one slot for each track number from 1 to 99
// holding that track's start, 0 for numbers the disc lacks), in
// MusicBrainz's base64 alphabet ("." "_" and "-" for "+" "/" and "="). The
// device numbers a disc's tracks from 1. 0 when the table is unusable.
int MusicBrainzDiscId(const DiscToc* toc, char* out, size_t size);

// The table of contents as the requests carry it: first and last track,
// lead-out and each track's start, joined by "+" (the same in the address
// where users add a disc to the database).
int FormatMusicBrainzToc(const DiscToc* toc, char* out, size_t size);

// The HTTP/1.0 request for the releases that hold the disc: its id, and its
// table of contents for discs the service knows only by a near one; and the
// request for one release with its tracks. Both carry the User-Agent
// "kovel32/1.0 ( contact )" (without the brackets when there is no
// contact). 0 when the table is unusable or the request does not fit.
int FormatMusicBrainzListRequest(const LookupSettings* settings, const DiscToc* toc, char* out, size_t size);
int FormatMusicBrainzReleaseRequest(const LookupSettings* settings, const char* releaseId, char* out, size_t size);

// The address of the web page where a user adds a disc MusicBrainz does
// not know ("https://musicbrainz.org/cdtoc/attach?id=...&tracks=...&toc=..."),
// for the disc's MusicBrainz table of contents: its id, its number of tracks
// and the toc of the requests. 0 when the table is unusable or the address
// does not fit.
int FormatMusicBrainzSubmitAddress(const LookupSettings* settings, const DiscToc* toc, char* out, size_t size);

// How long to wait before the next request, in milliseconds, for requests
// at least gapMs apart, when the last one went out at lastTick (a
// millisecond tick count, which wraps) and it is now nowTick.
uint32_t MusicBrainzRequestDelay(int requestedBefore, uint32_t lastTick, uint32_t nowTick, uint32_t gapMs);

// A release that holds the disc, as the list gives it.
struct MusicBrainzRelease {
  char id[kMusicBrainzReleaseIdSize];  // empty for a CD stub
  char artist[kLookupTextSize];        // the artist credit: names joined by their join phrases
  char title[kLookupTextSize];
  char date[16];    // as given: "2001", "2001-05" or "2001-05-03"; may be empty
  char country[8];  // e.g. "GB"; may be empty
  int media;        // its media that may be this disc
};

struct MusicBrainzList {
  int count;
  int byId;  // the service knew the disc by its own id, not by a near table of contents
  MusicBrainzRelease items[kMusicBrainzMaxReleases];
  // A CD stub (a disc someone entered without a release) comes with its
  // titles; it is then the one item, without an id.
  LookupEntry stub;
};

// Reads the whole answer to the list request (status line, headers, body).
// 200 carries the disc with the releases that hold it, or (for a table of
// contents only near a known one) a list of releases, or a CD stub with its
// own title, artist and tracks. A release counts when one of its media may
// be this disc: one whose discs hold the disc's id, or one of the disc's
// number of tracks. Results: kLookupOk with the releases; kLookupNoMatch
// for 404 (an unknown disc) or no release with such a medium;
// kLookupServerError with the status line for another status; kLookupCut,
// kLookupTooLarge and kLookupUnreadable for an answer cut short, above
// kMusicBrainzListLimit, or not of this form: then nothing counts.
int ParseMusicBrainzList(const char* data, size_t size, const DiscToc* toc, MusicBrainzList* list, char* line,
                         size_t lineSize);

// Reads the whole answer to the release request into the entry: the
// release's artist credit and title, and the titles of its medium that is
// this disc: the one whose discs hold the disc's id; failing that, among
// the media with the disc's number of tracks, the one whose discs' offsets
// (or else tracks' lengths) come nearest the disc's. A medium without
// tracks gives no titles. Results as for the list, with kLookupNoMatch
// when no medium is this disc and kLookupTooLarge above
// kMusicBrainzReleaseLimit.
int ParseMusicBrainzRelease(const char* data, size_t size, const DiscToc* toc, LookupEntry* entry, char* line,
                            size_t lineSize);

// "Artist / Title (2001, GB)": what tells the releases of a list apart.
void FormatMusicBrainzRelease(const MusicBrainzRelease* release, char* out, size_t size);
