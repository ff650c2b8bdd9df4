#include "player/lookup/lookup_engine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player/lookup/http_answer.h"

const LookupTimes kLookupTimes = {15000, 60000, kMusicBrainzRequestGapMs};

namespace {

const size_t kFirstAnswerSize = 16 * 1024;

LookupAction Wait() { return LookupAction{kActionWait, 0, nullptr, 0, 0, nullptr, 0}; }

LookupAction End(LookupSession* s) {
  s->waiting = kWaitNothing;
  return LookupAction{kActionEnd, s->source, nullptr, 0, 0, nullptr, 0};
}

// Whether the tick count now has reached the moment at (ticks wrap).
bool Reached(uint32_t now, uint32_t at) { return static_cast<int32_t>(now - at) >= 0; }

const char* ServerOf(const LookupSession* s, int source) {
  return source == kSourceMusicBrainz ? s->settings.musicBrainzServer : s->settings.server;
}


void DropAnswer(LookupSession* s) {
  free(s->answer);
  s->answer = nullptr;
  s->answerLength = s->answerSize = 0;
}

LookupAction AskNextSource(LookupSession* s, uint32_t now);

// The step under way failed: while searching the source is passed over and
// the next is asked; while reading the look-up ends.
LookupAction StepFailed(LookupSession* s, const LookupFailure* failure, uint32_t now) {
  DropAnswer(s);
  LookupFailure f = *failure;
  // An answer past its limit, while reading a release: the release is too
  // large, not the service's answer wrong.
  if (f.status == kStatusTooLong && s->reading && s->source == kSourceMusicBrainz) f.status = kStatusReleaseTooLarge;
  if (s->reading) {
    s->failure = f;
    s->phase = kPhaseFailed;
    return End(s);
  }
  s->failed[s->source] = 1;
  s->failures[s->source] = f;
  return AskNextSource(s, now);
}

LookupAction StepFailedWith(LookupSession* s, int status, uint32_t now, const char* line = "") {
  LookupFailure failure = LookupFailureOf(status, line);
  return StepFailed(s, &failure, now);
}

// The step's request is ready: its deadlines start (unless they already
// run), and the server's address is found unless it is known.
LookupAction BeginStep(LookupSession* s, uint32_t now) {
  s->quietAt = now + s->times.quietMs;
  s->stepEndAt = now + s->times.stepLimitMs;
  s->status = kStatusConnecting;
  s->waiting = kWaitAddress;
  if (s->resolved[s->source]) return LookupResolved(s, 1, now);
  return LookupAction{kActionResolve, s->source, ServerOf(s, s->source), 0, 0, nullptr, 0};
}

// MusicBrainz takes a request a second: a step of it waits for its turn
// first, and then begins.
LookupAction AwaitTurn(LookupSession* s, uint32_t now) {
  if (s->source != kSourceMusicBrainz) return BeginStep(s, now);
  uint32_t wait = MusicBrainzRequestDelay(s->turn->asked, s->turn->askedAt, now, s->times.musicBrainzGapMs);
  if (wait == 0) return BeginStep(s, now);
  s->waiting = kWaitTurn;
  s->turnAt = now + wait;
  s->status = kStatusWaitingTurn;
  return Wait();
}

// Every source was asked: the matches to choose from, or none.
LookupAction EndSearch(LookupSession* s) {
  s->phase = s->listedCount ? kPhaseChoosing : kPhaseFailed;
  return End(s);
}

LookupAction AskNextSource(LookupSession* s, uint32_t now) {
  s->reading = 0;
  if (s->sourceAt >= s->settings.sourceCount) return EndSearch(s);
  s->source = s->settings.sources[s->sourceAt++];
  char command[kLookupRequestSize];
  int made = s->source == kSourceMusicBrainz
                 ? FormatMusicBrainzListRequest(&s->settings, &s->musicBrainzToc, s->request, sizeof s->request)
                 : FormatQueryCommand(&s->toc, command, sizeof command) &&
                       FormatCddbRequest(&s->settings, command, s->hostName, s->request, sizeof s->request);
  if (!made) return StepFailedWith(s, kStatusNoContents, now);
  s->requestLength = strlen(s->request);
  s->answerLimit = s->source == kSourceMusicBrainz ? size_t{kMusicBrainzListLimit} : size_t{kCddbAnswerLimit};
  return AwaitTurn(s, now);
}

void List(LookupSession* s, int source, int count) {
  for (int i = 0; i < count && s->listedCount < static_cast<int>(sizeof s->listed / sizeof s->listed[0]); ++i)
    s->listed[s->listedCount++] = LookupListed{source, i};
}

// A status of the CD database's kind from how reading an answer ended.
int StatusOf(int result) {
  switch (result) {
    case kLookupNoMatch: return kStatusNoMatch;
    case kLookupServerError: return kStatusServerError;
    case kLookupCut: return kStatusIncomplete;
    case kLookupTooLarge: return kStatusTooLong;
    default: return kStatusUnreadable;
  }
}

// Reads a search's answer: its matches are listed, and the next source is asked.
LookupAction ReadSearch(LookupSession* s, uint32_t now) {
  char line[kLookupLineSize] = "";
  int result;
  if (s->source == kSourceMusicBrainz) {
    if (!s->musicBrainz) s->musicBrainz = static_cast<MusicBrainzList*>(malloc(sizeof(MusicBrainzList)));
    if (!s->musicBrainz) return StepFailedWith(s, kStatusNoMemory, now);
    result = ParseMusicBrainzList(s->answer, s->answerLength, &s->musicBrainzToc, s->musicBrainz, line, sizeof line);
    // The service answered: it knows the disc's id, or it does not.
    s->musicBrainzIdUnknown = result == kLookupNoMatch || (result == kLookupOk && !s->musicBrainz->byId);
    if (result == kLookupOk) List(s, kSourceMusicBrainz, s->musicBrainz->count);
  } else {
    HttpAnswer answer;
    result = ParseHttpAnswer(s->answer, s->answerLength, kCddbAnswerLimit, &answer);
    snprintf(line, sizeof line, "%s", answer.line);
    if (result == kLookupOk) result = ParseQueryAnswer(answer.body, answer.bodySize, &s->cddb, line, sizeof line);
    if (result == kLookupOk) List(s, kSourceGnudb, s->cddb.count);
  }
  if (result != kLookupOk) return StepFailedWith(s, StatusOf(result), now, line);
  DropAnswer(s);
  return AskNextSource(s, now);
}

// Reads the chosen match's answer into the entry.
LookupAction ReadChosen(LookupSession* s, uint32_t now) {
  char line[kLookupLineSize] = "";
  int result;
  if (s->source == kSourceMusicBrainz) {
    result = ParseMusicBrainzRelease(s->answer, s->answerLength, &s->musicBrainzToc, &s->entry, line, sizeof line);
  } else {
    HttpAnswer answer;
    result = ParseHttpAnswer(s->answer, s->answerLength, kCddbAnswerLimit, &answer);
    snprintf(line, sizeof line, "%s", answer.line);
    if (result == kLookupOk) result = ParseReadAnswer(answer.body, answer.bodySize, &s->entry, line, sizeof line);
  }
  if (result != kLookupOk) return StepFailedWith(s, StatusOf(result), now, line);
  DropAnswer(s);
  s->phase = kPhaseDone;
  return End(s);
}

// The step's answer is whole, or the server closed: the step ends here,
// and only an answer that arrived whole counts.
LookupAction AnswerArrived(LookupSession* s, uint32_t now) {
  s->waiting = kWaitNothing;
  return s->reading ? ReadChosen(s, now) : ReadSearch(s, now);
}

bool Active(const LookupSession* s) {
  return s->phase == kPhaseSearching || s->phase == kPhaseReading;
}

}  // namespace

LookupFailure LookupFailureOf(int status, const char* line) {
  LookupFailure failure;
  memset(&failure, 0, sizeof failure);
  failure.status = status;
  snprintf(failure.line, sizeof failure.line, "%s", line);
  return failure;
}

LookupAction LookupStart(LookupSession* s, const LookupSettings* settings, const DiscToc* toc,
                         const char* hostName, LookupTurn* turn, const LookupTimes* times, uint32_t now) {
  memset(s, 0, sizeof *s);
  s->settings = *settings;
  s->times = *times;
  s->turn = turn;
  s->toc = *toc;
  MusicBrainzToc(toc, &s->musicBrainzToc);
  snprintf(s->hostName, sizeof s->hostName, "%s", hostName);
  s->phase = kPhaseSearching;
  s->chosen = -1;
  return AskNextSource(s, now);
}

LookupAction LookupResolved(LookupSession* s, int found, uint32_t now) {
  if (!Active(s) || s->waiting != kWaitAddress) return Wait();
  if (!found) return StepFailedWith(s, kStatusNameNotFound, now);
  s->resolved[s->source] = 1;
  s->waiting = kWaitConnection;
  if (s->source == kSourceMusicBrainz) {
    s->turn->asked = 1;
    s->turn->askedAt = now;
  }
  return LookupAction{kActionConnect,
                      s->source,
                      ServerOf(s, s->source),
                      s->source == kSourceMusicBrainz ? s->settings.musicBrainzPort : s->settings.port,
                      s->source == kSourceMusicBrainz,
                      s->request,
                      s->requestLength};
}

LookupAction LookupConnected(LookupSession* s, uint32_t now) {
  (void)now;
  if (!Active(s) || s->waiting != kWaitConnection) return Wait();
  s->waiting = kWaitAnswer;
  s->status = s->reading ? kStatusReading : kStatusSearching;
  return Wait();
}

int LookupAnswerRoom(LookupSession* s, char** at, size_t* room) {
  if (s->answerLength == s->answerSize && s->answerSize < s->answerLimit) {
    size_t size = s->answerSize ? 2 * s->answerSize : kFirstAnswerSize;
    if (size > s->answerLimit) size = s->answerLimit;
    // Moved into a block of the new size (the release's run-time has no realloc).
    char* grown = static_cast<char*>(malloc(size));
    if (!grown) return 0;
    if (s->answerLength) memcpy(grown, s->answer, s->answerLength);
    free(s->answer);
    s->answer = grown;
    s->answerSize = size;
  }
  *at = s->answer ? s->answer + s->answerLength : nullptr;
  *room = s->answerSize - s->answerLength;
  return 1;
}

LookupAction LookupReceived(LookupSession* s, size_t n, uint32_t now) {
  if (!Active(s) || s->waiting != kWaitAnswer) return Wait();
  s->answerLength += n;
  // The server is still talking: the quiet time starts again, the step's
  // own time goes on.
  s->quietAt = now + s->times.quietMs;
  // A server may keep the connection open after an answer of a given length.
  switch (HttpAnswerProgress(s->answer, s->answerLength, s->answerLimit)) {
    case kLookupOk: return AnswerArrived(s, now);
    case kLookupTooLarge: return StepFailedWith(s, kStatusTooLong, now);
    default: return Wait();
  }
}

LookupAction LookupClosed(LookupSession* s, uint32_t now) {
  if (!Active(s) || s->waiting != kWaitAnswer) return Wait();
  return AnswerArrived(s, now);
}

LookupAction LookupFailed(LookupSession* s, const LookupFailure* failure, uint32_t now) {
  if (!Active(s) || s->waiting == kWaitNothing || s->waiting == kWaitTurn) return Wait();
  return StepFailed(s, failure, now);
}

LookupAction LookupTimer(LookupSession* s, uint32_t now) {
  if (!Active(s)) return Wait();
  if (s->waiting == kWaitTurn) return Reached(now, s->turnAt) ? BeginStep(s, now) : Wait();
  if (s->waiting == kWaitNothing) return Wait();
  if (Reached(now, s->stepEndAt)) return StepFailedWith(s, kStatusTooSlow, now);
  if (Reached(now, s->quietAt)) return StepFailedWith(s, kStatusTimeout, now);
  return Wait();
}

long LookupTimerDue(const LookupSession* s, uint32_t now) {
  if (!Active(s) || s->waiting == kWaitNothing) return -1;
  if (s->waiting == kWaitTurn) return Reached(now, s->turnAt) ? 0 : static_cast<long>(s->turnAt - now);
  uint32_t first = static_cast<int32_t>(s->quietAt - s->stepEndAt) < 0 ? s->quietAt : s->stepEndAt;
  return Reached(now, first) ? 0 : static_cast<long>(first - now);
}

LookupAction LookupChoose(LookupSession* s, int index, uint32_t now) {
  if (s->phase != kPhaseChoosing || index < 0 || index >= s->listedCount) return Wait();
  s->chosen = index;
  s->phase = kPhaseReading;
  s->reading = 1;
  s->source = s->listed[index].source;
  const int at = s->listed[index].index;
  int made;
  if (s->source == kSourceMusicBrainz) {
    const MusicBrainzRelease* release = &s->musicBrainz->items[at];
    // A CD stub came with its titles.
    if (!release->id[0]) {
      s->entry = s->musicBrainz->stub;
      s->phase = kPhaseDone;
      return End(s);
    }
    made = FormatMusicBrainzReleaseRequest(&s->settings, release->id, s->request, sizeof s->request);
    s->answerLimit = kMusicBrainzReleaseLimit;
  } else {
    char command[64];
    made = FormatReadCommand(&s->cddb.items[at], command, sizeof command) &&
           FormatCddbRequest(&s->settings, command, s->hostName, s->request, sizeof s->request);
    s->answerLimit = kCddbAnswerLimit;
  }
  if (!made) return StepFailedWith(s, kStatusUnreadable, now);
  s->requestLength = strlen(s->request);
  return AwaitTurn(s, now);
}

int LookupSureMatch(const LookupSession* s) {
  if (s->phase != kPhaseChoosing || s->listedCount != 1) return -1;
  const LookupListed* only = &s->listed[0];
  if (only->source == kSourceMusicBrainz)
    return s->musicBrainz->byId || s->musicBrainz->items[only->index].media == 1 ? 0 : -1;
  return s->cddb.exact ? 0 : -1;
}

void LookupMatchLine(const LookupSession* s, int index, char* out, size_t size) {
  if (size) out[0] = '\0';
  if (index < 0 || index >= s->listedCount) return;
  const LookupListed* listed = &s->listed[index];
  char title[2 * kLookupTextSize + 40];
  if (listed->source == kSourceMusicBrainz)
    FormatMusicBrainzRelease(&s->musicBrainz->items[listed->index], title, sizeof title);
  else
    snprintf(title, sizeof title, "%s", s->cddb.items[listed->index].title);
  FormatMatchLine(title, LookupSourceName(listed->source), out, size);
}

void LookupEnd(LookupSession* s) {
  DropAnswer(s);
  free(s->musicBrainz);
  s->musicBrainz = nullptr;
  s->phase = kPhaseFailed;
  s->waiting = kWaitNothing;
}
