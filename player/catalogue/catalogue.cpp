#include "player/catalogue/catalogue.h"

#include <cstdlib>

#include "common/profile/profile.h"
#include "player/catalogue/cdplayer_import.h"
#include "resources/player/resource.h"

namespace {

char catalogueFile[MAX_PATH];  // the user's full path, or empty

// The key names and defaults, loaded from the string table each time.
void LoadNames(HINSTANCE instance, CatalogueNames* names) {
  LoadStringA(instance, IDS_DISC_TITLE_KEY, names->discTitle, kTitleSize);
  LoadStringA(instance, IDS_DISC_ARTIST_KEY, names->discArtist, kTitleSize);
  LoadStringA(instance, IDS_REPEAT_KEY, names->repeat, kTitleSize);
  LoadStringA(instance, IDS_SHUFFLE_KEY, names->shuffle, kTitleSize);
  LoadStringA(instance, IDS_TRACK_KEY, names->track, kTitleSize);
  LoadStringA(instance, IDS_PLAY_LIST_KEY, names->playList, kTitleSize);
  LoadStringA(instance, IDS_UNTITLED_TITLE, names->untitledTitle, kTitleSize);
  LoadStringA(instance, IDS_UNTITLED_ARTIST, names->untitledArtist, kTitleSize);
}

int CataloguePath(HINSTANCE instance, char* path, size_t size) {
  char name[13];
  LoadStringA(instance, IDS_CATALOGUE_FILE, name, sizeof name);
  return ProfileResolvePath(catalogueFile[0] ? catalogueFile : name, path, size);
}

// The operating system's CD player keeps its titles in the Windows
// directory; the file is only ever read. The device is asked for that
// player's identity only when the file has something to offer.
// Returns 1 when the file had titles for the disc.
int ImportCdPlayerTitles(UINT deviceId, DiscInfo* info) {
  char path[MAX_PATH];
  ProfileFile file = {};
  uint32_t cdPlayerId = 0;
  if (!ProfileResolvePath("cdplayer.ini", path, sizeof path)) return 0;
  if (!ProfileReadFile(path, &file) || file.text.empty() || !info->tracks) return 0;
  return ComputeCdPlayerDiscId(deviceId, info, &cdPlayerId) && ImportCdPlayerRecord(file.text, cdPlayerId, info);
}

}  // namespace

void UseCatalogueFile(const char* path) { lstrcpynA(catalogueFile, path ? path : "", sizeof catalogueFile); }

int LoadDiscEntry(HWND mainWindow, UINT deviceId, DiscInfo* info) {
  HINSTANCE instance = mainWindow
                           ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE))
                           : GetModuleHandleA(nullptr);
  CatalogueNames names;
  LoadNames(instance, &names);
  info->discId = ComputeDiscId(deviceId, &info->trackCount);
  char path[MAX_PATH];
  const int located = CataloguePath(instance, path, sizeof path);
  // Titles are taken over only for a disc the catalogue surely does not know.
  if (!LoadCatalogueRecord(located ? path : nullptr, &names, info) || !info->trackCount) return 1;
  return ImportCdPlayerTitles(deviceId, info) ? 1 : kDiscNew;
}

int SaveDiscEntry(HINSTANCE instance, DiscInfo* info) {
  // Nothing changed in the player: the file stays as other players keep it,
  // and no outcome is noted, as none was had.
  if (!CatalogueNeedsSave(info)) return 1;
  CatalogueNames names;
  LoadNames(instance, &names);
  char path[MAX_PATH];
  // A catalogue that exists but cannot be read is left alone: rewriting it
  // from nothing would lose every other disc.
  int status = CataloguePath(instance, path, sizeof path) ? SaveDiscRecords(path, &names, info) : kProfileFailed;
  NoteSave(kCatalogueSave, path, status);
  return status == kProfileOk;
}

int ReleaseDiscEntry(HINSTANCE instance, DiscInfo* info) {
  int saved = SaveDiscEntry(instance, info);
  // Only titles that still need their save wait in the player.
  if (!saved && RecordNeedsSave(info)) KeepUnsavedRecord(info);
  else FreeDiscArrays(info);
  ForgetLoadedRecord(info);
  return saved;
}

void ReplacePlayList(DiscInfo* info, HWND listBox) {
  LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
  if (count <= 0) return;
  auto* numbers = static_cast<int32_t*>(calloc(static_cast<size_t>(count), sizeof(int32_t)));
  if (!numbers) return;
  int n = 0;
  for (LRESULT i = 0; i < count; ++i) {
    auto* entry = reinterpret_cast<const TrackEntry*>(
        SendMessageA(listBox, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    if (entry && entry != reinterpret_cast<const TrackEntry*>(LB_ERR)) numbers[n++] = entry->number;
  }
  ReplacePlayListNumbers(info, numbers, n);
  free(numbers);
}
