// WinSock 1.1 loaded at run time (see winsock.h).
#include "player/lookup/winsock.h"

#include <cstring>

const char* testSeamWinSockLibrary;

namespace {

// Takes one function by name into its slot; false when the DLL lacks it.
template <typename Function>
bool Take(HMODULE module, const char* name, Function* slot) {
  FARPROC address = GetProcAddress(module, name);
  *slot = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return address != nullptr;
}

}  // namespace

int LoadWinSock(WinSock* ws) {
  memset(ws, 0, sizeof *ws);
  HMODULE module = LoadLibraryA(testSeamWinSockLibrary ? testSeamWinSockLibrary : "WSOCK32.DLL");
  if (!module) return 0;
  if (!Take(module, "WSAStartup", &ws->startup) || !Take(module, "WSACleanup", &ws->cleanup) ||
      !Take(module, "WSAGetLastError", &ws->lastError) || !Take(module, "WSAAsyncSelect", &ws->asyncSelect) ||
      !Take(module, "WSAAsyncGetHostByName", &ws->asyncGetHostByName) ||
      !Take(module, "WSACancelAsyncRequest", &ws->cancelAsyncRequest) || !Take(module, "socket", &ws->socket) ||
      !Take(module, "connect", &ws->connect) || !Take(module, "send", &ws->send) ||
      !Take(module, "recv", &ws->recv) || !Take(module, "closesocket", &ws->closesocket) ||
      !Take(module, "gethostname", &ws->gethostname) || !Take(module, "inet_addr", &ws->inetAddr)) {
    FreeLibrary(module);
    memset(ws, 0, sizeof *ws);
    return 0;
  }
  ws->module = module;
  return 1;
}

void FreeWinSock(WinSock* ws) {
  if (ws->module) FreeLibrary(ws->module);
  memset(ws, 0, sizeof *ws);
}
