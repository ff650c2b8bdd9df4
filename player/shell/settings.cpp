// Loading and saving "kovel.ini" with the names of the string table: the
// window and options sections, and the look-up's section.
#include "player/shell/settings_file.h"

#include "common/profile/profile.h"
#include "player/catalogue/save_failures.h"
#include "resources/player/resource.h"

namespace {

// The names are loaded at every load and save; the file name takes at most
// 12 characters.
int FilePath(HINSTANCE instance, char* path, size_t size) {
  char file[13];
  LoadStringA(instance, IDS_SETTINGS_FILE, file, sizeof file);
  return ProfileResolvePath(file, path, size);
}

int SettingsPath(HINSTANCE instance, SettingsNames* names, char* path, size_t size) {
  LoadStringA(instance, IDS_WINDOW_SECTION, names->section, sizeof names->section);
  LoadStringA(instance, IDS_X_POSN_KEY, names->xPosn, sizeof names->xPosn);
  LoadStringA(instance, IDS_Y_POSN_KEY, names->yPosn, sizeof names->yPosn);
  LoadStringA(instance, IDS_TEMPLATE_KEY, names->templateId, sizeof names->templateId);
  LoadStringA(instance, IDS_STAY_ON_TOP_KEY, names->stayOnTop, sizeof names->stayOnTop);
  LoadStringA(instance, IDS_OPTIONS_SECTION, names->options, sizeof names->options);
  LoadStringA(instance, IDS_TIME_DISPLAY_KEY, names->timeDisplay, sizeof names->timeDisplay);
  LoadStringA(instance, IDS_INTRO_PLAY_KEY, names->introPlay, sizeof names->introPlay);
  LoadStringA(instance, IDS_INTRO_SECONDS_KEY, names->introSeconds, sizeof names->introSeconds);
  LoadStringA(instance, IDS_DRIVE_KEY, names->drive, sizeof names->drive);
  LoadStringA(instance, IDS_CATALOGUE_KEY, names->catalogue, sizeof names->catalogue);
  return FilePath(instance, path, size);
}

struct SettingsJob {
  const SettingsNames* names;
  const PlayerSettings* settings;
};

int WriteSettingsText(std::string* text, void* context) {
  const SettingsJob* job = static_cast<const SettingsJob*>(context);
  return WriteSettings(text, job->names, job->settings);
}

void LoadLookupNames(HINSTANCE instance, LookupSettingsNames* names) {
  LoadStringA(instance, IDS_LOOKUP_SECTION, names->section, sizeof names->section);
  LoadStringA(instance, IDS_SERVER_KEY, names->server, sizeof names->server);
  LoadStringA(instance, IDS_PORT_KEY, names->port, sizeof names->port);
  LoadStringA(instance, IDS_PATH_KEY, names->path, sizeof names->path);
  LoadStringA(instance, IDS_USER_KEY, names->user, sizeof names->user);
  LoadStringA(instance, IDS_MUSICBRAINZ_SERVER_KEY, names->musicBrainzServer, sizeof names->musicBrainzServer);
  LoadStringA(instance, IDS_MUSICBRAINZ_PORT_KEY, names->musicBrainzPort, sizeof names->musicBrainzPort);
  LoadStringA(instance, IDS_CONTACT_KEY, names->contact, sizeof names->contact);
  LoadStringA(instance, IDS_ROOTS_KEY, names->roots, sizeof names->roots);
  LoadStringA(instance, IDS_SOURCES_KEY, names->sources, sizeof names->sources);
  LoadStringA(instance, IDS_AUTOMATIC_KEY, names->automatic, sizeof names->automatic);
}

const size_t kMaxKeptSeed = 32;

// The section and key of the kept seed; 0 when the string table lacks them.
int SeedNames(HINSTANCE instance, char* section, char* key, size_t size) {
  return LoadStringA(instance, IDS_LOOKUP_SECTION, section, static_cast<int>(size)) > 0 &&
         LoadStringA(instance, IDS_SEED_KEY, key, static_cast<int>(size)) > 0;
}

// The kept seed's names and the settings file, read: 0 for a seed of more
// than kMaxKeptSeed bytes, or a file that is there but cannot be read.
int ReadSeedFile(HINSTANCE instance, size_t size, char* section, char* key, size_t nameSize, char* path,
                 ProfileFile* file) {
  return size <= kMaxKeptSeed && SeedNames(instance, section, key, nameSize) && FilePath(instance, path, MAX_PATH) &&
         ProfileReadFile(path, file);
}

}  // namespace

void LoadPlayerSettings(HINSTANCE instance, PlayerSettings* settings) {
  SettingsNames names;
  char path[MAX_PATH];
  ProfileFile file = {};
  if (SettingsPath(instance, &names, path, sizeof path)) ProfileReadFile(path, &file);
  ReadSettings(file.text, &names, settings);
}

int SavePlayerSettings(HINSTANCE instance, const PlayerSettings* settings) {
  SettingsNames names;
  char path[MAX_PATH];
  SettingsJob job = {&names, settings};
  // A file that exists but cannot be read is left alone, whatever else it
  // holds. The settings are this computer's own: no other writer to lock out.
  int status = SettingsPath(instance, &names, path, sizeof path) ? ProfileUpdateFile(path, 0, WriteSettingsText, &job)
                                                                 : kProfileFailed;
  NoteSave(kSettingsSave, path, status);
  return status == kProfileOk;
}

int LoadKeptSeed(HINSTANCE instance, unsigned char* seed, size_t size) {
  char section[40], key[40], path[MAX_PATH];
  // Room for one digit more than a usable value has, so a longer one shows.
  char text[2 * kMaxKeptSeed + 2];
  ProfileFile file = {};
  if (!ReadSeedFile(instance, size, section, key, sizeof section, path, &file)) return 0;
  ProfileGetString(file.text, section, key, "", text, 2 * size + 2);
  return SettingsHexBytes(text, seed, size);
}

int SaveKeptSeed(HINSTANCE instance, const unsigned char* seed, size_t size) {
  char section[40], key[40], path[MAX_PATH];
  char text[2 * kMaxKeptSeed + 1];
  ProfileFile file = {};
  if (!ReadSeedFile(instance, size, section, key, sizeof section, path, &file)) return 0;
  static const char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < size; ++i) {
    text[2 * i] = kDigits[seed[i] >> 4];
    text[2 * i + 1] = kDigits[seed[i] & 15];
  }
  text[2 * size] = '\0';
  ProfileEntry entry = {key, text};
  if (!ProfileWriteSection(&file.text, section, &entry, 1)) return 1;
  int status = ProfileSaveFile(path, &file);
  NoteSave(kSettingsSave, path, status);
  return status == kProfileOk;
}

int LoadLookupAutomatic(HINSTANCE instance) {
  LookupSettingsNames names;
  LookupSettings settings;
  char path[MAX_PATH];
  ProfileFile file = {};
  LoadLookupNames(instance, &names);
  if (FilePath(instance, path, sizeof path)) ProfileReadFile(path, &file);
  ReadLookupSettings(file.text, &names, &settings);
  return settings.automatic;
}

void LoadLookupSettings(HINSTANCE instance, LookupSettings* settings) {
  LookupSettingsNames names;
  char path[MAX_PATH];
  ProfileFile file = {};
  LoadLookupNames(instance, &names);
  // A file that is there but cannot be read is not rewritten: the window
  // settings in it would be lost.
  if (FilePath(instance, path, sizeof path) && ProfileReadFile(path, &file) && AddLookupDefaults(&file.text, &names))
    NoteSave(kSettingsSave, path, ProfileSaveFile(path, &file));
  ReadLookupSettings(file.text, &names, settings);
}
