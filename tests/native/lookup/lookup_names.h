// The names of the look-up's settings, as the player's string table gives
// them.
#pragma once

#include "player/lookup/lookup_settings.h"

inline const LookupSettingsNames kLookupNames = {"Lookup",          "Server",  "Port",  "Path",   "User",
                                                 "MusicBrainzServer", "MusicBrainzPort", "Contact", "Roots", "Sources", "Automatic"};
