#include "player/catalogue/catalogue_file.h"

#include <cstdlib>
#include <cstring>

#include "common/profile/profile.h"

namespace {

// The records of discs whose save failed after they left the player.
DiscInfo* unsavedRecords;
int unsavedCount;

// Each record LoadCatalogueRecord filled, beside a copy of what it held
// when loaded (the catalogue's section, or the defaults given while the
// catalogue could not be read) or when last saved, without the shuffled
// order, which is never stored. A record of a disc new to the catalogue, or
// kept unsaved, has no copy until its first save succeeds.
struct LoadedRecord {
  const DiscInfo* record;
  int stored;  // 1 when copy is set: the record needs a save once it differs
  DiscInfo copy;
};
LoadedRecord* loadedRecords;
int loadedCount;

int FindLoadedRecord(const DiscInfo* info) {
  for (int i = 0; i < loadedCount; ++i)
    if (loadedRecords[i].record == info) return i;
  return -1;
}

// Starts following a record just loaded; -1 when memory runs out (it then
// needs a save, as a record the catalogue file did not load).
int FollowRecord(const DiscInfo* info) {
  auto* grown = static_cast<LoadedRecord*>(calloc(static_cast<size_t>(loadedCount) + 1, sizeof(LoadedRecord)));
  if (!grown) return -1;
  if (loadedCount > 0) memcpy(grown, loadedRecords, sizeof(LoadedRecord) * static_cast<size_t>(loadedCount));
  free(loadedRecords);
  loadedRecords = grown;
  loadedRecords[loadedCount].record = info;
  return loadedCount++;
}

// Notes the record as it is now as what the catalogue holds for it. Without
// memory for the copy it stays a record that needs a save.
void NoteStoredRecord(int i, const DiscInfo* info) {
  LoadedRecord* entry = &loadedRecords[i];
  FreeDiscArrays(&entry->copy);
  entry->stored = 0;
  const size_t tracks = info->trackCount > 0 ? static_cast<size_t>(info->trackCount) : 0;
  const size_t plays = info->playCount > 0 ? static_cast<size_t>(info->playCount) : 0;
  DiscInfo copy = *info;
  copy.shuffleOrder = nullptr;
  copy.tracks = static_cast<TrackEntry*>(calloc(tracks + 1, sizeof(TrackEntry)));
  copy.playList = static_cast<int32_t*>(calloc(plays + 1, sizeof(int32_t)));
  if (!copy.tracks || !copy.playList) {
    FreeDiscArrays(&copy);
    return;
  }
  if (tracks > 0) memcpy(copy.tracks, info->tracks, sizeof(TrackEntry) * tracks);
  if (plays > 0) memcpy(copy.playList, info->playList, sizeof(int32_t) * plays);
  entry->copy = copy;
  entry->stored = 1;
}

// Whether a save would write the same section for both records.
int SameRecord(const DiscInfo* a, const DiscInfo* b) {
  if (a->discId != b->discId || a->trackCount != b->trackCount || a->playCount != b->playCount ||
      a->repeatMode != b->repeatMode || a->shuffle != b->shuffle || strncmp(a->title, b->title, kTitleSize) != 0 ||
      strncmp(a->artist, b->artist, kTitleSize) != 0)
    return 0;
  for (int t = 0; t < a->trackCount; ++t)
    if (a->tracks[t].number != b->tracks[t].number || strncmp(a->tracks[t].title, b->tracks[t].title, kTitleSize) != 0)
      return 0;
  const size_t plays = a->playCount > 0 ? static_cast<size_t>(a->playCount) : 0;
  return plays == 0 || memcmp(a->playList, b->playList, sizeof(int32_t) * plays) == 0;
}

struct SaveJob {
  const CatalogueNames* names;
  const DiscInfo* info;  // null: only the discs kept unsaved
};

int WriteRecords(std::string* text, void* context) {
  const SaveJob* job = static_cast<const SaveJob*>(context);
  int changed = 0;
  for (int i = 0; i < unsavedCount; ++i) changed |= SaveDiscRecord(text, job->names, &unsavedRecords[i]);
  if (job->info) changed |= SaveDiscRecord(text, job->names, job->info);
  return changed;
}

}  // namespace

int LoadCatalogueRecord(const char* path, const CatalogueNames* names, DiscInfo* info) {
  ForgetLoadedRecord(info);
  if (TakeUnsavedRecord(info)) {
    FollowRecord(info);
    return 0;
  }
  ProfileFile catalogue = {};
  // A catalogue that cannot be read gives the defaults, as a missing one.
  const int read = ProfileReadFile(path, &catalogue);
  char section[16];
  DiscSectionName(info->discId, section, sizeof section);
  const int known = ProfileFindSection(catalogue.text, section).found;
  LoadDiscRecord(catalogue.text, names, info);
  const int followed = FollowRecord(info);
  if (read && !known) return 1;
  // What the catalogue holds, or the defaults shown while it could not be
  // read (they must not replace the titles it holds): written only once the
  // player changes them.
  if (followed >= 0) NoteStoredRecord(followed, info);
  return 0;
}

int SaveDiscRecords(const char* path, const CatalogueNames* names, const DiscInfo* info) {
  const int record = RecordNeedsSave(info);
  if (!record && unsavedCount == 0) return kProfileOk;
  SaveJob job = {names, record ? info : nullptr};
  int status = ProfileUpdateFile(path, 1, WriteRecords, &job);
  if (status != kProfileOk) return status;
  ForgetUnsavedRecords();
  const int followed = FindLoadedRecord(info);
  if (record && followed >= 0) NoteStoredRecord(followed, info);
  return status;
}

int RecordNeedsSave(const DiscInfo* info) {
  if (!info->tracks || info->trackCount <= 0) return 0;
  const int i = FindLoadedRecord(info);
  return i < 0 || !loadedRecords[i].stored || !SameRecord(info, &loadedRecords[i].copy);
}

int CatalogueNeedsSave(const DiscInfo* info) { return unsavedCount > 0 || RecordNeedsSave(info); }

void ForgetLoadedRecord(const DiscInfo* info) {
  const int i = FindLoadedRecord(info);
  if (i < 0) return;
  FreeDiscArrays(&loadedRecords[i].copy);
  loadedRecords[i] = loadedRecords[--loadedCount];
  if (loadedCount > 0) return;
  free(loadedRecords);
  loadedRecords = nullptr;
}

void KeepUnsavedRecord(DiscInfo* info) {
  free(info->shuffleOrder);  // never stored; rebuilt when the disc comes back
  info->shuffleOrder = nullptr;
  int slot = 0;
  while (slot < unsavedCount && unsavedRecords[slot].discId != info->discId) ++slot;
  if (slot == unsavedCount) {
    auto* grown = static_cast<DiscInfo*>(calloc(static_cast<size_t>(slot) + 1, sizeof(DiscInfo)));
    if (!grown) {
      FreeDiscArrays(info);
      return;
    }
    if (slot > 0) memcpy(grown, unsavedRecords, sizeof(DiscInfo) * static_cast<size_t>(slot));
    free(unsavedRecords);
    unsavedRecords = grown;
    ++unsavedCount;
  } else {
    FreeDiscArrays(&unsavedRecords[slot]);
  }
  unsavedRecords[slot] = *info;
  info->tracks = nullptr;
  info->playList = nullptr;
}

int TakeUnsavedRecord(DiscInfo* info) {
  for (int i = 0; i < unsavedCount; ++i) {
    if (unsavedRecords[i].discId != info->discId || unsavedRecords[i].trackCount != info->trackCount) continue;
    *info = unsavedRecords[i];
    unsavedRecords[i] = unsavedRecords[--unsavedCount];
    return 1;
  }
  return 0;
}

int UnsavedRecordCount() { return unsavedCount; }

void ForgetUnsavedRecords() {
  for (int i = 0; i < unsavedCount; ++i) FreeDiscArrays(&unsavedRecords[i]);
  free(unsavedRecords);
  unsavedRecords = nullptr;
  unsavedCount = 0;
}
