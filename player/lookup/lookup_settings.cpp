#include "player/lookup/lookup_settings.h"

#include <cstdio>
#include <cstring>

#include "common/profile/profile.h"
#include "common/version.h"
#include "player/lookup/lookup_types.h"

namespace {

const char kDefaultServer[] = "gnudb.gnudb.org";
const char kDefaultPort[] = "80";
const char kDefaultPath[] = "/~cddb/cddb.cgi";
const char kDefaultUser[] = "kovel32";
const char kDefaultMusicBrainzServer[] = "musicbrainz.org";
const char kDefaultSources[] = "MusicBrainz,gnudb";
const char* const kSourceNames[kSourceCount] = {"MusicBrainz", "gnudb"};

// Whether the section has the key, whatever its value.
bool HasKey(const ProfileSection* section, const char* key) {
  char a[2], b[2];
  ProfileSectionGetString(section, key, "", a, sizeof a);
  ProfileSectionGetString(section, key, "x", b, sizeof b);
  return strcmp(a, b) == 0;
}

bool IsPrintableName(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    if (*p <= 0x20 || *p >= 0x7F) return false;
  return true;
}

// A server's name as typed, or its default when it cannot be one. The dot
// that ends an absolute name goes: the name is the same, and neither the
// request's Host nor the certificate names carry it.
void ReadServerName(const ProfileSection* section, const char* key, const char* fallback, char* out, size_t size) {
  ProfileSectionGetString(section, key, fallback, out, size);
  size_t n = strlen(out);
  if (n > 1 && out[n - 1] == '.' && out[n - 2] != '.') out[n - 1] = '\0';
  if (!out[0] || !IsPrintableName(out) || strcmp(out, ".") == 0) snprintf(out, size, "%s", fallback);
}

bool SameName(const char* a, size_t length, const char* b) {
  if (strlen(b) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

// The sources named in a list separated by commas, each once.
int ReadSources(const char* list, int* sources) {
  int count = 0;
  for (const char* at = list; *at;) {
    const char* stop = at + strcspn(at, ",");
    const char* begin = at;
    const char* end = stop;
    while (begin < end && *begin == ' ') ++begin;
    while (end > begin && end[-1] == ' ') --end;
    for (int source = 0; source < kSourceCount; ++source) {
      bool listed = false;
      for (int i = 0; i < count; ++i) listed = listed || sources[i] == source;
      if (!listed && SameName(begin, static_cast<size_t>(end - begin), kSourceNames[source]))
        sources[count++] = source;
    }
    at = *stop ? stop + 1 : stop;
  }
  return count;
}

}  // namespace

const char* LookupSourceName(int source) {
  return source >= 0 && source < kSourceCount ? kSourceNames[source] : "";
}

void ReadLookupSettings(const std::string& text, const LookupSettingsNames* names, LookupSettings* settings) {
  ProfileSection section = ProfileFindSection(text, names->section);
  ReadServerName(&section, names->server, kDefaultServer, settings->server, sizeof settings->server);
  settings->port = ProfileSectionGetInt(&section, names->port, kLookupDefaultPort);
  if (settings->port < 1 || settings->port > 65535) settings->port = kLookupDefaultPort;
  ProfileSectionGetString(&section, names->path, kDefaultPath, settings->path, sizeof settings->path);
  if (settings->path[0] != '/') snprintf(settings->path, sizeof settings->path, "%s", kDefaultPath);
  ProfileSectionGetString(&section, names->user, kDefaultUser, settings->user, sizeof settings->user);
  if (!settings->user[0]) snprintf(settings->user, sizeof settings->user, "%s", kDefaultUser);

  ReadServerName(&section, names->musicBrainzServer, kDefaultMusicBrainzServer, settings->musicBrainzServer,
                 sizeof settings->musicBrainzServer);
  settings->musicBrainzPort = ProfileSectionGetInt(&section, names->musicBrainzPort, kMusicBrainzDefaultPort);
  if (settings->musicBrainzPort < 1 || settings->musicBrainzPort > 65535)
    settings->musicBrainzPort = kMusicBrainzDefaultPort;
  ProfileSectionGetString(&section, names->contact, "", settings->contact, sizeof settings->contact);
  ProfileSectionGetString(&section, names->roots, "", settings->roots, sizeof settings->roots);
  char sources[128];
  ProfileSectionGetString(&section, names->sources, kDefaultSources, sources, sizeof sources);
  settings->sourceCount = ReadSources(sources, settings->sources);
  if (settings->sourceCount == 0) settings->sourceCount = ReadSources(kDefaultSources, settings->sources);
  settings->automatic = ProfileSectionGetInt(&section, names->automatic, 0) == 1;
}

int AddLookupDefaults(std::string* text, const LookupSettingsNames* names) {
  const ProfileEntry defaults[] = {{names->sources, kDefaultSources}, {names->server, kDefaultServer},
                                   {names->port, kDefaultPort},        {names->path, kDefaultPath},
                                   {names->user, kDefaultUser},        {names->contact, ""},
                                   {names->roots, ""}};
  ProfileEntry missing[sizeof defaults / sizeof defaults[0]];
  size_t count = 0;
  ProfileSection section = ProfileFindSection(*text, names->section);
  for (const ProfileEntry& entry : defaults)
    if (!HasKey(&section, entry.key)) missing[count++] = entry;
  return count ? ProfileWriteSection(text, names->section, missing, count) : 0;
}

const char kLookupClientName[] = "kovel32";
const char kLookupClientVersion[] = KOVEL_VERSION_TEXT;
