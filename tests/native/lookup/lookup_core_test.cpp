#include "player/lookup/lookup_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

LookupToc Toc(std::vector<uint32_t> offsets, uint32_t leadOut) {
  LookupToc toc = {};
  toc.trackCount = static_cast<int>(offsets.size());
  for (size_t i = 0; i < offsets.size(); ++i) toc.offsets[i] = offsets[i];
  toc.leadOut = leadOut;
  return toc;
}

std::string Hex(uint32_t id) {
  char text[9];
  snprintf(text, sizeof text, "%08x", id);
  return text;
}

LookupSettings Defaults() {
  LookupSettings settings;
  ReadLookupSettings("", &settings);
  return settings;
}

int Query(const std::string& body, LookupMatches* matches, std::string* line) {
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
  LookupToc hotel = Toc({150, 8795, 25745, 40138, 55085, 70238, 92398, 109293, 124405, 141120, 158079, 175458,
                         191905, 208331, 234618, 270030},
                        4440 * 75);
  EXPECT_EQ("dd115610", Hex(FreedbDiscId(&hotel)));
  LookupToc liquid = Toc({150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455}, 270335);
  EXPECT_EQ("890e120a", Hex(FreedbDiscId(&liquid)));

  char command[kLookupRequestSize];
  ASSERT_EQ(1, FormatQueryCommand(&liquid, command, sizeof command));
  EXPECT_STREQ("cddb+query+890e120a+10+150+12767+40487+63225+93410+118115+151865+184340+215260+247455+3604",
               command);
  // A command that does not fit, and a table without tracks, give nothing.
  EXPECT_EQ(0, FormatQueryCommand(&liquid, command, 40));
  LookupToc empty = Toc({}, 0);
  EXPECT_EQ(0, FormatQueryCommand(&empty, command, sizeof command));
}

TEST(LookupCore, RequestsCarryTheGreetingEncodedAndTheServersPort) {
  LookupSettings settings = Defaults();
  char request[kLookupRequestSize];
  ASSERT_EQ(1, FormatLookupRequest(&settings, "cddb+read+rock+3402ee05", "DESK-1", request, sizeof request));
  EXPECT_STREQ(
      "GET /~cddb/cddb.cgi?cmd=cddb+read+rock+3402ee05&hello=kovel32+DESK-1+kovel32+1.0&proto=6 HTTP/1.0\r\n"
      "Host: gnudb.gnudb.org\r\nUser-Agent: kovel32/1.0\r\n\r\n",
      request);

  snprintf(settings.user, sizeof settings.user, "Anna M+B");
  snprintf(settings.path, sizeof settings.path, "/my path/cddb.cgi");
  settings.port = 8880;
  ASSERT_EQ(1, FormatLookupRequest(&settings, "cddb+query", "", request, sizeof request));
  EXPECT_STREQ(
      "GET /my%20path/cddb.cgi?cmd=cddb+query&hello=Anna%20M%2BB+localhost+kovel32+1.0&proto=6 HTTP/1.0\r\n"
      "Host: gnudb.gnudb.org:8880\r\nUser-Agent: kovel32/1.0\r\n\r\n",
      request);
  EXPECT_EQ(0, FormatLookupRequest(&settings, "cddb+query", "", request, 60));
}

TEST(LookupCore, SettingsTakeDefaultsAndTheDefaultsAreAddedOnlyWhereMissing) {
  LookupSettings settings = Defaults();
  EXPECT_STREQ("gnudb.gnudb.org", settings.server);
  EXPECT_EQ(80, settings.port);
  EXPECT_STREQ("/~cddb/cddb.cgi", settings.path);
  EXPECT_STREQ("kovel32", settings.user);

  std::string text =
      "[Window]\r\nWindowXPosn=-8\r\n[Lookup]\r\nServer=127.0.0.1\r\nPort=99999\r\nPath=cddb.cgi\r\n";
  ReadLookupSettings(text, &settings);
  EXPECT_STREQ("127.0.0.1", settings.server);
  EXPECT_EQ(80, settings.port);                    // out of range
  EXPECT_STREQ("/~cddb/cddb.cgi", settings.path);  // not a path
  ReadLookupSettings("[Lookup]\r\nServer=bad name\r\nPort=8080\r\nUser=\r\n", &settings);
  EXPECT_STREQ("gnudb.gnudb.org", settings.server);
  EXPECT_EQ(8080, settings.port);
  EXPECT_STREQ("kovel32", settings.user);

  ASSERT_EQ(1, AddLookupDefaults(&text));
  EXPECT_EQ(
      "[Window]\r\nWindowXPosn=-8\r\n[Lookup]\r\nServer=127.0.0.1\r\nPort=99999\r\nPath=cddb.cgi\r\n"
      "User=kovel32\r\n",
      text);
  EXPECT_EQ(0, AddLookupDefaults(&text));
  std::string fresh;
  ASSERT_EQ(1, AddLookupDefaults(&fresh));
  EXPECT_EQ("[Lookup]\r\nServer=gnudb.gnudb.org\r\nPort=80\r\nPath=/~cddb/cddb.cgi\r\nUser=kovel32\r\n",
            fresh);
}

TEST(LookupCore, HttpAnswersGiveTheirBodyOrSayWhatIsWrong) {
  struct Case {
    std::string data;
    int result;
    std::string body;
    std::string line;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n202 No match\r\n", kLookupOk, "202 No match\r\n",
       ""},
      {"HTTP/1.1 200 OK\nContent-length:  5\n\n200 x and more", kLookupOk, "200 x", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n200 x", kLookupCut, "", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n200 x", kLookupCut, "", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 12x\r\n\r\n200 x", kLookupUnreadable, "", ""},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\n200 x\r\n0\r\n\r\n", kLookupUnreadable, "",
       ""},
      {"HTTP/1.1 200 OK\r\nServer: x", kLookupCut, "", ""},
      {"HTTP/1.0 200 OK", kLookupCut, "", ""},
      {"HTTP/1.1 404 Not \x01"
       "Found\r\n\r\n",
       kLookupServerError, "", "HTTP/1.1 404 Not ?Found"},
      {"HTTP/1.1 20x OK\r\n\r\n", kLookupUnreadable, "", ""},
      {"200 rock 12345678 A / B\r\n", kLookupUnreadable, "", ""},
      {"", kLookupUnreadable, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    const char* body;
    size_t size;
    char line[kLookupLineSize];
    EXPECT_EQ(c.result, ParseHttpAnswer(c.data.data(), c.data.size(), &body, &size, line, sizeof line));
    EXPECT_EQ(c.body, body ? std::string(body, size) : "");
    EXPECT_EQ(c.line, line);
  }
}

TEST(LookupCore, SearchAnswersListTheirMatches) {
  LookupMatches matches;
  std::string line;
  ASSERT_EQ(kLookupOk,
            Query("200 rock 3402ee05 The Corvane Quartet / Late Night Sessions\r\n", &matches, &line));
  ASSERT_EQ(1, matches.count);
  EXPECT_STREQ("rock", matches.items[0].category);
  EXPECT_STREQ("3402ee05", matches.items[0].discId);
  EXPECT_STREQ("The Corvane Quartet / Late Night Sessions", matches.items[0].title);
  char text[kLookupTextSize + 40];
  FormatMatchLine(&matches.items[0], text, sizeof text);
  EXPECT_STREQ("The Corvane Quartet / Late Night Sessions (rock)", text);
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
  ASSERT_EQ(kLookupOk, Query("210 exact\r\nrock 1 A\r\njazz 2 B", &matches, &line));
  EXPECT_EQ(2, matches.count);

  std::string many = "210 exact\n";
  for (int i = 0; i < 100; ++i) many += "rock " + std::to_string(i) + " T\n";
  ASSERT_EQ(kLookupOk, Query(many, &matches, &line));
  EXPECT_EQ(kLookupMaxMatches, matches.count);

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

  // No " / ": artist and title are the same; no final ".".
  ASSERT_EQ(kLookupOk, Read("210 misc 1 x\nDTITLE=Harbour Lights\nTTITLE0=One", &entry));
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
  body += "DTITLE=" + std::string(2000, 'b') + " / T\n";
  ASSERT_EQ(kLookupOk, Read(body, &entry));
  EXPECT_EQ(6, entry.trackCount);
  EXPECT_EQ(static_cast<size_t>(kLookupTextSize - 2), strlen(entry.tracks[5]));
  EXPECT_EQ(Utf16(entry.tracks[5], 400).find(u'\xFFFD'), std::u16string::npos);
  EXPECT_EQ(static_cast<size_t>(kLookupTextSize - 1), strlen(entry.artist));
  EXPECT_STREQ(entry.artist, entry.title);  // the " / " lay past what is kept

  // A sequence cut by the end of the answer.
  ASSERT_EQ(kLookupOk, Read("210 rock 1 x\nTTITLE0=Ky\xC5", &entry));
  EXPECT_STREQ("Ky", entry.tracks[0]);
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
