// The look-up's sequencing without sockets: the engine is fed the events a
// driver would feed it (addresses found, connections opened, bytes in,
// closes, timers) and must say what to do next.
#include "player/lookup/lookup_engine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "player/lookup/auto_lookup_core.h"
#include "tests/native/lookup/lookup_names.h"
#include "tests/native/lookup/lookup_toc.h"

namespace {

const DiscToc kDisc = Toc({150, 30000}, 60000);
const char kDiscId[] = "GMbEeE5P4GDhww80xGqomhEpi.4-";
const char kRelease[] = "0f977044-218e-4b7b-958d-cdb46b446806";

std::string Http(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string ListOf(int releases, bool byId = true, int media = 1) {
  std::string body = std::string("{") + (byId ? "\"id\":\"" + std::string(kDiscId) + "\"," : "") + "\"releases\":[";
  for (int i = 0; i < releases; ++i) {
    body += std::string(i ? "," : "") + "{\"id\":\"" + kRelease + "\",\"title\":\"Rooms\",\"media\":[";
    for (int m = 0; m < media; ++m) body += std::string(m ? "," : "") + "{\"track-count\":2}";
    body += "]}";
  }
  return Http("200 OK", body + "]}");
}

const std::string kReleaseAnswer =
    Http("200 OK", std::string("{\"title\":\"Rooms\",\"artist-credit\":[{\"name\":\"Marta\"}],\"media\":[{") +
                       "\"track-count\":2,\"discs\":[{\"id\":\"" + kDiscId +
                       "\"}],\"tracks\":[{\"title\":\"Kitchen\"},{\"title\":\"Attic\"}]}]}");
const std::string kOneExact = Http("200 OK", "200 rock 3402ee05 The Quartet / Late Night\r\n");
const std::string kTwoInexact = Http("200 OK", "211 close\r\nrock 1 A / B\r\njazz 2 C / D\r\n.\r\n");
const std::string kEntry = Http("200 OK", "210 rock 3402ee05 x\r\nDTITLE=The Quartet / Late Night\r\nTTITLE0=Blue\r\n.\r\n");

// A driver of the engine, as the dialog is one, without sockets: it keeps
// the clock, and records what it was asked to do.
struct Driver {
  LookupSession s;
  LookupTurn turn = {0, 0};
  LookupTimes times = kLookupTimes;
  uint32_t now = 100000;
  LookupAction last;
  std::vector<std::string> did;  // "resolve server", "connect server:port request's first line"

  void Note(const LookupAction& a) {
    last = a;
    if (a.kind == kActionResolve) did.push_back(std::string("resolve ") + a.server);
    if (a.kind == kActionConnect) {
      std::string request(a.request, a.requestLength);
      did.push_back(std::string("connect ") + a.server + ":" + std::to_string(a.port) + (a.secure ? " tls " : " ") +
                    request.substr(0, request.find(" HTTP/")));
    }
    if (a.kind == kActionEnd) did.push_back("end");
  }
  void Start(const std::string& sources) {
    LookupSettings settings;
    ReadLookupSettings("[Lookup]\r\nSources=" + sources + "\r\n", &kLookupNames, &settings);
    Note(LookupStart(&s, &settings, &kDisc, "DESK", &turn, &times, now));
  }
  ~Driver() { LookupEnd(&s); }
  // The server of the last action answers: found, connected, the answer in
  // pieces, and closed when close.
  void Answer(const std::string& answer, bool close = true, size_t piece = 700) {
    if (last.kind == kActionResolve) Note(LookupResolved(&s, 1, now));
    ASSERT_EQ(kActionConnect, last.kind);
    Note(LookupConnected(&s, now));
    for (size_t at = 0; at < answer.size() && last.kind == kActionWait; at += piece) {
      char* room;
      size_t size;
      ASSERT_EQ(1, LookupAnswerRoom(&s, &room, &size));
      size_t n = std::min(std::min(piece, answer.size() - at), size);
      memcpy(room, answer.data() + at, n);
      Note(LookupReceived(&s, n, now));
    }
    if (close && last.kind == kActionWait) Note(LookupClosed(&s, now));
  }
  void Fail(int status) {
    if (last.kind == kActionResolve) Note(LookupResolved(&s, 1, now));
    LookupFailure failure = {};
    failure.status = status;
    Note(LookupFailed(&s, &failure, now));
  }
  void Pass(uint32_t ms) {
    now += ms;
    Note(LookupTimer(&s, now));
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (int i = 0; i < s.listedCount; ++i) {
      char line[700];
      LookupMatchLine(&s, i, line, sizeof line);
      lines.push_back(line);
    }
    return lines;
  }
};

// The sources are asked in the settings' order; one that fails is named
// and hides nothing of the other's matches; every match of both is listed.
TEST(LookupEngine, AsksTheSourcesInTheirOrderAndKeepsEachOnesMatchesAndFailure) {
  struct Case {
    const char* sources;
    std::string musicBrainz;  // empty: its connection fails
    std::string gnudb;
    std::vector<std::string> lines;
    int phase;
    std::vector<int> failures;  // each source's status, -1 where it did not fail
  } cases[] = {
      {"MusicBrainz,gnudb", ListOf(1), kTwoInexact,
       {"Rooms (MusicBrainz)", "A / B (gnudb)", "C / D (gnudb)"}, kPhaseChoosing, {-1, -1}},
      {"gnudb,MusicBrainz", ListOf(1), kTwoInexact,
       {"A / B (gnudb)", "C / D (gnudb)", "Rooms (MusicBrainz)"}, kPhaseChoosing, {-1, -1}},
      {"MusicBrainz,gnudb", "", kOneExact, {"The Quartet / Late Night (gnudb)"}, kPhaseChoosing,
       {kStatusConnectionLost, -1}},
      {"gnudb,MusicBrainz", ListOf(1), Http("200 OK", "403 Database entry is corrupt.\r\n"), {"Rooms (MusicBrainz)"},
       kPhaseChoosing, {-1, kStatusServerError}},
      {"MusicBrainz", Http("404 Not Found", "{}"), "", {}, kPhaseFailed, {kStatusNoMatch, -1}},
      {"MusicBrainz,gnudb", Http("503 Busy", "{}"), Http("200 OK", "202 No match\r\n"), {}, kPhaseFailed,
       {kStatusServerError, kStatusNoMatch}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sources);
    Driver d;
    d.Start(c.sources);
    for (int i = 0; i < d.s.settings.sourceCount; ++i) {
      bool musicBrainz = d.s.settings.sources[i] == kSourceMusicBrainz;
      const std::string& answer = musicBrainz ? c.musicBrainz : c.gnudb;
      if (answer.empty())
        d.Fail(kStatusConnectionLost);
      else
        d.Answer(answer);
    }
    EXPECT_EQ(kActionEnd, d.last.kind);
    EXPECT_EQ(c.phase, d.s.phase);
    EXPECT_EQ(c.lines, d.Lines());
    for (int source = 0; source < kSourceCount; ++source)
      EXPECT_EQ(c.failures[source], d.s.failed[source] ? d.s.failures[source].status : -1) << source;
  }
}

// MusicBrainz is asked at most once a second over the whole run, by every
// look-up: a step waits for its turn first, and its time starts after it.
TEST(LookupEngine, MusicBrainzWaitsItsTurnAndTheStepsTimeStartsAfterIt) {
  Driver d;
  d.turn = {1, d.now - 200};
  d.Start("MusicBrainz");
  EXPECT_EQ(kActionWait, d.last.kind);
  EXPECT_EQ(kStatusWaitingTurn, d.s.status);
  EXPECT_EQ(800, LookupTimerDue(&d.s, d.now));
  d.Pass(799);
  EXPECT_EQ(kActionWait, d.last.kind);
  d.Pass(1);
  EXPECT_EQ(kActionResolve, d.last.kind);
  EXPECT_EQ(kStatusConnecting, d.s.status);
  EXPECT_EQ(15000, LookupTimerDue(&d.s, d.now));
  d.Answer(ListOf(1));
  EXPECT_EQ(kPhaseChoosing, d.s.phase);
  EXPECT_EQ(1, d.turn.asked);
  EXPECT_EQ(d.now, d.turn.askedAt);

  // The chosen release right after the list waits for the next turn, then
  // is read with its tracks.
  d.Note(LookupChoose(&d.s, 0, d.now));
  EXPECT_EQ(kActionWait, d.last.kind);
  EXPECT_EQ(1000, LookupTimerDue(&d.s, d.now));
  d.Pass(1000);
  d.Answer(kReleaseAnswer);
  EXPECT_EQ(kPhaseDone, d.s.phase);
  EXPECT_STREQ("Marta", d.s.entry.artist);
  EXPECT_STREQ("Attic", d.s.entry.tracks[1]);
  // The address found for the list served the release too.
  EXPECT_EQ((std::vector<std::string>{"resolve musicbrainz.org",
                                      "connect musicbrainz.org:443 tls GET /ws/2/discid/" + std::string(kDiscId) +
                                          "?toc=1+2+60000+150+30000&inc=artist-credits&fmt=json",
                                      "end",
                                      "connect musicbrainz.org:443 tls GET /ws/2/release/" + std::string(kRelease) +
                                          "?inc=artist-credits+recordings&fmt=json",
                                      "end"}),
            d.did);

  // A second look-up within the second waits too.
  Driver next;
  next.turn = d.turn;
  next.now = d.now + 10;
  next.Start("MusicBrainz");
  EXPECT_EQ(990, LookupTimerDue(&next.s, next.now));
}

// A step ends at its deadlines: 15 seconds without a byte, 60 in all
// however the answer trickles in, counted from the step's start.
TEST(LookupEngine, AStepEndsAtItsDeadlines) {
  struct Case {
    const char* what;
    std::vector<uint32_t> trickle;  // ms between bytes of the answer, then the wait that ends it
    int status;
  } cases[] = {
      {"no address in time", {}, kStatusTimeout},
      {"quiet after connecting", {0, 15000}, kStatusTimeout},
      {"a trickle past the step's limit", {0, 14000, 14000, 14000, 14000, 4000}, kStatusTooSlow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Driver d;
    d.Start("gnudb");
    if (c.trickle.empty()) {
      d.Pass(14999);
      EXPECT_EQ(kActionWait, d.last.kind);
      d.Pass(1);
    } else {
      d.Note(LookupResolved(&d.s, 1, d.now));
      d.Note(LookupConnected(&d.s, d.now));
      for (size_t i = 0; i + 1 < c.trickle.size(); ++i) {
        d.now += c.trickle[i];
        char* room;
        size_t size;
        ASSERT_EQ(1, LookupAnswerRoom(&d.s, &room, &size));
        room[0] = 'H';
        d.Note(LookupReceived(&d.s, 1, d.now));
        EXPECT_EQ(kActionWait, d.last.kind);
      }
      d.Pass(c.trickle.back());
    }
    EXPECT_EQ(kPhaseFailed, d.s.phase);
    EXPECT_EQ(c.status, d.s.failures[kSourceGnudb].status);
  }
}

// Reading the chosen match: gnudb's entry in a step of its own, a CD stub
// at once, and each failure ends the look-up with nothing taken.
TEST(LookupEngine, TheChosenMatchIsReadOrItsFailureTold) {
  struct Case {
    const char* what;
    const char* sources;
    std::string search;
    std::string read;  // empty: nothing more is asked
    bool closes;
    int phase;
    int status;
  } cases[] = {
      {"gnudb's entry", "gnudb", kOneExact, kEntry, false, kPhaseDone, 0},
      {"gnudb's entry cut", "gnudb", kOneExact, Http("200 OK", "210 rock 1 x\r\nDTITLE=A\r\n"), true, kPhaseFailed,
       kStatusIncomplete},
      {"a CD stub",
       "MusicBrainz",
       Http("200 OK", std::string("{\"id\":\"") + kDiscId +
                          "\",\"title\":\"Tapes\",\"artist\":\"Pekka\",\"tracks\":[{\"title\":\"Toaster\"}]}"),
       "",
       false,
       kPhaseDone,
       0},
      {"a release too large", "MusicBrainz", ListOf(1),
       "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kMusicBrainzReleaseLimit + 1) + "\r\n\r\n", false,
       kPhaseFailed, kStatusReleaseTooLarge},
      {"a release gone", "MusicBrainz", ListOf(1), Http("404 Not Found", "{}"), false, kPhaseFailed, kStatusNoMatch},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Driver d;
    d.times.musicBrainzGapMs = 0;
    d.Start(c.sources);
    d.Answer(c.search);
    ASSERT_EQ(kPhaseChoosing, d.s.phase);
    d.Note(LookupChoose(&d.s, 0, d.now));
    if (!c.read.empty()) d.Answer(c.read, c.closes);
    EXPECT_EQ(kActionEnd, d.last.kind);
    EXPECT_EQ(c.phase, d.s.phase);
    if (c.phase == kPhaseFailed) {
      EXPECT_EQ(c.status, d.s.failure.status);
    } else {
      EXPECT_NE("", std::string(d.s.entry.tracks[0]));
    }
  }
}

// What a look-up nobody watches may take by itself: one match in all, and a
// sure one.
TEST(LookupEngine, OnlyASingleSureMatchIsTakenUnasked) {
  struct Case {
    const char* what;
    const char* sources;
    std::string musicBrainz;
    std::string gnudb;
    int sure;
  } cases[] = {
      {"MusicBrainz by the disc's id, one release", "MusicBrainz", ListOf(1), "", 0},
      {"MusicBrainz by the disc's id, two releases", "MusicBrainz", ListOf(2), "", -1},
      {"near, one release with one such medium", "MusicBrainz", ListOf(1, false), "", 0},
      {"near, one release with two such media", "MusicBrainz", ListOf(1, false, 2), "", -1},
      {"gnudb's one exact match", "gnudb", "", kOneExact, 0},
      {"gnudb's inexact matches", "gnudb", "", Http("200 OK", "211 close\r\nrock 1 A / B\r\n.\r\n"), -1},
      {"one of each", "MusicBrainz,gnudb", ListOf(1), kOneExact, -1},
      {"one, the other failing", "MusicBrainz,gnudb", ListOf(1), Http("500 Unknown", ""), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Driver d;
    d.Start(c.sources);
    for (int i = 0; i < d.s.settings.sourceCount; ++i)
      d.Answer(d.s.settings.sources[i] == kSourceMusicBrainz ? c.musicBrainz : c.gnudb);
    EXPECT_EQ(c.sure, LookupSureMatch(&d.s));
  }
}

}  // namespace

namespace {

// A look-up that runs by itself starts only for a disc the catalogue does
// not know, once a run, never beside another.
TEST(AutoLookup, StartsOnceForADiscNobodyKnows) {
  struct Case {
    const char* what;
    int automatic, discIsNew, running;
    uint32_t discId;
    int starts;
  } cases[] = {
      {"the option off", 0, 1, 0, 1, 0},        {"a value other than 1", 2, 1, 0, 1, 0},
      {"a disc the catalogue knows", 1, 0, 0, 1, 0}, {"another look-up runs", 1, 1, 1, 1, 0},
      {"a new disc", 1, 1, 0, 1, 1},            {"the same disc again", 1, 1, 0, 1, 0},
      {"another new disc", 1, 1, 0, 2, 1},
  };
  AutoLookupTried tried = {};
  for (const Case& c : cases) EXPECT_EQ(c.starts, AutoLookupStarts(&tried, c.automatic, c.discIsNew, c.discId, c.running)) << c.what;
  // Past its memory the oldest disc is forgotten, not the newest.
  for (uint32_t id = 100; id < 100 + kAutoLookupMemory; ++id) EXPECT_EQ(1, AutoLookupStarts(&tried, 1, 1, id, 0));
  EXPECT_EQ(0, AutoLookupStarts(&tried, 1, 1, 100 + kAutoLookupMemory - 1, 0));
  EXPECT_EQ(1, AutoLookupStarts(&tried, 1, 1, 1, 0));
}

// A result goes only to the disc it was asked for, while its titles are
// as they were.
TEST(AutoLookup, AResultBelongsOnlyToTheSameUntouchedDisc) {
  TrackEntry tracks[2] = {{1, "Track 1"}, {2, "Track 2"}};
  DiscInfo disc = {};
  disc.discId = 77;
  disc.trackCount = 2;
  disc.tracks = tracks;
  snprintf(disc.title, sizeof disc.title, "Untitled");
  const AutoLookupDisc asked = AutoLookupDiscOf(&disc);
  EXPECT_EQ(1, AutoLookupBelongs(&asked, &disc, 0));
  EXPECT_EQ(0, AutoLookupBelongs(&asked, &disc, 1)) << "ejected";
  DiscInfo other = disc;
  other.discId = 78;
  EXPECT_EQ(0, AutoLookupBelongs(&asked, &other, 0)) << "another disc";
  snprintf(tracks[1].title, sizeof tracks[1].title, "Typed");
  EXPECT_EQ(0, AutoLookupBelongs(&asked, &disc, 0)) << "a track title typed";
  snprintf(tracks[1].title, sizeof tracks[1].title, "Track 2");
  snprintf(disc.artist, sizeof disc.artist, "Typed");
  EXPECT_EQ(0, AutoLookupBelongs(&asked, &disc, 0)) << "the artist typed";
  disc.artist[0] = '\0';
  disc.tracks = nullptr;
  EXPECT_EQ(0, AutoLookupBelongs(&asked, &disc, 0)) << "no record";
}

// What a look-up nobody watches does with what it found: the one sure match
// is read and taken, anything else is shown as if asked or dropped.
TEST(AutoLookup, TakesASureMatchShowsOthersAndDropsFailures) {
  struct Case {
    const char* what;
    std::string answer;
    int userAsked;
    int next;
  } cases[] = {
      {"one sure match", ListOf(1), 0, kAutoRead},
      {"several matches", ListOf(2), 0, kAutoShow},
      {"one match not sure", ListOf(1, false, 2), 0, kAutoShow},
      {"no match", Http("404 Not Found", "{}"), 0, kAutoDrop},
      {"no match, the user asked meanwhile", Http("404 Not Found", "{}"), 1, kAutoShow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Driver d;
    d.Start("MusicBrainz");
    EXPECT_EQ(kAutoWait, AutoLookupNext(&d.s, c.userAsked));
    d.Answer(c.answer);
    EXPECT_EQ(c.next, AutoLookupNext(&d.s, c.userAsked));
    if (c.next != kAutoRead) continue;
    d.Note(LookupChoose(&d.s, LookupSureMatch(&d.s), d.now));
    EXPECT_EQ(kAutoWait, AutoLookupNext(&d.s, c.userAsked));
    d.Pass(1000);
    d.Answer(kReleaseAnswer);
    EXPECT_EQ(kAutoApply, AutoLookupNext(&d.s, c.userAsked));
  }
}

}  // namespace
