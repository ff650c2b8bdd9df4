// The LED font and the picture files as the platform reads them: the font
// file built beside this test, the bitmaps, icons and cursor committed under
// resources/.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The sixteen colours every display shows without dithering, in the order
// of the standard 16-colour palette.
const COLORREF kStandardColours[16] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};

bool IsStandardColour(COLORREF c) {
  for (COLORREF s : kStandardColours) {
    if (s == c) return true;
  }
  return false;
}

std::string ModuleFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

// KOVEL_RESOURCE_DIR is the source tree's resources folder as the build
// machine spells it; Wine shows the Unix root as drive Z:.
std::string ResourcePath(const char* relative) {
  std::string root = KOVEL_RESOURCE_DIR;
  if (!root.empty() && root[0] == '/') root = "Z:" + root;
  return root + "/" + relative;
}

// A 32-bit top-down DIB section with its own memory context, for reading
// back what GDI drew.
struct Surface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;

  Surface(int w, int h) : width(w), height(h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    oldBitmap = SelectObject(dc, bitmap);
  }
  ~Surface() {
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  uint32_t At(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
};

// ---------------------------------------------------------------------------
// The LED font

const char kFace[] = "Corvane Digital";
const int kNativeHeight = 25;

class LedFontTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fontFile_ = ModuleFolder() + "digital.fon";
    added_ = AddFontResourceExA(fontFile_.c_str(), FR_PRIVATE, nullptr);
  }
  static void TearDownTestSuite() {
    RemoveFontResourceExA(fontFile_.c_str(), FR_PRIVATE, nullptr);
  }

  void SetUp() override {
    ASSERT_EQ(1, added_) << "could not add " << fontFile_;
    // The font exactly as the LED displays ask for it: the face at its
    // default size.
    font_ = CreateFontA(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        FF_MODERN | DEFAULT_PITCH, kFace);
    ASSERT_NE(nullptr, font_);
  }
  void TearDown() override {
    if (font_) DeleteObject(font_);
  }

  // Draws text at (0, 0) in bright green on black, as the displays do, and
  // returns the surface.
  void Draw(Surface& s, const char* text) {
    HGDIOBJ old = SelectObject(s.dc, font_);
    PatBlt(s.dc, 0, 0, s.width, s.height, BLACKNESS);
    SetBkColor(s.dc, RGB(0, 0, 0));
    SetTextColor(s.dc, RGB(0, 255, 0));
    TextOutA(s.dc, 0, 0, text, static_cast<int>(strlen(text)));
    SelectObject(s.dc, old);
  }

  // The lit pixels of one character as a bit map, row by row.
  std::vector<bool> Glyph(char ch, SIZE* size) {
    Surface s(64, 40);
    char text[2] = {ch, 0};
    Draw(s, text);
    HGDIOBJ old = SelectObject(s.dc, font_);
    GetTextExtentPoint32A(s.dc, text, 1, size);
    SelectObject(s.dc, old);
    std::vector<bool> lit;
    for (int y = 0; y < size->cy; ++y) {
      for (int x = 0; x < size->cx; ++x) lit.push_back(s.At(x, y) != 0);
    }
    return lit;
  }

  static size_t Count(const std::vector<bool>& v) {
    size_t n = 0;
    for (bool b : v) n += b;
    return n;
  }

  static std::string fontFile_;
  static int added_;
  HFONT font_ = nullptr;
};

std::string LedFontTest::fontFile_;
int LedFontTest::added_ = 0;

TEST_F(LedFontTest, DisplaysGetTheFaceAtItsNativeHeight) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, sizeof face, face);
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);

  EXPECT_STREQ(kFace, face);
  EXPECT_EQ(kNativeHeight, tm.tmHeight);
  EXPECT_EQ(ANSI_CHARSET, tm.tmCharSet);
  EXPECT_EQ(FW_NORMAL, tm.tmWeight);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH) << "digits and colons differ in width";
}

// Builds a modal-frame dialog with the main window's font, "MS Sans Serif"
// 8 points, and maps the LED displays' template sizes to pixels.
RECT MapDialogUnits(int cx, int cy) {
  alignas(4) WORD buffer[64] = {};
  DLGTEMPLATE* t = reinterpret_cast<DLGTEMPLATE*>(buffer);
  t->style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
  t->cx = 159;
  t->cy = 173;
  WORD* p = reinterpret_cast<WORD*>(t + 1);
  *p++ = 0;  // no menu
  *p++ = 0;  // the standard dialog class
  *p++ = 0;  // no title
  *p++ = 8;  // point size
  for (const char* f = "MS Sans Serif"; *f; ++f) *p++ = static_cast<WORD>(*f);
  *p++ = 0;
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t, nullptr, nullptr, 0);
  RECT r = {0, 0, cx, cy};
  MapDialogRect(dialog, &r);
  DestroyWindow(dialog);
  return r;
}

TEST_F(LedFontTest, FillsTheTrackAndTimeDisplaysOfBothViews) {
  // Both main window templates give the track display 36 x 20 and the time
  // display 88 x 20 dialog units; the text goes inside a 3-pixel bevel.
  RECT track = MapDialogUnits(36, 20);
  RECT time = MapDialogUnits(88, 20);
  ASSERT_GT(track.right, 0);
  const int trackWidth = track.right - 6, timeWidth = time.right - 6;
  const int areaHeight = time.bottom - 6;

  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_);
  SIZE two = {}, clock = {}, left = {};
  GetTextExtentPoint32A(dc, "07", 2, &two);
  GetTextExtentPoint32A(dc, "00:03:05.4", 10, &clock);
  GetTextExtentPoint32A(dc, "-00:03:05.4", 11, &left);
  SelectObject(dc, old);
  DeleteDC(dc);

  EXPECT_LE(two.cx, trackWidth);
  EXPECT_LE(clock.cx, timeWidth);
  EXPECT_LE(left.cx, timeWidth) << "a time left";
  EXPECT_LE(clock.cy, areaHeight);
  // Filled: the time nearly spans its display, the characters nearly its
  // height.
  EXPECT_GE(clock.cx * 4, timeWidth * 3) << clock.cx << " of " << timeWidth;
  EXPECT_GE(clock.cy * 4, areaHeight * 3) << clock.cy << " of " << areaHeight;
}

TEST_F(LedFontTest, DigitsAreSevenSegmentPatterns) {
  SIZE size8 = {};
  std::vector<bool> eight = Glyph('8', &size8);
  std::vector<std::vector<bool>> digits;
  for (char d = '0'; d <= '9'; ++d) {
    SCOPED_TRACE(std::string("digit ") + d);
    SIZE size = {};
    std::vector<bool> g = Glyph(d, &size);
    EXPECT_EQ(size8.cx, size.cx) << "every digit keeps the same width";
    EXPECT_GT(Count(g), 20u);
    // Every digit lights a subset of the segments of 8.
    for (size_t i = 0; i < g.size() && i < eight.size(); ++i) {
      if (g[i]) {
        EXPECT_TRUE(eight[i]) << "pixel " << i % size.cx << "," << i / size.cx;
      }
    }
    for (const std::vector<bool>& other : digits) EXPECT_NE(other, g);
    digits.push_back(g);
  }
  // 1 lights two segments, 8 all seven.
  EXPECT_LT(Count(digits[1]) * 3, Count(digits[8]));
}

TEST_F(LedFontTest, ColonStopBlankAndDefaultGlyph) {
  SIZE digit = {}, colon = {}, stop = {}, blank = {}, dash = {}, other = {};
  Glyph('0', &digit);
  std::vector<bool> c = Glyph(':', &colon);
  std::vector<bool> s = Glyph('.', &stop);
  std::vector<bool> b = Glyph(' ', &blank);
  std::vector<bool> d = Glyph('-', &dash);
  std::vector<bool> a = Glyph('A', &other);

  EXPECT_LT(colon.cx, digit.cx);
  EXPECT_LT(stop.cx, digit.cx);
  EXPECT_GT(Count(c), 0u);
  EXPECT_GT(Count(s), 0u);
  // A blank keeps a digit's place and lights nothing.
  EXPECT_EQ(digit.cx, blank.cx);
  EXPECT_EQ(0u, Count(b));
  // A character the font lacks shows the default glyph, a middle bar.
  EXPECT_GT(Count(d), 0u);
  EXPECT_EQ(d, a);
}

// ---------------------------------------------------------------------------
// Bitmaps

struct BitmapCase {
  const char* file;
  int width;
  int height;
  COLORREF key;
};

const COLORREF kSilver = RGB(192, 192, 192);
const COLORREF kTeal = RGB(0, 128, 128);

const BitmapCase kBitmaps[] = {
    {"player/play.bmp", 12, 13, kSilver},
    {"player/pause.bmp", 16, 13, kSilver},
    {"player/pause_stopped.bmp", 16, 13, kSilver},
    {"player/stop.bmp", 13, 13, kSilver},
    {"player/reverse_skip.bmp", 19, 13, kSilver},
    {"player/forward_skip.bmp", 20, 13, kSilver},
    {"player/eject.bmp", 16, 15, kSilver},
    {"player/minimize.bmp", 25, 13, kSilver},
    {"player/database.bmp", 58, 42, kSilver},
    {"player/cd_logo.bmp", 98, 35, kSilver},
    {"player/aboutlogo.bmp", 342, 145, kTeal},
    {"install/banner.bmp", 340, 77, kSilver},
};

// The colour of every pixel of a 4-bit DIB section, row by row from the top.
std::vector<COLORREF> Pixels(HBITMAP bitmap, const DIBSECTION& ds) {
  std::vector<COLORREF> out;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RGBQUAD table[16] = {};
  UINT n = GetDIBColorTable(dc, 0, 16, table);
  SelectObject(dc, old);
  DeleteDC(dc);
  if (n != 16) return out;
  const int w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight;
  const int stride = ds.dsBm.bmWidthBytes;
  const bool bottomUp = ds.dsBmih.biHeight > 0;
  const BYTE* bits = static_cast<const BYTE*>(ds.dsBm.bmBits);
  for (int y = 0; y < h; ++y) {
    const BYTE* row = bits + (bottomUp ? h - 1 - y : y) * stride;
    for (int x = 0; x < w; ++x) {
      int index = (x % 2) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
      out.push_back(RGB(table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue));
    }
  }
  return out;
}

TEST(PictureFiles, BitmapsHaveTheirSizeSixteenColoursAndKey) {
  for (const BitmapCase& c : kBitmaps) {
    SCOPED_TRACE(c.file);
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
        nullptr, ResourcePath(c.file).c_str(), IMAGE_BITMAP, 0, 0,
        LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(nullptr, bitmap);
    DIBSECTION ds = {};
    ASSERT_EQ(static_cast<int>(sizeof ds), GetObject(bitmap, sizeof ds, &ds));
    EXPECT_EQ(c.width, ds.dsBm.bmWidth);
    EXPECT_EQ(c.height, ds.dsBm.bmHeight);
    EXPECT_EQ(4, ds.dsBm.bmBitsPixel);

    std::vector<COLORREF> px = Pixels(bitmap, ds);
    DeleteObject(bitmap);
    ASSERT_EQ(static_cast<size_t>(c.width * c.height), px.size());
    EXPECT_EQ(c.key, px[0]) << "the top-left pixel holds the key colour";
    size_t keyed = 0, foreign = 0, lostOnTrueColour = 0;
    for (COLORREF p : px) {
      if (!IsStandardColour(p)) ++foreign;
      if (p == c.key) {
        ++keyed;
      } else if (GetBValue(p) == GetBValue(c.key)) {
        // At 24 and 32 bits per pixel the transparent drawing compares the
        // blue byte alone: such a pixel would vanish with the background.
        ++lostOnTrueColour;
      }
    }
    EXPECT_EQ(0u, foreign);
    EXPECT_EQ(0u, lostOnTrueColour);
    EXPECT_LT(keyed, px.size()) << "a picture, not only background";
  }
}

// ---------------------------------------------------------------------------
// Icons and cursor

const char* const kIcons[] = {
    "player/player.ico",  "player/cdtitle.ico", "player/playlist.ico",
    "player/tracklist.ico", "install/setup.ico", "install/error.ico",
    "install/progress.ico",
};

// The colours an icon shows, read back from its colour image where its mask
// lets them through. Empty when the icon cannot be read.
std::vector<COLORREF> ShownColours(HICON icon, int size) {
  std::vector<COLORREF> out;
  Surface black(size, size), white(size, size);
  PatBlt(black.dc, 0, 0, size, size, BLACKNESS);
  PatBlt(white.dc, 0, 0, size, size, WHITENESS);
  if (!DrawIconEx(black.dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL) ||
      !DrawIconEx(white.dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) {
    return out;
  }
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      uint32_t b = black.At(x, y), w = white.At(x, y);
      if (b == w) out.push_back(RGB((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF));
    }
  }
  return out;
}

TEST(PictureFiles, IconsHaveBothSizesInSixteenColours) {
  for (const char* file : kIcons) {
    SCOPED_TRACE(file);
    const std::string path = ResourcePath(file);
    // The file holds a 32 x 32 and a 16 x 16 image, both at 4 bits.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    BYTE head[6 + 2 * 16] = {};
    DWORD got = 0;
    ReadFile(h, head, sizeof head, &got, nullptr);
    CloseHandle(h);
    ASSERT_EQ(sizeof head, got);
    EXPECT_EQ(1, head[2]) << "an icon, not a cursor";
    ASSERT_EQ(2, head[4]);
    for (int i = 0; i < 2; ++i) {
      const BYTE* e = head + 6 + 16 * i;
      EXPECT_EQ(i == 0 ? 32 : 16, e[0]);
      EXPECT_EQ(i == 0 ? 32 : 16, e[1]);
      EXPECT_EQ(16, e[2]) << "colour count";
      EXPECT_EQ(4, e[6]) << "bits per pixel";
    }

    for (int size : {32, 16}) {
      SCOPED_TRACE(size);
      HICON icon = static_cast<HICON>(
          LoadImageA(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
      ASSERT_NE(nullptr, icon);
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      EXPECT_TRUE(info.fIcon);
      BITMAP bm = {};
      ASSERT_NE(nullptr, info.hbmColor);
      GetObject(info.hbmColor, sizeof bm, &bm);
      EXPECT_EQ(size, bm.bmWidth);
      EXPECT_EQ(size, bm.bmHeight);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);

      std::vector<COLORREF> shown = ShownColours(icon, size);
      DestroyIcon(icon);
      EXPECT_GT(shown.size(), static_cast<size_t>(size * size / 4))
          << "a picture, not an empty icon";
      size_t foreign = 0;
      for (COLORREF c : shown) foreign += !IsStandardColour(c);
      EXPECT_EQ(0u, foreign);
    }
  }
}

TEST(PictureFiles, CursorIsAMonochromeHandWithItsHotSpotAtTheTopLeft) {
  HCURSOR cursor = static_cast<HCURSOR>(LoadImageA(
      nullptr, ResourcePath("player/hand.cur").c_str(), IMAGE_CURSOR, 0, 0,
      LR_LOADFROMFILE | LR_DEFAULTSIZE));
  ASSERT_NE(nullptr, cursor);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(0u, info.xHotspot);
  EXPECT_EQ(0u, info.yHotspot);
  // Monochrome: no colour image; the mask holds the AND mask over the XOR
  // mask, each 32 x 32.
  EXPECT_EQ(nullptr, info.hbmColor);
  BITMAP bm = {};
  ASSERT_NE(nullptr, info.hbmMask);
  GetObject(info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(32, bm.bmWidth);
  EXPECT_EQ(64, bm.bmHeight);
  EXPECT_EQ(1, bm.bmBitsPixel);

  // The AND mask is 0 where the hand is drawn: the tip of the finger is
  // right beside the hot spot, and the hand stays in the top-left quarter.
  Surface s(32, 64);
  HDC maskDc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(maskDc, info.hbmMask);
  BitBlt(s.dc, 0, 0, 32, 64, maskDc, 0, 0, SRCCOPY);
  SelectObject(maskDc, old);
  DeleteDC(maskDc);
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);

  EXPECT_EQ(0u, s.At(1, 0)) << "the fingertip at the hot spot";
  int opaque = 0, outside = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      if (s.At(x, y) == 0) {
        ++opaque;
        if (x >= 24 || y >= 28) ++outside;
      }
    }
  }
  EXPECT_GT(opaque, 150);
  EXPECT_EQ(0, outside);
}

}  // namespace
