// Times loading one disc's entry from a large catalogue and saving it back:
// with the player's profile engine (one read, one atomic rewrite) and with
// the platform's private-profile functions, one call per key.
//
//   catalogue_bench [discs]      (default 10000 discs of 12 to 20 tracks)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/profile/profile.h"
#include "player/catalogue/catalogue_file.h"

namespace {

const CatalogueNames kNames = {"DiscTitle", "DiscArtist", "Repeat", "Shuffle",
                               "Track", "PlayList", "Untitled", "Untitled"};

uint32_t lcg = 12345;
uint32_t Next() { return lcg = lcg * 1103515245u + 12345u; }

// A catalogue of `discs` records; returns the identity of the middle one.
uint32_t MakeCatalogue(int discs, std::string* text, int* middleTracks) {
  uint32_t middle = 0;
  char line[160];
  for (int d = 0; d < discs; ++d) {
    uint32_t id = Next();
    int tracks = 12 + static_cast<int>(Next() >> 8) % 9;
    if (d == discs / 2) {
      middle = id;
      *middleTracks = tracks;
    }
    snprintf(line, sizeof line, "[%lu]\r\nDiscTitle=Album %d\r\nDiscArtist=Artist %lu\r\n"
             "Repeat=%d\r\nShuffle=%d\r\n", static_cast<unsigned long>(id), d,
             static_cast<unsigned long>(Next() % 997), d % 3, d % 2);
    *text += line;
    std::string order;
    for (int t = 1; t <= tracks; ++t) {
      snprintf(line, sizeof line, "Track%d=Song %d\r\n", t, t);
      *text += line;
      order += (t > 1 ? " " : "") + std::to_string(tracks + 1 - t);
    }
    *text += "PlayList=" + order + "\r\n";
  }
  return middle;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Our engine: read the file, load the record, change a title, save (under
// the catalogue's lock, reading the file again, as the player saves).
double EngineRound(const char* path, uint32_t id, int tracks, int round) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  ProfileFile file = {};
  ProfileReadFile(path, &file);
  DiscInfo info = {};
  info.discId = id;
  info.trackCount = tracks;
  LoadDiscRecord(file.text, &kNames, &info);
  snprintf(info.title, sizeof info.title, "Engine round %d", round);
  SaveDiscRecords(path, &kNames, &info);
  FreeDiscArrays(&info);
  QueryPerformanceCounter(&end);
  return Seconds(start, end);
}

// The platform's functions, one call per key, as the record's keys are read
// and written one by one.
double PlatformRound(const char* path, uint32_t id, int tracks, int round) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  char section[16], key[32], value[80], fallback[32];
  snprintf(section, sizeof section, "%lu", static_cast<unsigned long>(id));
  DiscInfo info = {};
  GetPrivateProfileStringA(section, "DiscTitle", "Untitled", info.title, 80, path);
  GetPrivateProfileStringA(section, "DiscArtist", "Untitled", info.artist, 80, path);
  char titles[21][80];
  for (int t = 1; t <= tracks; ++t) {
    snprintf(key, sizeof key, "Track%d", t);
    snprintf(fallback, sizeof fallback, "Track %d", t);
    GetPrivateProfileStringA(section, key, fallback, titles[t], 80, path);
  }
  GetPrivateProfileStringA(section, "PlayList", "*", value, sizeof value, path);
  int repeat = GetPrivateProfileIntA(section, "Repeat", 0, path);
  int shuffle = GetPrivateProfileIntA(section, "Shuffle", 0, path);

  snprintf(info.title, sizeof info.title, "Platform round %d", round);
  WritePrivateProfileStringA(section, "DiscTitle", info.title, path);
  WritePrivateProfileStringA(section, "DiscArtist", info.artist, path);
  snprintf(key, sizeof key, "%d", repeat);
  WritePrivateProfileStringA(section, "Repeat", key, path);
  snprintf(key, sizeof key, "%d", shuffle);
  WritePrivateProfileStringA(section, "Shuffle", key, path);
  for (int t = 1; t <= tracks; ++t) {
    snprintf(key, sizeof key, "Track%d", t);
    WritePrivateProfileStringA(section, key, titles[t], path);
  }
  WritePrivateProfileStringA(section, "PlayList", value, path);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);  // flush to disk
  QueryPerformanceCounter(&end);
  return Seconds(start, end);
}

double Median(double* values, int n) {
  qsort(values, static_cast<size_t>(n), sizeof(double), [](const void* a, const void* b) {
    double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
    return (x > y) - (x < y);
  });
  return values[n / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int discs = argc > 1 ? atoi(argv[1]) : 10000;
  if (discs < 1) discs = 10000;
  char folder[MAX_PATH], enginePath[MAX_PATH], platformPath[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  snprintf(enginePath, sizeof enginePath, "%sbench-engine.ini", folder);
  snprintf(platformPath, sizeof platformPath, "%sbench-platform.ini", folder);

  ProfileFile file = {};
  std::string& text = file.text;
  int tracks = 0;
  uint32_t id = MakeCatalogue(discs, &text, &tracks);
  if (ProfileSaveFile(enginePath, &file) != kProfileOk || ProfileSaveFile(platformPath, &file) != kProfileOk) {
    fprintf(stderr, "cannot write the catalogues in %s\n", folder);
    return 1;
  }
  printf("catalogue: %d discs, %.1f MB; entry %lu with %d tracks\n", discs,
         static_cast<double>(text.size()) / 1e6, static_cast<unsigned long>(id), tracks);

  enum { kRounds = 9 };
  double engine[kRounds], platform[kRounds];
  for (int r = 0; r < kRounds; ++r) {
    engine[r] = EngineRound(enginePath, id, tracks, r);
    platform[r] = PlatformRound(platformPath, id, tracks, r);
  }
  double e = Median(engine, kRounds), p = Median(platform, kRounds);
  printf("load and save one entry, median of %d rounds:\n", kRounds);
  printf("  profile engine:             %9.3f ms\n", e * 1000);
  printf("  platform, one call per key: %9.3f ms\n", p * 1000);
  printf("  ratio:                      %9.1f x\n", p / e);

  char check[80];
  GetPrivateProfileStringA(std::to_string(id).c_str(), "DiscTitle", "", check, sizeof check, enginePath);
  DeleteFileA(enginePath);
  DeleteFileA(platformPath);
  if (strcmp(check, "Engine round 8") != 0) {
    fprintf(stderr, "the engine's catalogue reads back \"%s\"\n", check);
    return 1;
  }
  return 0;
}
