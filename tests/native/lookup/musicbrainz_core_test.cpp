#include "player/lookup/musicbrainz_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "player/lookup/json_reader.h"
#include "tests/native/lookup/lookup_names.h"
#include "tests/native/lookup/lookup_toc.h"

namespace {

// The discs of the canned replies (tests/musicbrainz/replies), which the
// test service answers for them.
const DiscToc kSingle = Toc({150, 14265, 33790, 49650, 51900}, 56400);
const DiscToc kSeveral = Toc({150, 20000, 41000, 60000}, 80000);
const DiscToc kSecondOfTwo = Toc({150, 18000, 36000, 54000, 72000, 90000}, 108000);
const DiscToc kNearOnly = Toc({150, 30000, 60000}, 90000);
const DiscToc kNonAscii = Toc({150, 25000}, 50000);
const DiscToc kCut = Toc({150, 30000}, 60000);
const DiscToc kStub = Toc({150, 11111, 22222}, 33333);

std::string Reply(const std::string& name) {
  std::ifstream file(std::string(KOVEL_MUSICBRAINZ_REPLIES) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Answer(const std::string& status, const std::string& body, bool sized = true) {
  return "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\n" +
         (sized ? "Content-Length: " + std::to_string(body.size()) + "\r\n" : "") + "\r\n" + body;
}

// The release of a reply with that id, as the service answers a request for
// it alone.
std::string ReleaseOf(const std::string& reply, const std::string& id) {
  JsonReader r = JsonStart(reply.data(), reply.size());
  char key[32], found[kMusicBrainzReleaseIdSize];
  if (!JsonEnterObject(&r)) return "";
  while (JsonNextKey(&r, key, sizeof key)) {
    if (strcmp(key, "releases") != 0 || !JsonEnterArray(&r)) {
      JsonSkip(&r);
      continue;
    }
    while (JsonNextItem(&r)) {
      JsonPeek(&r);
      const char* begin = r.at;
      JsonReader inner = r;
      JsonSkip(&r);
      found[0] = '\0';
      JsonEnterObject(&inner);
      while (JsonNextKey(&inner, key, sizeof key))
        if (strcmp(key, "id") == 0)
          JsonReadString(&inner, found, sizeof found);
        else
          JsonSkip(&inner);
      if (id == found) return std::string(begin, r.at);
    }
  }
  return "";
}

// What a list gives: each release's line; and what each release's own
// answer gives: "Artist / Title: track|track|...".
struct Found {
  int result;
  std::vector<std::string> lines;
  std::vector<std::string> entries;
  int byId;
  std::string line;
};

std::string EntryText(const LookupEntry& entry) {
  std::string text = std::string(entry.artist) + " / " + entry.title + ":";
  for (int t = 0; t < entry.trackCount; ++t) text += (t ? "|" : " ") + std::string(entry.tracks[t]);
  return text;
}

Found Look(const std::string& answer, const DiscToc& toc, const std::string& reply = "") {
  static MusicBrainzList list;
  static LookupEntry entry;
  char line[kLookupLineSize];
  Found found;
  found.result = ParseMusicBrainzList(answer.data(), answer.size(), &toc, &list, line, sizeof line);
  found.byId = list.byId;
  found.line = line;
  for (int i = 0; i < list.count; ++i) {
    char text[2 * kLookupTextSize + 40];
    FormatMusicBrainzRelease(&list.items[i], text, sizeof text);
    found.lines.push_back(text);
    if (!list.items[i].id[0]) {
      found.entries.push_back(EntryText(list.stub));
      continue;
    }
    std::string release = Answer("200 OK", ReleaseOf(reply, list.items[i].id));
    EXPECT_EQ(kLookupOk, ParseMusicBrainzRelease(release.data(), release.size(), &toc, &entry, line, sizeof line));
    found.entries.push_back(EntryText(entry));
  }
  return found;
}

TEST(MusicBrainzCore, TheRequestsNameTheDiscOrTheReleaseAndTheProgram) {
  LookupSettings settings;
  ReadLookupSettings("", &kLookupNames, &settings);
  char request[kLookupRequestSize];
  ASSERT_EQ(1, FormatMusicBrainzListRequest(&settings, &kSingle, request, sizeof request));
  EXPECT_STREQ(
      "GET /ws/2/discid/HtS5_vmq5zQGVV5Arn9AZgvTJF4-?toc=1+5+56400+150+14265+33790+49650+51900"
      "&inc=artist-credits&fmt=json HTTP/1.0\r\nHost: musicbrainz.org\r\n"
      "User-Agent: kovel32/1.0\r\nAccept: application/json\r\n\r\n",
      request);
  ASSERT_EQ(1, FormatMusicBrainzReleaseRequest(&settings, "18f135d2-5f55-4203-b018-50c5a38fd547", request,
                                               sizeof request));
  EXPECT_STREQ(
      "GET /ws/2/release/18f135d2-5f55-4203-b018-50c5a38fd547?inc=artist-credits+recordings&fmt=json HTTP/1.0\r\n"
      "Host: musicbrainz.org\r\nUser-Agent: kovel32/1.0\r\nAccept: application/json\r\n\r\n",
      request);

  // The contact, printable and without brackets that would end the
  // header's comment; a port other than 443 goes with the host.
  ReadLookupSettings("[Lookup]\r\nMusicBrainzServer=localhost\r\nMusicBrainzPort=8443\r\n"
                     "Contact= Ann (ann@example.org)\t\xC3\xA4 \r\n",
                     &kLookupNames, &settings);
  ASSERT_EQ(1, FormatMusicBrainzListRequest(&settings, &kSingle, request, sizeof request));
  EXPECT_NE(nullptr, strstr(request, "\r\nHost: localhost:8443\r\nUser-Agent: kovel32/1.0 ( Ann  ann@example.org )\r\n"))
      << request;

  EXPECT_EQ(0, FormatMusicBrainzListRequest(&settings, &kSingle, request, 100));
  DiscToc none = {};
  EXPECT_EQ(0, FormatMusicBrainzListRequest(&settings, &none, request, sizeof request));
  EXPECT_EQ(0, FormatMusicBrainzReleaseRequest(&settings, "", request, sizeof request));

  // The page where a user adds an unknown disc: the same id and toc, an
  // enhanced CD by its audio tracks.
  char address[kLookupRequestSize];
  DiscToc enhanced;
  const DiscToc disc = Toc({150, 14265, 33790, 49650, 51900, 67800}, 90000, {5});
  MusicBrainzToc(&disc, &enhanced);
  ASSERT_EQ(1, FormatMusicBrainzSubmitAddress(&settings, &enhanced, address, sizeof address));
  EXPECT_STREQ("https://localhost:8443/cdtoc/attach?id=HtS5_vmq5zQGVV5Arn9AZgvTJF4-&tracks=5&"
               "toc=1+5+56400+150+14265+33790+49650+51900",
               address);
  EXPECT_EQ(0, FormatMusicBrainzSubmitAddress(&settings, &enhanced, address, 60));
  EXPECT_STREQ("", address);
}

// An enhanced CD counts its audio tracks only, its lead-out 11,400 frames
// before its data track; a disc of data tracks only, or with a data track
// first, stays as it is.
TEST(MusicBrainzCore, AnEnhancedCdCountsItsAudioTracksOnly) {
  struct Case {
    const char* what;
    DiscToc disc;
    int tracks;
    uint32_t leadOut;
  } cases[] = {
      {"audio only", Toc({150, 20000}, 40000), 2, 40000},
      {"audio, then data", Toc({150, 20000, 51400}, 90000, {2}), 2, 40000},
      {"audio, then two data", Toc({150, 20000, 51400, 60000}, 90000, {2, 3}), 2, 40000},
      {"data first", Toc({150, 20000}, 40000, {0}), 2, 40000},
      {"data only", Toc({150}, 40000, {0}), 1, 40000},
      {"a data track too close for a session", Toc({150, 20000, 21000}, 40000, {2}), 2, 21000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DiscToc toc;
    MusicBrainzToc(&c.disc, &toc);
    EXPECT_EQ(c.tracks, toc.trackCount);
    EXPECT_EQ(c.leadOut, toc.leadOut);
  }
}

TEST(MusicBrainzCore, ReadsEachFormOfAnswerInItsTwoSteps) {
  struct Case {
    const char* reply;
    const DiscToc* toc;
    int byId;
    std::vector<std::string> lines;
    std::vector<std::string> entries;
  } cases[] = {
      {"HtS5_vmq5zQGVV5Arn9AZgvTJF4-.json", &kSingle, 1,
       {"Anna Vik & The Lanterns / Harbour Lights (1999, XE)"},
       {"Anna Vik & The Lanterns / Harbour Lights: Low Tide|Ferry at Dawn|Salt|The Pier Lamps|Homeward"}},
      {"SkKpXy61aP10TJEd1Ul9KsKu1Ig-.json", &kSeveral, 1,
       {"Northbound / Northern Songs (1987, GB)", "Northbound / Northern Songs (Remastered) (2005, GB)",
        "Northbound / Northern Songs (1988, JP)"},
       {"Northbound / Northern Songs: Compass|Ice Road|Aurora|Last Light",
        "Northbound / Northern Songs (Remastered): Compass|Ice Road|Aurora|Last Light",
        "Northbound / Northern Songs: Compass|Ice Road|Aurora|Last Light"}},
      // The disc is the set's second medium: its titles, not the first's.
      {"G_k3OfGJ4r3_688esqJ3jBPURnY-.json", &kSecondOfTwo, 1,
       {"Orchestra of the Tarn conducted by Ilse Marr / The Four Rivers (1999, XE)"},
       {"Orchestra of the Tarn conducted by Ilse Marr / The Four Rivers: Spring Flood|Summer Drought|Autumn "
        "Mist|Winter Ice|Thaw|Return"}},
      // Known only by a near table of contents: the medium whose offsets
      // come nearest, a medium without discs by its tracks' lengths, and
      // no release whose media have another number of tracks.
      {"toc-90000.json", &kNearOnly, 0,
       {"Marta Lind / Three Rooms (1999, XE)", "Marta Lind / Three Rooms (Live) (1999, XE)"},
       {"Marta Lind / Three Rooms: Kitchen|Attic|Cellar",
        "Marta Lind / Three Rooms (Live): Kitchen (live)|Attic (live)|Cellar (live)"}},
      {"dYGdEJsc7LuFBI1er3PKGxsdnQ0-.json", &kNonAscii, 1,
       {"Sigur R\xC3\xB3s & T\xC5\x8Dky\xC5\x8D Ensemble / Joutsenen Siivill\xC3\xA4 (1999, XE)"},
       {"Sigur R\xC3\xB3s & T\xC5\x8Dky\xC5\x8D Ensemble / Joutsenen Siivill\xC3\xA4: Kev\xC3\xA4t \xE6\x9D\xB1\xE4\xBA\xAC "
        "\xF0\x9F\x8E\xB5|Lumi \"Snow\" and\\ice"}},
      {"s3Vpk2W8eBLEn1dDKC6YjWg1tZc-.json", &kStub, 1, {"Pekka Aalto / Kitchen Tapes"},
       {"Pekka Aalto / Kitchen Tapes: Toaster|Kettle|Sink"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    std::string reply = Reply(c.reply);
    Found found = Look(Answer("200 OK", reply), *c.toc, reply);
    EXPECT_EQ(kLookupOk, found.result);
    EXPECT_EQ(c.byId, found.byId);
    EXPECT_EQ(c.lines, found.lines);
    EXPECT_EQ(c.entries, found.entries);
  }
}

TEST(MusicBrainzCore, AnswersWithoutTitlesSayWhyAndGiveNone) {
  std::string whole = Reply("GMbEeE5P4GDhww80xGqomhEpi.4-.cut");
  std::string half = whole.substr(0, whole.size() / 2);
  const char kMedium[] = R"({"id":"0f977044-218e-4b7b-958d-cdb46b446806","title":"T","media":[{"track-count":2,)"
                         R"("discs":[{"id":"GMbEeE5P4GDhww80xGqomhEpi.4-"}])";
  struct Case {
    const char* what;
    std::string answer;
    const DiscToc* toc;
    int result;
    const char* line;
  } cases[] = {
      {"unknown disc", Answer("404 Not Found", R"({"error":"Not Found","help":"..."})"), &kSingle, kLookupNoMatch,
       "HTTP/1.1 404 Not Found"},
      {"too many requests", Answer("503 Service Temporarily Unavailable", "{}"), &kSingle, kLookupServerError,
       "HTTP/1.1 503 Service Temporarily Unavailable"},
      {"cut, no length", Answer("200 OK", half, false), &kCut, kLookupCut, ""},
      {"cut, short of its length", Answer("200 OK", whole).substr(0, 400), &kCut, kLookupCut, ""},
      {"larger than the list's limit",
       "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kMusicBrainzListLimit + 1) + "\r\n\r\n{", &kCut,
       kLookupTooLarge, ""},
      {"whole", Answer("200 OK", whole), &kCut, kLookupOk, ""},
      {"not an object", Answer("200 OK", "[]"), &kSingle, kLookupUnreadable, ""},
      {"more after it", Answer("200 OK", whole + "}"), &kCut, kLookupUnreadable, ""},
      {"no release", Answer("200 OK", R"({"releases":[]})"), &kSingle, kLookupNoMatch, ""},
      {"no medium of this disc", Answer("200 OK", Reply("HtS5_vmq5zQGVV5Arn9AZgvTJF4-.json")), &kSeveral,
       kLookupNoMatch, ""},
      {"a release without an id", Answer("200 OK", R"({"releases":[{"title":"T","media":[{"track-count":2}]}]})"),
       &kCut, kLookupNoMatch, ""},
      {"an id that is no release's",
       Answer("200 OK", R"({"releases":[{"id":"../x?y","title":"T","media":[{"track-count":2}]}]})"), &kCut,
       kLookupNoMatch, ""},
      {"this disc's medium without tracks",
       Answer("200 OK", R"({"releases":[{"id":"0f977044-218e-4b7b-958d-cdb46b446806","title":"T",)"
                        R"("media":[{"track-count":0,"discs":[{"id":"GMbEeE5P4GDhww80xGqomhEpi.4-"}]}]}]})"),
       &kCut, kLookupNoMatch, ""},
      {"a stub without tracks", Answer("200 OK", R"({"id":"x","title":"T","artist":"A","tracks":[]})"), &kStub,
       kLookupNoMatch, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Found found = Look(c.answer, *c.toc, whole);
    EXPECT_EQ(c.result, found.result);
    EXPECT_EQ(c.line, found.line);
    EXPECT_EQ(c.result == kLookupOk ? 1u : 0u, found.lines.size());
  }

  // The chosen release: its medium of this disc with tracks, within the
  // release's own limit.
  struct ReleaseCase {
    const char* what;
    std::string answer;
    int result;
  } releases[] = {
      {"its medium with tracks", Answer("200 OK", std::string(kMedium) + R"(,"tracks":[{"title":"a"},{"title":"b"}]}]})"),
       kLookupOk},
      {"its medium without tracks", Answer("200 OK", std::string(kMedium) + R"(,"tracks":[]}]})"), kLookupNoMatch},
      {"no medium of this disc", Answer("200 OK", R"({"title":"T","media":[{"track-count":3,"tracks":[]}]})"),
       kLookupNoMatch},
      {"a box set too large to read",
       "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kMusicBrainzReleaseLimit + 1) + "\r\n\r\n{",
       kLookupTooLarge},
      {"the release is gone", Answer("404 Not Found", "{}"), kLookupNoMatch},
      {"cut", Answer("200 OK", std::string(kMedium) + R"(,"tracks":[{"title":"a"}]}]})").substr(0, 150), kLookupCut},
  };
  for (const ReleaseCase& c : releases) {
    SCOPED_TRACE(c.what);
    LookupEntry entry;
    char line[kLookupLineSize];
    EXPECT_EQ(c.result, ParseMusicBrainzRelease(c.answer.data(), c.answer.size(), &kCut, &entry, line, sizeof line));
    EXPECT_EQ(c.result == kLookupOk ? 2 : 0, entry.trackCount);
  }
}

// A mass-pressed disc attached to 150 releases is listed whole, each
// release told apart by its year and country.
TEST(MusicBrainzCore, ADiscOfManyReleasesListsThemAll) {
  std::string body = R"({"id":"GMbEeE5P4GDhww80xGqomhEpi.4-","releases":[)";
  for (int i = 0; i < 150; ++i) {
    char release[600];
    snprintf(release, sizeof release,
             R"(%s{"id":"00000000-0000-0000-0000-%012d","title":"Hits","date":"%d-01-01","country":"%s",)"
             R"("artist-credit":[{"name":"Band","joinphrase":""}],"release-events":[{"date":"%d"}],)"
             R"("media":[{"position":1,"track-count":2,"discs":[{"id":"GMbEeE5P4GDhww80xGqomhEpi.4-",)"
             R"("offset-count":2,"sectors":60000,"offsets":[150,30000]}]}]})",
             i ? "," : "", i, 1990 + i % 30, i % 2 ? "GB" : "DE", 1990 + i % 30);
    body += release;
  }
  body += "]}";
  static MusicBrainzList list;
  std::string answer = Answer("200 OK", body);
  char line[kLookupLineSize];
  ASSERT_EQ(kLookupOk, ParseMusicBrainzList(answer.data(), answer.size(), &kCut, &list, line, sizeof line));
  ASSERT_EQ(150, list.count);
  char text[2 * kLookupTextSize + 40];
  FormatMusicBrainzRelease(&list.items[149], text, sizeof text);
  EXPECT_STREQ("Band / Hits (2019, GB)", text);
  EXPECT_STREQ("00000000-0000-0000-0000-000000000149", list.items[149].id);
}

}  // namespace
