// The disc id and the test CD database held against a real CDDB client
// library: both must compute the same ids, and the test server must answer
// that client as a database does, with the entries our own parser reads.
#include <cddb/cddb.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

#include "player/lookup/cddb.h"

namespace {

const unsigned kOffsets[] = {150, 14265, 33790, 49650, 51900};
const unsigned kSeconds = 752;

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// What a title shows of a value: the format's three escapes (backslash
// and n, t or a second backslash) undone, since the client library leaves
// them; line breaks and tabs as blanks.
std::string Shown(const char* text) {
  std::string shown;
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '\\' && (p[1] == 'n' || p[1] == 't' || p[1] == '\\')) {
      shown += *++p == '\\' ? '\\' : ' ';
      continue;
    }
    shown += *p == '\t' || *p == '\n' ? ' ' : *p;
  }
  return shown;
}

cddb_disc_t* NewDisc(const unsigned* offsets, int count, unsigned seconds) {
  cddb_disc_t* disc = cddb_disc_new();
  for (int i = 0; i < count; ++i) {
    cddb_track_t* track = cddb_track_new();
    cddb_track_set_frame_offset(track, static_cast<int>(offsets[i]));
    cddb_disc_add_track(disc, track);
  }
  cddb_disc_set_length(disc, seconds);
  cddb_disc_calc_discid(disc);
  return disc;
}

// A connection of the client library to one scenario of the test server.
// The library does not recover a connection after an error answer, so each
// step takes a new one.
cddb_conn_t* Connect(const char* scenario) {
  cddb_conn_t* connection = cddb_new();
  cddb_cache_disable(connection);
  cddb_http_enable(connection);
  cddb_set_server_name(connection, "127.0.0.1");
  cddb_set_server_port(connection, std::stoi(FileText(KOVEL_CDDB_DIR "/port")));
  cddb_set_http_path_query(connection, (std::string("/") + scenario + "/~cddb/cddb.cgi").c_str());
  cddb_set_charset(connection, "UTF-8");
  cddb_set_timeout(connection, 10);
  return connection;
}

TEST(CddbClient, DiscIdsAgreeWithTheClientLibrary) {
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  };
  for (int round = 0; round < 500; ++round) {
    DiscToc toc = {};
    toc.trackCount = 1 + static_cast<int>(next(kLookupMaxTracks));
    unsigned offsets[kLookupMaxTracks];
    unsigned at = 150 + next(5000);
    for (int t = 0; t < toc.trackCount; ++t) {
      offsets[t] = toc.starts[t] = at;
      at += 1 + next(40000);
    }
    toc.leadOut = at;
    cddb_disc_t* disc = NewDisc(offsets, toc.trackCount, toc.leadOut / 75);
    EXPECT_EQ(cddb_disc_get_discid(disc), FreedbDiscId(&toc)) << "round " << round;
    cddb_disc_destroy(disc);
  }
}

TEST(CddbClient, TheTestServerAnswersAsADatabaseDoes) {
  signal(SIGPIPE, SIG_IGN);  // the library may write to a connection the server closed
  struct Step {
    const char* scenario;
    const char* readCategory;  // read this entry instead of searching
    int result;
    std::string found;  // the categories and artists found
  } steps[] = {
      {"single", nullptr, 1, "rock:The Corvane Quartet"},
      {"several", nullptr, 3, "rock:The Corvane Quartet jazz:Corvane Trio misc:Various Artists"},
      {"nomatch", nullptr, 0, ""},
      {"error", nullptr, -1, ""},
      {"single", "misc", 0, ""},  // an entry the database lacks
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.scenario);
    cddb_conn_t* connection = Connect(step.scenario);
    cddb_disc_t* disc = NewDisc(kOffsets, 5, kSeconds);
    ASSERT_EQ(0x3402ee05u, cddb_disc_get_discid(disc));
    std::string found;
    if (step.readCategory) {
      cddb_disc_set_category_str(disc, step.readCategory);
      EXPECT_EQ(step.result, cddb_read(connection, disc));
    } else {
      int count = cddb_query(connection, disc);
      EXPECT_EQ(step.result, count);
      for (int i = 0; i < count; ++i) {
        if (i > 0) {
          ASSERT_EQ(1, cddb_query_next(connection, disc));
        }
        found +=
            std::string(i ? " " : "") + cddb_disc_get_category_str(disc) + ":" + cddb_disc_get_artist(disc);
      }
    }
    EXPECT_EQ(step.found, found);
    cddb_disc_destroy(disc);
    cddb_destroy(connection);
  }
}

// The library and our parser read the canned entry alike.
TEST(CddbClient, AnEntryReadsAsTheClientLibraryReadsIt) {
  cddb_conn_t* connection = Connect("single");
  cddb_disc_t* disc = NewDisc(kOffsets, 5, kSeconds);
  ASSERT_EQ(1, cddb_query(connection, disc)) << cddb_error_str(cddb_errno(connection));
  ASSERT_EQ(1, cddb_read(connection, disc)) << cddb_error_str(cddb_errno(connection));

  std::string reply = FileText(KOVEL_CDDB_REPLIES "/single/read-rock-3402ee05");
  static LookupEntry entry;
  char line[kLookupLineSize];
  ASSERT_EQ(kLookupOk, ParseReadAnswer(reply.data(), reply.size(), &entry, line, sizeof line));
  EXPECT_STREQ("The Corvane Quartet", entry.artist);
  EXPECT_EQ(entry.artist, Shown(cddb_disc_get_artist(disc)));
  EXPECT_EQ(entry.title, Shown(cddb_disc_get_title(disc)));
  ASSERT_EQ(5, entry.trackCount);
  for (int t = 0; t < 5; ++t)
    EXPECT_EQ(entry.tracks[t], Shown(cddb_track_get_title(cddb_disc_get_track(disc, t)))) << t;
  cddb_disc_destroy(disc);
  cddb_destroy(connection);
}

}  // namespace

// The library's list of search results leaks a few texts of each match.
extern "C" const char* __lsan_default_suppressions() { return "leak:libcddb.so"; }
