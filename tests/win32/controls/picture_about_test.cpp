// The picture control and the About box: pixels read back, focus
// repaints, and the ways the box closes.
#include <gtest/gtest.h>

#include "player/controls/controls.h"
#include "resources/player/resource.h"
#include "tests/win32/controls/controls_test_support.h"
#include "tests/win32/support/win_test_support.h"

namespace {

class Picture : public testing::Test {
 protected:
  void SetUp() override {
    parent = CreateTestParent(300, 120);
    face = GetSysColor(COLOR_BTNFACE);
  }
  void TearDown() override {
    DestroyWindow(parent);
    PumpPending();
  }

  HWND MakePicture(const char* text, DWORD style, int w, int h) {
    HWND picture = CreateWindowA("CDBitmapClass", text, WS_CHILD | WS_VISIBLE | style, 10, 10, w,
                                 h, parent, reinterpret_cast<HMENU>(1055),
                                 GetModuleHandleA(nullptr), nullptr);
    PumpPending();
    return picture;
  }

  // The picture `name` stretched to twice its size, its key colour
  // showing the face.
  void ExpectDoubled(HWND picture, const char* name) {
    Pixels source = ResourcePixels(name);
    Pixels shown = Capture(picture);
    ASSERT_EQ(source.width * 2, shown.width);
    ASSERT_EQ(source.height * 2, shown.height);
    const COLORREF key = source.At(0, 0);
    for (int y = 0; y < shown.height; ++y) {
      for (int x = 0; x < shown.width; ++x) {
        const COLORREF c = source.At(x / 2, y / 2);
        ASSERT_EQ(c == key ? face : c, shown.At(x, y))
            << name << " at " << x << "," << y << " " << ColourText(shown.At(x, y));
      }
    }
  }

  HWND parent = nullptr;
  COLORREF face = 0;
};

TEST_F(Picture, FillsTheWholeControlStretchedOverTheFace) {
  HWND logo = MakePicture("IDB_CD_LOGO", WS_DISABLED, 196, 70);
  ExpectDoubled(logo, "IDB_CD_LOGO");
}

TEST_F(Picture, FocusChangesAndNewTextsRepaintIt) {
  HWND logo = MakePicture("IDB_CD_LOGO", 0, 196, 70);
  SetFocus(logo);
  ExpectDoubled(logo, "IDB_CD_LOGO");
  SetFocus(parent);
  ExpectDoubled(logo, "IDB_CD_LOGO");
  // The owner sets another name and sends WM_PAINT directly.
  SetWindowTextA(logo, "IDB_DATABASE");
  SetWindowPos(logo, nullptr, 0, 0, 116, 84, SWP_NOMOVE | SWP_NOZORDER);
  PumpPending();
  SendMessageA(logo, WM_PAINT, 0, 0);
  ExpectDoubled(logo, "IDB_DATABASE");
}

TEST_F(Picture, NameWithoutABitmapShowsTheFaceOnly) {
  HWND door = MakePicture("IDB_CLOSEDCD", WS_DISABLED, 12, 14);
  SetWindowTextA(door, "IDB_OPENCD");
  SendMessageA(door, WM_PAINT, 0, 0);
  Pixels shown = Capture(door);
  for (COLORREF c : shown.colour) ASSERT_EQ(face, c);
}

TEST(AboutBox, ShowsTheLogoCentredAtTheTopOverTheFace) {
  RegisterControlClasses();
  HWND owner = CreateTestParent(100, 100);
  HWND about = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner,
                                  AboutProc, 0);
  ASSERT_NE(nullptr, about);
  SetWindowPos(about, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  PumpPending();
  char caption[32] = "";
  GetWindowTextA(about, caption, sizeof caption);
  EXPECT_STREQ("About...", caption);
  HWND ok = GetDlgItem(about, IDOK);
  ASSERT_NE(nullptr, ok);
  EXPECT_EQ(static_cast<LONG>(BS_DEFPUSHBUTTON),
            GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK);
  RECT button = {};
  GetWindowRect(ok, &button);
  MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&button), 2);

  Pixels logo = ResourcePixels("IDB_ABOUTLOGO");
  Pixels shown = Capture(about);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), key = logo.At(0, 0);
  // The client area is about as wide as the logo; whatever its width, the
  // logo's middle is the client area's middle.
  const int left = (shown.width - logo.width) / 2;
  const int rows = logo.height < button.top ? logo.height : button.top;
  ASSERT_GT(rows, 100);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < shown.width; ++x) {
      const int lx = x - left;
      COLORREF expected = face;
      if (lx >= 0 && lx < logo.width && logo.At(lx, y) != key) expected = logo.At(lx, y);
      ASSERT_EQ(expected, shown.At(x, y)) << x << "," << y << " " << ColourText(shown.At(x, y));
    }
  }
  DestroyWindow(about);
  DestroyWindow(owner);
  PumpPending();
}

// Closing the modal box: a CBT hook sends the box one message when it
// appears. Should the box stay open, a marker message posted behind it
// ends the box with 7 after a few rounds, so the test fails instead of
// hanging.
const UINT kMarker = WM_APP + 7;
UINT closeMessage;
WPARAM closeWParam;
HWND shownBox;
HHOOK cbtHook, messageHook;

LRESULT CALLBACK CloseHook(int code, WPARAM wParam, LPARAM lParam) {
  char className[16] = "";
  if (code == HCBT_ACTIVATE && !shownBox &&
      GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className) &&
      lstrcmpA(className, "#32770") == 0) {
    shownBox = reinterpret_cast<HWND>(wParam);
    HWND target = closeMessage == WM_KEYDOWN ? GetDlgItem(shownBox, IDOK) : shownBox;
    PostMessageA(target, closeMessage, closeWParam, 0);
    PostMessageA(shownBox, kMarker, 0, 0);
  }
  return CallNextHookEx(cbtHook, code, wParam, lParam);
}

LRESULT CALLBACK MarkerHook(int code, WPARAM wParam, LPARAM lParam) {
  MSG* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == kMarker) {
    if (++msg->wParam < 5) {
      PostMessageA(msg->hwnd, kMarker, msg->wParam, 0);
    } else {
      EndDialog(msg->hwnd, 7);
    }
  }
  return CallNextHookEx(messageHook, code, wParam, lParam);
}

INT_PTR RunAbout(UINT message, WPARAM wParam) {
  closeMessage = message;
  closeWParam = wParam;
  shownBox = nullptr;
  HWND owner = CreateTestParent(100, 100);
  cbtHook = SetWindowsHookExA(WH_CBT, CloseHook, nullptr, GetCurrentThreadId());
  messageHook = SetWindowsHookExA(WH_GETMESSAGE, MarkerHook, nullptr, GetCurrentThreadId());
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner,
                                   AboutProc, 0);
  UnhookWindowsHookEx(messageHook);
  UnhookWindowsHookEx(cbtHook);
  DestroyWindow(owner);
  PumpPending();
  return result;
}

TEST(AboutBox, ClosesWithOkEscapeAndTheCloseBoxEachWithResultZero) {
  EXPECT_EQ(0, RunAbout(WM_COMMAND, IDOK));
  EXPECT_NE(nullptr, shownBox);
  EXPECT_EQ(0, RunAbout(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_EQ(0, RunAbout(WM_SYSCOMMAND, SC_CLOSE));
  // Any other command leaves it open.
  EXPECT_EQ(7, RunAbout(WM_COMMAND, 1055));
}

}  // namespace
