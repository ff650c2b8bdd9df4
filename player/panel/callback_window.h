// The window procedure of the hidden notification window "MCI CallBacks".
#pragma once

#include <windows.h>

LRESULT CALLBACK CDCallbackWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
