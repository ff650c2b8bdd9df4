#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "player/lookup/cddb.h"
#include "player/lookup/http_answer.h"
#include "player/lookup/lookup_status.h"
#include "player/lookup/utf8_text.h"
#include "tests/native/lookup/lookup_toc.h"
#include "tests/native/lookup/lookup_names.h"

namespace {

std::string Hex(uint32_t id) {
  char text[9];
  snprintf(text, sizeof text, "%08x", id);
  return text;
}

LookupSettings Defaults() {
  LookupSettings settings;
  ReadLookupSettings("", &kLookupNames, &settings);
  return settings;
}

int Query(const std::string& body, CddbMatches* matches, std::string* line) {
  char text[kLookupLineSize];
  int result = ParseQueryAnswer(body.data(), body.size(), matches, text, sizeof text);
  *line = text;
  return result;
}

int Read(const std::string& body, LookupEntry* entry, std::string* line = nullptr) {
  char text[kLookupLineSize];
  int result = ParseReadAnswer(body.data(), body.size(), entry, text, sizeof text);
  if (line) *line = text;
  return result;
}

std::u16string Utf16(const std::string& text, size_t count = 64) {
  std::vector<uint16_t> out(count, 0xAAAA);
  size_t n = Utf8ToUtf16(text.c_str(), out.data(), count);
  EXPECT_EQ(0, out[n]);
  return std::u16string(out.begin(), out.begin() + static_cast<long>(n));
}

// Two discs whose ids are published with their tables of contents.
TEST(LookupCore, DiscIdsAndTheSearchCommandOfPublishedDiscs) {
  DiscToc hotel = Toc({150, 8795, 25745, 40138, 55085, 70238, 92398, 109293, 124405, 141120, 158079, 175458,
                         191905, 208331, 234618, 270030},
                        4440 * 75);
  EXPECT_EQ("dd115610", Hex(FreedbDiscId(&hotel)));
  DiscToc liquid = Toc({150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455}, 270335);
  EXPECT_EQ("890e120a", Hex(FreedbDiscId(&liquid)));

  char command[kLookupRequestSize];
  ASSERT_EQ(1, FormatQueryCommand(&liquid, command, sizeof command));
  EXPECT_STREQ("cddb+query+890e120a+10+150+12767+40487+63225+93410+118115+151865+184340+215260+247455+3604",
               command);
  // A command that does not fit, and a table without tracks, give nothing.
  EXPECT_EQ(0, FormatQueryCommand(&liquid, command, 40));
  DiscToc empty = Toc({}, 0);
  EXPECT_EQ(0, FormatQueryCommand(&empty, command, sizeof command));
}

TEST(LookupCore, RequestsCarryTheGreetingEncodedAndTheServersPort) {
  LookupSettings settings = Defaults();
  char request[kLookupRequestSize];
  ASSERT_EQ(1, FormatCddbRequest(&settings, "cddb+read+rock+3402ee05", "DESK-1", request, sizeof request));
  EXPECT_STREQ(
      "GET /~cddb/cddb.cgi?cmd=cddb+read+rock+3402ee05&hello=kovel32+DESK-1+kovel32+1.0&proto=6 HTTP/1.0\r\n"
      "Host: gnudb.gnudb.org\r\nUser-Agent: kovel32/1.0\r\n\r\n",
      request);

  // The server splits the decoded greeting at blanks: a user name keeps
  // its one word.
  snprintf(settings.user, sizeof settings.user, "Anna M+B\tx@example.org");
  snprintf(settings.path, sizeof settings.path, "/my path/cddb.cgi");
  settings.port = 8880;
  ASSERT_EQ(1, FormatCddbRequest(&settings, "cddb+query", "", request, sizeof request));
  EXPECT_STREQ(
      "GET /my%20path/cddb.cgi?cmd=cddb+query&hello=Anna_M%2BB_x%40example.org+localhost+kovel32+1.0&proto=6 "
      "HTTP/1.0\r\n"
      "Host: gnudb.gnudb.org:8880\r\nUser-Agent: kovel32/1.0\r\n\r\n",
      request);
  EXPECT_EQ(0, FormatCddbRequest(&settings, "cddb+query", "", request, 60));
}

TEST(LookupCore, SettingsTakeDefaultsAndTheDefaultsAreAddedOnlyWhereMissing) {
  LookupSettings settings = Defaults();
  EXPECT_STREQ("gnudb.gnudb.org", settings.server);
  EXPECT_EQ(80, settings.port);
  EXPECT_STREQ("/~cddb/cddb.cgi", settings.path);
  EXPECT_STREQ("kovel32", settings.user);

  std::string text =
      "[Window]\r\nWindowXPosn=-8\r\n[Lookup]\r\nServer=127.0.0.1\r\nPort=99999\r\nPath=cddb.cgi\r\n";
  ReadLookupSettings(text, &kLookupNames, &settings);
  EXPECT_STREQ("127.0.0.1", settings.server);
  EXPECT_EQ(80, settings.port);                    // out of range
  EXPECT_STREQ("/~cddb/cddb.cgi", settings.path);  // not a path
  ReadLookupSettings("[Lookup]\r\nServer=bad name\r\nPort=8080\r\nUser=\r\n", &kLookupNames, &settings);
  EXPECT_STREQ("gnudb.gnudb.org", settings.server);
  EXPECT_EQ(8080, settings.port);
  EXPECT_STREQ("kovel32", settings.user);
  // An absolute name is the same name without its last dot.
  ReadLookupSettings("[Lookup]\r\nServer=gnudb.org.\r\nMusicBrainzServer=musicbrainz.org.\r\n", &kLookupNames,
                     &settings);
  EXPECT_STREQ("gnudb.org", settings.server);
  EXPECT_STREQ("musicbrainz.org", settings.musicBrainzServer);
  ReadLookupSettings("[Lookup]\r\nServer=.\r\n", &kLookupNames, &settings);
  EXPECT_STREQ("gnudb.gnudb.org", settings.server);

  ASSERT_EQ(1, AddLookupDefaults(&text, &kLookupNames));
  EXPECT_EQ(
      "[Window]\r\nWindowXPosn=-8\r\n[Lookup]\r\nServer=127.0.0.1\r\nPort=99999\r\nPath=cddb.cgi\r\n"
      "Sources=MusicBrainz,gnudb\r\nUser=kovel32\r\nContact=\r\nRoots=\r\n",
      text);
  EXPECT_EQ(0, AddLookupDefaults(&text, &kLookupNames));
  std::string fresh;
  ASSERT_EQ(1, AddLookupDefaults(&fresh, &kLookupNames));
  EXPECT_EQ("[Lookup]\r\nSources=MusicBrainz,gnudb\r\nServer=gnudb.gnudb.org\r\nPort=80\r\n"
            "Path=/~cddb/cddb.cgi\r\nUser=kovel32\r\nContact=\r\nRoots=\r\n",
            fresh);
}

TEST(LookupCore, HttpAnswersGiveTheirBodyOrSayWhatIsWrong) {
  // Lengths past 655,359 are read exactly, up to far beyond every limit.
  const std::string large(700000, 'j');
  struct Case {
    std::string data;
    size_t limit;
    int result;
    std::string body;
    std::string line;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n202 No match\r\n", 100, kLookupOk, "202 No match\r\n",
       ""},
      {"HTTP/1.1 200 OK\nContent-length:  5\n\n200 x and more", 100, kLookupOk, "200 x", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n200 x", 100, kLookupCut, "", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 700000\r\n\r\n" + large, 1 << 20, kLookupOk, large, ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 700000\r\n\r\n" + large.substr(0, 70000), 1 << 20, kLookupCut, "", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 700000\r\n\r\n" + large, 65536, kLookupTooLarge, "", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n200 x", 1 << 20, kLookupTooLarge, "", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 5\r\n\r\n200 x", 100, kLookupOk, "200 x", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n200 x!", 100, kLookupUnreadable, "", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 12x\r\n\r\n200 x", 100, kLookupUnreadable, "", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length:\r\n\r\n200 x", 100, kLookupUnreadable, "", ""},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\n200 x\r\n0\r\n\r\n", 100, kLookupUnreadable,
       "", ""},
      {"HTTP/1.1 200 OK\r\nServer: x", 100, kLookupCut, "", ""},
      {"HTTP/1.0 200 OK", 100, kLookupCut, "", ""},
      {"HTTP/", 100, kLookupCut, "", ""},
      {"HTTP/1.1 404 Not \x01"
       "Found\r\n\r\n",
       100, kLookupServerError, "", "HTTP/1.1 404 Not ?Found"},
      {"HTTP/1.1 20x OK\r\n\r\n", 100, kLookupUnreadable, "", ""},
      {"HTTP/1.1 2000 OK\r\n\r\n", 100, kLookupUnreadable, "", ""},
      {"200 rock 12345678 A / B\r\n", 100, kLookupUnreadable, "", ""},
      {"", 100, kLookupUnreadable, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data.substr(0, 80));
    HttpAnswer answer;
    EXPECT_EQ(c.result, ParseHttpAnswer(c.data.data(), c.data.size(), c.limit, &answer));
    EXPECT_EQ(c.body, answer.body ? std::string(answer.body, answer.bodySize) : "");
    EXPECT_EQ(c.line, answer.line);
  }
}

TEST(LookupCore, SearchAnswersListTheirMatches) {
  CddbMatches matches;
  std::string line;
  ASSERT_EQ(kLookupOk,
            Query("200 rock 3402ee05 The Corvane Quartet / Late Night Sessions\r\n", &matches, &line));
  ASSERT_EQ(1, matches.count);
  EXPECT_STREQ("rock", matches.items[0].category);
  EXPECT_STREQ("3402ee05", matches.items[0].discId);
  EXPECT_STREQ("The Corvane Quartet / Late Night Sessions", matches.items[0].title);
  char text[kLookupTextSize + 40];
  FormatMatchLine(matches.items[0].title, "gnudb", text, sizeof text);
  EXPECT_STREQ("The Corvane Quartet / Late Night Sessions (gnudb)", text);
  char read[64];
  ASSERT_EQ(1, FormatReadCommand(&matches.items[0], read, sizeof read));
  EXPECT_STREQ("cddb+read+rock+3402ee05", read);

  // LF alone, a line the protocol cannot give skipped, the list ending at
  // "." or where the answer ends.
  ASSERT_EQ(kLookupOk,
            Query("211 close matches\nrock 1 A / B\nrock+x 2 C\njazz 0000000g D\nfolk 3\n.\nmisc 4 E\n",
                  &matches, &line));
  ASSERT_EQ(2, matches.count);
  EXPECT_STREQ("A / B", matches.items[0].title);
  EXPECT_STREQ("folk", matches.items[1].category);
  EXPECT_STREQ("", matches.items[1].title);

  std::string many = "210 exact\n";
  for (int i = 0; i < 100; ++i) many += "rock " + std::to_string(i) + " T\n";
  many += ".\n";
  ASSERT_EQ(kLookupOk, Query(many, &matches, &line));
  EXPECT_EQ(kCddbMaxMatches, matches.count);

  EXPECT_EQ(kLookupNoMatch, Query("202 No match for disc ID 3402ee05.\r\n", &matches, &line));
  EXPECT_EQ(kLookupNoMatch, Query("211 close\r\n.\r\n", &matches, &line));
  EXPECT_EQ(kLookupServerError, Query("403 Database entry is corrupt.\r\n", &matches, &line));
  EXPECT_EQ("403 Database entry is corrupt.", line);
  EXPECT_EQ(kLookupUnreadable, Query("200 rock\r\n", &matches, &line));
  EXPECT_EQ(kLookupUnreadable, Query("<html>\r\n", &matches, &line));
  EXPECT_EQ(kLookupUnreadable, Query("", &matches, &line));
}

TEST(LookupCore, EntriesJoinRepeatedKeysUndoEscapesAndSplitTheDiscTitle) {
  LookupEntry entry;
  std::string body =
      "210 rock 3402ee05 CD database entry follows\r\n"
      "# xmcd\r\n#\r\nDISCID=3402ee05\r\n"
      "DTITLE=The Corvane Quartet / Late Night Sess\r\n"
      "DTITLE=ions\n"
      "TTITLE0=Blue\\tHarbour\r\n"
      "TTITLE1=Caf\xC3\xA9 \\\\ Noir\\\r\n"
      "TTITLE1=nand more\r\n"
      "TTITLE3=  \x01 Spaced  \r\n"
      "TTITLE99=ignored\r\nTTITLEx=ignored\r\nEXTD=Recorded live.\\nSecond set.\r\n"
      ".\r\nTTITLE2=after the end\r\n";
  ASSERT_EQ(kLookupOk, Read(body, &entry));
  EXPECT_STREQ("The Corvane Quartet", entry.artist);
  EXPECT_STREQ("Late Night Sessions", entry.title);
  EXPECT_EQ(4, entry.trackCount);
  EXPECT_STREQ("Blue Harbour", entry.tracks[0]);
  EXPECT_STREQ("Caf\xC3\xA9 \\ Noir and more", entry.tracks[1]);
  EXPECT_STREQ("", entry.tracks[2]);
  EXPECT_STREQ("Spaced", entry.tracks[3]);

  // No " / ": artist and title are the same.
  ASSERT_EQ(kLookupOk, Read("210 misc 1 x\nDTITLE=Harbour Lights\nTTITLE0=One\n.\n", &entry));
  EXPECT_STREQ("Harbour Lights", entry.artist);
  EXPECT_STREQ("Harbour Lights", entry.title);
  EXPECT_STREQ("One", entry.tracks[0]);

  std::string line;
  EXPECT_EQ(kLookupServerError, Read("401 rock 3402ee05 No such CD entry in database.\r\n", &entry, &line));
  EXPECT_EQ("401 rock 3402ee05 No such CD entry in database.", line);
  EXPECT_EQ(kLookupUnreadable, Read("210 rock 1 x\r\n# nothing\r\n.\r\n", &entry));
  EXPECT_EQ(kLookupUnreadable, Read("200 rock 1 x\r\nDTITLE=A\r\n", &entry));
}

TEST(LookupCore, AbsurdValuesAreCutToWholeCharacters) {
  LookupEntry entry;
  // A title of 100,000 bytes of three-byte characters over many lines: it
  // is cut to its buffer without splitting one.
  std::string body = "210 rock 1 x\n";
  std::string characters;
  for (int i = 0; i < 34; ++i) characters += "\xE4\xBA\xAC";
  for (int i = 0; i < 1000; ++i) body += "TTITLE5=" + characters + "\n";
  body += "DTITLE=" + std::string(2000, 'b') + " / T\n.\n";
  ASSERT_EQ(kLookupOk, Read(body, &entry));
  EXPECT_EQ(6, entry.trackCount);
  EXPECT_EQ(static_cast<size_t>(kLookupTextSize - 2), strlen(entry.tracks[5]));
  EXPECT_EQ(Utf16(entry.tracks[5], 400).find(u'\xFFFD'), std::u16string::npos);
  EXPECT_EQ(static_cast<size_t>(kLookupTextSize - 1), strlen(entry.artist));
  EXPECT_STREQ(entry.artist, entry.title);  // the " / " lay past what is kept
}

// An escape that the 319-byte limit cuts in half leaves nothing of itself;
// a backslash at the end of a value that was not cut stays as written.
TEST(LookupCore, AnEscapeCutByTheLimitLeavesNoBackslash) {
  const std::string kept(kLookupTextSize - 2, 'a');
  LookupEntry entry;
  ASSERT_EQ(kLookupOk, Read("210 rock 1 x\nTTITLE0=" + kept + "\\nb\nTTITLE1=" + kept.substr(1) +
                                "\\\\\\n\nTTITLE2=" + kept + "\\\nTTITLE2=\\z\nTTITLE3=AC\\DC\\\n.\n",
                            &entry));
  EXPECT_EQ(kept, entry.tracks[0]);
  EXPECT_EQ(kept.substr(1) + "\\", entry.tracks[1]);
  EXPECT_EQ(kept, entry.tracks[2]);
  EXPECT_STREQ("AC\\DC\\", entry.tracks[3]);

  CddbMatches matches;
  std::string line;
  ASSERT_EQ(kLookupOk, Query("211 close\nrock 1 " + kept + "\\t!\n.\n", &matches, &line));
  EXPECT_EQ(kept, matches.items[0].title);
}

// A cut answer never counts: no part of a whole answer short of its last
// line end is taken, and nothing of it is kept.
TEST(LookupCore, AnAnswerCountsOnlyOnceItsEndArrived) {
  const std::string read =
      "210 rock 3402ee05 CD database entry follows\r\n# xmcd\r\nDTITLE=The Corvane Quartet / Late\r\n"
      "TTITLE0=Blue Harbour\r\nTTITLE1=Caf\xC3\xA9 Noir\r\nTTITLE2=Slow Rain\r\n.\r\n";
  LookupEntry part;
  ASSERT_EQ(kLookupOk, Read(read, &part));
  for (size_t k = 0; k < read.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_NE(kLookupOk, Read(read.substr(0, k), &part));
    EXPECT_EQ(0, part.trackCount);
  }
  EXPECT_EQ(kLookupCut, Read(read.substr(0, read.find("TTITLE2")), &part));

  const std::string list = "211 close\r\nrock 3402ee05 A / B\r\njazz 3402ee06 C / D\r\n.\r\n";
  const std::string single = "200 rock 3402ee05 A / B\r\n";
  CddbMatches matches;
  std::string line;
  for (const std::string& answer : {list, single}) {
    for (size_t k = 0; k <= answer.size(); ++k) {
      SCOPED_TRACE(answer.substr(0, k));
      int result = Query(answer.substr(0, k), &matches, &line);
      EXPECT_EQ(k == answer.size(), result == kLookupOk);
      if (k < answer.size()) {
        EXPECT_EQ(0, matches.count);
      }
    }
  }
  EXPECT_EQ(kLookupCut, Query(list.substr(0, list.find("jazz")), &matches, &line));
  EXPECT_EQ(kLookupCut, Query("211 close\nrock 1 A / B\n.x\n.", &matches, &line));
  EXPECT_EQ(kLookupCut, Query("200 rock 3402ee05 A / B", &matches, &line));
}

// The database's older entries were typed on Windows: an entry that is not
// UTF-8 throughout is read as Windows-1252, each search match by itself.
TEST(LookupCore, EntriesThatAreNotUtf8AreReadAsWindows1252) {
  LookupEntry entry;
  ASSERT_EQ(kLookupOk, Read("210 classical 7a0b0c0d x\nDTITLE=Sibelius / Tapiola\nTTITLE0=Joutsenen Siivill\xE4\n"
                            "TTITLE1=\xC3\xA9t\xE9 \x85 \xA0\xFF\nTTITLE2=Fu-Gee-La \x96 Burnin\x92 \x93" "A\x94 \x80\x81\x9D!\n.\n",
                            &entry));
  EXPECT_STREQ("Joutsenen Siivill\xC3\xA4", entry.tracks[0]);
  // Two bytes that would be UTF-8 are two characters of such an entry; the
  // bytes Windows-1252 leaves undefined are blanks.
  EXPECT_STREQ("\xC3\x83\xC2\xA9t\xC3\xA9 \xE2\x80\xA6 \xC2\xA0\xC3\xBF", entry.tracks[1]);
  EXPECT_STREQ("Fu-Gee-La \xE2\x80\x93 Burnin\xE2\x80\x99 \xE2\x80\x9C" "A\xE2\x80\x9D \xE2\x82\xAC  !",
               entry.tracks[2]);

  // UTF-8 stays, also when a continued line splits a character.
  ASSERT_EQ(kLookupOk, Read("210 misc 1 x\nDTITLE=Joutsenen Siivill\xC3\nDTITLE=\xA4\n.\n", &entry));
  EXPECT_STREQ("Joutsenen Siivill\xC3\xA4", entry.title);

  // Such an entry long enough to be cut keeps whole characters.
  ASSERT_EQ(kLookupOk, Read("210 misc 1 x\nTTITLE0=" + std::string(400, '\xE4') + "\n.\n", &entry));
  EXPECT_EQ(static_cast<size_t>(kLookupTextSize - 2), strlen(entry.tracks[0]));
  EXPECT_EQ(std::u16string((kLookupTextSize - 2) / 2, u'\xE4'), Utf16(entry.tracks[0], 400));

  CddbMatches matches;
  std::string line;
  ASSERT_EQ(kLookupOk,
            Query("211 close\nrock 1 Caf\xC3\xA9 / Noir\nrock 2 Caf\xE9 / Noir\n.\n", &matches, &line));
  ASSERT_EQ(2, matches.count);
  EXPECT_STREQ("Caf\xC3\xA9 / Noir", matches.items[0].title);
  EXPECT_STREQ("Caf\xC3\xA9 / Noir", matches.items[1].title);
}

// An answer with a Content-Length is whole as soon as its bytes are in; one
// without is whole only when the server closes. A length above the limit
// ends the answer at once.
TEST(LookupCore, AnAnswerIsWholeOnceItsContentLengthIsIn) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n";
  struct Case {
    std::string data;
    size_t limit;
    int result;
  } cases[] = {
      {head.substr(0, head.size() - 1), 100, kLookupCut},
      {head + "202 x", 100, kLookupCut},
      {head + "202 x\n", 100, kLookupOk},
      {head + "202 x\nmore", 100, kLookupOk},
      {"HTTP/1.0 200 OK\r\n\r\n202 x\n", 100, kLookupCut},
      {"HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n", 100, kLookupCut},
      {"200 rock 1 A\n", 100, kLookupCut},
      {"HTTP/1.1 503 Busy\r\nContent-Length: 0\r\n\r\n", 100, kLookupOk},
      {"HTTP/1.1 200 OK\r\nContent-Length: 101\r\n\r\n", 100, kLookupTooLarge},
      {"HTTP/1.1 200 OK\r\nContent-Length: 123456789012\r\n\r\n", 100, kLookupTooLarge},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, HttpAnswerProgress(c.data.data(), c.data.size(), c.limit)) << c.data;
}

// A status's text takes what it names: the server, the server's own line,
// and for the two deadlines the time waited, in seconds.
TEST(LookupCore, StatusTextsTakeTheServerTheLineAndTheTimeWaited) {
  struct Case {
    int status;
    unsigned long ms;
    const char* format;
    const char* text;
  } cases[] = {
      {kStatusTimeout, 15000, "No answer from %s within %s seconds.", "No answer from gnudb.org within 15 seconds."},
      {kStatusTooSlow, 60000, "%s: %s s", "gnudb.org: 60 s"},
      {kStatusTimeout, 300, "%s %s", "gnudb.org 0.3"},
      {kStatusTimeout, 1050, "%s %s", "gnudb.org 1.05"},
      {kStatusTimeout, 2001, "%s %s", "gnudb.org 2.001"},
      {kStatusIncomplete, 0, "The answer from %s was incomplete.", "The answer from gnudb.org was incomplete."},
      {kStatusServerError, 0, "The server answered: %s", "The server answered: 500 Busy"},
      {kStatusNoRoots, 0, "The roots file %s", "The roots file 500 Busy"},
      {kStatusSearching, 0, "Searching...", "Searching..."},
  };
  for (const Case& c : cases) {
    char text[256];
    FormatLookupStatus(c.format, c.status, "gnudb.org", "500 Busy", c.ms, text, sizeof text);
    EXPECT_STREQ(c.text, text);
  }
}

TEST(LookupCore, Utf8DecodesToUtf16AndMarksWhatIsNotUtf8) {
  EXPECT_EQ(u"Caf\u00e9 \u4eac\u90fd", Utf16("Caf\xC3\xA9 \xE4\xBA\xAC\xE9\x83\xBD"));
  EXPECT_EQ(u"\U0001F3B5!", Utf16("\xF0\x9F\x8E\xB5!"));
  // Stray continuation, overlong form, encoded surrogate, cut sequence,
  // Latin-1 byte: each bad byte becomes U+FFFD.
  EXPECT_EQ(
      u"\xFFFD"
      u"a\xFFFD\xFFFD"
      u"b\xFFFD\xFFFD\xFFFD"
      u"c\xFFFD\xFFFD"
      u"d\xFFFD",
      Utf16("\x80"
            "a\xC0\xAF"
            "b\xED\xA0\x80"
            "c\xE4\xBA"
            "d\xE9"));
  // The buffer takes whole characters only: no half of a surrogate pair.
  EXPECT_EQ(u"ab", Utf16("ab\xF0\x9F\x8E\xB5", 4));
  EXPECT_EQ(u"", Utf16("x", 1));
}

}  // namespace
