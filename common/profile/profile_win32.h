// The system calls behind the profile files on Windows, made through
// pointers so that tests can make them fail as Windows 95, 98 and ME do
// (no FILE_SHARE_DELETE, no MoveFileExA) or as a file that another program
// holds does.
#pragma once

#include <windows.h>

struct ProfileSystemCalls {
  HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  BOOL(WINAPI* readFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  // Looked up at run time (lookedUp then 1): Windows 95, 98 and ME export it
  // only to answer ERROR_CALL_NOT_IMPLEMENTED.
  BOOL(WINAPI* moveFileEx)(LPCSTR, LPCSTR, DWORD);
  int lookedUp;
};
extern ProfileSystemCalls profileSystemCalls;
