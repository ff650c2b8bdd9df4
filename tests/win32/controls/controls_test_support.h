// Shared by the controls' tests: the classes registered as the shell
// registers them, a parent window that records its WM_COMMAND messages,
// reading back a window's pixels, and the LED font loaded for this process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Registers CDControlClass, CDBitmapClass and CDStatusClass (once).
void RegisterControlClasses();

// A visible top-level window with a client area of width x height at the
// screen's top left, recording the WM_COMMAND messages it receives.
HWND CreateTestParent(int width, int height);
struct Command {
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Command>& Commands();

// The client area of a window as the screen shows it, one RGB COLORREF a
// pixel, row by row.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> colour;
  COLORREF At(int x, int y) const { return colour[static_cast<size_t>(y * width + x)]; }
};
Pixels Capture(HWND window);

// The pixels of a bitmap (of any format), as RGB COLORREFs row by row.
Pixels BitmapPixels(HBITMAP bitmap);
// The pixels of a bitmap resource of this program.
Pixels ResourcePixels(const char* name);

// Counts the process's GDI objects (the platform has no counter of its own
// here): every short handle the GDI recognises.
int CountGdiObjects();

// Makes the LED font "Corvane Digital" (digital.fon beside the program)
// available to this process; true when the face then resolves to itself.
bool LoadLedFont();

// Formats a colour for failure messages.
std::string ColourText(COLORREF c);
