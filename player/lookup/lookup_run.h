// A look-up driven on the platform: the engine (lookup_engine.h) with its
// network end, WinSock 1.1 without blocking and the TLS client for
// MusicBrainz. The window given receives the name lookups' and the
// sockets' events and the run's timer as messages, and hands each to
// LookupRunMessage; the look-up dialog is one such window, the player's
// notification window another. WinSock is loaded when a run starts and
// freed when it stops.
#pragma once

#include <windows.h>

#include "player/lookup/lookup_engine.h"
#include "player/lookup/winsock.h"
#include "player/tls/tls_core.h"

// Test seam: when set, look-ups wait these times instead of kLookupTimes;
// their texts name the time they waited. The program never sets it.
extern const LookupTimes* testSeamLookupTimes;

// MusicBrainz's secure session over the run's connection.
struct LookupSecure;

struct LookupRun {
  LookupSession session;
  uint32_t discId;  // the catalogue identity of the disc looked up
  WinSock ws;
  int socketsStarted;
  int lookupCancelled;  // a name lookup was cancelled and may still be answered
  HWND window;
  UINT firstMessage;  // the run's messages: firstMessage and the eight after it
  UINT_PTR timer;
  HANDLE hostRequest;
  int hostSource;
  unsigned long addresses[kSourceCount];  // network byte order
  SOCKET connection;
  unsigned connections;  // opened so far
  int secure;
  const char* request;
  size_t requestLength;
  size_t sent;
  LookupSecure* tls;
  int seeded;  // a secure session took a seed
  TlsRoots roots;  // from the roots file, when the settings name one
  int rootsRead;
  LookupFailure startFailure;  // why the run could not start
};

// Starts a look-up of the disc in the drive (its table of contents and
// catalogue identity) with the settings of the settings file. The window
// receives the run's messages: firstMessage and the eight after it. Returns 1
// when it runs; 0 when it cannot (no table of contents, no WinSock), with
// startFailure saying why.
int LookupRunStart(LookupRun* run, HWND window, UINT firstMessage, UINT_PTR timer, const DiscToc* toc,
                   uint32_t discId);
// Takes a message of the run's window: 1 when it was the run's (a name
// found, a socket's event, its timer), and the look-up may then have moved
// on; 0 for any other.
int LookupRunMessage(LookupRun* run, UINT message, WPARAM wParam, LPARAM lParam);
// While choosing: reads the listed match at index.
void LookupRunChoose(LookupRun* run, int index);
// Hands a run that waits for nothing (choosing) to another window.
void LookupRunMove(LookupRun* run, HWND window, UINT firstMessage, UINT_PTR timer);
// Closes what is open and frees what the run holds.
void LookupRunStop(LookupRun* run);
