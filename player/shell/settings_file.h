// The settings file on the platform.
#pragma once

#include <windows.h>

#include "player/lookup/lookup_settings.h"
#include "player/shell/settings.h"

void LoadPlayerSettings(HINSTANCE instance, PlayerSettings* settings);
// Saves the settings; 1 when saved (or nothing changed), 0 when the save
// failed, which is noted for TellSaveFailures.
int SavePlayerSettings(HINSTANCE instance, const PlayerSettings* settings);
// The TLS client's kept seed: section "Lookup", key "Seed", size bytes (at
// most 32) as hex digits. LoadKeptSeed returns 1 with them when the stored
// value is usable, 0 when it is missing or is not 2 * size hex digits.
// SaveKeptSeed returns 1 when the file holds it; a file that is there but
// cannot be read is left alone.
int LoadKeptSeed(HINSTANCE instance, unsigned char* seed, size_t size);
int SaveKeptSeed(HINSTANCE instance, const unsigned char* seed, size_t size);
// Reads section "Lookup", first adding the keys it lacks with their
// defaults so that users find them there (a write that fails is noted for
// TellSaveFailures).
void LoadLookupSettings(HINSTANCE instance, LookupSettings* settings);
// Whether a disc the catalogue does not know is looked up by itself
// ([Lookup] Automatic is 1). Nothing is written.
int LoadLookupAutomatic(HINSTANCE instance);
