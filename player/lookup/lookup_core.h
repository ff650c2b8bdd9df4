// Looking a disc up in the online CD database, without the platform: the
// database's disc id from the table of contents, the settings, the HTTP
// requests of the CDDB protocol, and the parsing of every answer. What the
// server sends is untrusted: each parser takes any bytes, never reads past
// the size it is given and bounds every text it keeps. An answer counts only
// when it arrived whole. Texts are UTF-8 here (an entry that is not UTF-8 is
// read as ISO-8859-1, the encoding of the database's older entries); the
// platform layer converts them for display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum {
  kLookupMaxTracks = 99,
  kLookupAnswerLimit = 65536,  // bytes of one answer, headers included
  kLookupMaxMatches = 32,
  kLookupTextSize = 320,  // a UTF-8 text: 79 characters of up to 4 bytes each, with room
  kLookupLineSize = 128,  // a server's status line, kept to show the user
  kLookupRequestSize = 2048,
  kLookupDefaultPort = 80,
  kMusicBrainzDefaultPort = 443,
};

// A disc's table of contents: each track's start and the lead-out as frame
// offsets from the disc's start (75 a second; a normal disc's first track
// starts at 150, after the 2-second lead-in).
struct LookupToc {
  int trackCount;
  uint32_t offsets[kLookupMaxTracks];
  uint32_t leadOut;
};

// The database's disc id: the digit sums of each track's start in whole
// seconds (mod 255) in the top byte, the playing time in seconds in the
// middle and the number of tracks in the low byte.
uint32_t FreedbDiscId(const LookupToc* toc);

// The program as it names itself to the servers.
extern const char kLookupClientName[];
extern const char kLookupClientVersion[];

// The look-up's sources, in the order they are asked by default.
enum LookupSource { kSourceMusicBrainz, kSourceGnudb, kSourceCount };
// "MusicBrainz" or "gnudb".
const char* LookupSourceName(int source);

// Section "Lookup" of the settings file.
struct LookupSettings {
  char server[128];  // gnudb's
  int port;
  char path[128];
  char user[64];  // the user name of the protocol's greeting
  char musicBrainzServer[128];
  int musicBrainzPort;
  char contact[128];  // how MusicBrainz's operators reach the user (empty: not said)
  char roots[260];    // a PEM file of trusted roots in place of the compiled-in ones (empty: those)
  int sourceCount;
  int sources[kSourceCount];  // in the order they are asked
};

// Names of section "Lookup" and its keys, as the string table gives them.
struct LookupSettingsNames {
  char section[40];
  char server[40];
  char port[40];
  char path[40];
  char user[40];
  char musicBrainzServer[40];
  char musicBrainzPort[40];
  char contact[40];
  char roots[40];
  char sources[40];
};

// Reads the section; a key that is missing or unusable gives its default:
// for gnudb gnudb.gnudb.org, 80, /~cddb/cddb.cgi, kovel32 (gnudb wants the
// user's e-mail address as the user name); MusicBrainzServer
// musicbrainz.org and MusicBrainzPort 443; no Contact; no Roots (the
// compiled-in ones); Sources "MusicBrainz,gnudb" (names separated by
// commas in any case; unknown and repeated ones are passed over, and none
// at all means the default).
void ReadLookupSettings(const std::string& text, const LookupSettingsNames* names, LookupSettings* settings);
// Adds the keys the section lacks, with their defaults, so users find them;
// every other line stays. Returns 1 when the text changed.
int AddLookupDefaults(std::string* text, const LookupSettingsNames* names);

// One match of a search: its category and disc id (letters and digits
// only, so they go into a request as they are) and its "Artist / Title".
struct LookupMatch {
  char category[32];
  char discId[9];
  char title[kLookupTextSize];
};

struct LookupMatches {
  int count;
  LookupMatch items[kLookupMaxMatches];
};

// A database entry: the disc title split at its first " / ", and a title
// per track (counted from 0; trackCount is one more than the highest
// number the entry gives). Texts are unescaped, without control characters
// or outer blanks; an empty text means the entry has none.
struct LookupEntry {
  char artist[kLookupTextSize];
  char title[kLookupTextSize];
  int trackCount;
  char tracks[kLookupMaxTracks][kLookupTextSize];
};

// The search and read commands, words joined by "+" as a request wants
// them. 0 when the table is unusable or the text does not fit.
int FormatQueryCommand(const LookupToc* toc, char* out, size_t size);
int FormatReadCommand(const LookupMatch* match, char* out, size_t size);
// The HTTP/1.0 GET request for a command, with the greeting (user, host
// name, program and version; blanks in a name become "_", since the server
// splits the greeting at blanks) and protocol level 6, which answers in UTF-8.
int FormatLookupRequest(const LookupSettings* settings, const char* command, const char* hostName, char* out,
                        size_t size);

enum LookupResult {
  kLookupOk,
  kLookupNoMatch,      // the database does not know the disc
  kLookupServerError,  // an error answer; its status line is kept
  kLookupUnreadable,   // not an answer of the protocol
  kLookupCut,          // ended early: shorter than it says, or without its last line
};

// Finds the body of an HTTP answer. A status other than 200 gives
// kLookupServerError with the status line; a body shorter than its
// Content-Length gives kLookupCut.
int ParseHttpAnswer(const char* data, size_t size, const char** body, size_t* bodySize, char* line,
                    size_t lineSize);
// Whether an HTTP answer is whole while its connection is still open: its
// headers ended and all the bytes their Content-Length gives are in. Without
// a Content-Length only the server's close ends an answer.
int HttpAnswerWhole(const char* data, size_t size);
// The answer to a search: 200 (one match, on a line that ended), 210 and 211
// (a list of matches that ends with "."), 202 (none), 4xx and 5xx (errors).
// A list without its "." gives kLookupCut. Each match is its own entry of
// the database, so each line is read as UTF-8 or ISO-8859-1 by itself.
int ParseQueryAnswer(const char* body, size_t size, LookupMatches* matches, char* line, size_t lineSize);
// The answer to a read: 210 and the entry in xmcd format ending with ".";
// without the "." kLookupCut.
int ParseReadAnswer(const char* body, size_t size, LookupEntry* entry, char* line, size_t lineSize);

// The valid UTF-8 sequence at p (before end): its length, with its code
// point in *code; 0 when the bytes there start none (a stray or missing
// continuation, an overlong form, a surrogate, past U+10FFFF, cut by end).
size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, uint32_t* code);
// Decodes UTF-8 into UTF-16 code units, terminated, cut to whole characters
// within count - 1 units. A byte that starts no valid sequence reads as
// U+FFFD. Returns the number of units written before the terminator.
size_t Utf8ToUtf16(const char* text, uint16_t* out, size_t count);

// A line of the list of matches: "Artist / Title (source)", UTF-8.
void FormatMatchLine(const char* title, int source, char* out, size_t size);
// Removes the outer blanks of a text, in place.
void TrimText(char* text);

// What the look-up dialog tells the user.
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
