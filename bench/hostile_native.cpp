// The catalogue and settings code on hostile files, natively: how long a
// disc's record takes to load and to save into each, and whether the save
// leaves every other section as it was. Run by `make hostile`.
#include <chrono>
#include <cstdio>

#include "bench/hostile_files.h"
#include "player/catalogue/catalogue_core.h"
#include "player/shell/settings.h"

namespace {

const CatalogueNames kNames = {"DiscTitle", "DiscArtist", "Repeat", "Shuffle",
                               "Track",     "PlayList",   "Untitled", "Untitled"};
const SettingsNames kSettingsNames = {"Window",      "WindowXPosn", "WindowYPosn",  "Template", "StayOnTop", "Options",
                                      "TimeDisplay", "IntroPlay",   "IntroSeconds", "Drive",    "Catalogue"};

double Ms(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

}  // namespace

int main() {
  const uint32_t id = 0x1234567;
  char section[16];
  DiscSectionName(id, section, sizeof section);
  int failures = 0;
  printf("| case | catalogue | load | save | others kept | settings load + save | others kept |\n");
  printf("|---|---|---|---|---|---|---|\n");
  for (const HostileCase& c : HostileCases(id)) {
    DiscInfo info = {};
    info.discId = id;
    info.trackCount = 5;
    auto start = std::chrono::steady_clock::now();
    int loaded = LoadDiscRecord(c.catalogue, &kNames, &info);
    double load = Ms(start);
    snprintf(info.title, sizeof info.title, "Saved");
    std::string catalogue = c.catalogue;
    start = std::chrono::steady_clock::now();
    SaveDiscRecord(&catalogue, &kNames, &info);
    double save = Ms(start);
    bool kept = loaded && OnlySectionChanged(c.catalogue, catalogue, section);
    FreeDiscArrays(&info);

    PlayerSettings settings = {};
    std::string text = c.settings;
    start = std::chrono::steady_clock::now();
    ReadSettings(text, &kSettingsNames, &settings);
    settings.xPosn = 7;
    WriteSettings(&text, &kSettingsNames, &settings);
    double both = Ms(start);
    bool settingsKept = OnlySectionChanged(c.settings, text, "Window");
    failures += !kept + !settingsKept;
    printf("| %s | %.1f MB | %.1f ms | %.1f ms | %s | %.1f ms | %s |\n", c.name.c_str(),
           static_cast<double>(c.catalogue.size()) / (1 << 20), load, save, kept ? "yes" : "NO", both,
           settingsKept ? "yes" : "NO");
  }
  return failures ? 1 : 0;
}
