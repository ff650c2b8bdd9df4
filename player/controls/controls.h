// The player's own controls: the bitmap push button (CDControlClass), the
// LED status display (CDStatusClass), the bitmap picture (CDBitmapClass),
// and the About box's dialog procedure. The shell registers the classes:
//
//   class           procedure          style                  extra bytes          cursor          background
//   CDControlClass  CDControlWndProc   CS_HREDRAW|CS_VREDRAW  kControlExtraBytes   resource 118    COLOR_BTNFACE + 1
//   CDBitmapClass   CDBitmapWndProc    CS_HREDRAW|CS_VREDRAW  kBitmapExtraBytes    IDC_ARROW       COLOR_BTNFACE + 1
//   CDStatusClass   CDStatusWndProc    CS_HREDRAW|CS_VREDRAW  kStatusExtraBytes    IDC_ARROW       BLACK_BRUSH
//
// No CS_DBLCLKS on the button: a quick second click must arrive as a
// second press.
#pragma once

#include <windows.h>

#include <cstdint>

enum {
  // The button's two 16-bit window words.
  kButtonStateWord = 0,  // 1 = up, 0 = held down
  kHasFocusWord = 2,     // 1 while the button has the keyboard focus
  kControlExtraBytes = 8,
  // The picture keeps nothing of its own.
  kBitmapExtraBytes = 4,
  // The display's PositionRecord pointer, at index 0.
  kStatusExtraBytes = sizeof(LONG_PTR),
};

LRESULT CALLBACK CDControlWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CDStatusWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the time display's time in a mode of PositionRecord (kTrackElapsed,
// kTrackRemaining, kDiscRemaining), asking the lengths it needs, if any.
void SetStatusDisplayMode(HWND display, int mode);
LRESULT CALLBACK CDBitmapWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The phase of the buttons' dotted lines, shared by every button and every
// painting: 1 draws the next point, 2 skips it. Starts at 1, never reset.
extern uint16_t dotPhase;
