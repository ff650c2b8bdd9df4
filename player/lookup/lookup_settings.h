// The look-up's settings: section "Lookup" of the settings file, read
// without the platform.
#pragma once

#include <string>

// The look-up's sources, in the order they are asked by default.
enum LookupSource { kSourceMusicBrainz, kSourceGnudb, kSourceCount };
// "MusicBrainz" or "gnudb".
const char* LookupSourceName(int source);

enum {
  kLookupDefaultPort = 80,
  kMusicBrainzDefaultPort = 443,
};

struct LookupSettings {
  char server[128];  // gnudb's
  int port;
  char path[128];
  char user[64];  // the user name of the protocol's greeting
  char musicBrainzServer[128];
  int musicBrainzPort;
  char contact[128];  // how MusicBrainz's operators reach the user (empty: not said)
  char roots[260];    // a PEM file of trusted roots in place of the compiled-in ones (empty: those)
  int sourceCount;
  int sources[kSourceCount];  // in the order they are asked
  int automatic;  // 1: a disc the catalogue does not know is looked up when it is loaded
};

// Names of section "Lookup" and its keys, as the string table gives them.
struct LookupSettingsNames {
  char section[40];
  char server[40];
  char port[40];
  char path[40];
  char user[40];
  char musicBrainzServer[40];
  char musicBrainzPort[40];
  char contact[40];
  char roots[40];
  char sources[40];
  char automatic[40];
};

// Reads the section; a key that is missing or unusable gives its default:
// for gnudb gnudb.gnudb.org, 80, /~cddb/cddb.cgi, kovel32 (gnudb wants the
// user's e-mail address as the user name); MusicBrainzServer
// musicbrainz.org and MusicBrainzPort 443; no Contact; no Roots (the
// compiled-in ones); Sources "MusicBrainz,gnudb" (names separated by
// commas in any case; unknown and repeated ones are passed over, and none
// at all means the default); Automatic 0 (1 alone turns it on). A server name typed as an absolute name, with
// a dot at its end ("musicbrainz.org."), is taken without it.
void ReadLookupSettings(const std::string& text, const LookupSettingsNames* names, LookupSettings* settings);
// Adds the keys the section lacks, with their defaults, so users find them;
// every other line stays. Returns 1 when the text changed.
int AddLookupDefaults(std::string* text, const LookupSettingsNames* names);
