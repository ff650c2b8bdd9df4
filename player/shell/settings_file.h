// The settings file on the platform.
#pragma once

#include <windows.h>

#include "player/shell/settings.h"

void LoadPlayerSettings(HINSTANCE instance, PlayerSettings* settings);
void SavePlayerSettings(HINSTANCE instance, const PlayerSettings* settings);
