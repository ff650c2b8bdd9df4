#include "common/bitmaps/transparent_core.h"

#include <cstring>

int PixelBytes(int bitsPerPixel) { return bitsPerPixel > 0 ? bitsPerPixel / 8 : 0; }

size_t PixelRowBytes(int width, int pixelBytes) {
  if (width <= 0 || pixelBytes <= 0) return 0;
  size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(pixelBytes);
  return bytes + bytes % 2;
}

size_t PixelBufferSize(int width, int height, int pixelBytes) {
  if (width <= 0 || height <= 0 || pixelBytes <= 0) return 0;
  size_t evenWidth = static_cast<size_t>(width) + static_cast<size_t>(width) % 2;
  return evenWidth * static_cast<size_t>(pixelBytes) * static_cast<size_t>(height);
}

void ComposePixels(const uint8_t* image, uint8_t* background, int width, int height,
                   int pixelBytes) {
  const size_t row = PixelRowBytes(width, pixelBytes);
  if (row == 0 || height <= 0) return;
  const size_t b = static_cast<size_t>(pixelBytes);
  const uint8_t key = image[0];
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = image + static_cast<size_t>(y) * row;
    uint8_t* to = background + static_cast<size_t>(y) * row;
    for (int x = 0; x < width; ++x, from += b, to += b) {
      if (from[0] != key) std::memcpy(to, from, b);
    }
  }
}

EtchColour EtchedPixel(bool shape, bool lastColumnOrRow, bool neighbourIsShape) {
  if (shape) return (lastColumnOrRow || !neighbourIsShape) ? kEtchHighlight : kEtchFace;
  return (!lastColumnOrRow && neighbourIsShape) ? kEtchShadow : kEtchFace;
}

void EtchImage(const uint8_t* shape, int width, int height, uint8_t* out) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = static_cast<size_t>(y) * static_cast<size_t>(width) +
                        static_cast<size_t>(x);
      const bool last = x == width - 1 || y == height - 1;
      const bool neighbour = !last && shape[at + static_cast<size_t>(width) + 1] != 0;
      out[at] = EtchedPixel(shape[at] != 0, last, neighbour);
    }
  }
}
