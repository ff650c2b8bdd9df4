// LookupProc: the "Look Up Titles Online" dialog. It drives a look-up
// (lookup_run.h) of the disc in the drive and shows what it does: the
// server it talks to, then every match of every source with its source,
// and what went wrong with each source that failed. OK reads the chosen
// match's titles (MusicBrainz's release, gnudb's entry) and takes them
// into the disc's record and the catalogue, if the disc is still the one
// looked up. The panel goes on meanwhile in the dialog's modal loop.
#include "player/lookup/lookup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player/catalogue/catalogue.h"
#include "player/device/cd_device.h"
#include "player/shell/player_state.h"
#include "player/tls/tls.h"
#include "resources/player/resource.h"

namespace {

// The run's messages and its timer.
enum : UINT { kRunMessages = WM_APP + 1 };
enum { kRunTimer = 1 };

struct LookupDialog {
  LookupRun* run;
  int listed;  // the search's end is shown
};

int dialogOpen;

LookupDialog* DialogOf(HWND dialog) { return reinterpret_cast<LookupDialog*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// The status texts are the string table's, in the order of LookupStatus.
static_assert(IDS_LOOKUP_RELEASE_TOO_LARGE - IDS_LOOKUP_CONNECTING + 1 == kStatusCount, "a text for every status");
static_assert(IDS_TLS_PROTOCOL_ERROR - IDS_TLS_CONNECTION_LOST + 1 == kTlsFailureCount, "a text for every failure");

const char* ServerOf(const LookupSession* s, int source) {
  return source == kSourceMusicBrainz ? s->settings.musicBrainzServer : s->settings.server;
}

void StatusText(const LookupSession* s, int source, int status, const char* line, char* out, size_t size) {
  char format[160];
  LoadStringA(appInstance, IDS_LOOKUP_CONNECTING + status, format, sizeof format);
  unsigned long timeoutMs = status == kStatusTooSlow ? s->times.stepLimitMs : s->times.quietMs;
  FormatLookupStatus(format, status, ServerOf(s, source), line, timeoutMs, out, size);
}

// What went wrong, in the string table's words.
void FailureText(const LookupSession* s, int source, const LookupFailure* failure, char* out, size_t size) {
  if (!failure->tls) {
    StatusText(s, source, failure->status, failure->line, out, size);
    return;
  }
  char format[160];
  LoadStringA(appInstance, IDS_TLS_CONNECTION_LOST + failure->tlsFailure, format, sizeof format);
  FormatTlsFailure(format, failure->tlsFailure, ServerOf(s, source), TlsTime{failure->tlsDays, failure->tlsSeconds},
                   failure->tlsError, out, size);
}

void ShowText(HWND dialog, const char* text) { SetDlgItemTextA(dialog, IDC_LOOKUP_STATUS, text); }

// The search ended: the matches to choose from, and what went wrong with
// each source that failed.
void ShowSearchEnd(HWND dialog, const LookupSession* s) {
  HWND list = GetDlgItem(dialog, IDC_LOOKUP_LIST);
  for (int i = 0; i < s->listedCount; ++i) {
    char line[2 * kLookupTextSize + 80], text[kLookupTextSize] = "";
    LookupMatchLine(s, i, line, sizeof line);
    AnsiFromUtf8(GetACP(), line, text, sizeof text);
    LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), i);
  }
  bool found = s->listedCount > 0;
  char text[2 * 256 + 100] = "";
  if (found) StatusText(s, s->source, kStatusChoose, "", text, sizeof text);
  for (int i = 0; i < s->settings.sourceCount; ++i) {
    int source = s->settings.sources[i];
    if (!s->failed[source]) continue;
    char failure[256];
    FailureText(s, source, &s->failures[source], failure, sizeof failure);
    size_t used = strlen(text);
    snprintf(text + used, sizeof text - used, "%s%s%s%s", used ? "\n" : "",
             s->settings.sourceCount > 1 ? LookupSourceName(source) : "", s->settings.sourceCount > 1 ? ": " : "",
             failure);
  }
  ShowText(dialog, text);
  EnableWindow(GetDlgItem(dialog, IDOK), found);
  // MusicBrainz answered and does not know the disc's id: the user may add it.
  if (s->musicBrainzIdUnknown) {
    ShowWindow(GetDlgItem(dialog, IDC_LOOKUP_SUBMIT_TEXT), SW_SHOW);
    ShowWindow(GetDlgItem(dialog, IDC_LOOKUP_SUBMIT), SW_SHOW);
  }
  if (!found) return;
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
}

// The record in memory is still that of the disc the look-up began with:
// the disc watch goes on while the dialog is open and may have loaded
// another.
bool SameDisc(const LookupRun* run) {
  return doorOpen == 0 && discInfo.tracks && discInfo.discId == run->discId &&
         discInfo.trackCount == run->session.toc.trackCount;
}

// The look-up ended without titles: the reason is shown, the dialog stays.
void ShowEndFailure(HWND dialog, int status) {
  const LookupSession* s = &DialogOf(dialog)->run->session;
  char text[256];
  StatusText(s, s->source, status, "", text, sizeof text);
  ShowText(dialog, text);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
}

// The chosen match's titles arrived: they replace the titles of the disc
// they were asked for, and of no other.
void TakeEntry(HWND dialog, LookupRun* run) {
  if (!SameDisc(run)) {
    ShowEndFailure(dialog, kStatusDiscChanged);
    LookupRunStop(run);
    return;
  }
  ApplyLookupEntry(&run->session.entry, &discInfo);
  // A save that fails is told; the titles stay in the player for the next.
  SaveDiscEntry(appInstance, &discInfo);
  TellSaveFailures(dialog);
  EndDialog(dialog, 1);
}

// Shows where the look-up stands, after each of its events.
void ShowProgress(HWND dialog, LookupDialog* d) {
  const LookupSession* s = &d->run->session;
  char text[256];
  switch (s->phase) {
    case kPhaseSearching:
    case kPhaseReading:
      StatusText(s, s->source, s->status, "", text, sizeof text);
      ShowText(dialog, text);
      return;
    case kPhaseChoosing:
      if (!d->listed) ShowSearchEnd(dialog, s);
      d->listed = 1;
      return;
    case kPhaseDone: TakeEntry(dialog, d->run); return;
    case kPhaseFailed:
      if (!d->listed) {
        ShowSearchEnd(dialog, s);
        d->listed = 1;
      } else if (s->chosen >= 0) {
        FailureText(s, s->source, &s->failure, text, sizeof text);
        ShowText(dialog, text);
      }
      return;
  }
}

// OK (or a double-click): reads the chosen match.
void TakeChosen(HWND dialog, LookupDialog* d) {
  if (d->run->session.phase != kPhaseChoosing) return;
  HWND list = GetDlgItem(dialog, IDC_LOOKUP_LIST);
  LRESULT chosen = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (chosen < 0) return;
  LRESULT index = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(chosen), 0);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
  EnableWindow(list, FALSE);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
  if (!SameDisc(d->run)) {
    ShowEndFailure(dialog, kStatusDiscChanged);
    LookupRunStop(d->run);
    return;
  }
  LookupRunChoose(d->run, static_cast<int>(index));
  ShowProgress(dialog, d);
}

// Submit Disc: MusicBrainz's page for adding the disc, with the same id and
// table of contents as the look-up's request.
void SubmitDisc(HWND dialog, const LookupSession* s) {
  char address[kLookupRequestSize];
  if (FormatMusicBrainzSubmitAddress(&s->settings, &s->musicBrainzToc, address, sizeof address))
    OpenSubmitAddress(dialog, address);
}

// Starts the look-up of the disc in the drive: WinSock is loaded when the
// user asked for it.
void Begin(HWND dialog, LookupDialog* d) {
  DiscToc toc;
  CDReadTableOfContents(deviceId, &toc);
  int started = LookupRunStart(d->run, dialog, kRunMessages, kRunTimer, &toc, discInfo.discId);
  // Writing the look-up's settings with their defaults may have failed.
  TellSaveFailures(dialog);
  if (!started) {
    ShowEndFailure(dialog, d->run->startFailure.status);
    d->listed = 1;
    return;
  }
  ShowProgress(dialog, d);
}

}  // namespace

int LookUpTitles(HWND mainWindow, LookupRun* run) {
  if (!deviceOpen || doorOpen || !discInfo.tracks) {
    if (run) {
      LookupRunStop(run);
      free(run);
    }
    return 0;
  }
  return DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_LOOKUP), mainWindow, LookupProc,
                         reinterpret_cast<LPARAM>(run)) == 1;
}

int LookupDialogOpen() { return dialogOpen; }

INT_PTR CALLBACK LookupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  LookupDialog* d = DialogOf(dialog);
  // The moments and places of the user's and the network's messages feed
  // the randomness of MusicBrainz's TLS sessions.
  StirTlsEntropy();
  if (d && LookupRunMessage(d->run, message, wParam, lParam)) {
    ShowProgress(dialog, d);
    return TRUE;
  }
  switch (message) {
    case WM_INITDIALOG: {
      LookupRun* given = reinterpret_cast<LookupRun*>(lParam);
      d = static_cast<LookupDialog*>(calloc(1, sizeof(LookupDialog)));
      if (d) d->run = given ? given : static_cast<LookupRun*>(calloc(1, sizeof(LookupRun)));
      if (!d || !d->run) {
        if (given) LookupRunStop(given);
        free(given);
        free(d);
        EndDialog(dialog, 0);
        return TRUE;
      }
      dialogOpen = 1;
      SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
      if (!given) {
        Begin(dialog, d);
        return TRUE;
      }
      // A look-up that ran by itself: what it found, and what went wrong
      // with reading its match, if it tried.
      LookupRunMove(given, dialog, kRunMessages, kRunTimer);
      ShowProgress(dialog, d);
      if (given->session.phase == kPhaseFailed) ShowProgress(dialog, d);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (d) TakeChosen(dialog, d);
          return TRUE;
        case IDC_LOOKUP_LIST:
          if (d && HIWORD(wParam) == LBN_DBLCLK) TakeChosen(dialog, d);
          return TRUE;
        case IDC_LOOKUP_SUBMIT:
          if (d) SubmitDisc(dialog, &d->run->session);
          return TRUE;
        case IDCANCEL:
          if (d) LookupRunStop(d->run);
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      dialogOpen = 0;
      if (d) {
        LookupRunStop(d->run);
        free(d->run);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        free(d);
      }
      return TRUE;
  }
  return FALSE;
}
