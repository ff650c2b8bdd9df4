// The settings file on the platform.
#pragma once

#include <windows.h>

#include "player/lookup/lookup_core.h"
#include "player/shell/settings.h"

void LoadPlayerSettings(HINSTANCE instance, PlayerSettings* settings);
// Saves the settings; 1 when saved (or nothing changed), 0 when the save
// failed, which is noted for TellSaveFailures.
int SavePlayerSettings(HINSTANCE instance, const PlayerSettings* settings);
// Reads section "Lookup", first adding the keys it lacks with their
// defaults so that users find them there (a write that fails is noted for
// TellSaveFailures).
void LoadLookupSettings(HINSTANCE instance, LookupSettings* settings);
