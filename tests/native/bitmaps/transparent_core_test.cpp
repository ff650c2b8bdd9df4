#include "common/bitmaps/transparent_core.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(PixelBuffers, RowsArePaddedToEvenBytesInsideTheAllocatedSize) {
  EXPECT_EQ(1, PixelBytes(8));
  EXPECT_EQ(2, PixelBytes(16));
  EXPECT_EQ(3, PixelBytes(24));
  EXPECT_EQ(4, PixelBytes(32));
  EXPECT_EQ(0, PixelBytes(4));
  EXPECT_EQ(0, PixelBytes(1));

  EXPECT_EQ(14u, PixelRowBytes(13, 1));
  EXPECT_EQ(12u, PixelRowBytes(12, 1));
  EXPECT_EQ(26u, PixelRowBytes(13, 2));
  EXPECT_EQ(40u, PixelRowBytes(13, 3));  // 39 bytes of pixels and one pad byte
  EXPECT_EQ(60u, PixelRowBytes(20, 3));
  EXPECT_EQ(52u, PixelRowBytes(13, 4));
  EXPECT_EQ(0u, PixelRowBytes(13, 0));

  EXPECT_EQ(14u * 13, PixelBufferSize(13, 13, 1));
  EXPECT_EQ(20u * 3 * 13, PixelBufferSize(19, 13, 3));
  EXPECT_EQ(342u * 4 * 145, PixelBufferSize(342, 145, 4));
  EXPECT_EQ(0u, PixelBufferSize(13, 13, 0));
  EXPECT_EQ(0u, PixelBufferSize(0, 13, 1));
  for (int b = 1; b <= 4; ++b) {
    for (int w = 1; w < 40; ++w) {
      EXPECT_LE(PixelRowBytes(w, b) * 7, PixelBufferSize(w, 7, b)) << w << " x " << b;
    }
  }
}

TEST(Compose, EightBitExampleRow) {
  const uint8_t image[4] = {7, 2, 2, 7};
  uint8_t background[4] = {8, 8, 8, 8};
  ComposePixels(image, background, 4, 1, 1);
  const uint8_t expected[4] = {8, 2, 2, 8};
  EXPECT_EQ(std::vector<uint8_t>(expected, expected + 4),
            std::vector<uint8_t>(background, background + 4));
}

// An image of odd width in buffers of exactly the allocated size (so the
// sanitizer sees any access past them): key 7 on the border and every other
// pixel, a distinct value elsewhere, the pad byte of each row 0xEE in both.
void CheckOddWidth(int width, int height, int b) {
  SCOPED_TRACE(testing::Message() << width << " x " << height << " at " << b * 8 << " bpp");
  const size_t row = PixelRowBytes(width, b);
  std::vector<uint8_t> image(PixelBufferSize(width, height, b), 0xEE);
  std::vector<uint8_t> background(image.size(), 0xEE);
  std::vector<uint8_t> expected(image.size(), 0xEE);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = y * row + x * b;
      const bool key = (x + y) % 2 == 0 && !(x == width - 1 && y == height - 1);
      for (int i = 0; i < b; ++i) {
        image[at + i] = key ? (i == 0 ? 7 : 0x55)
                            : static_cast<uint8_t>(100 + (y * width + x + i * 3) % 150);
        background[at + i] = static_cast<uint8_t>(1 + i);
        expected[at + i] = key ? background[at + i] : image[at + i];
      }
    }
  }
  image[0] = 7;
  ComposePixels(image.data(), background.data(), width, height, b);
  EXPECT_EQ(expected, background);
  // The last pixel of the last row is a picture pixel, copied whole.
  const size_t last = (height - 1) * row + (width - 1) * b;
  for (int i = 0; i < b; ++i) EXPECT_EQ(image[last + i], background[last + i]);
}

TEST(Compose, OddWidthsComposeUpToTheLastPixelOfTheLastRow) {
  for (int width : {13, 19, 25}) {
    for (int b = 1; b <= 4; ++b) CheckOddWidth(width, 13, b);
  }
  CheckOddWidth(342, 145, 4);
}

TEST(Compose, WiderPixelsCompareOnlyTheirFirstByteAndCopyWhole) {
  // 16 bits: key pixel 0x1234 stored low byte first.
  {
    const uint8_t image[8] = {0x34, 0x12, 0x34, 0x99, 0x35, 0x12, 0x00, 0x00};
    uint8_t background[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ComposePixels(image, background, 4, 1, 2);
    // Same first byte with another high byte: transparent. Other first
    // byte with the key's high byte: copied, both bytes. 0x0000: copied.
    const uint8_t expected[8] = {1, 2, 3, 4, 0x35, 0x12, 0x00, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + 8),
              std::vector<uint8_t>(background, background + 8));
  }
  // 32 bits, blue green red unused: grey 192 is the key; a blue 192 pixel
  // of other green and red vanishes, a pixel differing only in blue does not.
  {
    const uint8_t image[12] = {192, 192, 192, 0, 192, 0, 0, 0, 191, 192, 192, 0};
    uint8_t background[12] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    ComposePixels(image, background, 3, 1, 4);
    const uint8_t expected[12] = {9, 9, 9, 9, 9, 9, 9, 9, 191, 192, 192, 0};
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + 12),
              std::vector<uint8_t>(background, background + 12));
  }
}

TEST(Compose, TheTopLeftPixelIsTheKeyWhateverSurroundsThePicture) {
  // A picture on a surround of 5 whose top-left pixel holds 3: the 3s
  // vanish, the surround is drawn.
  const uint8_t image[2 * 4] = {3, 5, 5, 3,
                                5, 3, 9, 5};
  uint8_t background[2 * 4] = {0, 0, 0, 0, 0, 0, 0, 0};
  ComposePixels(image, background, 4, 2, 1);
  const uint8_t expected[2 * 4] = {0, 5, 5, 0,
                                   5, 0, 9, 5};
  EXPECT_EQ(std::vector<uint8_t>(expected, expected + 8),
            std::vector<uint8_t>(background, background + 8));
}

TEST(Compose, BelowEightBitsNothingIsTouched) {
  const uint8_t image[4] = {1, 2, 3, 4};
  uint8_t background[4] = {9, 9, 9, 9};
  ComposePixels(image, background, 8, 1, 0);
  EXPECT_EQ(std::vector<uint8_t>(4, 9), std::vector<uint8_t>(background, background + 4));
}

TEST(Etch, TruthTable) {
  // shape, last column or row, diagonal neighbour is shape
  EXPECT_EQ(kEtchHighlight, EtchedPixel(true, true, false));
  EXPECT_EQ(kEtchHighlight, EtchedPixel(true, false, false));
  EXPECT_EQ(kEtchFace, EtchedPixel(true, false, true));
  EXPECT_EQ(kEtchFace, EtchedPixel(false, true, false));
  EXPECT_EQ(kEtchShadow, EtchedPixel(false, false, true));
  EXPECT_EQ(kEtchFace, EtchedPixel(false, false, false));
}

TEST(Etch, ShapeIsEtchedIntoTheFace) {
  // A 3 x 3 block at (1, 1) of a 5 x 5 image, and a lone pixel in the
  // last column.
  const uint8_t shape[5 * 5] = {
      0, 0, 0, 0, 0,
      0, 1, 1, 1, 0,
      0, 1, 1, 1, 1,
      0, 1, 1, 1, 0,
      0, 0, 0, 0, 0,
  };
  const uint8_t F = kEtchFace, H = kEtchHighlight, S = kEtchShadow;
  const uint8_t expected[5 * 5] = {
      S, S, S, F, F,
      S, F, F, F, F,
      S, F, F, H, H,
      F, H, H, H, F,
      F, F, F, F, F,
  };
  uint8_t out[5 * 5] = {};
  EtchImage(shape, 5, 5, out);
  EXPECT_EQ(std::vector<uint8_t>(expected, expected + 25), std::vector<uint8_t>(out, out + 25));
}

TEST(Etch, ShapeInTheLastColumnAndRowIsAlwaysHighlighted) {
  const uint8_t shape[3 * 2] = {1, 1, 1,
                                1, 1, 1};
  uint8_t out[3 * 2] = {};
  EtchImage(shape, 3, 2, out);
  const uint8_t F = kEtchFace, H = kEtchHighlight;
  const uint8_t expected[3 * 2] = {F, F, H,
                                   H, H, H};
  EXPECT_EQ(std::vector<uint8_t>(expected, expected + 6), std::vector<uint8_t>(out, out + 6));
}

}  // namespace
