#include "player/catalogue/cdplayer_import.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/profile/profile.h"
#include "player/catalogue/catalogue_core.h"

namespace {

// Room for "order" of a full disc (99 numbers under 300 characters); a
// longer text is junk and is cut.
enum { kOrderTextSize = 1024 };

// A text key's value, or the field's own text when the key is missing; cut
// to 79 characters.
void TakeText(const ProfileSection* section, const char* key, char* field) {
  char value[kTitleSize];
  ProfileSectionGetString(section, key, field, value, sizeof value);
  memcpy(field, value, sizeof value);
}

// The first `used` numbers of "order" (counted from 0) as a play list text
// counted from 1. A piece that is no number in 0..trackCount-1 becomes 0,
// which the play list's repairs drop.
std::string OneBasedOrder(const char* order, int used, int trackCount) {
  std::string list;
  const char* p = order;
  for (int n = 0; n < used; ++n) {
    p += strspn(p, " \t");
    if (!*p) break;
    char* end = nullptr;
    long track = strtol(p, &end, 10);
    char number[16] = "0";
    if (end != p && track >= 0 && track < trackCount) snprintf(number, sizeof number, "%ld", track + 1);
    list += list.empty() ? "" : " ";
    list += number;
    p += strcspn(p, " \t");
  }
  return list;
}

}  // namespace

uint32_t CdPlayerDiscId(int trackCount, const uint32_t* startsMsf, uint32_t lengthMs) {
  uint32_t sum = 0;
  for (int t = 0; t < trackCount; ++t) sum += DiscIdTrackTerm(startsMsf[t]);
  if (trackCount >= 3) return sum;
  uint64_t scaled = static_cast<uint64_t>(lengthMs) * kFramesPerSecond;
  sum += static_cast<uint32_t>(scaled / 1000 + (scaled % 1000 != 0));
  if (trackCount == 2) sum += startsMsf[0] >> 16 & 0xFF;
  return sum;
}

uint32_t CdPlayerDiscIdOfToc(const DiscToc* toc, uint32_t lengthMs) {
  uint32_t starts[kTocMaxTracks];
  const int count = TocStartsMsf(toc, starts);
  return CdPlayerDiscId(count, starts, lengthMs);
}

void CdPlayerSectionName(uint32_t cdPlayerId, char* name, size_t size) {
  snprintf(name, size, "%lX", static_cast<unsigned long>(cdPlayerId));
}

int ImportCdPlayerRecord(const std::string& text, uint32_t cdPlayerId, DiscInfo* info) {
  char name[16];
  CdPlayerSectionName(cdPlayerId, name, sizeof name);
  ProfileSection section = ProfileFindSection(text, name);
  int count = info->trackCount;
  if (!section.found || count <= 0 || !info->tracks) return 0;

  TakeText(&section, "title", info->title);
  TakeText(&section, "artist", info->artist);
  int titled = ProfileSectionGetInt(&section, "numtracks", count);
  for (int t = 0; t < titled && t < count; ++t) {
    char key[16];
    snprintf(key, sizeof key, "%d", t);
    TakeText(&section, key, info->tracks[t].title);
  }

  char order[kOrderTextSize];
  ProfileSectionGetString(&section, "order", "", order, sizeof order);
  int used = ProfileSectionGetInt(&section, "numplay", INT_MAX);
  auto* numbers = static_cast<int32_t*>(calloc(static_cast<size_t>(count), sizeof(int32_t)));
  if (numbers) {
    int played = ParsePlayList(OneBasedOrder(order, used, count).c_str(), count, numbers);
    ReplacePlayListNumbers(info, numbers, played);
    free(numbers);
  }
  return 1;
}
