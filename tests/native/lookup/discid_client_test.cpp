// The MusicBrainz disc id and the table of contents of the request held
// against libdiscid, MusicBrainz's own library, on many random discs.
#include <discid/discid.h>
#include <gtest/gtest.h>

#include <string>

#include "player/lookup/musicbrainz_core.h"
#include "tests/native/lookup/lookup_names.h"

namespace {

TEST(DiscIdClient, IdsAndTablesOfContentsAgreeWithLibdiscid) {
  uint32_t seed = 2024;
  auto next = [&seed](uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  };
  LookupSettings settings;
  ReadLookupSettings("", &kLookupNames, &settings);
  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE(round);
    // Now and then a disc whose first track is not 1: its id keeps the
    // slots of the missing numbers empty.
    int first = next(4) == 0 ? 1 + static_cast<int>(next(20)) : 1;
    LookupToc toc = {};
    toc.trackCount = 1 + static_cast<int>(next(static_cast<uint32_t>(kLookupMaxTracks - first + 1)));
    int offsets[100] = {};
    // Tracks of at least 4 seconds, on a disc of at most 80 minutes.
    uint32_t at = 150 + next(5000);
    for (int t = 0; t < toc.trackCount; ++t) {
      offsets[first + t] = static_cast<int>(toc.offsets[t] = at);
      at += 300 + next(340000 / static_cast<uint32_t>(toc.trackCount) - 300);
    }
    offsets[0] = static_cast<int>(toc.leadOut = at);
    DiscId* disc = discid_new();
    if (!discid_put(disc, first, first + toc.trackCount - 1, offsets)) {
      ADD_FAILURE() << discid_get_error_msg(disc);
      discid_free(disc);
      continue;
    }

    char id[kMusicBrainzIdSize];
    EXPECT_EQ(1, MusicBrainzDiscId(&toc, first, id, sizeof id));
    EXPECT_STREQ(discid_get_id(disc), id);
    char request[kLookupRequestSize];
    EXPECT_EQ(1, FormatMusicBrainzRequest(&settings, &toc, first, request, sizeof request));
    std::string contents = discid_get_toc_string(disc);
    for (char& c : contents) c = c == ' ' ? '+' : c;
    EXPECT_NE(nullptr, strstr(request, ("?toc=" + contents + "&").c_str())) << request;
    discid_free(disc);
  }
}

}  // namespace
