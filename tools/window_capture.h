// Saves a window into a 24-bit BMP file; used by the programs that take the
// pictures in docs/ and by `make run`.
#pragma once

#include <windows.h>

// The window as it stands on the screen (any process's window).
bool CaptureWindow(HWND window, const char* path);
// A window of this process, frame included, read from its own DC after its
// controls have painted: the screen shows a fresh painting only later.
bool CaptureOwnWindow(HWND window, const char* path);
