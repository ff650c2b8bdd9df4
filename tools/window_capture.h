// Saves a window as it stands on the screen into a 24-bit BMP file; used by
// the tools that take pictures of the player.
#pragma once

#include <windows.h>

bool CaptureWindow(HWND window, const char* path);
