// LookupProc: the "Look Up Titles Online" dialog. It asks the CD database
// about the disc in the drive through WinSock 1.1 without blocking the
// message loop: the name lookup and every socket event arrive as messages
// of the dialog, and a window timer ends a step the server leaves without
// an answer. The panel goes on meanwhile in the dialog's modal loop.
// WinSock itself is loaded when the dialog starts and freed when it ends.
#include "player/lookup/lookup.h"

#include "player/lookup/winsock.h"

#include <cstdlib>
#include <cstring>

#include "player/catalogue/catalogue.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"

UINT lookupTimeoutMs = 15000;

namespace {

enum : UINT { kHostFound = WM_APP + 1, kSocketEvent = WM_APP + 2 };
enum { kTimeoutTimer = 1 };

// What the dialog waits for.
enum Step { kFinished, kResolving, kSearching, kChoosing, kReading };

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
  SOCKET connection;
  char hostName[64];
  char request[kLookupRequestSize];
  size_t requestLength;
  size_t sent;
  char answer[kLookupAnswerLimit];
  size_t answerLength;
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
  FormatLookupStatus(status, s->settings.server, line, text, sizeof text);
  SetDlgItemTextA(dialog, IDC_LOOKUP_STATUS, text);
}

void ArmTimeout(HWND dialog) { SetTimer(dialog, kTimeoutTimer, lookupTimeoutMs, nullptr); }

// Ends whatever is under way on the network; the dialog stays.
void StopNetwork(HWND dialog, LookupSession* s) {
  KillTimer(dialog, kTimeoutTimer);
  if (s->hostRequest) {
    s->ws.cancelAsyncRequest(s->hostRequest);
    s->lookupCancelled = 1;
  }
  s->hostRequest = nullptr;
  if (s->connection != INVALID_SOCKET) s->ws.closesocket(s->connection);
  s->connection = INVALID_SOCKET;
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

// Opens a connection for one command; the rest arrives as socket events.
void SendCommand(HWND dialog, LookupSession* s, const char* command) {
  s->answerLength = 0;
  s->sent = 0;
  if (!FormatLookupRequest(&s->settings, command, s->hostName, s->request, sizeof s->request)) {
    Fail(dialog, s, kStatusCannotConnect);
    return;
  }
  s->requestLength = strlen(s->request);
  s->connection = s->ws.socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in server = {};
  server.sin_family = AF_INET;
  // The port in network byte order (high byte first).
  u_short port = static_cast<u_short>(s->settings.port);
  server.sin_port = static_cast<u_short>((port >> 8) | (port << 8));
  server.sin_addr.s_addr = s->address;
  if (s->connection == INVALID_SOCKET ||
      s->ws.asyncSelect(s->connection, dialog, kSocketEvent, FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE) != 0 ||
      (s->ws.connect(s->connection, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0 &&
       s->ws.lastError() != WSAEWOULDBLOCK)) {
    Fail(dialog, s, kStatusCannotConnect);
    return;
  }
  ArmTimeout(dialog);
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
  while (s->sent < s->requestLength) {
    int n = s->ws.send(s->connection, s->request + s->sent, static_cast<int>(s->requestLength - s->sent), 0);
    if (n == SOCKET_ERROR) {
      if (s->ws.lastError() != WSAEWOULDBLOCK) Fail(dialog, s, kStatusConnectionLost);
      return;  // the rest goes at the next FD_WRITE
    }
    s->sent += static_cast<size_t>(n);
  }
}

// Takes what has arrived. An answer longer than its limit ends the look-up.
int Receive(HWND dialog, LookupSession* s) {
  char spill;
  size_t room = sizeof s->answer - s->answerLength;
  int n = s->ws.recv(s->connection, room ? s->answer + s->answerLength : &spill, room ? static_cast<int>(room) : 1,
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
  s->answerLength += static_cast<size_t>(n);
  return kReceivedData;
}

void ShowMatches(HWND dialog, LookupSession* s) {
  HWND list = GetDlgItem(dialog, IDC_LOOKUP_LIST);
  for (int i = 0; i < s->matches.count; ++i) {
    char line[kLookupTextSize + 40], text[kLookupTextSize];
    FormatMatchLine(&s->matches.items[i], line, sizeof line);
    AnsiFromUtf8(line, text, sizeof text);
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

void AnswerArrived(HWND dialog, LookupSession* s) {
  StopNetwork(dialog, s);
  const char* body;
  size_t size;
  char line[kLookupLineSize];
  int result = ParseHttpAnswer(s->answer, s->answerLength, &body, &size, line, sizeof line);
  if (result == kLookupOk)
    result = s->step == kSearching ? ParseQueryAnswer(body, size, &s->matches, line, sizeof line)
                                   : ParseReadAnswer(body, size, &s->entry, line, sizeof line);
  switch (result) {
    case kLookupOk: break;
    case kLookupNoMatch: Fail(dialog, s, kStatusNoMatch); return;
    case kLookupServerError: Fail(dialog, s, kStatusServerError, line); return;
    case kLookupCut: Fail(dialog, s, kStatusConnectionLost); return;
    default: Fail(dialog, s, kStatusUnreadable); return;
  }
  if (s->step == kSearching)
    ShowMatches(dialog, s);
  else
    TakeEntry(dialog, s);
}

void OnSocketEvent(HWND dialog, LookupSession* s, WPARAM socket, LPARAM lParam) {
  // Events of a connection already closed may still be queued.
  if (s->connection == INVALID_SOCKET || static_cast<SOCKET>(socket) != s->connection) return;
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
      // The server is still talking: its time starts again.
      if (Receive(dialog, s) == kReceivedData) ArmTimeout(dialog);
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
  s->connection = INVALID_SOCKET;
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
  ArmTimeout(dialog);
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
      if (s && wParam == kTimeoutTimer && s->step != kFinished && s->step != kChoosing)
        Fail(dialog, s, kStatusTimeout);
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
