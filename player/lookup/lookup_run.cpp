// The look-up's network end (see lookup_run.h).
#include "player/lookup/lookup_run.h"

#include <cstdlib>
#include <cstring>

#include "player/lookup/tls_socket.h"
#include "player/shell/player_state.h"
#include "player/shell/settings_file.h"
#include "player/tls/tls.h"
#include "player/tls/tls_roots.h"

const LookupTimes* testSeamLookupTimes;

struct LookupSecure {
  TlsClient client;
  TlsSocket socket;
  TlsTransport transport;
  TlsTime now;
};

namespace {

// When MusicBrainz was last asked, over the whole run of the player.
LookupTurn musicBrainzTurn;

// WinSock writes the answer of a name lookup here whenever it comes: a
// request cancelled with its look-up may still be answered (Wine does not
// cancel), so the buffer outlives every look-up. One runs at a time.
char hostEntry[MAXGETHOSTSTRUCT];

// The socket events of each connection come as a message of their own, one
// of kConnectionMessages in turn: a closed socket's events may still be
// queued, and the next connection may get the same socket handle.
const UINT kConnectionMessages = 8;

UINT HostMessage(const LookupRun* run) { return run->firstMessage; }
UINT SocketMessage(const LookupRun* run) { return run->firstMessage + 1 + run->connections % kConnectionMessages; }
bool IsSocketMessage(const LookupRun* run, UINT message) {
  return message > run->firstMessage && message <= run->firstMessage + kConnectionMessages;
}

// Ends whatever is under way on the network.
void CloseConnection(LookupRun* run) {
  if (run->hostRequest) {
    run->ws.cancelAsyncRequest(run->hostRequest);
    run->lookupCancelled = 1;
  }
  run->hostRequest = nullptr;
  if (run->connection != INVALID_SOCKET) run->ws.closesocket(run->connection);
  run->connection = INVALID_SOCKET;
  if (run->tls) {
    // The session's keys and its random generator's state go with it.
    TlsEnd(&run->tls->client);
    free(run->tls);
    run->tls = nullptr;
  }
}

// Why the secure session failed, for the user.
LookupFailure SecureFailure(const LookupRun* run) {
  LookupFailure failure = LookupFailureOf(kStatusConnectionLost);
  failure.tls = 1;
  failure.tlsFailure = TlsFailureOf(&run->tls->client, run->tls->now);
  failure.tlsError = TlsError(&run->tls->client);
  failure.tlsDays = run->tls->now.days;
  failure.tlsSeconds = run->tls->now.seconds;
  return failure;
}

void Execute(LookupRun* run, LookupAction action);

// The step under way failed in the run's hands.
void Fail(LookupRun* run, const LookupFailure& failure) {
  Execute(run, LookupFailed(&run->session, &failure, GetTickCount()));
}
void Fail(LookupRun* run, int status, const char* line = "") { Fail(run, LookupFailureOf(status, line)); }

void Connect(LookupRun* run, const LookupAction& action) {
  LookupSession* s = &run->session;
  run->request = action.request;
  run->requestLength = action.requestLength;
  run->sent = 0;
  run->secure = action.secure;
  if (action.secure) {
    const br_x509_trust_anchor* roots = kBuiltInRoots;
    size_t rootCount = kBuiltInRootCount;
    if (s->settings.roots[0]) {
      if (!run->rootsRead) run->rootsRead = ReadTlsRootsFile(s->settings.roots, &run->roots) ? 1 : -1;
      if (run->rootsRead < 0) {
        Fail(run, kStatusNoRoots, s->settings.roots);
        return;
      }
      roots = run->roots.anchors;
      rootCount = run->roots.count;
    }
    run->tls = static_cast<LookupSecure*>(calloc(1, sizeof(LookupSecure)));
    if (!run->tls) {
      Fail(run, kStatusNoMemory);
      return;
    }
    unsigned char seed[kTlsSeedSize];
    GatherTlsSeed(seed);
    run->seeded = 1;
    run->tls->now = TlsClock();
    int started = TlsStart(&run->tls->client, action.server, roots, rootCount, run->tls->now, seed, action.request,
                           action.requestLength);
    TlsWipe(seed, sizeof seed);
    // A name the secure connection cannot check (an address) is refused
    // before anything is sent.
    if (!started) {
      Fail(run, SecureFailure(run));
      return;
    }
  }
  run->connection = run->ws.socket(AF_INET, SOCK_STREAM, 0);
  ++run->connections;
  sockaddr_in server = {};
  server.sin_family = AF_INET;
  // The port in network byte order (high byte first).
  u_short port = static_cast<u_short>(action.port);
  server.sin_port = static_cast<u_short>((port >> 8) | (port << 8));
  server.sin_addr.s_addr = run->addresses[action.source];
  if (run->connection == INVALID_SOCKET ||
      run->ws.asyncSelect(run->connection, run->window, SocketMessage(run), FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE) !=
          0 ||
      (run->ws.connect(run->connection, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0 &&
       run->ws.lastError() != WSAEWOULDBLOCK)) {
    Fail(run, kStatusCannotConnect);
    return;
  }
  if (action.secure) {
    run->tls->socket = TlsSocket{&run->ws, run->connection};
    run->tls->transport = TlsSocketTransport(&run->tls->socket);
  }
}

void Resolve(LookupRun* run, const LookupAction& action) {
  unsigned long address = run->ws.inetAddr(action.server);
  if (address != INADDR_NONE) {
    run->addresses[action.source] = address;
    Execute(run, LookupResolved(&run->session, 1, GetTickCount()));
    return;
  }
  run->hostSource = action.source;
  run->hostRequest =
      run->ws.asyncGetHostByName(run->window, HostMessage(run), action.server, hostEntry, sizeof hostEntry);
  if (!run->hostRequest) Execute(run, LookupResolved(&run->session, 0, GetTickCount()));
}

// Does what the engine asked, and sets the timer it wants.
void Execute(LookupRun* run, LookupAction action) {
  if (action.kind != kActionWait) CloseConnection(run);
  if (action.kind == kActionResolve) Resolve(run, action);
  if (action.kind == kActionConnect) Connect(run, action);
  // The calls above may have ended the phase, and set the timer themselves.
  long due = LookupTimerDue(&run->session, GetTickCount());
  if (due < 0)
    KillTimer(run->window, run->timer);
  else
    SetTimer(run->window, run->timer, static_cast<UINT>(due), nullptr);
}

void OnHostFound(LookupRun* run, WPARAM request, LPARAM lParam) {
  if (reinterpret_cast<HANDLE>(request) != run->hostRequest) return;
  run->hostRequest = nullptr;
  const hostent* host = reinterpret_cast<const hostent*>(hostEntry);
  unsigned long address;
  if (WSAGETASYNCERROR(lParam) != 0 || host->h_length != sizeof address || !host->h_addr_list ||
      !host->h_addr_list[0]) {
    Execute(run, LookupResolved(&run->session, 0, GetTickCount()));
    return;
  }
  memcpy(&address, host->h_addr_list[0], sizeof address);
  run->addresses[run->hostSource] = address;
  Execute(run, LookupResolved(&run->session, 1, GetTickCount()));
}

void SendRequest(LookupRun* run) {
  while (run->sent < run->requestLength) {
    int n = run->ws.send(run->connection, run->request + run->sent, static_cast<int>(run->requestLength - run->sent),
                         0);
    if (n == SOCKET_ERROR) {
      if (run->ws.lastError() != WSAEWOULDBLOCK) {
        Fail(run, kStatusConnectionLost);
      }
      return;  // the rest goes at the next FD_WRITE
    }
    run->sent += static_cast<size_t>(n);
  }
}

// Takes what has arrived on a plain connection: one read at an event while
// the connection is open (WinSock tells again while data is left), all of
// it once the server closed.
void Receive(LookupRun* run, bool closed) {
  LookupSession* s = &run->session;
  for (;;) {
    char* at;
    size_t room;
    char spill;
    if (!LookupAnswerRoom(s, &at, &room)) {
      Fail(run, kStatusNoMemory);
      return;
    }
    int size = room == 0 ? 1 : room < 0x10000 ? static_cast<int>(room) : 0x10000;
    int n = run->ws.recv(run->connection, room ? at : &spill, size, 0);
    if (n == SOCKET_ERROR && run->ws.lastError() == WSAEWOULDBLOCK) {
      if (closed) Execute(run, LookupClosed(s, GetTickCount()));
      return;
    }
    if (n == SOCKET_ERROR || (n > 0 && room == 0)) {
      Fail(run, n == SOCKET_ERROR ? kStatusConnectionLost : kStatusTooLong);
      return;
    }
    if (n == 0) {
      Execute(run, LookupClosed(s, GetTickCount()));
      return;
    }
    LookupAction action = LookupReceived(s, static_cast<size_t>(n), GetTickCount());
    if (action.kind != kActionWait || !closed) {
      Execute(run, action);
      return;
    }
  }
}

// Moves MusicBrainz's secure session on: what arrived is decrypted into the
// answer, which grows as it needs.
void PumpSecure(LookupRun* run) {
  LookupSession* s = &run->session;
  for (;;) {
    char* at;
    size_t room, got = 0;
    if (!LookupAnswerRoom(s, &at, &room)) {
      Fail(run, kStatusNoMemory);
      return;
    }
    int progress = TlsPump(&run->tls->client, &run->tls->transport, at, &got, room);
    LookupAction action = LookupAction{kActionWait, 0, nullptr, 0, 0, nullptr, 0};
    if (got) action = LookupReceived(s, got, GetTickCount());
    if (action.kind == kActionWait && progress == kTlsEnded) action = LookupClosed(s, GetTickCount());
    if (action.kind == kActionWait && progress == kTlsFailed) {
      LookupFailure failure = SecureFailure(run);
      action = LookupFailed(s, &failure, GetTickCount());
    }
    if (action.kind == kActionWait && progress == kTlsFull && room == 0) {
      LookupFailure failure = LookupFailureOf(kStatusTooLong);
      action = LookupFailed(s, &failure, GetTickCount());
    }
    if (action.kind != kActionWait || progress != kTlsFull) {
      Execute(run, action);
      return;
    }
  }
}

void OnSocketEvent(LookupRun* run, UINT message, WPARAM socket, LPARAM lParam) {
  // Events of a connection already closed may still be queued.
  if (run->connection == INVALID_SOCKET || static_cast<SOCKET>(socket) != run->connection ||
      message != SocketMessage(run))
    return;
  LookupSession* s = &run->session;
  int event = WSAGETSELECTEVENT(lParam);
  if (WSAGETSELECTERROR(lParam)) {
    Fail(run, event == FD_CONNECT ? kStatusCannotConnect : kStatusConnectionLost);
    return;
  }
  if (event == FD_CONNECT) Execute(run, LookupConnected(s, GetTickCount()));
  if (run->secure) {
    PumpSecure(run);
    return;
  }
  switch (event) {
    case FD_CONNECT:
    case FD_WRITE: SendRequest(run); return;
    case FD_READ: Receive(run, false); return;
    case FD_CLOSE: Receive(run, true); return;
  }
}

}  // namespace

int LookupRunStart(LookupRun* run, HWND window, UINT firstMessage, UINT_PTR timer, const DiscToc* toc,
                   uint32_t discId) {
  memset(run, 0, sizeof *run);
  run->connection = INVALID_SOCKET;
  run->window = window;
  run->firstMessage = firstMessage;
  run->timer = timer;
  run->discId = discId;
  run->session.phase = kPhaseFailed;
  // The settings are read (and their missing keys written with their
  // defaults, for users to find) even when the look-up cannot go on.
  LookupSettings settings;
  LoadLookupSettings(appInstance, &settings);
  if (!toc->trackCount) {
    run->startFailure = LookupFailureOf(kStatusNoContents);
    return 0;
  }
  WSADATA data;
  if (!LoadWinSock(&run->ws)) {
    run->startFailure = LookupFailureOf(kStatusNoSockets);
    return 0;
  }
  if (run->ws.startup(MAKEWORD(1, 1), &data) != 0) {
    FreeWinSock(&run->ws);
    run->startFailure = LookupFailureOf(kStatusNoSockets);
    return 0;
  }
  run->socketsStarted = 1;
  char hostName[64];
  if (run->ws.gethostname(hostName, sizeof hostName) != 0) hostName[0] = '\0';
  hostName[sizeof hostName - 1] = '\0';
  Execute(run, LookupStart(&run->session, &settings, toc, hostName, &musicBrainzTurn,
                           testSeamLookupTimes ? testSeamLookupTimes : &kLookupTimes, GetTickCount()));
  return 1;
}

int LookupRunMessage(LookupRun* run, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!run->socketsStarted) return 0;
  if (message == HostMessage(run)) {
    OnHostFound(run, wParam, lParam);
    return 1;
  }
  if (IsSocketMessage(run, message)) {
    OnSocketEvent(run, message, wParam, lParam);
    return 1;
  }
  if (message == WM_TIMER && wParam == run->timer) {
    Execute(run, LookupTimer(&run->session, GetTickCount()));
    return 1;
  }
  return 0;
}

void LookupRunChoose(LookupRun* run, int index) { Execute(run, LookupChoose(&run->session, index, GetTickCount())); }

void LookupRunMove(LookupRun* run, HWND window, UINT firstMessage, UINT_PTR timer) {
  KillTimer(run->window, run->timer);
  run->window = window;
  run->firstMessage = firstMessage;
  run->timer = timer;
}

void LookupRunStop(LookupRun* run) {
  if (run->window) KillTimer(run->window, run->timer);
  if (run->socketsStarted) {
    CloseConnection(run);
    run->ws.cleanup();
    // A cancelled name lookup may still be answered from WinSock's own
    // thread (Wine does not cancel it): its code stays loaded then.
    if (!run->lookupCancelled) FreeWinSock(&run->ws);
  }
  run->socketsStarted = 0;
  // What this look-up's sessions gathered of randomness is kept for the
  // next run.
  if (run->seeded) KeepTlsSeed();
  run->seeded = 0;
  FreeTlsRoots(&run->roots);
  LookupEnd(&run->session);
}
