#include "player/lookup/musicbrainz_core.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/native/lookup/lookup_toc.h"
#include "tests/native/lookup/lookup_names.h"

namespace {

// The discs of the canned replies (tests/musicbrainz/replies), which the
// test service answers for them.
const LookupToc kSingle = Toc({150, 14265, 33790, 49650, 51900}, 56400);
const LookupToc kSeveral = Toc({150, 20000, 41000, 60000}, 80000);
const LookupToc kSecondOfTwo = Toc({150, 18000, 36000, 54000, 72000, 90000}, 108000);
const LookupToc kNearOnly = Toc({150, 30000, 60000}, 90000);
const LookupToc kNonAscii = Toc({150, 25000}, 50000);
const LookupToc kCut = Toc({150, 30000}, 60000);
const LookupToc kStub = Toc({150, 11111, 22222}, 33333);

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

// What an answer gives: "Artist / Title: track|track|..." for each match.
struct Found {
  int result;
  std::vector<std::string> matches;
  std::string line;
};

Found Look(const std::string& answer, const LookupToc& toc) {
  static MusicBrainzMatches matches;
  static LookupEntry entry;
  const char* body;
  size_t size;
  char line[kLookupLineSize];
  Found found;
  found.result = ParseMusicBrainzAnswer(answer.data(), answer.size(), &toc, 1, &matches, &body, &size, line,
                                        sizeof line);
  found.line = line;
  for (int i = 0; i < matches.count; ++i) {
    EXPECT_EQ(kLookupOk, ReadMusicBrainzEntry(body, size, &matches.items[i], &entry));
    std::string text = std::string(entry.artist) + " / " + entry.title + ":";
    for (int t = 0; t < entry.trackCount; ++t) text += (t ? "|" : " ") + std::string(entry.tracks[t]);
    found.matches.push_back(text);
  }
  return found;
}

TEST(MusicBrainzCore, TheRequestNamesTheDiscAndTheProgram) {
  LookupSettings settings;
  ReadLookupSettings("", &kLookupNames, &settings);
  char request[kLookupRequestSize];
  ASSERT_EQ(1, FormatMusicBrainzRequest(&settings, &kSingle, 1, request, sizeof request));
  EXPECT_STREQ(
      "GET /ws/2/discid/HtS5_vmq5zQGVV5Arn9AZgvTJF4-?toc=1+5+56400+150+14265+33790+49650+51900"
      "&inc=artist-credits+recordings&fmt=json HTTP/1.0\r\nHost: musicbrainz.org\r\n"
      "User-Agent: kovel32/1.0\r\nAccept: application/json\r\n\r\n",
      request);

  // The contact, printable and without brackets that would end the
  // header's comment; a port other than 443 goes with the host.
  ReadLookupSettings("[Lookup]\r\nMusicBrainzServer=localhost\r\nMusicBrainzPort=8443\r\n"
                          "Contact= Ann (ann@example.org)\t\xC3\xA4 \r\n",
                          &kLookupNames, &settings);
  ASSERT_EQ(1, FormatMusicBrainzRequest(&settings, &kSingle, 1, request, sizeof request));
  EXPECT_NE(nullptr, strstr(request, "\r\nHost: localhost:8443\r\nUser-Agent: kovel32/1.0 ( Ann  ann@example.org )\r\n"))
      << request;

  EXPECT_EQ(0, FormatMusicBrainzRequest(&settings, &kSingle, 1, request, 100));
  LookupToc none = {};
  EXPECT_EQ(0, FormatMusicBrainzRequest(&settings, &none, 1, request, sizeof request));
  EXPECT_EQ(0, FormatMusicBrainzRequest(&settings, &kSingle, 96, request, sizeof request));  // tracks past 99
}

TEST(MusicBrainzCore, SettingsSourcesAndTheRateOfRequests) {
  LookupSettings settings;
  ReadLookupSettings("[Lookup]\r\nMusicBrainzServer=bad name\r\nMusicBrainzPort=0\r\n", &kLookupNames, &settings);
  EXPECT_STREQ("musicbrainz.org", settings.musicBrainzServer);
  EXPECT_EQ(443, settings.musicBrainzPort);
  EXPECT_STREQ("", settings.contact);
  EXPECT_STREQ("", settings.roots);
  struct {
    const char* value;
    std::vector<int> sources;
  } lists[] = {
      {"", {kSourceMusicBrainz, kSourceGnudb}},
      {"gnudb", {kSourceGnudb}},
      {" GNUDB , musicbrainz,other,gnudb", {kSourceGnudb, kSourceMusicBrainz}},
      {"other", {kSourceMusicBrainz, kSourceGnudb}},
  };
  for (const auto& list : lists) {
    ReadLookupSettings(std::string("[Lookup]\r\nSources=") + list.value + "\r\nRoots=C:\\roots.pem\r\n",
                            &kLookupNames, &settings);
    EXPECT_EQ(list.sources, std::vector<int>(settings.sources, settings.sources + settings.sourceCount))
        << list.value;
    EXPECT_STREQ("C:\\roots.pem", settings.roots);
  }

  EXPECT_EQ(0u, MusicBrainzRequestDelay(0, 5000, 5001, 1000));
  EXPECT_EQ(800u, MusicBrainzRequestDelay(1, 5000, 5200, 1000));
  EXPECT_EQ(0u, MusicBrainzRequestDelay(1, 5000, 6000, 1000));
  EXPECT_EQ(488u, MusicBrainzRequestDelay(1, 0xFFFFFF00u, 0x100u, 1000));  // the tick count wrapped
}

TEST(MusicBrainzCore, ReadsEachFormOfAnswer) {
  struct Case {
    const char* reply;
    const LookupToc* toc;
    std::vector<std::string> matches;
  } cases[] = {
      {"HtS5_vmq5zQGVV5Arn9AZgvTJF4-.json", &kSingle,
       {"Anna Vik & The Lanterns / Harbour Lights: Low Tide|Ferry at Dawn|Salt|The Pier Lamps|Homeward"}},
      {"SkKpXy61aP10TJEd1Ul9KsKu1Ig-.json", &kSeveral,
       {"Northbound / Northern Songs: Compass|Ice Road|Aurora|Last Light",
        "Northbound / Northern Songs (Remastered): Compass|Ice Road|Aurora|Last Light",
        "Northbound / Northern Songs: Compass|Ice Road|Aurora|Last Light"}},
      // The disc is the set's second medium: its titles, not the first's.
      {"G_k3OfGJ4r3_688esqJ3jBPURnY-.json", &kSecondOfTwo,
       {"Orchestra of the Tarn conducted by Ilse Marr / The Four Rivers: Spring Flood|Summer Drought|Autumn "
        "Mist|Winter Ice|Thaw|Return"}},
      // Known only by a near table of contents: the medium whose offsets
      // come nearest, a medium without discs by its tracks' lengths, and
      // no release whose media have another number of tracks.
      {"toc-90000.json", &kNearOnly,
       {"Marta Lind / Three Rooms: Kitchen|Attic|Cellar",
        "Marta Lind / Three Rooms (Live): Kitchen (live)|Attic (live)|Cellar (live)"}},
      {"dYGdEJsc7LuFBI1er3PKGxsdnQ0-.json", &kNonAscii,
       {"Sigur R\xC3\xB3s & T\xC5\x8Dky\xC5\x8D Ensemble / Joutsenen Siivill\xC3\xA4: Kev\xC3\xA4t \xE6\x9D\xB1\xE4\xBA\xAC "
        "\xF0\x9F\x8E\xB5|Lumi \"Snow\" and\\ice"}},
      {"s3Vpk2W8eBLEn1dDKC6YjWg1tZc-.json", &kStub, {"Pekka Aalto / Kitchen Tapes: Toaster|Kettle|Sink"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    Found found = Look(Answer("200 OK", Reply(c.reply)), *c.toc);
    EXPECT_EQ(kLookupOk, found.result);
    EXPECT_EQ(c.matches, found.matches);
  }
}

TEST(MusicBrainzCore, AnswersWithoutTitlesSayWhyAndGiveNone) {
  std::string whole = Reply("GMbEeE5P4GDhww80xGqomhEpi.4-.cut");
  std::string half = whole.substr(0, whole.size() / 2);
  struct Case {
    const char* what;
    std::string answer;
    const LookupToc* toc;
    int result;
    const char* line;
  } cases[] = {
      {"unknown disc", Answer("404 Not Found", R"({"error":"Not Found","help":"..."})"), &kSingle, kLookupNoMatch,
       "HTTP/1.1 404 Not Found"},
      {"too many requests", Answer("503 Service Temporarily Unavailable", "{}"), &kSingle, kLookupServerError,
       "HTTP/1.1 503 Service Temporarily Unavailable"},
      {"cut, no length", Answer("200 OK", half, false), &kCut, kLookupCut, ""},
      {"cut, short of its length", Answer("200 OK", whole).substr(0, 400), &kCut, kLookupCut, ""},
      {"whole", Answer("200 OK", whole), &kCut, kLookupOk, ""},
      {"not an object", Answer("200 OK", "[]"), &kSingle, kLookupUnreadable, ""},
      {"more after it", Answer("200 OK", whole + "}"), &kCut, kLookupUnreadable, ""},
      {"no release", Answer("200 OK", R"({"releases":[]})"), &kSingle, kLookupNoMatch, ""},
      {"no medium of this disc", Answer("200 OK", Reply("HtS5_vmq5zQGVV5Arn9AZgvTJF4-.json")), &kSeveral,
       kLookupNoMatch, ""},
      {"this disc's medium without its tracks",
       Answer("200 OK",
              R"({"releases":[{"title":"T","media":[{"track-count":2,"discs":[{"id":"GMbEeE5P4GDhww80xGqomhEpi.4-"}]}]}]})"),
       &kCut, kLookupNoMatch, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Found found = Look(c.answer, *c.toc);
    EXPECT_EQ(c.result, found.result);
    EXPECT_EQ(c.line, found.line);
    EXPECT_EQ(c.result == kLookupOk ? 1u : 0u, found.matches.size());
  }

  // At most kLookupMaxMatches releases are kept of a longer list.
  std::string release = R"({"title":"T","media":[{"track-count":2,"discs":[{"id":"GMbEeE5P4GDhww80xGqomhEpi.4-"}],)"
                        R"("tracks":[{"title":"a"},{"title":"b"}]}]})";
  std::string many = R"({"releases":[)" + release;
  for (int i = 1; i < kLookupMaxMatches + 5; ++i) many += "," + release;
  EXPECT_EQ(static_cast<size_t>(kLookupMaxMatches), Look(Answer("200 OK", many + "]}"), kCut).matches.size());
}

}  // namespace
