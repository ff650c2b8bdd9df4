// The online look-up as an engine without a window: a record of one
// look-up, and functions that each take an event (the look-up starts, a
// server's address was found, a connection opened, bytes arrived, the
// server closed, a timer ran out, the user chose a match) and say what to
// do next (find an address, connect and send, wait, or the look-up's phase
// ended). Whoever drives it (the look-up dialog, or the main window for a
// look-up of its own) owns the sockets and the TLS sessions, and hands the
// engine the bytes a server sent; the engine asks the sources in the order
// of the settings, keeps each source's matches and what went wrong with it,
// keeps MusicBrainz's one request a second, and bounds each step in time
// and each answer in size. Nothing here needs the platform.
//
// Each source is asked in one step: (MusicBrainz: wait for its turn,) find
// the server's address, connect, send the request, take the answer until it
// is whole or the server closes, read it. Reading the chosen match is one
// more step: MusicBrainz's release with its tracks, or gnudb's entry; a CD
// stub needs none.
#pragma once

#include <cstddef>
#include <cstdint>

#include "player/lookup/cddb.h"
#include "player/lookup/lookup_settings.h"
#include "player/lookup/lookup_status.h"
#include "player/lookup/musicbrainz_core.h"

// How long the look-up waits, in milliseconds: a step's server may stay
// quiet for quietMs, and the step must end within stepLimitMs however
// slowly its answer trickles in; MusicBrainz is asked at most once in
// musicBrainzGapMs over the whole run.
struct LookupTimes {
  uint32_t quietMs;
  uint32_t stepLimitMs;
  uint32_t musicBrainzGapMs;
};
extern const LookupTimes kLookupTimes;  // 15 s, 60 s, 1 s

// When MusicBrainz was last asked: one record for the whole run, shared by
// every look-up, so that no two requests go out within its gap.
struct LookupTurn {
  int asked;
  uint32_t askedAt;  // a millisecond tick count
};

// Why a step failed. A failed secure session is told by its own words
// (tls is 1): the TLS client's failure, its error code and the clock's
// moment then.
struct LookupFailure {
  int status;  // a LookupStatus
  int tls;
  int tlsFailure;
  int tlsError;
  uint32_t tlsDays;
  uint32_t tlsSeconds;
  char line[260];  // the server's status line, or the roots file
};

// A failure of that status (and status line or roots file).
LookupFailure LookupFailureOf(int status, const char* line = "");

enum LookupPhase {
  kPhaseSearching,  // asking the sources in turn
  kPhaseChoosing,   // the search ended with matches to choose from
  kPhaseReading,    // reading the chosen match's titles
  kPhaseDone,       // the chosen match's titles are in entry
  kPhaseFailed,     // ended without titles
};

// What the step under way waits for.
enum LookupWaiting { kWaitNothing, kWaitTurn, kWaitAddress, kWaitConnection, kWaitAnswer };

enum LookupActionKind {
  kActionWait,     // nothing until the next event, or the timer LookupTimerDue gives
  kActionResolve,  // find the address of server; answer with LookupResolved
  kActionConnect,  // connect to server's address at port (secure: with TLS to that name) and send the
                   // request; answer with LookupConnected, then LookupReceived and LookupClosed
  kActionEnd,      // the phase ended: searching to choosing or failed, reading to done or failed
};

// Every action but kActionWait ends the step before it: its connection and
// its name lookup are closed first.
struct LookupAction {
  int kind;
  int source;
  const char* server;
  int port;
  int secure;
  const char* request;
  size_t requestLength;
};

// A match as the list shows it, in the order found: its source, and its
// place among that source's matches.
struct LookupListed {
  int source;
  int index;
};

struct LookupSession {
  LookupSettings settings;
  LookupTimes times;
  LookupTurn* turn;
  DiscToc toc;             // as the device reports it, for gnudb
  DiscToc musicBrainzToc;  // without an enhanced CD's data tracks
  char hostName[64];       // of this computer, for gnudb's greeting
  int phase;
  int waiting;
  int source;    // being asked or read
  int sourceAt;  // the next of the settings' sources to ask
  int reading;   // the step reads the chosen match
  int resolved[kSourceCount];
  uint32_t turnAt, quietAt, stepEndAt;
  int status;  // what the step is doing, to show: connecting, waiting for the turn, searching, reading
  char request[kLookupRequestSize];
  size_t requestLength;
  char* answer;  // grows as the answer arrives, up to answerLimit
  size_t answerLength, answerSize, answerLimit;
  MusicBrainzList* musicBrainz;  // the releases MusicBrainz listed, once it answered
  int musicBrainzIdUnknown;      // MusicBrainz answered, and does not know the disc's id
  CddbMatches cddb;
  int listedCount;
  LookupListed listed[kMusicBrainzMaxReleases + kCddbMaxMatches];
  int failed[kSourceCount];
  LookupFailure failures[kSourceCount];  // what went wrong with each source that failed
  int chosen;                            // the listed match being read
  LookupFailure failure;                 // why reading the chosen match failed
  LookupEntry entry;
};

// Starts a look-up of the disc: the settings' sources in their order.
// hostName is this computer's name; now is the tick count in milliseconds.
LookupAction LookupStart(LookupSession* s, const LookupSettings* settings, const DiscToc* toc,
                         const char* hostName, LookupTurn* turn, const LookupTimes* times, uint32_t now);
// The server's address was found (found 1) or not.
LookupAction LookupResolved(LookupSession* s, int found, uint32_t now);
// The connection (and for MusicBrainz its secure session) opened.
LookupAction LookupConnected(LookupSession* s, uint32_t now);
// Where the answer's next bytes go: up to room bytes at *at. 0 when memory
// for them cannot be had; room 0 when the answer reached its limit.
int LookupAnswerRoom(LookupSession* s, char** at, size_t* room);
// n bytes arrived at where LookupAnswerRoom said.
LookupAction LookupReceived(LookupSession* s, size_t n, uint32_t now);
// The server ended the connection.
LookupAction LookupClosed(LookupSession* s, uint32_t now);
// The step failed in the driver's hands: no connection, a lost one, a
// refused secure session, an answer past its limit (kStatusTooLong), no
// memory, no roots file.
LookupAction LookupFailed(LookupSession* s, const LookupFailure* failure, uint32_t now);
// The timer LookupTimerDue asked for ran out (or any time after).
LookupAction LookupTimer(LookupSession* s, uint32_t now);
// How long until the engine must hear LookupTimer, in milliseconds; -1
// when it waits for no time.
long LookupTimerDue(const LookupSession* s, uint32_t now);
// While choosing: reads the titles of the listed match at index.
LookupAction LookupChoose(LookupSession* s, int index, uint32_t now);
// The match of the list that a look-up nobody watches may take by itself:
// the only match of the search, and a sure one (MusicBrainz knew the
// disc's own id, or listed one release with one medium that may be the
// disc; gnudb called its one match exact). Its index, or -1.
int LookupSureMatch(const LookupSession* s);
// The line of the listed match at index: "Artist / Title (2001, GB)
// (MusicBrainz)", UTF-8.
void LookupMatchLine(const LookupSession* s, int index, char* out, size_t size);
// Frees what the session holds; it may then start again.
void LookupEnd(LookupSession* s);
