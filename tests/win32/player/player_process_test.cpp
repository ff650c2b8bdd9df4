// The real kovel32.exe in processes of its own: one player at a time, and a
// start with the shell's arguments behaves like any other start.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/win32/support/win_test_support.h"

namespace {

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\') + 1) + name;
}

PROCESS_INFORMATION StartPlayer(const char* arguments) {
  std::string command = "\"" + BesideThisProgram("kovel32.exe") + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  return process;
}

int PlayerWindows() {
  int count = 0;
  EnumWindows(
      [](HWND window, LPARAM counter) -> BOOL {
        char name[64];
        if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "CorvaneCDAudioPlayer") == 0)
          ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(PlayerProcess, ASecondStartBringsTheFirstForwardAndEnds) {
  const std::string log = UseDriveFile(
      "player-process-drive",
      "[Drive]\r\nDisc=demo\r\n[Disc.demo]\r\nTracks=3\r\nTrack1=0:02:00\r\nTrack2=3:00:00\r\n"
      "Track3=6:00:00\r\nLeadOut=9:00:00\r\n");

  // The shell's verb passes "/play" and the drive: it changes nothing.
  PROCESS_INFORMATION first = StartPlayer("/play D:");
  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil(first.hProcess, [&] {
    window = FindWindowA("CorvaneCDAudioPlayer", nullptr);
    return window && IsWindowVisible(window) && IsWindowEnabled(GetDlgItem(window, 1007));
  }));
  EXPECT_EQ(0, SendMessageA(GetDlgItem(window, 1038), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(std::string::npos, ReadBytes(log).find("cmd=MCI_PLAY"));

  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window));
  PROCESS_INFORMATION second = StartPlayer("");
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.hProcess, 10000));
  EXPECT_EQ(0u, ExitCode(second.hProcess));
  EXPECT_TRUE(WaitUntil(first.hProcess, [&] { return !IsIconic(window); }));
  EXPECT_EQ(STILL_ACTIVE, ExitCode(first.hProcess));
  EXPECT_EQ(1, PlayerWindows());

  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.hProcess, 10000));
  EXPECT_EQ(0u, ExitCode(first.hProcess));
  for (PROCESS_INFORMATION* p : {&first, &second}) {
    CloseHandle(p->hThread);
    CloseHandle(p->hProcess);
  }
  DeleteFileA(log.c_str());
}

// A player past its window, still shutting down (the exit's device commands
// and message boxes can take a while), holds the single-instance mutex
// with no window to bring forward: here this test plays that player. A
// start meanwhile waits for it, longer than a start would wait for a window
// to appear, and then runs as the only player.
TEST(PlayerProcess, AStartWhileAPlayerShutsDownWaitsAndThenRuns) {
  const std::string log = UseDriveFile("player-process-drive", "[Drive]\r\nDisc=\r\n");
  HANDLE shuttingDown = CreateMutexA(nullptr, TRUE, "CorvaneCDAudioPlayer.SingleInstance");
  ASSERT_NE(nullptr, shuttingDown);
  PROCESS_INFORMATION next = StartPlayer("");
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(next.hProcess, 6000));
  EXPECT_EQ(0, PlayerWindows());

  ReleaseMutex(shuttingDown);
  CloseHandle(shuttingDown);
  HWND window = nullptr;
  EXPECT_TRUE(WaitUntil(next.hProcess, [&] {
    window = FindWindowA("CorvaneCDAudioPlayer", nullptr);
    return window && IsWindowVisible(window);
  }));
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(next.hProcess, 10000));
  CloseHandle(next.hThread);
  CloseHandle(next.hProcess);
  DeleteFileA(log.c_str());
}

}  // namespace
