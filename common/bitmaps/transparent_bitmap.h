// Drawing 16-colour bitmap resources so that their key colour, the colour of
// the top-left pixel, lets the window's background show through; and the
// etched two-tone image of a disabled button. Shared by the player and the
// installer. Nothing is cached: every call loads, composes and frees afresh.
#pragma once

#include <windows.h>

// A new image: the image's pixels that are not of its key colour copied
// over background (an image of the same size in the screen's format, which
// may stay selected in a memory context of the caller). Neither input is
// changed. Returns null when the image's size cannot be read or a context
// or image cannot be created. The caller deletes the result.
HBITMAP ComposeTransparent(HDC reference, HBITMAP image, HBITMAP background);

// Draws the bitmap resource (a name, or MAKEINTRESOURCE of a number) of the
// window's module over its client area at (x, y). With centre 1 the picture
// goes to the horizontal middle of the client area, flush with the top (a
// picture wider than the client area is cut equally on both sides).
void DrawTransparentBitmap(HWND window, int x, int y, LPCSTR resource, int centre);

// Draws the bitmap resource from (x, y) stretched to the size of the
// window's client area; with transparent 1 its key colour lets the window's
// pixels show (those under the picture's unstretched size, stretched along).
void StretchTransparentBitmap(HWND window, int x, int y, LPCSTR resource, int transparent);

// A new image of the same size: the button face colour, with the shape (the
// pixels not of the colour of pixel (0, 0)) etched in: highlight along its
// lower-right edges, shadow just outside its upper-left edges. Null when a
// memory context cannot be created. The caller deletes the result.
HBITMAP MakeDisabledBitmap(HBITMAP image);
