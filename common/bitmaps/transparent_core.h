// The pixel rules of transparent drawing, over the pixel bits of
// device-compatible bitmaps as the platform delivers them: rows from top to
// bottom, each pixel a whole number of bytes, each row padded to an even
// number of bytes. No platform calls here.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of one pixel at a screen depth: 1, 2, 3 or 4 (0 below 8 bits).
int PixelBytes(int bitsPerPixel);

// Bytes of one row of width pixels, padded to an even length.
size_t PixelRowBytes(int width, int pixelBytes);

// Size of a buffer for a width x height image: (width rounded up to even)
// x pixelBytes x height. At least height rows of PixelRowBytes.
size_t PixelBufferSize(int width, int height, int pixelBytes);

// Copies every pixel of image over background whose first byte differs
// from the first byte of the image's top-left pixel; the key-coloured
// pixels leave the background as it was. The row padding is not touched.
// Both buffers hold height rows of PixelRowBytes(width, pixelBytes).
void ComposePixels(const uint8_t* image, uint8_t* background, int width, int height,
                   int pixelBytes);

// The colours of the etched (disabled) image.
enum EtchColour : uint8_t { kEtchFace = 0, kEtchHighlight = 1, kEtchShadow = 2 };

// The etched colour of one pixel: whether it is part of the shape (not of
// the key colour), whether it lies in the last column or row, and whether
// its diagonal neighbour (x + 1, y + 1) is part of the shape.
EtchColour EtchedPixel(bool shape, bool lastColumnOrRow, bool neighbourIsShape);

// Etches a whole image: shape holds width x height bytes, row by row, non-zero
// for shape pixels; out receives one EtchColour per pixel in the same order.
void EtchImage(const uint8_t* shape, int width, int height, uint8_t* out);
