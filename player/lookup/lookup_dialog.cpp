// LookupProc: the "Look Up Titles Online" dialog. It asks the CD database
// about the disc in the drive through WinSock 1.1 without blocking the
// message loop: the name lookup and every socket event arrive as messages
// of the dialog, and two window timers end a step the server leaves without
// an answer or answers too slowly. The panel goes on meanwhile in the
// dialog's modal loop. WinSock itself is loaded when the dialog starts and
// freed when it ends.
//
// Each step (the search, then the read of the chosen match) is one request:
// connect, send, receive until the answer is whole or the server closes,
// then parse; its deadlines start with it.
#include "player/lookup/lookup.h"

#include "player/lookup/winsock.h"

#include <cstdlib>
#include <cstring>

#include "player/catalogue/catalogue.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

UINT lookupTimeoutMs = 15000;
UINT lookupStepLimitMs = 60000;

namespace {

enum : UINT { kHostFound = WM_APP + 1, kSocketEvent = WM_APP + 2 };
// The quiet timer is started again whenever data arrives; the step timer
// runs from the start of a step to its end.
enum { kQuietTimer = 1, kStepTimer = 2 };

// What the dialog waits for.
enum Step { kFinished, kResolving, kSearching, kChoosing, kReading };

// One request to the server: its connection, what goes out and what has
// come back.
struct LookupRequest {
  SOCKET connection;
  char text[kLookupRequestSize];
  size_t length;
  size_t sent;
  char answer[kLookupAnswerLimit];
  size_t answerLength;
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
  HANDLE hostRequest;
  unsigned long address;  // network byte order
  char hostName[64];
  LookupRequest request;
  LookupMatches matches;
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

void ShowStatus(HWND dialog, const LookupSession* s, int status, const char* line = "") {
  char text[256];
  UINT timeoutMs = status == kStatusTooSlow ? lookupStepLimitMs : lookupTimeoutMs;
  FormatLookupStatus(status, s->settings.server, line, timeoutMs, text, sizeof text);
  SetDlgItemTextA(dialog, IDC_LOOKUP_STATUS, text);
}

// A step begins: both of its deadlines start.
void StartDeadlines(HWND dialog) {
  SetTimer(dialog, kQuietTimer, lookupTimeoutMs, nullptr);
  SetTimer(dialog, kStepTimer, lookupStepLimitMs, nullptr);
}

// Ends whatever is under way on the network; the dialog stays.
void StopNetwork(HWND dialog, LookupSession* s) {
  KillTimer(dialog, kQuietTimer);
  KillTimer(dialog, kStepTimer);
  if (s->hostRequest) {
    s->ws.cancelAsyncRequest(s->hostRequest);
    s->lookupCancelled = 1;
  }
  s->hostRequest = nullptr;
  if (s->request.connection != INVALID_SOCKET) s->ws.closesocket(s->request.connection);
  s->request.connection = INVALID_SOCKET;
}

void Fail(HWND dialog, LookupSession* s, int status, const char* line = "") {
  StopNetwork(dialog, s);
  s->step = kFinished;
  ShowStatus(dialog, s, status, line);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
}

// The record in memory is still that of the disc the look-up began with:
// the disc watch goes on while the dialog is open and may have loaded
// another.
bool SameDisc(const LookupSession* s) {
  return doorOpen == 0 && discInfo.tracks && discInfo.discId == s->discId &&
         discInfo.trackCount == s->toc.trackCount;
}

// Starts a request for one command: opens its connection and its
// deadlines; the rest arrives as socket events.
void SendCommand(HWND dialog, LookupSession* s, const char* command) {
  LookupRequest* r = &s->request;
  r->answerLength = 0;
  r->sent = 0;
  if (!FormatLookupRequest(&s->settings, command, s->hostName, r->text, sizeof r->text)) {
    Fail(dialog, s, kStatusCannotConnect);
    return;
  }
  r->length = strlen(r->text);
  r->connection = s->ws.socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in server = {};
  server.sin_family = AF_INET;
  // The port in network byte order (high byte first).
  u_short port = static_cast<u_short>(s->settings.port);
  server.sin_port = static_cast<u_short>((port >> 8) | (port << 8));
  server.sin_addr.s_addr = s->address;
  if (r->connection == INVALID_SOCKET ||
      s->ws.asyncSelect(r->connection, dialog, kSocketEvent, FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE) != 0 ||
      (s->ws.connect(r->connection, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0 &&
       s->ws.lastError() != WSAEWOULDBLOCK)) {
    Fail(dialog, s, kStatusCannotConnect);
    return;
  }
  StartDeadlines(dialog);
}

void Search(HWND dialog, LookupSession* s) {
  char command[kLookupRequestSize];
  FormatQueryCommand(&s->toc, command, sizeof command);
  s->step = kSearching;
  SendCommand(dialog, s, command);
}

void OnHostFound(HWND dialog, LookupSession* s, WPARAM request, LPARAM lParam) {
  if (reinterpret_cast<HANDLE>(request) != s->hostRequest) return;
  s->hostRequest = nullptr;
  const hostent* host = reinterpret_cast<const hostent*>(hostEntry);
  if (WSAGETASYNCERROR(lParam) != 0 || host->h_length != sizeof s->address || !host->h_addr_list ||
      !host->h_addr_list[0]) {
    Fail(dialog, s, kStatusNameNotFound);
    return;
  }
  memcpy(&s->address, host->h_addr_list[0], sizeof s->address);
  Search(dialog, s);
}

void SendRequest(HWND dialog, LookupSession* s) {
  LookupRequest* r = &s->request;
  while (r->sent < r->length) {
    int n = s->ws.send(r->connection, r->text + r->sent, static_cast<int>(r->length - r->sent), 0);
    if (n == SOCKET_ERROR) {
      if (s->ws.lastError() != WSAEWOULDBLOCK) Fail(dialog, s, kStatusConnectionLost);
      return;  // the rest goes at the next FD_WRITE
    }
    r->sent += static_cast<size_t>(n);
  }
}

// Takes what has arrived. An answer longer than its limit ends the look-up.
int Receive(HWND dialog, LookupSession* s) {
  LookupRequest* r = &s->request;
  char spill;
  size_t room = sizeof r->answer - r->answerLength;
  int n = s->ws.recv(r->connection, room ? r->answer + r->answerLength : &spill, room ? static_cast<int>(room) : 1,
                     0);
  if (n == SOCKET_ERROR) {
    if (s->ws.lastError() == WSAEWOULDBLOCK) return kNothingYet;
    Fail(dialog, s, kStatusConnectionLost);
    return kReceiveFailed;
  }
  if (n == 0) return kAnswerEnded;
  if (room == 0) {
    Fail(dialog, s, kStatusTooLong);
    return kReceiveFailed;
  }
  r->answerLength += static_cast<size_t>(n);
  return kReceivedData;
}

void ShowMatches(HWND dialog, LookupSession* s) {
  HWND list = GetDlgItem(dialog, IDC_LOOKUP_LIST);
  for (int i = 0; i < s->matches.count; ++i) {
    char line[kLookupTextSize + 40], text[kLookupTextSize] = "";
    FormatMatchLine(&s->matches.items[i], line, sizeof line);
    AnsiFromUtf8(GetACP(), line, text, sizeof text);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  s->step = kChoosing;
  ShowStatus(dialog, s, kStatusChoose);
  EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
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

// The request's answer is whole, or the server closed: the step ends here,
// and only an answer that arrived whole counts.
void AnswerArrived(HWND dialog, LookupSession* s) {
  StopNetwork(dialog, s);
  const char* body;
  size_t size;
  char line[kLookupLineSize];
  int result = ParseHttpAnswer(s->request.answer, s->request.answerLength, &body, &size, line, sizeof line);
  if (result == kLookupOk)
    result = s->step == kSearching ? ParseQueryAnswer(body, size, &s->matches, line, sizeof line)
                                   : ParseReadAnswer(body, size, &s->entry, line, sizeof line);
  switch (result) {
    case kLookupOk: break;
    case kLookupNoMatch: Fail(dialog, s, kStatusNoMatch); return;
    case kLookupServerError: Fail(dialog, s, kStatusServerError, line); return;
    case kLookupCut: Fail(dialog, s, kStatusIncomplete); return;
    default: Fail(dialog, s, kStatusUnreadable); return;
  }
  if (s->step == kSearching)
    ShowMatches(dialog, s);
  else
    TakeEntry(dialog, s);
}

void OnSocketEvent(HWND dialog, LookupSession* s, WPARAM socket, LPARAM lParam) {
  // Events of a connection already closed may still be queued.
  SOCKET connection = s->request.connection;
  if (connection == INVALID_SOCKET || static_cast<SOCKET>(socket) != connection) return;
  int error = WSAGETSELECTERROR(lParam);
  switch (WSAGETSELECTEVENT(lParam)) {
    case FD_CONNECT:
      if (error) {
        Fail(dialog, s, kStatusCannotConnect);
        return;
      }
      ShowStatus(dialog, s, s->step == kReading ? kStatusReading : kStatusSearching);
      SendRequest(dialog, s);
      return;
    case FD_WRITE: SendRequest(dialog, s); return;
    case FD_READ:
      // The server is still talking: the quiet time starts again, the
      // step's own time goes on. A server may keep the connection open
      // after an answer of a given length.
      if (Receive(dialog, s) != kReceivedData) return;
      if (HttpAnswerWhole(s->request.answer, s->request.answerLength))
        AnswerArrived(dialog, s);
      else
        SetTimer(dialog, kQuietTimer, lookupTimeoutMs, nullptr);
      return;
    case FD_CLOSE: {
      if (error) {
        Fail(dialog, s, kStatusConnectionLost);
        return;
      }
      int received;
      while ((received = Receive(dialog, s)) == kReceivedData) {
      }
      if (received != kReceiveFailed) AnswerArrived(dialog, s);
      return;
    }
  }
}

// OK (or a double-click): reads the entry of the chosen match.
void ReadChosen(HWND dialog, LookupSession* s) {
  if (s->step != kChoosing) return;
  HWND list = GetDlgItem(dialog, IDC_LOOKUP_LIST);
  LRESULT chosen = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (chosen < 0 || chosen >= s->matches.count) return;
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
  EnableWindow(list, FALSE);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
  if (!SameDisc(s)) {
    Fail(dialog, s, kStatusDiscChanged);
    return;
  }
  char command[64];
  FormatReadCommand(&s->matches.items[chosen], command, sizeof command);
  s->step = kReading;
  ShowStatus(dialog, s, kStatusReading);
  SendCommand(dialog, s, command);
}

// Starts the look-up: WinSock is loaded and started here, when the user
// asked for it, and cleaned up when the dialog ends.
void Begin(HWND dialog, LookupSession* s) {
  s->request.connection = INVALID_SOCKET;
  s->discId = discInfo.discId;
  LoadLookupSettings(appInstance, &s->settings);
  if (!ReadLookupToc(deviceId, &s->toc)) {
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
  ShowStatus(dialog, s, kStatusConnecting);
  s->step = kResolving;
  s->address = s->ws.inetAddr(s->settings.server);
  if (s->address != INADDR_NONE) {
    Search(dialog, s);
    return;
  }
  s->hostRequest =
      s->ws.asyncGetHostByName(dialog, kHostFound, s->settings.server, hostEntry, sizeof hostEntry);
  if (!s->hostRequest) {
    Fail(dialog, s, kStatusNameNotFound);
    return;
  }
  StartDeadlines(dialog);
}

}  // namespace

int LookUpTitles(HWND mainWindow) {
  if (!deviceOpen || doorOpen || !discInfo.tracks) return 0;
  return DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_LOOKUP), mainWindow, LookupProc, 0) == 1;
}

INT_PTR CALLBACK LookupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  LookupSession* s = Session(dialog);
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
      if (s && s->step != kFinished && s->step != kChoosing) {
        if (wParam == kQuietTimer) Fail(dialog, s, kStatusTimeout);
        if (wParam == kStepTimer) Fail(dialog, s, kStatusTooSlow);
      }
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (s) ReadChosen(dialog, s);
          return TRUE;
        case IDC_LOOKUP_LIST:
          if (s && HIWORD(wParam) == LBN_DBLCLK) ReadChosen(dialog, s);
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
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        free(s);
      }
      return TRUE;
  }
  return FALSE;
}
