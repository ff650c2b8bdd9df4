// WinSock 1.1 (WSOCK32.DLL), loaded when a look-up starts. A Windows 95
// installed without networking has no WSOCK32.DLL, and a program that
// imported it at load time would not start at all; the player only needs
// it while the look-up dialog is open.
#pragma once

#include <winsock.h>

// The functions the look-up calls, taken from the loaded DLL.
struct WinSock {
  HMODULE module;
  int(WINAPI* startup)(WORD version, WSADATA* data);
  int(WINAPI* cleanup)();
  int(WINAPI* lastError)();
  int(WINAPI* asyncSelect)(SOCKET s, HWND window, u_int message, long events);
  HANDLE(WINAPI* asyncGetHostByName)(HWND window, u_int message, const char* name, char* buffer, int size);
  int(WINAPI* cancelAsyncRequest)(HANDLE request);
  SOCKET(WINAPI* socket)(int family, int type, int protocol);
  int(WINAPI* connect)(SOCKET s, const sockaddr* address, int size);
  int(WINAPI* send)(SOCKET s, const char* data, int size, int flags);
  int(WINAPI* recv)(SOCKET s, char* data, int size, int flags);
  int(WINAPI* closesocket)(SOCKET s);
  int(WINAPI* gethostname)(char* name, int size);
  unsigned long(WINAPI* inetAddr)(const char* text);
};

// Test seam: when set, the DLL loaded in place of WSOCK32.DLL (tests name
// one that does not exist to see a machine without networking). The
// program never sets it.
extern const char* testSeamWinSockLibrary;

// Loads the DLL and takes every function above: 1 with all of them; 0 when
// the DLL or any function is missing, and then nothing stays loaded.
int LoadWinSock(WinSock* ws);
// Unloads what LoadWinSock loaded; the record is cleared.
void FreeWinSock(WinSock* ws);
