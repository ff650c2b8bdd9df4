#include "player/catalogue/catalogue_file.h"

#include <cstdlib>
#include <cstring>

#include "common/profile/profile.h"

namespace {

// The records of discs whose save failed after they left the player.
DiscInfo* unsavedRecords;
int unsavedCount;

struct SaveJob {
  const CatalogueNames* names;
  const DiscInfo* info;
};

int WriteRecords(std::string* text, void* context) {
  const SaveJob* job = static_cast<const SaveJob*>(context);
  int changed = 0;
  for (int i = 0; i < unsavedCount; ++i) changed |= SaveDiscRecord(text, job->names, &unsavedRecords[i]);
  return SaveDiscRecord(text, job->names, job->info) | changed;
}

}  // namespace

int SaveDiscRecords(const char* path, const CatalogueNames* names, const DiscInfo* info) {
  SaveJob job = {names, info};
  int status = ProfileUpdateFile(path, 1, WriteRecords, &job);
  if (status == kProfileOk) ForgetUnsavedRecords();
  return status;
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
