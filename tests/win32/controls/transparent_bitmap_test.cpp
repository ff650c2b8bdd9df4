// Transparent drawing against the platform's GDI: pixels read back from
// bitmaps and windows.
#include "common/bitmaps/transparent_bitmap.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/bitmaps/transparent_core.h"
#include "tests/win32/controls/controls_test_support.h"
#include "tests/win32/support/win_test_support.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

// A screen-compatible w x h bitmap whose pixels are colour(x, y).
template <typename Colour>
HBITMAP MakeBitmap(int w, int h, Colour colour) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) SetPixelV(memory, x, y, colour(x, y));
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// Paints the client area of window red left of splitX and blue from there.
void PaintSplit(HWND window, int splitX) {
  RECT client = {};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  HBRUSH red = CreateSolidBrush(kRed), blue = CreateSolidBrush(kBlue);
  RECT left = client, right = client;
  left.right = splitX;
  right.left = splitX;
  FillRect(dc, &left, red);
  FillRect(dc, &right, blue);
  DeleteObject(red);
  DeleteObject(blue);
  ReleaseDC(window, dc);
}

class TransparentDrawing : public testing::Test {
 protected:
  void TearDown() override {
    if (window) DestroyWindow(window);
    PumpPending();
  }
  HWND window = nullptr;
};

TEST_F(TransparentDrawing, ComposesOddWidthsByTheTopLeftColourUpToTheLastPixel) {
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  ASSERT_GE(bits, 8);
  // The picture: a key of dark green (not the colour around the picture),
  // a surround of grey, and a diagonal of white ending in the last pixel.
  // (No other colour shares the key's blue byte, which is all that is
  // compared at 24 and 32 bits per pixel.)
  const COLORREF key = RGB(0, 128, 0), grey = RGB(192, 192, 192), white = RGB(255, 255, 255);
  for (int w : {13, 19, 25}) {
    SCOPED_TRACE(w);
    const int h = 13;
    auto picture = [&](int x, int y) {
      if ((x == 0 && y == 0) || (x == 3 && y == 1) || (x == w - 2 && y == h - 1)) return key;
      if (x - y == w - h) return white;
      return grey;
    };
    auto back = [&](int x, int y) { return RGB(x * 8, y * 8, 60); };
    HBITMAP image = MakeBitmap(w, h, picture);
    HBITMAP background = MakeBitmap(w, h, back);
    HDC dc = GetDC(nullptr);
    HBITMAP composite = ComposeTransparent(dc, image, background);
    ReleaseDC(nullptr, dc);
    ASSERT_NE(nullptr, composite);
    Pixels out = BitmapPixels(composite);
    // Neither input changed.
    Pixels imageAfter = BitmapPixels(image), backAfter = BitmapPixels(background);
    DeleteObject(composite);
    DeleteObject(image);
    DeleteObject(background);
    ASSERT_EQ(w, out.width);
    ASSERT_EQ(h, out.height);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const COLORREF expected = picture(x, y) == key ? back(x, y) : picture(x, y);
        ASSERT_EQ(expected, out.At(x, y)) << x << "," << y << " " << ColourText(out.At(x, y));
        ASSERT_EQ(picture(x, y), imageAfter.At(x, y));
        ASSERT_EQ(back(x, y), backAfter.At(x, y));
      }
    }
    EXPECT_EQ(white, out.At(w - 1, h - 1));
  }
}

TEST_F(TransparentDrawing, ComposeWithoutAnImageGivesNone) {
  HBITMAP background = MakeBitmap(4, 4, [](int, int) { return kRed; });
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(nullptr, ComposeTransparent(dc, nullptr, background));
  ReleaseDC(nullptr, dc);
  DeleteObject(background);
}

// The About logo over a red and blue window: its dark cyan surround shows
// the window, the rest is the logo's own.
void ExpectLogoAt(const Pixels& shown, const Pixels& logo, int left, int splitX) {
  const COLORREF key = logo.At(0, 0);
  ASSERT_EQ(RGB(0, 128, 128), key);
  int checked = 0;
  for (int y = 0; y < shown.height; ++y) {
    for (int x = 0; x < shown.width; ++x) {
      const int lx = x - left;
      COLORREF expected = x < splitX ? kRed : kBlue;
      if (lx >= 0 && lx < logo.width && y < logo.height && logo.At(lx, y) != key) {
        expected = logo.At(lx, y);
        ++checked;
      }
      ASSERT_EQ(expected, shown.At(x, y)) << x << "," << y << " " << ColourText(shown.At(x, y));
    }
  }
  EXPECT_GT(checked, 1000);
}

TEST_F(TransparentDrawing, CentredPictureLandsInTheMiddleFlushWithTheTop) {
  Pixels logo = ResourcePixels("IDB_ABOUTLOGO");
  ASSERT_EQ(342, logo.width);
  ASSERT_EQ(145, logo.height);
  window = CreateTestParent(400, 180);
  PaintSplit(window, 200);
  // x and y are replaced: (400 - 342) / 2 = 29, flush with the top.
  DrawTransparentBitmap(window, 77, 33, "IDB_ABOUTLOGO", 1);
  ExpectLogoAt(Capture(window), logo, 29, 200);
}

TEST_F(TransparentDrawing, CentredPictureWiderThanTheWindowIsCutEquallyOnBothSides) {
  Pixels logo = ResourcePixels("IDB_ABOUTLOGO");
  window = CreateTestParent(301, 150);
  PaintSplit(window, 150);
  // (301 - 342) / 2 rounds toward zero: -20; 20 columns cut on the left,
  // 21 on the right.
  DrawTransparentBitmap(window, 0, 0, "IDB_ABOUTLOGO", 1);
  ExpectLogoAt(Capture(window), logo, -20, 150);
}

TEST_F(TransparentDrawing, UncentredPictureGoesWhereAsked) {
  Pixels play = ResourcePixels("IDB_PLAY");
  ASSERT_EQ(12, play.width);
  window = CreateTestParent(40, 30);
  PaintSplit(window, 10);
  DrawTransparentBitmap(window, 5, 7, "IDB_PLAY", 0);
  Pixels shown = Capture(window);
  const COLORREF key = play.At(0, 0);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const int px = x - 5, py = y - 7;
      COLORREF expected = x < 10 ? kRed : kBlue;
      if (px >= 0 && px < 12 && py >= 0 && py < 13 && play.At(px, py) != key)
        expected = play.At(px, py);
      ASSERT_EQ(expected, shown.At(x, y)) << x << "," << y;
    }
  }
}

TEST_F(TransparentDrawing, StretchedPictureFillsTheWindowOverItsTopLeftPixels) {
  Pixels logo = ResourcePixels("IDB_CD_LOGO");
  ASSERT_EQ(98, logo.width);
  ASSERT_EQ(35, logo.height);
  const COLORREF key = logo.At(0, 0);
  window = CreateTestParent(196, 70);
  // Transparent: under the key colour, the window's pixels of the top-left
  // 98 x 35 area show, stretched with the picture: red left of x 20.
  PaintSplit(window, 20);
  StretchTransparentBitmap(window, 0, 0, "IDB_CD_LOGO", 1);
  Pixels shown = Capture(window);
  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 196; ++x) {
      const COLORREF source = logo.At(x / 2, y / 2);
      const COLORREF expected = source != key ? source : (x / 2 < 20 ? kRed : kBlue);
      ASSERT_EQ(expected, shown.At(x, y)) << x << "," << y;
    }
  }
  // Opaque: the key colour is drawn as it is.
  PaintSplit(window, 20);
  StretchTransparentBitmap(window, 0, 0, "IDB_CD_LOGO", 0);
  shown = Capture(window);
  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 196; ++x) ASSERT_EQ(logo.At(x / 2, y / 2), shown.At(x, y)) << x << "," << y;
  }
}

TEST_F(TransparentDrawing, MissingResourceDrawsNothing) {
  window = CreateTestParent(50, 20);
  PaintSplit(window, 25);
  DrawTransparentBitmap(window, 0, 0, "IDB_OPENCD", 1);
  StretchTransparentBitmap(window, 0, 0, "IDB_CLOSEDCD", 1);
  Pixels shown = Capture(window);
  for (int x = 0; x < 50; ++x) EXPECT_EQ(x < 25 ? kRed : kBlue, shown.At(x, 10));
}

TEST_F(TransparentDrawing, DisabledImageIsTheShapeEtchedIntoTheFace) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF colours[3] = {face, GetSysColor(COLOR_BTNHIGHLIGHT),
                               GetSysColor(COLOR_BTNSHADOW)};
  ASSERT_NE(colours[1], colours[2]);
  for (const char* name : {"IDB_PLAY", "IDB_PAUSE", "IDB_STOP", "IDB_REVERSE_SKIP",
                           "IDB_FORWARD_SKIP", "IDB_EJECT", "IDB_MINIMIZE", "IDB_DATABASE"}) {
    SCOPED_TRACE(name);
    HBITMAP image = LoadBitmapA(GetModuleHandleA(nullptr), name);
    ASSERT_NE(nullptr, image);
    Pixels in = BitmapPixels(image);
    HBITMAP etched = MakeDisabledBitmap(image);
    DeleteObject(image);
    ASSERT_NE(nullptr, etched);
    Pixels out = BitmapPixels(etched);
    DeleteObject(etched);
    ASSERT_EQ(in.width, out.width);
    ASSERT_EQ(in.height, out.height);

    std::vector<uint8_t> shape, expected(in.colour.size());
    for (COLORREF c : in.colour) shape.push_back(c != in.At(0, 0));
    EtchImage(shape.data(), in.width, in.height, expected.data());
    int highlighted = 0, shadowed = 0;
    for (int y = 0; y < in.height; ++y) {
      for (int x = 0; x < in.width; ++x) {
        const uint8_t want = expected[static_cast<size_t>(y * in.width + x)];
        ASSERT_EQ(colours[want], out.At(x, y))
            << x << "," << y << " " << ColourText(out.At(x, y));
        highlighted += want == kEtchHighlight;
        shadowed += want == kEtchShadow;
      }
    }
    EXPECT_GT(highlighted, 0);
    EXPECT_GT(shadowed, 0);
  }
}

TEST_F(TransparentDrawing, DisabledImageOfAShapeTouchingTheLastColumnAndRow) {
  // A 6 x 5 image: key white at (0, 0), a black block from (2, 2) to the
  // bottom-right corner.
  HBITMAP image = MakeBitmap(6, 5, [](int x, int y) {
    return x >= 2 && y >= 2 ? RGB(0, 0, 0) : RGB(255, 255, 255);
  });
  HBITMAP etched = MakeDisabledBitmap(image);
  DeleteObject(image);
  ASSERT_NE(nullptr, etched);
  Pixels out = BitmapPixels(etched);
  DeleteObject(etched);
  const COLORREF F = GetSysColor(COLOR_BTNFACE), H = GetSysColor(COLOR_BTNHIGHLIGHT),
                 S = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF expected[5][6] = {
      {F, F, F, F, F, F},
      {F, S, S, S, S, F},
      {F, S, F, F, F, H},
      {F, S, F, F, F, H},
      {F, F, H, H, H, H},
  };
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(expected[y][x], out.At(x, y)) << x << "," << y;
  }
}

}  // namespace
