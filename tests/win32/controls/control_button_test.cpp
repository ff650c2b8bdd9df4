// The bitmap push button: its painting pixel by pixel in each state, the
// mouse, the focus, and its resources.
#include <gtest/gtest.h>

#include <vector>

#include "common/bitmaps/transparent_core.h"
#include "player/controls/controls.h"
#include "resources/player/resource.h"
#include "tests/win32/controls/controls_test_support.h"
#include "tests/win32/support/win_test_support.h"

namespace {

const int kW = 40, kH = 30;
const int kPlayId = 1007;

class PushButton : public testing::Test {
 protected:
  void SetUp() override {
    parent = CreateTestParent(300, 100);
    button = MakeButton("IDB_PLAY", kPlayId, 10);
    PumpPending();
    Commands().clear();
    face = GetSysColor(COLOR_BTNFACE);
    highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    shadow = GetSysColor(COLOR_BTNSHADOW);
  }
  void TearDown() override {
    ReleaseCapture();
    DestroyWindow(parent);
    PumpPending();
  }

  HWND MakeButton(const char* text, int id, int x) {
    return CreateWindowA("CDControlClass", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, 10, kW,
                         kH, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
  }

  // Paints the button as its owner does after a text change: WM_PAINT
  // sent directly, nothing invalidated.
  Pixels PaintNow(HWND b) {
    SendMessageA(b, WM_PAINT, 0, 0);
    return Capture(b);
  }

  static LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
  }

  // The picture `name` composed over the face at (left, top), the rest of
  // the area between the bands the face colour; etched when disabled.
  void ExpectPicture(const Pixels& shown, const char* name, int left, int top, bool etched) {
    Pixels picture = ResourcePixels(name);
    ASSERT_GT(picture.width, 0) << name;
    std::vector<COLORREF> expected(picture.colour.size());
    const COLORREF key = picture.At(0, 0);
    for (size_t i = 0; i < expected.size(); ++i)
      expected[i] = picture.colour[i] == key ? face : picture.colour[i];
    if (etched) {
      std::vector<uint8_t> shape, etch(expected.size());
      for (COLORREF c : expected) shape.push_back(c != face);
      EtchImage(shape.data(), picture.width, picture.height, etch.data());
      const COLORREF colours[3] = {face, highlight, shadow};
      for (size_t i = 0; i < expected.size(); ++i) expected[i] = colours[etch[i]];
    }
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        ASSERT_EQ(expected[static_cast<size_t>(y * picture.width + x)],
                  shown.At(left + x, top + y))
            << name << " at " << x << "," << y << " " << ColourText(shown.At(left + x, top + y));
      }
    }
    // Around the picture, down to the bands: face.
    for (int y = 8; y < kH - 8; ++y) {
      for (int x = 3; x < kW - 3; ++x) {
        const bool inside = x >= left && x < left + picture.width && y >= top &&
                            y < top + picture.height;
        if (!inside) {
          ASSERT_EQ(face, shown.At(x, y)) << x << "," << y;
        }
      }
    }
  }

  // A row from x0 to x1 inclusive: colour where drawn(x), face elsewhere.
  template <typename Drawn>
  void ExpectRow(const Pixels& shown, int y, int x0, int x1, COLORREF colour, Drawn drawn) {
    for (int x = x0; x <= x1; ++x) {
      ASSERT_EQ(drawn(x) ? colour : face, shown.At(x, y))
          << "row " << y << " x " << x << " " << ColourText(shown.At(x, y));
    }
  }

  // Well and body, the same in every state.
  void ExpectFrame(const Pixels& shown) {
    const COLORREF black = RGB(0, 0, 0);
    for (int x = 0; x < kW; ++x) EXPECT_EQ(shadow, shown.At(x, 0)) << x;
    for (int y = 0; y < kH; ++y) EXPECT_EQ(shadow, shown.At(0, y)) << y;
    for (int y = 1; y < kH; ++y) EXPECT_EQ(highlight, shown.At(kW - 1, y)) << y;
    for (int x = 1; x < kW; ++x) EXPECT_EQ(highlight, shown.At(x, kH - 1)) << x;
    for (int x = 1; x < kW - 1; ++x) {
      EXPECT_EQ(black, shown.At(x, 1)) << x;
      EXPECT_EQ(black, shown.At(x, kH - 2)) << x;
    }
    for (int y = 1; y < kH - 1; ++y) {
      EXPECT_EQ(black, shown.At(1, y)) << y;
      EXPECT_EQ(black, shown.At(kW - 2, y)) << y;
    }
  }

  HWND parent = nullptr;
  HWND button = nullptr;
  COLORREF face = 0, highlight = 0, shadow = 0;
};

bool Even(int x) { return x % 2 == 0; }
bool Odd(int x) { return x % 2 != 0; }
bool All(int) { return true; }

TEST_F(PushButton, UpStatePixelByPixel) {
  dotPhase = 1;
  Pixels shown = PaintNow(button);
  ExpectFrame(shown);
  ExpectRow(shown, 2, 2, kW - 3, highlight, All);
  ExpectRow(shown, 3, 2, kW - 3, highlight, All);
  // Dotted: 36 points from x 2 starting drawn, then 34 from x 3 carrying on.
  ExpectRow(shown, 4, 2, kW - 3, highlight, Even);
  ExpectRow(shown, 5, 3, kW - 4, highlight, Odd);
  EXPECT_EQ(face, shown.At(2, 5));
  ExpectRow(shown, kH - 3, 2, kW - 3, shadow, All);
  ExpectRow(shown, kH - 4, 2, kW - 3, shadow, All);
  // 35 points from x 2, then 35 from x 3 beginning with a skipped point.
  ExpectRow(shown, kH - 5, 2, kW - 4, shadow, Even);
  ExpectRow(shown, kH - 6, 3, kW - 3, shadow, Even);
  EXPECT_EQ(1, dotPhase);
  ExpectPicture(shown, "IDB_PLAY", (kW - 12) / 2, (kH - 13) / 2, false);
}

TEST_F(PushButton, DottedPhaseCarriesOverFromOnePaintingToTheNext) {
  dotPhase = 2;
  Pixels shown = PaintNow(button);
  ExpectRow(shown, 4, 2, kW - 3, highlight, Odd);
  ExpectRow(shown, 5, 3, kW - 4, highlight, Even);
  ExpectRow(shown, kH - 5, 2, kW - 4, shadow, Odd);
  ExpectRow(shown, kH - 6, 3, kW - 3, shadow, Odd);
  EXPECT_EQ(2, dotPhase);
  // A 41-pixel-wide button leaves the phase at 2 after its first dotted
  // line, so the second starts by skipping.
  DestroyWindow(button);
  button = CreateWindowA("CDControlClass", "IDB_PLAY", WS_CHILD | WS_VISIBLE, 10, 10, 41, kH,
                         parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  PumpPending();
  dotPhase = 1;
  shown = PaintNow(button);
  ExpectRow(shown, 4, 2, 41 - 3, highlight, Even);
  ExpectRow(shown, 5, 3, 41 - 4, highlight, Even);
}

TEST_F(PushButton, PressedStateShiftsBandsAndPicture) {
  dotPhase = 1;
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
  EXPECT_EQ(0, GetWindowWord(button, kButtonStateWord));
  EXPECT_EQ(button, GetCapture());
  EXPECT_EQ(button, GetFocus());
  EXPECT_EQ(1, GetWindowWord(button, kHasFocusWord));
  // Take the focus away so the picture shows without its rectangle.
  SetWindowWord(button, kHasFocusWord, 0);
  dotPhase = 1;
  Pixels shown = PaintNow(button);
  ExpectFrame(shown);
  for (int y = 2; y <= 4; ++y) ExpectRow(shown, y, 2, kW - 3, highlight, All);
  ExpectRow(shown, 5, 2, kW - 3, highlight, Even);
  ExpectRow(shown, 6, 3, kW - 4, highlight, Odd);
  ExpectRow(shown, kH - 3, 2, kW - 3, shadow, All);
  ExpectRow(shown, kH - 4, 2, kW - 4, shadow, Even);
  ExpectRow(shown, kH - 5, 3, kW - 3, shadow, Even);
  ExpectRow(shown, kH - 6, 3, kW - 3, face, [](int) { return false; });
  ExpectPicture(shown, "IDB_PLAY", (kW - 12) / 2 + 1, (kH - 13) / 2 + 1, false);
  EXPECT_TRUE(Commands().empty()) << "nothing is sent while the button is held";
}

TEST_F(PushButton, DisabledShowsTheEtchedPictureAndFocusedTheRectangleAroundIt) {
  const int left = (kW - 12) / 2, top = (kH - 13) / 2;
  // Each painting of a 40-pixel-wide button leaves the dotted phase as it
  // found it; start every one at 1 so that the bands match.
  SetFocus(parent);
  dotPhase = 1;
  Pixels plain = PaintNow(button);
  dotPhase = 1;
  SetFocus(button);
  ASSERT_EQ(1, GetWindowWord(button, kHasFocusWord));
  Pixels focused = Capture(button);
  // The dotted rectangle inverts every other pixel of the picture's edge
  // and nothing else.
  int inverted = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const bool edge = (x == left || x == left + 11) && y >= top && y < top + 13;
      const bool edgeRow = (y == top || y == top + 12) && x >= left && x < left + 12;
      if (focused.At(x, y) == plain.At(x, y)) continue;
      ASSERT_TRUE(edge || edgeRow) << x << "," << y;
      ASSERT_EQ(plain.At(x, y) ^ 0xFFFFFF, focused.At(x, y)) << x << "," << y;
      ++inverted;
    }
  }
  EXPECT_GE(inverted, 20);
  // Painting again keeps the rectangle.
  dotPhase = 1;
  EXPECT_EQ(focused.colour, PaintNow(button).colour);

  EnableWindow(button, FALSE);
  EXPECT_NE(button, GetFocus());
  EXPECT_EQ(0, GetWindowWord(button, kHasFocusWord));
  Pixels disabled = Capture(button);
  ExpectFrame(disabled);
  ExpectPicture(disabled, "IDB_PLAY", left, top, true);
}

TEST_F(PushButton, NewTextShowsTheNewPictureCentredAtOnce) {
  SetWindowTextA(button, "IDB_MINIMIZE");
  Pixels shown = PaintNow(button);
  ExpectPicture(shown, "IDB_MINIMIZE", (kW - 25) / 2, (kH - 13) / 2, false);
  // Back to a narrower picture: nothing of the wider one stays.
  SetWindowTextA(button, "IDB_PLAY");
  shown = PaintNow(button);
  ExpectPicture(shown, "IDB_PLAY", (kW - 12) / 2, (kH - 13) / 2, false);
  // A name without a bitmap: frame and bands, no face.
  SetWindowTextA(button, "IDB_OPENCD");
  shown = PaintNow(button);
  ExpectFrame(shown);
  for (int y = 8; y < kH - 8; ++y) {
    for (int x = 3; x < kW - 3; ++x) ASSERT_EQ(face, shown.At(x, y)) << x << "," << y;
  }
}

TEST_F(PushButton, ReleaseInsideSendsOneCommandWithTheIdAlone) {
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
  PumpPending();
  EXPECT_TRUE(Commands().empty());
  // Dragged out and back in: the look does not change, one command.
  SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, Point(kW + 20, 5));
  EXPECT_EQ(0, GetWindowWord(button, kButtonStateWord));
  SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, Point(3, 3));
  SendMessageA(button, WM_LBUTTONUP, 0, Point(kW - 1, kH - 1));
  EXPECT_EQ(1, GetWindowWord(button, kButtonStateWord));
  EXPECT_EQ(nullptr, GetCapture());
  ASSERT_EQ(1u, Commands().size());
  EXPECT_EQ(static_cast<WPARAM>(kPlayId), Commands()[0].wParam);
  EXPECT_EQ(0, Commands()[0].lParam);
}

TEST_F(PushButton, ReleaseOutsideSendsNothing) {
  for (LPARAM outside : {Point(-1, 5), Point(5, -3), Point(kW, 5), Point(5, kH),
                         Point(-200, -200)}) {
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, outside);
    EXPECT_EQ(1, GetWindowWord(button, kButtonStateWord));
    EXPECT_EQ(nullptr, GetCapture());
  }
  EXPECT_TRUE(Commands().empty());
  // A release over the button with no press before it counts.
  SendMessageA(button, WM_LBUTTONUP, 0, Point(1, 1));
  EXPECT_EQ(1u, Commands().size());
}

TEST_F(PushButton, TwoQuickClicksAreTwoCommands) {
  POINT centre = {kW / 2, kH / 2};
  ClientToScreen(button, &centre);
  SetCursorPos(centre.x, centre.y);
  INPUT clicks[4] = {};
  for (int i = 0; i < 4; ++i) {
    clicks[i].type = INPUT_MOUSE;
    clicks[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  ASSERT_EQ(4u, SendInput(4, clicks, sizeof(INPUT)));
  EXPECT_TRUE(PumpUntil([] { return Commands().size() >= 2; }, 2000));
  PumpPending();
  ASSERT_EQ(2u, Commands().size());
  EXPECT_EQ(static_cast<WPARAM>(kPlayId), Commands()[1].wParam);
}

TEST_F(PushButton, DisablingMovesTheFocusToTheNextTabStopAfterIt) {
  HWND b2 = MakeButton("IDB_STOP", 1010, 60);
  HWND b3 = MakeButton("IDB_EJECT", 1008, 110);
  HWND b4 = MakeButton("IDB_MINIMIZE", 1001, 160);
  PumpPending();
  // The focus elsewhere: it moves all the same.
  SetFocus(b4);
  EnableWindow(button, FALSE);
  EXPECT_EQ(b2, GetFocus());
  SetFocus(b4);
  EnableWindow(b2, FALSE);
  EnableWindow(b3, FALSE);
  EXPECT_EQ(b4, GetFocus());
  EXPECT_EQ(0, GetWindowWord(b3, kHasFocusWord));
  EXPECT_EQ(1, GetWindowWord(b4, kHasFocusWord));
  // Enabling moves nothing.
  EnableWindow(button, TRUE);
  EXPECT_EQ(b4, GetFocus());
}

TEST(ControlResources, PicturesCursorAndIconsAreThere) {
  struct Size {
    const char* name;
    int width, height;
  };
  const Size sizes[] = {{"IDB_PLAY", 12, 13},         {"IDB_PAUSE", 16, 13},
                        {"IDB_PAUSE_STOPPED", 16, 13}, {"IDB_STOP", 13, 13},
                        {"IDB_REVERSE_SKIP", 19, 13},  {"IDB_FORWARD_SKIP", 20, 13},
                        {"IDB_EJECT", 16, 15},         {"IDB_MINIMIZE", 25, 13},
                        {"IDB_DATABASE", 58, 42},      {"IDB_CD_LOGO", 98, 35},
                        {"IDB_ABOUTLOGO", 342, 145}};
  for (const Size& s : sizes) {
    Pixels p = ResourcePixels(s.name);
    EXPECT_EQ(s.width, p.width) << s.name;
    EXPECT_EQ(s.height, p.height) << s.name;
  }
  // The pause pictures differ only in colour.
  EXPECT_NE(ResourcePixels("IDB_PAUSE").colour, ResourcePixels("IDB_PAUSE_STOPPED").colour);

  HINSTANCE instance = GetModuleHandleA(nullptr);
  HCURSOR hand = static_cast<HCURSOR>(LoadImageA(
      instance, MAKEINTRESOURCEA(IDC_POINTING_HAND), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  ASSERT_NE(nullptr, hand);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(0u, info.xHotspot);
  EXPECT_EQ(0u, info.yHotspot);
  EXPECT_EQ(nullptr, info.hbmColor) << "monochrome";
  BITMAP bm = {};
  GetObjectA(info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(32, bm.bmWidth);
  EXPECT_EQ(64, bm.bmHeight);
  DeleteObject(info.hbmMask);
  DestroyCursor(hand);

  for (int id : {IDI_PLAYER, IDI_CD_TITLE_PAGE, IDI_PLAYLIST_PAGE, IDI_TRACKLIST_PAGE}) {
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(id));
    EXPECT_NE(nullptr, icon) << id;
  }
}

}  // namespace
