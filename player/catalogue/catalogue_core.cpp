#include "player/catalogue/catalogue_core.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/profile/profile.h"

namespace {

// A play list of 99 tracks takes under 300 characters; a stored text longer
// than this is junk and is cut.
enum { kPlayListTextSize = 1024 };

uint32_t randomState = 1;

uint32_t TimeOfDaySeconds(void) { return static_cast<uint32_t>(time(nullptr)); }

// The leading number of a piece: optional sign, digits up to the first
// non-digit; no digits give 0.
long LeadingNumber(const char* piece) {
  const char* p = piece;
  int negative = 0;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long value = 0;
  while (*p >= '0' && *p <= '9' && value < 1000000) value = value * 10 + (*p++ - '0');
  return negative ? -value : value;
}

}  // namespace

uint32_t (*shuffleClock)(void) = TimeOfDaySeconds;

uint32_t DiscIdTrackTerm(uint32_t startMsf) {
  uint32_t m = startMsf & 0xFF, s = startMsf >> 8 & 0xFF, f = startMsf >> 16 & 0xFF;
  return m * 65536 + s * 256 + f;
}

uint32_t DiscIdFromToc(int trackCount, const uint32_t* startsMsf, uint32_t lengthMsf) {
  uint32_t sum = 0;
  for (int t = 0; t < trackCount; ++t) sum += DiscIdTrackTerm(startsMsf[t]);
  if (trackCount < 3) sum += FramesFromMsf(lengthMsf);
  return sum;
}

int TocStartsMsf(const DiscToc* toc, uint32_t* startsMsf) {
  const int count = toc->trackCount < 0 ? 0 : toc->trackCount > kTocMaxTracks ? kTocMaxTracks : toc->trackCount;
  for (int t = 0; t < count; ++t) startsMsf[t] = MsfFromFrames(toc->starts[t]);
  return count;
}

uint32_t DiscIdOfToc(const DiscToc* toc) {
  uint32_t starts[kTocMaxTracks];
  const int count = TocStartsMsf(toc, starts);
  const uint32_t first = count > 0 ? toc->starts[0] : 0;
  const uint32_t length = toc->leadOut > first ? toc->leadOut - first - 1 : 0;
  return DiscIdFromToc(count, starts, MsfFromFrames(length));
}

void DiscSectionName(uint32_t discId, char* name, size_t size) {
  snprintf(name, size, "%lu", static_cast<unsigned long>(discId));
}

int ParsePlayList(const char* text, int trackCount, int32_t* numbers) {
  int count = 0;
  const char* p = text;
  while (p[0] == ' ') ++p;
  if (!(p[0] == '*' && p[strspn(p + 1, " ") + 1] == '\0')) {
    while (*p && count < trackCount) {
      long n = LeadingNumber(p);
      if (n >= 1 && n <= trackCount) numbers[count++] = static_cast<int32_t>(n);
      p += strcspn(p, " ");
      p += strspn(p, " ");
    }
  }
  if (count > 0) return count;
  for (int t = 0; t < trackCount; ++t) numbers[t] = t + 1;
  return trackCount;
}

void FormatPlayList(const int32_t* numbers, int count, std::string* text) {
  text->clear();
  char number[16];
  for (int i = 0; i < count; ++i) {
    snprintf(number, sizeof number, i ? " %ld" : "%ld", static_cast<long>(numbers[i]));
    *text += number;
  }
}

int LoadDiscRecord(const std::string& catalogue, const CatalogueNames* names, DiscInfo* info) {
  char sectionName[16], key[kTitleSize + 12], fallback[kTitleSize + 12];
  DiscSectionName(info->discId, sectionName, sizeof sectionName);
  ProfileSection section = ProfileFindSection(catalogue, sectionName);
  ProfileSectionGetString(&section, names->discTitle, names->untitledTitle, info->title, kTitleSize);
  ProfileSectionGetString(&section, names->discArtist, names->untitledArtist, info->artist,
                          kTitleSize);

  int count = info->trackCount > 0 ? info->trackCount : 0;
  char playList[kPlayListTextSize];
  ProfileSectionGetString(&section, names->playList, "*", playList, sizeof playList);
  auto* parsed = static_cast<int32_t*>(calloc(static_cast<size_t>(count) + 1, sizeof(int32_t)));
  int playCount = parsed ? ParsePlayList(playList, count, parsed) : 0;
  // Each block sized exactly to its count.
  info->tracks = static_cast<TrackEntry*>(calloc(static_cast<size_t>(count), sizeof(TrackEntry)));
  info->playList = static_cast<int32_t*>(calloc(static_cast<size_t>(playCount), sizeof(int32_t)));
  info->playCount = playCount;
  if (!parsed || (count > 0 && (!info->tracks || !info->playList))) {
    free(parsed);
    FreeDiscArrays(info);
    info->playCount = 0;
    return 0;
  }
  if (playCount > 0) memcpy(info->playList, parsed, sizeof(int32_t) * static_cast<size_t>(playCount));
  free(parsed);
  for (int n = 1; n <= count; ++n) {
    TrackEntry* entry = &info->tracks[n - 1];
    entry->number = n;
    snprintf(key, sizeof key, "%s%d", names->track, n);
    snprintf(fallback, sizeof fallback, "%s %d", names->track, n);
    ProfileSectionGetString(&section, key, fallback, entry->title, kTitleSize);
  }
  info->repeatMode = static_cast<uint8_t>(ProfileSectionGetInt(&section, names->repeat, 0));
  info->shuffle = static_cast<uint8_t>(ProfileSectionGetInt(&section, names->shuffle, 0));
  return 1;
}

int SaveDiscRecord(std::string* catalogue, const CatalogueNames* names, const DiscInfo* info) {
  if (!info->tracks || info->trackCount <= 0) return 0;
  char sectionName[16], repeat[8], shuffle[8];
  DiscSectionName(info->discId, sectionName, sizeof sectionName);
  snprintf(repeat, sizeof repeat, "%u", info->repeatMode);
  snprintf(shuffle, sizeof shuffle, "%u", info->shuffle);
  std::string playList;
  FormatPlayList(info->playList, info->playCount, &playList);

  int count = info->trackCount;
  size_t entryCount = static_cast<size_t>(count) + 5;
  auto* entries = static_cast<ProfileEntry*>(calloc(entryCount, sizeof(ProfileEntry)));
  auto* keys = static_cast<char(*)[kTitleSize + 12]>(calloc(static_cast<size_t>(count) + 1, kTitleSize + 12));
  int changed = 0;
  if (entries && keys) {
    size_t e = 0;
    entries[e++] = {names->discTitle, info->title};
    entries[e++] = {names->discArtist, info->artist};
    entries[e++] = {names->repeat, repeat};
    entries[e++] = {names->shuffle, shuffle};
    for (int n = 0; n < count; ++n) {
      snprintf(keys[n], sizeof keys[n], "%s%ld", names->track, static_cast<long>(info->tracks[n].number));
      entries[e++] = {keys[n], info->tracks[n].title};
    }
    entries[e++] = {names->playList, playList.c_str()};
    changed = ProfileWriteSection(catalogue, sectionName, entries, e);
  }
  free(keys);
  free(entries);
  return changed;
}

void FreeDiscArrays(DiscInfo* info) {
  free(info->tracks);
  free(info->playList);
  free(info->shuffleOrder);
  info->tracks = nullptr;
  info->playList = nullptr;
  info->shuffleOrder = nullptr;
}

void SeedRandom(uint32_t seed) { randomState = seed; }

int DrawRandom(void) {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>(randomState >> 16 & 0x7FFF);
}

void BuildShuffleOrder(DiscInfo* info) {
  free(info->shuffleOrder);
  info->shuffleOrder = nullptr;
  if (info->playCount <= 0) return;
  auto* slots = static_cast<int32_t*>(calloc(static_cast<size_t>(info->playCount), sizeof(int32_t)));
  if (!slots) return;
  for (int i = 0; i < info->playCount; ++i) {
    // Every item re-seeds with the clock second, so each walks the same
    // sequence of draws and takes the first slot still empty on it.
    SeedRandom(shuffleClock());
    int j = DrawRandom() % info->playCount;
    while (slots[j] != 0) j = DrawRandom() % info->playCount;
    slots[j] = info->playList[i];
  }
  info->shuffleOrder = slots;
}

void ReplacePlayListNumbers(DiscInfo* info, const int32_t* numbers, int count) {
  if (count <= 0) return;
  auto* list = static_cast<int32_t*>(calloc(static_cast<size_t>(count), sizeof(int32_t)));
  if (!list) return;
  memcpy(list, numbers, sizeof(int32_t) * static_cast<size_t>(count));
  free(info->playList);
  info->playList = list;
  info->playCount = count;
  if (info->shuffle == 1) {
    free(info->shuffleOrder);
    info->shuffleOrder = nullptr;
    BuildShuffleOrder(info);
  }
}
