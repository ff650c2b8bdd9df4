// The settings file on the platform.
#pragma once

#include <windows.h>

#include "player/lookup/lookup_settings.h"
#include "player/shell/settings.h"

void LoadPlayerSettings(HINSTANCE instance, PlayerSettings* settings);
void SavePlayerSettings(HINSTANCE instance, const PlayerSettings* settings);
// Reads section "Lookup", first adding the keys it lacks with their
// defaults so that users find them there.
void LoadLookupSettings(HINSTANCE instance, LookupSettings* settings);
