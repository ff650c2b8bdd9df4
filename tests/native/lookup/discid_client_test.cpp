// The MusicBrainz disc id and the table of contents of the request held
// against libdiscid, MusicBrainz's own library, on many random discs, some
// of them enhanced CDs (audio tracks, then a data track in a second
// session), which libdiscid reads as their audio tracks only, with the
// lead-out 11,400 frames before the data track.
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
    bool enhanced = next(3) == 0;
    DiscToc disc = {};
    int audioTracks = 1 + static_cast<int>(next(kLookupMaxTracks - (enhanced ? 1 : 0)));
    disc.trackCount = audioTracks + (enhanced ? 1 : 0);
    // Tracks of at least 4 seconds, on a disc of at most 80 minutes.
    uint32_t at = 150 + next(5000);
    for (int t = 0; t < audioTracks; ++t) {
      disc.starts[t] = at;
      disc.audio[t] = 1;
      at += 300 + next(340000 / static_cast<uint32_t>(audioTracks) - 300);
    }
    int offsets[100] = {};
    for (int t = 0; t < audioTracks; ++t) offsets[1 + t] = static_cast<int>(disc.starts[t]);
    offsets[0] = static_cast<int>(at);
    if (enhanced) {
      // The data track's session after the audio session's lead-out.
      disc.starts[audioTracks] = at + kDataSessionGapFrames;
      disc.audio[audioTracks] = 0;
      at += kDataSessionGapFrames + 3000 + next(100000);
    }
    disc.leadOut = at;

    DiscId* reference = discid_new();
    ASSERT_TRUE(discid_put(reference, 1, audioTracks, offsets)) << discid_get_error_msg(reference);
    DiscToc toc;
    MusicBrainzToc(&disc, &toc);
    char id[kMusicBrainzIdSize];
    EXPECT_EQ(1, MusicBrainzDiscId(&toc, id, sizeof id));
    EXPECT_STREQ(discid_get_id(reference), id);
    char request[kLookupRequestSize];
    EXPECT_EQ(1, FormatMusicBrainzListRequest(&settings, &toc, request, sizeof request));
    std::string contents = discid_get_toc_string(reference);
    for (char& c : contents) c = c == ' ' ? '+' : c;
    EXPECT_NE(nullptr, strstr(request, ("?toc=" + contents + "&").c_str())) << request;
    discid_free(reference);
  }
}

}  // namespace
