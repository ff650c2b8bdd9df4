// The LED display against the virtual drive: what it polls, when it
// repaints, and the pixels it shows.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "player/controls/controls.h"
#include "player/controls/position_record.h"
#include "player/device/cd_device.h"
#include "player/shell/player_state.h"
#include "tests/win32/controls/controls_test_support.h"
#include "tests/win32/support/drive_log.h"
#include "tests/win32/support/win_test_support.h"
#include "vdrive/vdrive_api.h"

namespace {

const int kTrackW = 54, kTimeW = 132, kH = 32;
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlack = RGB(0, 0, 0);

unsigned Frames(unsigned m, unsigned s, unsigned f) { return (m * 60 + s) * 75 + f; }

// The WM_PAINT messages each display received, counted by a subclass.
std::map<HWND, int> paints;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++paints[window];
  return CDStatusWndProc(window, message, wParam, lParam);
}

PositionRecord* RecordOf(HWND display) {
  return reinterpret_cast<PositionRecord*>(GetWindowLongPtrA(display, 0));
}

class StatusDisplay : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLedFont());
    SetEnvironmentVariableA("VDRIVE_FILE", "C:\\no-such-folder\\vdrive.ini");
    SetEnvironmentVariableA("VDRIVE_LOG", nullptr);
    VDriveReset();
    VDriveUseManualClock(1);
    // Twelve tracks of four minutes each.
    unsigned starts[12];
    for (unsigned i = 0; i < 12; ++i) starts[i] = Frames(4 * i, 2, 0);
    ASSERT_TRUE(VDriveLoadDisc(12, starts, Frames(48, 2, 0), 0));
    parent = CreateTestParent(300, 100);
    notify = CreateNotifyWindow();
    deviceId = static_cast<uint16_t>(CDOpen(parent));
    ASSERT_NE(0, deviceId);
    StartBoxCatcher();
    track = MakeDisplay("0", 1021, 10, kTrackW);
    time = MakeDisplay("1", 1024, 80, kTimeW);
    PumpPending();
  }

  void TearDown() override {
    StopBoxCatcher();
    DestroyWindow(parent);
    DestroyWindow(notify);
    if (deviceId) mciSendCommandA(deviceId, MCI_CLOSE, 0, 0);
    deviceId = 0;
    PumpPending();
    paints.clear();
  }

  // A display whose polling the test drives: its timer is stopped at once
  // (it must have been started) and each tick is delivered by Tick.
  HWND MakeDisplay(const char* text, int id, int x, int w) {
    HWND display = CreateWindowA("CDStatusClass", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, 10,
                                 w, kH, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(nullptr, display);
    EXPECT_TRUE(KillTimer(display, 1)) << "timer 1 runs from creation";
    SetWindowLongPtrA(display, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    return display;
  }

  // One tick of timer 1; returns the paintings it caused. The tick must
  // start its timer again.
  int Tick(HWND display) {
    const int before = paints[display];
    SendMessageA(display, WM_TIMER, 1, 0);
    EXPECT_TRUE(KillTimer(display, 1)) << "the tick re-arms timer 1";
    return paints[display] - before;
  }

  void PlayTrack(int t) {
    CDSeekTrack(parent, t, deviceId);
    CDPlayTrack(notify, deviceId);
    ASSERT_EQ(1, CDIsPlaying(parent, deviceId));
  }

  // The text area of a w x h display showing text in the LED font, bright
  // green on black, centred; the vertical centre rounded down, or up by
  // down (the platform's own rounding decides).
  static Pixels Rendered(int w, int h, const char* text, int down) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, w, h, BLACKNESS);
    HFONT font = CreateFontA(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FF_MODERN | DEFAULT_PITCH, "Corvane Digital");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE size = {};
    const int n = static_cast<int>(std::strlen(text));
    GetTextExtentPoint32A(dc, text, n, &size);
    SetTextColor(dc, kGreen);
    SetBkColor(dc, kBlack);
    const int spare = h - 6 - size.cy;
    TextOutA(dc, 3 + (w - 6 - size.cx) / 2, 3 + spare / 2 + (spare % 2 ? down : 0), text, n);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    Pixels p = BitmapPixels(bitmap);
    DeleteObject(bitmap);
    return p;
  }

  static bool SameTextArea(const Pixels& a, const Pixels& b) {
    for (int y = 3; y < a.height - 3; ++y) {
      for (int x = 3; x < a.width - 3; ++x) {
        if (a.At(x, y) != b.At(x, y)) return false;
      }
    }
    return true;
  }

  void ExpectText(HWND display, const char* text) {
    Pixels shown = Capture(display);
    Pixels expected = Rendered(shown.width, shown.height, text, 0);
    if (!SameTextArea(shown, expected)) expected = Rendered(shown.width, shown.height, text, 1);
    int lit = 0;
    for (int y = 3; y < shown.height - 3; ++y) {
      for (int x = 3; x < shown.width - 3; ++x) {
        ASSERT_EQ(expected.At(x, y), shown.At(x, y))
            << text << " at " << x << "," << y << " " << ColourText(shown.At(x, y));
        lit += shown.At(x, y) == kGreen;
      }
    }
    EXPECT_GT(lit, 10 * static_cast<int>(std::strlen(text))) << text;
  }

  HWND parent = nullptr;
  HWND notify = nullptr;
  HWND track = nullptr;
  HWND time = nullptr;
};

TEST_F(StatusDisplay, CreationReadsTheKindOnceAndCopiesTheDevice) {
  PositionRecord* t = RecordOf(track);
  PositionRecord* c = RecordOf(time);
  ASSERT_NE(nullptr, t);
  ASSERT_NE(nullptr, c);
  EXPECT_EQ(t, t->memory == nullptr ? nullptr : GlobalLock(static_cast<HGLOBAL>(t->memory)));
  GlobalUnlock(static_cast<HGLOBAL>(t->memory));
  EXPECT_EQ(kTrackDisplay, t->kind);
  EXPECT_EQ(kTimeDisplay, c->kind);
  EXPECT_EQ(deviceId, t->deviceId);
  EXPECT_EQ(0, c->track + c->minutes + c->seconds + c->frames);
  ExpectText(track, "00");
  ExpectText(time, "00:00:00.0");
  // A later text changes nothing.
  SetWindowTextA(time, "0");
  EXPECT_EQ(kTimeDisplay, c->kind);
  InvalidateRect(time, nullptr, TRUE);
  UpdateWindow(time);
  ExpectText(time, "00:00:00.0");
}

TEST_F(StatusDisplay, ShowsTrackAndTimeOfThePlayingDisc) {
  PlayTrack(7);
  VDriveAdvance(185 * 1000 + 42 * 1000 / 75 + 1);
  EXPECT_EQ(1, Tick(time));
  EXPECT_EQ(1, Tick(track));
  const PositionRecord* c = RecordOf(time);
  EXPECT_EQ(7, c->track);
  EXPECT_EQ(3, c->minutes);
  EXPECT_EQ(5, c->seconds);
  EXPECT_EQ(42, c->frames);
  ExpectText(track, "07");
  ExpectText(time, "00:03:05.4");
  EXPECT_TRUE(CaughtBoxes().empty());

  CDSeekTrack(parent, 12, deviceId);
  Tick(track);
  ExpectText(track, "12");
}

TEST_F(StatusDisplay, RepaintsOnlyWhenWhatItShowsChanged) {
  PlayTrack(3);
  VDriveAdvance(2000);
  EXPECT_EQ(1, Tick(time));
  EXPECT_EQ(1, Tick(track));
  // Nothing moved: no painting.
  EXPECT_EQ(0, Tick(time));
  EXPECT_EQ(0, Tick(track));
  // The time moved within the track: only the time display paints.
  VDriveAdvance(1000);
  EXPECT_EQ(1, Tick(time));
  EXPECT_EQ(0, Tick(track));
  ExpectText(time, "00:00:03.0");

  // A tick paints the text area only: a mark on the bevel stays.
  HDC dc = GetDC(time);
  SetPixelV(dc, 1, 1, RGB(255, 0, 255));
  ReleaseDC(time, dc);
  VDriveAdvance(1000);
  EXPECT_EQ(1, Tick(time));
  EXPECT_EQ(RGB(255, 0, 255), Capture(time).At(1, 1));

  // Another track: the track display paints.
  CDSeekTrack(parent, 4, deviceId);
  EXPECT_EQ(1, Tick(track));
  ExpectText(track, "04");
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(StatusDisplay, PausedTheDigitAfterThePointIsZeroAndEveryTickRepaints) {
  PlayTrack(2);
  VDriveAdvance(65 * 1000 + 30 * 1000 / 75 + 1);
  ASSERT_EQ(1, CDPauseResume(parent, deviceId));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(1, Tick(time)) << i;
    EXPECT_EQ(0, RecordOf(time)->frames);
  }
  ExpectText(time, "00:01:05.0");
  // The track display is not concerned.
  EXPECT_EQ(1, Tick(track));
  EXPECT_EQ(0, Tick(track));
}

// The length questions the drive was asked since its log was cleared.
int LengthQuestions() {
  int count = 0;
  for (const std::string& line : DriveLog())
    count += line.compare(0, 14, "cmd=MCI_STATUS") == 0 && line.find(" item=1 ") != std::string::npos;
  return count;
}

TEST_F(StatusDisplay, ShowsTheTimeIntoTheTrackOrWhatIsLeftOfTheTrackOrTheDisc) {
  // Track 7 of twelve four-minute tracks, 3:05 and 42 frames in.
  PlayTrack(7);
  VDriveAdvance(185 * 1000 + 42 * 1000 / 75 + 1);
  VDriveClearLog();
  Tick(time);
  ExpectText(time, "00:03:05.4");
  EXPECT_EQ(0, LengthQuestions()) << "the time into the track needs no length";

  SetStatusDisplayMode(time, kTrackRemaining);
  ExpectText(time, "-00:00:54.3");  // 4:00:00 - 3:05:42
  EXPECT_EQ(1, LengthQuestions());
  SetStatusDisplayMode(time, kDiscRemaining);
  ExpectText(time, "-00:20:54.3");  // 48:00:00 - 6 tracks - 3:05:42
  EXPECT_EQ(1 + 1 + 6, LengthQuestions());

  // Each length is asked once: ticks, and the next track, ask only what is new.
  for (int i = 0; i < 5; ++i) {
    VDriveAdvance(100);
    EXPECT_EQ(1, Tick(time));
  }
  VDriveAdvance(60000);  // the play ends where track 8 starts
  Tick(time);
  EXPECT_EQ(8 + 1, LengthQuestions());
  ExpectText(time, "-00:20:00.0");
  EXPECT_TRUE(CaughtBoxes().empty());
}

TEST_F(StatusDisplay, WithoutDeviceDiscOrReadinessNothingChanges) {
  PlayTrack(5);
  VDriveAdvance(10000);
  Tick(time);
  Tick(track);
  const PositionRecord before = *RecordOf(time);

  VDriveSetReady(0);
  VDriveAdvance(1000);
  EXPECT_EQ(0, Tick(time));
  EXPECT_EQ(0, Tick(track));
  VDriveSetReady(1);

  VDriveRemoveDisc();
  EXPECT_EQ(0, Tick(time));
  EXPECT_EQ(0, Tick(track));
  const PositionRecord after = *RecordOf(time);
  EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
  ExpectText(time, "00:00:10.0");
  ExpectText(track, "05");

  // No device known yet.
  const uint16_t open = deviceId;
  deviceId = 0;
  HWND none = MakeDisplay("1", 1030, 10, kTimeW);
  deviceId = open;
  EXPECT_EQ(0, RecordOf(none)->deviceId);
  EXPECT_EQ(0, Tick(none));
  EXPECT_TRUE(CaughtBoxes().empty());
}

// A position query that fails shows one box; one that fails because the
// disc went out after the ready answer shows none (the disc watch tells).
TEST_F(StatusDisplay, FailingPositionQueryShowsOneBoxUnlessTheDiscWentOut) {
  const struct {
    DWORD error;
    size_t boxes;
  } cases[] = {{MCIERR_HARDWARE, 1}, {MCIERR_DEVICE_NOT_READY, 0}};
  PlayTrack(2);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    ClearCaughtBoxes();
    VDriveAdvance(3000);
    VDriveFailNext(MCI_STATUS, MCI_STATUS_POSITION, c.error);
    EXPECT_EQ(0, Tick(time));
    ASSERT_EQ(c.boxes, CaughtBoxes().size());
    if (c.boxes) {
      EXPECT_EQ("Corvane CD Player - Error", CaughtBoxes()[0].caption);
      EXPECT_EQ(parent, CaughtBoxes()[0].owner) << "owned by the display's top-level window";
    }
    // The next tick works again.
    EXPECT_EQ(1, Tick(time));
  }
  ExpectText(time, "00:00:06.0");
}

TEST_F(StatusDisplay, BevelIsSunkThreePixelsDeep) {
  Pixels shown = Capture(time);
  const int w = shown.width, h = shown.height;
  ASSERT_EQ(kTimeW, w);
  // The lines of the bevel, drawn in order, each without its last point.
  const COLORREF s = GetSysColor(COLOR_BTNSHADOW), l = GetSysColor(COLOR_BTNHIGHLIGHT);
  const struct {
    COLORREF colour;
    int x1, y1, x2, y2;
  } lines[] = {
      {s, 0, 0, w, 0},         {s, 0, 1, w - 1, 1},         {s, 0, 2, w - 2, 2},
      {s, 0, 0, 0, h},         {s, 1, 1, 1, h - 1},         {s, 2, 1, 2, h - 2},
      {l, 1, h - 1, w, h - 1}, {l, 2, h - 2, w - 1, h - 2}, {l, 3, h - 3, w - 2, h - 3},
      {l, w - 1, h - 1, w - 1, 0}, {l, w - 2, h - 2, w - 2, 1}, {l, w - 3, h - 3, w - 3, 2},
  };
  std::vector<COLORREF> expected(static_cast<size_t>(w * h), kBlack);
  for (const auto& line : lines) {
    const int dx = line.x2 > line.x1 ? 1 : line.x2 < line.x1 ? -1 : 0;
    const int dy = line.y2 > line.y1 ? 1 : line.y2 < line.y1 ? -1 : 0;
    for (int x = line.x1, y = line.y1; x != line.x2 || y != line.y2; x += dx, y += dy) {
      if (x < w && y < h) expected[static_cast<size_t>(y * w + x)] = line.colour;
    }
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (x >= 3 && x < w - 3 && y >= 3 && y < h - 3) continue;
      ASSERT_EQ(expected[static_cast<size_t>(y * w + x)], shown.At(x, y))
          << x << "," << y << " " << ColourText(shown.At(x, y));
    }
  }
}

TEST_F(StatusDisplay, DestroyingTheDisplayFreesItsRecord) {
  HGLOBAL memory = static_cast<HGLOBAL>(RecordOf(time)->memory);
  ASSERT_EQ(1u, GlobalFlags(memory) & GMEM_LOCKCOUNT);
  DestroyWindow(time);
  EXPECT_EQ(static_cast<UINT>(GMEM_INVALID_HANDLE), GlobalFlags(memory));
}

}  // namespace
