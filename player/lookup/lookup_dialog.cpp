// LookupProc: the "Look Up Titles Online" dialog. It asks the sources the
// settings name, in their order (MusicBrainz, then the CD database gnudb,
// by default), about the disc in the drive, through WinSock 1.1 without
// blocking the message loop: the name lookups and every socket event arrive
// as messages of the dialog, and window timers end a step the server leaves
// without an answer or answers too slowly. The panel goes on meanwhile in
// the dialog's modal loop. WinSock itself is loaded when the dialog starts
// and freed when it ends.
//
// Each source is one step: resolve, connect, send, receive until the answer
// is whole or the server closes, then parse; its deadlines start with it.
// MusicBrainz speaks HTTPS: its step runs a TLS session over the socket, and
// waits its turn first, since the service takes a request a second. Every
// match of every source is listed with its source; a source that fails is
// named with what went wrong, and the others' matches stay. OK then takes
// the chosen match: MusicBrainz's answer already holds its titles, gnudb's
// entry is read in one more step.
#include "player/lookup/lookup.h"

#include <cstdlib>
#include <cstring>

#include "player/catalogue/catalogue.h"
#include "player/device/cd_device.h"
#include "player/lookup/musicbrainz_core.h"
#include "player/lookup/tls_socket.h"
#include "player/lookup/winsock.h"
#include "player/shell/player_state.h"
#include "player/shell/settings_file.h"
#include "player/tls/tls.h"
#include "player/tls/tls_roots.h"
#include "resources/player/resource.h"

const LookupTimes kLookupTimes = {15000, 60000, kMusicBrainzRequestGapMs};
const LookupTimes* testSeamLookupTimes;

namespace {

enum : UINT { kHostFound = WM_APP + 1, kSocketEvent = WM_APP + 2 };
// The quiet timer is started again whenever data arrives; the step timer
// runs from the start of a step to its end; the turn timer ends the wait
// for MusicBrainz's turn.
enum { kQuietTimer = 1, kStepTimer = 2, kTurnTimer = 3 };

// What the dialog waits for.
enum Step { kFinished, kResolving, kWaitingTurn, kSearching, kChoosing, kReading };

// When MusicBrainz was last asked, over the whole run.
int musicBrainzAsked;
DWORD musicBrainzAskedAt;

// One request to a server: its connection, what goes out and what has
// come back.
struct LookupRequest {
  SOCKET connection;
  char text[kLookupRequestSize];
  size_t length;
  size_t sent;
  size_t answerLength;
};

// MusicBrainz's side of a look-up, made when it is first asked: the TLS
// session and the answer, which holds the titles of every match.
struct MusicBrainzLookup {
  TlsClient tls;
  TlsSocket socket;
  TlsTransport transport;
  TlsTime now;
  TlsRoots roots;  // from the roots file, when the settings name one
  char answer[kMusicBrainzAnswerLimit];
  const char* body;
  size_t bodySize;
  MusicBrainzMatches matches;
};

// One look-up, from the dialog's creation to its end.
struct LookupSession {
  WinSock ws;
  int lookupCancelled;  // a name lookup was cancelled and may still be answered
  LookupSettings settings;
  LookupToc toc;
  uint32_t discId;  // the catalogue identity of the disc looked up
  int socketsStarted;
  int step;
  int sourceAt;  // the next of the settings' sources to ask
  int source;    // the one being asked or read
  HANDLE hostRequest;
  unsigned long addresses[kSourceCount];  // network byte order
  char hostName[64];
  LookupRequest request;
  char answer[kLookupAnswerLimit];  // gnudb's
  LookupMatches matches;            // gnudb's
  MusicBrainzLookup* musicBrainz;
  char failures[kSourceCount][256];  // what went wrong with each source
  LookupEntry entry;
};

// WinSock writes the answer of a name lookup here whenever it comes: a
// request cancelled with the dialog may still be answered (Wine does not
// cancel), so the buffer outlives every dialog. One dialog runs at a time.
char hostEntry[MAXGETHOSTSTRUCT];

enum Received { kReceivedData, kAnswerEnded, kNothingYet, kReceiveFailed };

LookupSession* Session(HWND dialog) {
  return reinterpret_cast<LookupSession*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

const char* ServerOf(const LookupSession* s, int source) {
  return source == kSourceMusicBrainz ? s->settings.musicBrainzServer : s->settings.server;
}

const LookupTimes& Times() { return testSeamLookupTimes ? *testSeamLookupTimes : kLookupTimes; }

// The status texts are the string table's, in the order of LookupStatus.
static_assert(IDS_LOOKUP_NO_MEMORY - IDS_LOOKUP_CONNECTING + 1 == kStatusCount, "a text for every status");
static_assert(IDS_TLS_PROTOCOL_ERROR - IDS_TLS_CONNECTION_LOST + 1 == kTlsFailureCount, "a text for every failure");

void StatusText(const LookupSession* s, int status, const char* line, char* out, size_t size) {
  char format[160];
  LoadStringA(appInstance, IDS_LOOKUP_CONNECTING + status, format, sizeof format);
  UINT timeoutMs = status == kStatusTooSlow ? Times().stepLimitMs : Times().quietMs;
  FormatLookupStatus(format, status, ServerOf(s, s->source), line, timeoutMs, out, size);
}

void ShowStatus(HWND dialog, const LookupSession* s, int status, const char* line = "") {
  char text[256];
  StatusText(s, status, line, text, sizeof text);
  SetDlgItemTextA(dialog, IDC_LOOKUP_STATUS, text);
}

// A step begins: both of its deadlines start.
void StartDeadlines(HWND dialog) {
  SetTimer(dialog, kQuietTimer, Times().quietMs, nullptr);
  SetTimer(dialog, kStepTimer, Times().stepLimitMs, nullptr);
}

// Ends whatever is under way on the network; the dialog stays.
void StopNetwork(HWND dialog, LookupSession* s) {
  KillTimer(dialog, kQuietTimer);
  KillTimer(dialog, kStepTimer);
  KillTimer(dialog, kTurnTimer);
  if (s->hostRequest) {
    s->ws.cancelAsyncRequest(s->hostRequest);
    s->lookupCancelled = 1;
  }
  s->hostRequest = nullptr;
  if (s->request.connection != INVALID_SOCKET) s->ws.closesocket(s->request.connection);
  s->request.connection = INVALID_SOCKET;
}

// The look-up ends with a failure; the matches listed stay to be seen.
void Fail(HWND dialog, LookupSession* s, int status, const char* line = "") {
  StopNetwork(dialog, s);
  s->step = kFinished;
  ShowStatus(dialog, s, status, line);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
}

void AskNextSource(HWND dialog, LookupSession* s);

// The source being asked failed: what went wrong is kept to be shown, and
// the next source is asked.
void SourceFailed(HWND dialog, LookupSession* s, const char* text) {
  StopNetwork(dialog, s);
  snprintf(s->failures[s->source], sizeof s->failures[s->source], "%s", text);
  AskNextSource(dialog, s);
}

// A failure of the step under way: of the source asked while searching,
// of the whole look-up while reading the chosen entry.
void StepFailed(HWND dialog, LookupSession* s, int status, const char* line = "") {
  if (s->step == kReading) {
    Fail(dialog, s, status, line);
    return;
  }
  char text[256];
  StatusText(s, status, line, text, sizeof text);
  SourceFailed(dialog, s, text);
}

// The record in memory is still that of the disc the look-up began with:
// the disc watch goes on while the dialog is open and may have loaded
// another.
bool SameDisc(const LookupSession* s) {
  return doorOpen == 0 && discInfo.tracks && discInfo.discId == s->discId &&
         discInfo.trackCount == s->toc.trackCount;
}

// Opens the connection of the step's request to the source's server; the
// rest arrives as socket events. 0 when it cannot (the step failed).
int Connect(HWND dialog, LookupSession* s, int port) {
  LookupRequest* r = &s->request;
  r->answerLength = 0;
  r->sent = 0;
  r->connection = s->ws.socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in server = {};
  server.sin_family = AF_INET;
  // The port in network byte order (high byte first).
  u_short networkPort = static_cast<u_short>(port);
  server.sin_port = static_cast<u_short>((networkPort >> 8) | (networkPort << 8));
  server.sin_addr.s_addr = s->addresses[s->source];
  if (r->connection == INVALID_SOCKET ||
      s->ws.asyncSelect(r->connection, dialog, kSocketEvent, FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE) != 0 ||
      (s->ws.connect(r->connection, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0 &&
       s->ws.lastError() != WSAEWOULDBLOCK)) {
    StepFailed(dialog, s, kStatusCannotConnect);
    return 0;
  }
  StartDeadlines(dialog);
  return 1;
}

// Starts a request of the CD database's protocol for one command.
void SendCommand(HWND dialog, LookupSession* s, const char* command) {
  LookupRequest* r = &s->request;
  if (!FormatLookupRequest(&s->settings, command, s->hostName, r->text, sizeof r->text)) {
    StepFailed(dialog, s, kStatusCannotConnect);
    return;
  }
  r->length = strlen(r->text);
  Connect(dialog, s, s->settings.port);
}

void Search(HWND dialog, LookupSession* s) {
  char command[kLookupRequestSize];
  FormatQueryCommand(&s->toc, command, sizeof command);
  s->step = kSearching;
  SendCommand(dialog, s, command);
}

// MusicBrainz's turn came: the TLS session starts with the connection.
void AskMusicBrainz(HWND dialog, LookupSession* s) {
  MusicBrainzLookup* m = s->musicBrainz;
  LookupRequest* r = &s->request;
  const br_x509_trust_anchor* roots = kBuiltInRoots;
  size_t rootCount = kBuiltInRootCount;
  if (s->settings.roots[0]) {
    if (!m->roots.count && !ReadTlsRootsFile(s->settings.roots, &m->roots)) {
      StepFailed(dialog, s, kStatusNoRoots, s->settings.roots);
      return;
    }
    roots = m->roots.anchors;
    rootCount = m->roots.count;
  }
  unsigned char seed[kTlsSeedSize];
  GatherTlsSeed(seed);
  m->now = TlsClock();
  s->step = kSearching;
  if (!FormatMusicBrainzRequest(&s->settings, &s->toc, 1, r->text, sizeof r->text) ||
      !TlsStart(&m->tls, s->settings.musicBrainzServer, roots, rootCount, m->now, seed, r->text,
                strlen(r->text))) {
    StepFailed(dialog, s, kStatusCannotConnect);
    return;
  }
  musicBrainzAsked = 1;
  musicBrainzAskedAt = GetTickCount();
  if (!Connect(dialog, s, s->settings.musicBrainzPort)) return;
  m->socket = TlsSocket{&s->ws, s->request.connection};
  m->transport = TlsSocketTransport(&m->socket);
}

// Waits for MusicBrainz's turn where its last request was too recent.
void AwaitMusicBrainz(HWND dialog, LookupSession* s) {
  if (!s->musicBrainz) {
    s->musicBrainz = static_cast<MusicBrainzLookup*>(calloc(1, sizeof(MusicBrainzLookup)));
    if (!s->musicBrainz) {
      StepFailed(dialog, s, kStatusNoMemory);
      return;
    }
  }
  UINT wait = MusicBrainzRequestDelay(musicBrainzAsked, musicBrainzAskedAt, GetTickCount(), Times().musicBrainzGapMs);
  if (wait == 0) {
    AskMusicBrainz(dialog, s);
    return;
  }
  s->step = kWaitingTurn;
  ShowStatus(dialog, s, kStatusWaitingTurn);
  KillTimer(dialog, kQuietTimer);
  KillTimer(dialog, kStepTimer);
  SetTimer(dialog, kTurnTimer, wait, nullptr);
}

void Resolved(HWND dialog, LookupSession* s, unsigned long address) {
  s->addresses[s->source] = address;
  if (s->source == kSourceMusicBrainz)
    AwaitMusicBrainz(dialog, s);
  else
    Search(dialog, s);
}

// Asks the next source of the settings, or ends the search.
void EndSearch(HWND dialog, LookupSession* s);
void AskNextSource(HWND dialog, LookupSession* s) {
  if (s->sourceAt >= s->settings.sourceCount) {
    EndSearch(dialog, s);
    return;
  }
  s->source = s->settings.sources[s->sourceAt++];
  s->step = kResolving;
  ShowStatus(dialog, s, kStatusConnecting);
  unsigned long address = s->ws.inetAddr(ServerOf(s, s->source));
  if (address != INADDR_NONE) {
    Resolved(dialog, s, address);
    return;
  }
  s->hostRequest =
      s->ws.asyncGetHostByName(dialog, kHostFound, ServerOf(s, s->source), hostEntry, sizeof hostEntry);
  if (!s->hostRequest) {
    StepFailed(dialog, s, kStatusNameNotFound);
    return;
  }
  StartDeadlines(dialog);
}

void OnHostFound(HWND dialog, LookupSession* s, WPARAM request, LPARAM lParam) {
  if (reinterpret_cast<HANDLE>(request) != s->hostRequest) return;
  s->hostRequest = nullptr;
  const hostent* host = reinterpret_cast<const hostent*>(hostEntry);
  unsigned long address;
  if (WSAGETASYNCERROR(lParam) != 0 || host->h_length != sizeof address || !host->h_addr_list ||
      !host->h_addr_list[0]) {
    StepFailed(dialog, s, kStatusNameNotFound);
    return;
  }
  memcpy(&address, host->h_addr_list[0], sizeof address);
  Resolved(dialog, s, address);
}

void SendRequest(HWND dialog, LookupSession* s) {
  LookupRequest* r = &s->request;
  while (r->sent < r->length) {
    int n = s->ws.send(r->connection, r->text + r->sent, static_cast<int>(r->length - r->sent), 0);
    if (n == SOCKET_ERROR) {
      if (s->ws.lastError() != WSAEWOULDBLOCK) StepFailed(dialog, s, kStatusConnectionLost);
      return;  // the rest goes at the next FD_WRITE
    }
    r->sent += static_cast<size_t>(n);
  }
}

// Takes what has arrived. An answer longer than its limit ends the step.
int Receive(HWND dialog, LookupSession* s) {
  LookupRequest* r = &s->request;
  char spill;
  size_t room = sizeof s->answer - r->answerLength;
  int n = s->ws.recv(r->connection, room ? s->answer + r->answerLength : &spill, room ? static_cast<int>(room) : 1,
                     0);
  if (n == SOCKET_ERROR) {
    if (s->ws.lastError() == WSAEWOULDBLOCK) return kNothingYet;
    StepFailed(dialog, s, kStatusConnectionLost);
    return kReceiveFailed;
  }
  if (n == 0) return kAnswerEnded;
  if (room == 0) {
    StepFailed(dialog, s, kStatusTooLong);
    return kReceiveFailed;
  }
  r->answerLength += static_cast<size_t>(n);
  return kReceivedData;
}

// Lists a source's matches, each with its source and its place among them.
void AddMatch(HWND dialog, const char* title, int source, int index) {
  HWND list = GetDlgItem(dialog, IDC_LOOKUP_LIST);
  char line[2 * kLookupTextSize + 40], text[kLookupTextSize] = "";
  FormatMatchLine(title, source, line, sizeof line);
  AnsiFromUtf8(GetACP(), line, text, sizeof text);
  LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), MAKELPARAM(index, source));
}

// Every source was asked: the matches to choose from, and what went wrong
// with each source that failed.
void EndSearch(HWND dialog, LookupSession* s) {
  StopNetwork(dialog, s);
  HWND list = GetDlgItem(dialog, IDC_LOOKUP_LIST);
  bool found = SendMessageA(list, LB_GETCOUNT, 0, 0) > 0;
  char text[2 * 256 + 100] = "";
  if (found) StatusText(s, kStatusChoose, "", text, sizeof text);
  for (int i = 0; i < s->settings.sourceCount; ++i) {
    int source = s->settings.sources[i];
    if (!s->failures[source][0]) continue;
    size_t used = strlen(text);
    snprintf(text + used, sizeof text - used, "%s%s%s%s", used ? "\n" : "",
             s->settings.sourceCount > 1 ? LookupSourceName(source) : "", s->settings.sourceCount > 1 ? ": " : "",
             s->failures[source]);
  }
  SetDlgItemTextA(dialog, IDC_LOOKUP_STATUS, text);
  s->step = found ? kChoosing : kFinished;
  EnableWindow(GetDlgItem(dialog, IDOK), found);
  if (!found) return;
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
}

// The entry arrived: it replaces the titles of the disc it was asked for,
// and of no other.
void TakeEntry(HWND dialog, LookupSession* s) {
  if (!SameDisc(s)) {
    Fail(dialog, s, kStatusDiscChanged);
    return;
  }
  ApplyLookupEntry(&s->entry, &discInfo);
  SaveDiscEntry(appInstance, &discInfo);
  EndDialog(dialog, 1);
}

// The step's answer is whole, or the server closed: the step ends here,
// and only an answer that arrived whole counts.
void AnswerArrived(HWND dialog, LookupSession* s) {
  StopNetwork(dialog, s);
  const char* body;
  size_t size;
  char line[kLookupLineSize];
  int result;
  if (s->source == kSourceMusicBrainz) {
    MusicBrainzLookup* m = s->musicBrainz;
    result = ParseMusicBrainzAnswer(m->answer, s->request.answerLength, &s->toc, 1, &m->matches, &m->body,
                                    &m->bodySize, line, sizeof line);
  } else {
    result = ParseHttpAnswer(s->answer, s->request.answerLength, &body, &size, line, sizeof line);
    if (result == kLookupOk)
      result = s->step == kSearching ? ParseQueryAnswer(body, size, &s->matches, line, sizeof line)
                                     : ParseReadAnswer(body, size, &s->entry, line, sizeof line);
  }
  switch (result) {
    case kLookupOk: break;
    case kLookupNoMatch: StepFailed(dialog, s, kStatusNoMatch); return;
    case kLookupServerError: StepFailed(dialog, s, kStatusServerError, line); return;
    case kLookupCut: StepFailed(dialog, s, kStatusIncomplete); return;
    default: StepFailed(dialog, s, kStatusUnreadable); return;
  }
  if (s->step == kReading) {
    TakeEntry(dialog, s);
    return;
  }
  if (s->source == kSourceMusicBrainz) {
    const MusicBrainzMatches* matches = &s->musicBrainz->matches;
    for (int i = 0; i < matches->count; ++i) {
      char title[2 * kLookupTextSize + 4];
      snprintf(title, sizeof title, "%s / %s", matches->items[i].artist, matches->items[i].title);
      AddMatch(dialog, title, kSourceMusicBrainz, i);
    }
  } else {
    for (int i = 0; i < s->matches.count; ++i) AddMatch(dialog, s->matches.items[i].title, kSourceGnudb, i);
  }
  AskNextSource(dialog, s);
}

// Why MusicBrainz's secure session failed, in the string table's words.
void TlsFailureText(const MusicBrainzLookup* m, const char* server, char* out, size_t size) {
  int failure = TlsFailureOf(&m->tls, m->now);
  char format[160];
  LoadStringA(appInstance, IDS_TLS_CONNECTION_LOST + failure, format, sizeof format);
  FormatTlsFailure(format, failure, server, m->now, TlsError(&m->tls), out, size);
}

// A socket event of MusicBrainz's connection: the TLS session moves on.
void OnMusicBrainzEvent(HWND dialog, LookupSession* s, int event) {
  MusicBrainzLookup* m = s->musicBrainz;
  if (event == FD_CONNECT) ShowStatus(dialog, s, kStatusSearching);
  // The server is still talking: the quiet time starts again.
  if (event == FD_READ) SetTimer(dialog, kQuietTimer, Times().quietMs, nullptr);
  char text[256];
  switch (TlsPump(&m->tls, &m->transport, m->answer, &s->request.answerLength, sizeof m->answer)) {
    case kTlsFailed:
      TlsFailureText(m, s->settings.musicBrainzServer, text, sizeof text);
      SourceFailed(dialog, s, text);
      return;
    case kTlsFull: StepFailed(dialog, s, kStatusTooLong); return;
    case kTlsEnded: AnswerArrived(dialog, s); return;
    default:
      // A server may keep the connection open after an answer of a given length.
      if (HttpAnswerWhole(m->answer, s->request.answerLength)) AnswerArrived(dialog, s);
      return;
  }
}

void OnSocketEvent(HWND dialog, LookupSession* s, WPARAM socket, LPARAM lParam) {
  // Events of a connection already closed may still be queued.
  SOCKET connection = s->request.connection;
  if (connection == INVALID_SOCKET || static_cast<SOCKET>(socket) != connection) return;
  int error = WSAGETSELECTERROR(lParam);
  int event = WSAGETSELECTEVENT(lParam);
  if (error) {
    StepFailed(dialog, s, event == FD_CONNECT ? kStatusCannotConnect : kStatusConnectionLost);
    return;
  }
  if (s->source == kSourceMusicBrainz) {
    OnMusicBrainzEvent(dialog, s, event);
    return;
  }
  switch (event) {
    case FD_CONNECT:
      ShowStatus(dialog, s, s->step == kReading ? kStatusReading : kStatusSearching);
      SendRequest(dialog, s);
      return;
    case FD_WRITE: SendRequest(dialog, s); return;
    case FD_READ:
      // The server is still talking: the quiet time starts again, the
      // step's own time goes on. A server may keep the connection open
      // after an answer of a given length.
      if (Receive(dialog, s) != kReceivedData) return;
      if (HttpAnswerWhole(s->answer, s->request.answerLength))
        AnswerArrived(dialog, s);
      else
        SetTimer(dialog, kQuietTimer, Times().quietMs, nullptr);
      return;
    case FD_CLOSE: {
      int received;
      while ((received = Receive(dialog, s)) == kReceivedData) {
      }
      if (received != kReceiveFailed) AnswerArrived(dialog, s);
      return;
    }
  }
}

// OK (or a double-click): takes the chosen match. MusicBrainz's answer
// holds its titles; gnudb's entry is read first.
void TakeChosen(HWND dialog, LookupSession* s) {
  if (s->step != kChoosing) return;
  HWND list = GetDlgItem(dialog, IDC_LOOKUP_LIST);
  LRESULT chosen = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (chosen < 0) return;
  LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(chosen), 0);
  int index = LOWORD(data);
  s->source = HIWORD(data);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
  EnableWindow(list, FALSE);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
  s->step = kReading;
  if (!SameDisc(s)) {
    Fail(dialog, s, kStatusDiscChanged);
    return;
  }
  if (s->source == kSourceMusicBrainz) {
    MusicBrainzLookup* m = s->musicBrainz;
    if (ReadMusicBrainzEntry(m->body, m->bodySize, &m->matches.items[index], &s->entry) != kLookupOk) {
      Fail(dialog, s, kStatusUnreadable);
      return;
    }
    TakeEntry(dialog, s);
    return;
  }
  char command[64];
  FormatReadCommand(&s->matches.items[index], command, sizeof command);
  ShowStatus(dialog, s, kStatusReading);
  SendCommand(dialog, s, command);
}

// Starts the look-up: WinSock is loaded and started here, when the user
// asked for it, and cleaned up when the dialog ends.
void Begin(HWND dialog, LookupSession* s) {
  s->request.connection = INVALID_SOCKET;
  s->discId = discInfo.discId;
  LoadLookupSettings(appInstance, &s->settings);
  DiscToc toc;
  s->toc.trackCount = 0;
  if (CDReadTableOfContents(deviceId, &toc) && toc.trackCount <= kLookupMaxTracks) {
    s->toc.trackCount = toc.trackCount;
    memcpy(s->toc.offsets, toc.starts, sizeof toc.starts[0] * static_cast<size_t>(toc.trackCount));
    s->toc.leadOut = toc.leadOut;
  }
  if (!s->toc.trackCount) {
    Fail(dialog, s, kStatusNoContents);
    return;
  }
  WSADATA data;
  if (!LoadWinSock(&s->ws)) {
    Fail(dialog, s, kStatusNoSockets);
    return;
  }
  if (s->ws.startup(MAKEWORD(1, 1), &data) != 0) {
    Fail(dialog, s, kStatusNoSockets);
    return;
  }
  s->socketsStarted = 1;
  if (s->ws.gethostname(s->hostName, sizeof s->hostName) != 0) s->hostName[0] = '\0';
  s->hostName[sizeof s->hostName - 1] = '\0';
  AskNextSource(dialog, s);
}

}  // namespace

int LookUpTitles(HWND mainWindow) {
  if (!deviceOpen || doorOpen || !discInfo.tracks) return 0;
  return DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_LOOKUP), mainWindow, LookupProc, 0) == 1;
}

INT_PTR CALLBACK LookupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  LookupSession* s = Session(dialog);
  // The moments and places of the user's and the network's messages feed
  // the randomness of MusicBrainz's TLS sessions.
  StirTlsEntropy();
  switch (message) {
    case WM_INITDIALOG:
      s = static_cast<LookupSession*>(calloc(1, sizeof(LookupSession)));
      if (!s) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
      Begin(dialog, s);
      return TRUE;
    case kHostFound:
      if (s) OnHostFound(dialog, s, wParam, lParam);
      return TRUE;
    case kSocketEvent:
      if (s) OnSocketEvent(dialog, s, wParam, lParam);
      return TRUE;
    case WM_TIMER:
      if (!s) return TRUE;
      if (wParam == kTurnTimer) {
        KillTimer(dialog, kTurnTimer);
        if (s->step == kWaitingTurn) AskMusicBrainz(dialog, s);
      } else if (s->step == kResolving || s->step == kSearching || s->step == kReading) {
        StepFailed(dialog, s, wParam == kQuietTimer ? kStatusTimeout : kStatusTooSlow);
      }
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (s) TakeChosen(dialog, s);
          return TRUE;
        case IDC_LOOKUP_LIST:
          if (s && HIWORD(wParam) == LBN_DBLCLK) TakeChosen(dialog, s);
          return TRUE;
        case IDCANCEL:
          if (s) StopNetwork(dialog, s);
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (s) {
        StopNetwork(dialog, s);
        if (s->socketsStarted) s->ws.cleanup();
        // A cancelled name lookup may still be answered from WinSock's own
        // thread (Wine does not cancel it): its code stays loaded then.
        if (!s->lookupCancelled) FreeWinSock(&s->ws);
        if (s->musicBrainz) FreeTlsRoots(&s->musicBrainz->roots);
        free(s->musicBrainz);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        free(s);
      }
      return TRUE;
  }
  return FALSE;
}
