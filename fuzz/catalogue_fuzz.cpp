// libFuzzer target for loading a disc's record from an arbitrary catalogue,
// and taking over what the same text holds under the disc's identity in hex
// as the operating system's CD player would write it: whatever the file
// holds, the record must be usable (titles terminated
// within their 80 characters, a play order of 1..trackCount numbers, never
// empty), and saving it then loading it again must give the same record.
#include "player/catalogue/catalogue_core.h"
#include "player/catalogue/cdplayer_import.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const CatalogueNames kNames = {"DiscTitle", "DiscArtist", "Repeat", "Shuffle",
                               "Track", "PlayList", "Untitled", "Untitled"};

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "catalogue_fuzz: %s\n", what);
  abort();
}

void CheckRecord(const DiscInfo& info) {
  Check(memchr(info.title, 0, kTitleSize) && memchr(info.artist, 0, kTitleSize), "title not terminated");
  Check(info.playCount >= 1 && info.playCount <= info.trackCount, "play count out of range");
  for (int i = 0; i < info.playCount; ++i)
    Check(info.playList[i] >= 1 && info.playList[i] <= info.trackCount, "track out of range");
  for (int t = 0; t < info.trackCount; ++t) {
    Check(info.tracks[t].number == t + 1, "track numbers");
    Check(memchr(info.tracks[t].title, 0, kTitleSize) != nullptr, "track title not terminated");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  DiscInfo info = {};
  info.trackCount = input.ConsumeIntegralInRange<int32_t>(1, 99);
  info.discId = input.ConsumeBool() ? input.ConsumeIntegral<uint32_t>() : 512;
  std::string catalogue = input.ConsumeRemainingBytesAsString();
  if (!LoadDiscRecord(catalogue, &kNames, &info)) return 0;
  ImportCdPlayerRecord(catalogue, info.discId, &info);
  CheckRecord(info);
  if (info.shuffle == 1) {
    BuildShuffleOrder(&info);
    Check(info.shuffleOrder != nullptr, "no shuffled order");
  }

  SaveDiscRecord(&catalogue, &kNames, &info);
  DiscInfo again = {};
  again.discId = info.discId;
  again.trackCount = info.trackCount;
  Check(LoadDiscRecord(catalogue, &kNames, &again) == 1, "reload failed");
  Check(strcmp(info.title, again.title) == 0 && strcmp(info.artist, again.artist) == 0, "texts changed");
  Check(info.playCount == again.playCount &&
            memcmp(info.playList, again.playList, sizeof(int32_t) * static_cast<size_t>(info.playCount)) == 0,
        "play list changed");
  Check(info.repeatMode == again.repeatMode && info.shuffle == again.shuffle, "options changed");
  for (int t = 0; t < info.trackCount; ++t)
    Check(strcmp(info.tracks[t].title, again.tracks[t].title) == 0, "track title changed");
  FreeDiscArrays(&info);
  FreeDiscArrays(&again);
  return 0;
}
