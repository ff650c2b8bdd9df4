// Every painting frees what it creates: the process's GDI object count
// stays the same over many paintings of every control in every state.
#include <gtest/gtest.h>

#include "common/bitmaps/transparent_bitmap.h"
#include "player/controls/controls.h"
#include "player/device/cd_device.h"
#include "player/shell/player_state.h"
#include "resources/player/resource.h"
#include "tests/win32/controls/controls_test_support.h"
#include "tests/win32/support/win_test_support.h"
#include "vdrive/vdrive_api.h"

namespace {

unsigned Frames(unsigned m, unsigned s, unsigned f) { return (m * 60 + s) * 75 + f; }

class GdiObjects : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLedFont());
    SetEnvironmentVariableA("VDRIVE_FILE", "C:\\no-such-folder\\vdrive.ini");
    SetEnvironmentVariableA("VDRIVE_LOG", nullptr);
    VDriveReset();
    VDriveUseManualClock(1);
    const unsigned starts[3] = {Frames(0, 2, 0), Frames(4, 0, 0), Frames(8, 0, 0)};
    ASSERT_TRUE(VDriveLoadDisc(3, starts, Frames(12, 0, 0), 0));
    parent = CreateTestParent(400, 200);
    notify = CreateNotifyWindow();
    deviceId = static_cast<uint16_t>(CDOpen(parent));
    ASSERT_NE(0, deviceId);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const char* names[4] = {"IDB_PLAY", "IDB_PAUSE", "IDB_DATABASE", "IDB_EJECT"};
    for (int i = 0; i < 4; ++i) {
      buttons[i] = CreateWindowA("CDControlClass", names[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                 10 + 70 * i, 10, 64, 48, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001 + i)), instance,
                                 nullptr);
    }
    track = CreateWindowA("CDStatusClass", "0", WS_CHILD | WS_VISIBLE, 10, 70, 54, 32, parent,
                          nullptr, instance, nullptr);
    time = CreateWindowA("CDStatusClass", "1", WS_CHILD | WS_VISIBLE, 70, 70, 132, 32, parent,
                         nullptr, instance, nullptr);
    picture = CreateWindowA("CDBitmapClass", "IDB_CD_LOGO", WS_CHILD | WS_VISIBLE, 210, 70, 130,
                            49, parent, nullptr, instance, nullptr);
    about = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), parent, AboutProc, 0);
    ASSERT_NE(nullptr, about);
    CDSeekTrack(parent, 2, deviceId);
    CDPlayTrack(notify, deviceId);
    PumpPending();
  }

  void TearDown() override {
    DestroyWindow(about);
    DestroyWindow(parent);
    DestroyWindow(notify);
    if (deviceId) mciSendCommandA(deviceId, MCI_CLOSE, 0, 0);
    deviceId = 0;
    PumpPending();
  }

  // Paints every control in every state once.
  void PaintEverything(int round) {
    for (HWND b : buttons) {
      SendMessageA(b, WM_PAINT, 0, 0);
      SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
      SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(200, 3));
      SetFocus(b);
      EnableWindow(b, FALSE);
      SendMessageA(b, WM_PAINT, 0, 0);
      EnableWindow(b, TRUE);
    }
    SetWindowTextA(buttons[1], round % 2 ? "IDB_PAUSE_STOPPED" : "IDB_PAUSE");
    SendMessageA(buttons[1], WM_PAINT, 0, 0);
    SetWindowTextA(buttons[3], round % 2 ? "IDB_NO_SUCH_PICTURE" : "IDB_EJECT");
    SendMessageA(buttons[3], WM_PAINT, 0, 0);

    // Every tick of the time display repaints: the time moves while
    // playing, and the frames are zeroed while paused.
    if (round == 10) CDPauseResume(parent, deviceId);
    VDriveAdvance(100);
    SendMessageA(time, WM_TIMER, 1, 0);
    SendMessageA(track, WM_TIMER, 1, 0);
    InvalidateRect(track, nullptr, TRUE);
    UpdateWindow(track);

    SetFocus(picture);
    SendMessageA(picture, WM_PAINT, 0, 0);
    SetFocus(parent);
    InvalidateRect(about, nullptr, TRUE);
    UpdateWindow(about);

    // Failure paths of the drawing functions.
    DrawTransparentBitmap(parent, 0, 0, "IDB_NO_SUCH_PICTURE", 1);
    StretchTransparentBitmap(picture, 0, 0, "IDB_NO_SUCH_PICTURE", round % 2);
    HDC dc = GetDC(parent);
    EXPECT_EQ(nullptr, ComposeTransparent(dc, nullptr, nullptr));
    ReleaseDC(parent, dc);
    EXPECT_EQ(nullptr, MakeDisabledBitmap(nullptr));
  }

  HWND parent = nullptr, notify = nullptr, track = nullptr, time = nullptr;
  HWND picture = nullptr, about = nullptr;
  HWND buttons[4] = {};
};

TEST_F(GdiObjects, PaintingEveryControlManyTimesLeavesTheCountAsItWas) {
  PaintEverything(0);
  PumpPending();
  const int before = CountGdiObjects();
  ASSERT_GT(before, 0) << "the count must see this process's objects";
  for (int round = 1; round <= 40; ++round) PaintEverything(round);
  PumpPending();
  EXPECT_EQ(before, CountGdiObjects());
  // The counter sees a leak when there is one.
  HBRUSH leak = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(before + 1, CountGdiObjects());
  DeleteObject(leak);
}

}  // namespace
