// Test seam of the profile files on Windows: the system calls through which
// tests make the files meet what a user's machine may do to them. Windows
// 95, 98 and ME refuse FILE_SHARE_DELETE when a file is opened and have no
// MoveFileExA (exported, it answers "not implemented", or it is missing);
// another program may hold a file; a disk may fail part-way through a
// read, fill up, or a share go away in the middle of a save; another
// computer may hold a shared file's lock for as long as the test's clock
// says. A member left null is the system's own call, and the program never
// sets one. Every other file call of the engine goes to the system directly.
#pragma once

#include <windows.h>

struct ProfileFileSeam {
  // Every open of a profile file or of its temporary file.
  HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  // Every read of a profile file.
  BOOL(WINAPI* readFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  // Replacing a file in one step.
  BOOL(WINAPI* moveFileEx)(LPCSTR, LPCSTR, DWORD);
  // 1: the system has no MoveFileExA at all.
  int withoutMoveFileEx;
  // The two moves of a replacement as Windows 95 makes it.
  BOOL(WINAPI* moveFile)(LPCSTR, LPCSTR);
  // The clock and the pause of a writer waiting for a lock.
  DWORD(WINAPI* getTickCount)(void);
  VOID(WINAPI* sleep)(DWORD);
};
extern ProfileFileSeam testSeamProfileFiles;
