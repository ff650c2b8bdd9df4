// The TLS client's side of the system under Wine: seeds with and without
// CryptGenRandom, the seed kept in the settings file, the roots file, and
// sessions over WinSock's asynchronous sockets, driven by their events,
// against the test MusicBrainz service.
#include <winsock.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "player/lookup/tls_socket.h"
#include "player/shell/player_state.h"
#include "player/tls/tls.h"
#include "tests/win32/support/win_test_support.h"

namespace {

const UINT kSocketEvent = WM_APP + 1;
const char kRequest[] =
    "GET /ws/2/discid/HtS5_vmq5zQGVV5Arn9AZgvTJF4-?toc=1+5+56400+150+14265+33790+49650+51900&fmt=json HTTP/1.0\r\n"
    "Host: localhost\r\nUser-Agent: tls_tests\r\n\r\n";

// A file of the test service's folder, seen from Wine.
std::string ServerFile(const char* name) { return ::ServerFile(KOVEL_MUSICBRAINZ_DIR, name); }

TEST(TlsPlatform, SeedsDifferEveryTimeWithOrWithoutCryptGenRandom) {
  unsigned char seeds[4][kTlsSeedSize];
  EXPECT_EQ(1, GatherTlsSeed(seeds[0]));
  EXPECT_EQ(1, GatherTlsSeed(seeds[1]));
  testSeamCryptoLibrary = "nocrypt32.dll";  // a Windows 95 without CryptGenRandom
  EXPECT_EQ(0, GatherTlsSeed(seeds[2]));
  StirTlsEntropy();
  EXPECT_EQ(0, GatherTlsSeed(seeds[3]));
  testSeamCryptoLibrary = nullptr;
  for (int i = 0; i < 4; ++i)
    for (int k = i + 1; k < 4; ++k) EXPECT_NE(0, memcmp(seeds[i], seeds[k], kTlsSeedSize)) << i << " " << k;
}

std::string SettingsFile() {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\kovel.ini";
}

// The value of [Lookup] Seed, the section's last key.
std::string KeptSeed() {
  std::string text = ReadBytes(SettingsFile());
  size_t at = text.find("[Lookup]\r\nSeed=");
  if (at == std::string::npos) return "(none)";
  at += strlen("[Lookup]\r\nSeed=");
  return text.substr(at, text.find("\r\n", at) - at);
}

bool SixtyFourHexDigits(const std::string& text) {
  return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) { return isxdigit(c) != 0; });
}

TEST(TlsPlatform, KeepsASeedInTheSettingsFileAndReplacesAnUnusableOne) {
  appInstance = GetModuleHandleA(nullptr);
  std::string settings = ReadBytes(SettingsFile());
  const std::string window = "[Window]\r\nTemplate=122\r\n";
  const std::string stored[] = {
      "(no file)", "", "not a seed", "0123", std::string(64, 'g'), std::string(66, 'a'),
      "00112233445566778899AABBCCDDEEFF00112233445566778899aabbccddeeff",  // usable
  };
  for (const std::string& before : stored) {
    SCOPED_TRACE(before);
    if (before == "(no file)")
      DeleteFileA(SettingsFile().c_str());
    else
      WriteBytes(SettingsFile(), window + "[Lookup]\r\nSeed=" + before + "\r\n");
    KeepTlsSeed();
    std::string kept = KeptSeed();
    EXPECT_TRUE(SixtyFourHexDigits(kept)) << kept;
    EXPECT_NE(before, kept);
    if (before != "(no file)") {
      EXPECT_EQ(0u, ReadBytes(SettingsFile()).find(window));
    }
  }
  // Replaced after every look-up, with or without CryptGenRandom; and the
  // sessions' seeds differ with it as without it.
  std::string first = KeptSeed();
  KeepTlsSeed();
  std::string second = KeptSeed();
  testSeamCryptoLibrary = "nocrypt32.dll";
  KeepTlsSeed();
  std::string third = KeptSeed();
  unsigned char seeds[2][kTlsSeedSize];
  GatherTlsSeed(seeds[0]);
  GatherTlsSeed(seeds[1]);
  testSeamCryptoLibrary = nullptr;
  EXPECT_NE(first, second);
  EXPECT_NE(second, third);
  EXPECT_TRUE(SixtyFourHexDigits(third)) << third;
  EXPECT_NE(0, memcmp(seeds[0], seeds[1], kTlsSeedSize));
  WriteBytes(SettingsFile(), settings);
  if (settings == "(none)") DeleteFileA(SettingsFile().c_str());
  appInstance = nullptr;
}

TEST(TlsPlatform, ReadsTheRootsFileWithinItsLimit) {
  std::string pem = ReadBytes(ServerFile("roots.pem"));
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string inWindows = std::string(windows) + "\\kovel-test-roots.pem";
  WriteBytes(inWindows, pem);
  TlsRoots roots;
  EXPECT_EQ(1u, ReadTlsRootsFile("kovel-test-roots.pem", &roots));  // a bare name: the Windows folder
  FreeTlsRoots(&roots);
  EXPECT_EQ(1u, ReadTlsRootsFile(ServerFile("roots.pem").c_str(), &roots));
  FreeTlsRoots(&roots);
  EXPECT_EQ(0u, ReadTlsRootsFile("no-such-roots.pem", &roots));
  WriteBytes(inWindows, pem + std::string(kTlsRootsFileLimit, '\n'));
  EXPECT_EQ(0u, ReadTlsRootsFile("kovel-test-roots.pem", &roots));
  EXPECT_EQ(nullptr, roots.anchors);
  DeleteFileA(inWindows.c_str());
}

// One session, pumped at every event of its socket.
struct Session {
  TlsClient client;
  TlsSocket socket;
  TlsTransport transport;
  char answer[65536];
  size_t length;
  int progress;
};

LRESULT CALLBACK SocketWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Session* s = reinterpret_cast<Session*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message != kSocketEvent || !s || s->progress != kTlsWaiting) return DefWindowProcA(window, message, wParam, lParam);
  if (WSAGETSELECTEVENT(lParam) == FD_CONNECT && WSAGETSELECTERROR(lParam))
    s->progress = kTlsFailed;
  else
    s->progress = TlsPump(&s->client, &s->transport, s->answer, &s->length, sizeof s->answer);
  return 0;
}

struct Outcome {
  int progress;
  int failure;
  std::string answer;
};

Outcome Exchange(const std::string& server) {
  static ATOM windowClass = [] {
    WNDCLASSA c = {};
    c.lpfnWndProc = SocketWindow;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "TlsTestSocketWindow";
    return RegisterClassA(&c);
  }();
  EXPECT_NE(0, windowClass);
  Outcome outcome = {kTlsFailed, -1, ""};
  WinSock ws;
  WSADATA data;
  if (!LoadWinSock(&ws) || ws.startup(MAKEWORD(1, 1), &data) != 0) {
    ADD_FAILURE() << "no WinSock";
    return outcome;
  }
  std::string pem = ReadBytes(ServerFile("roots.pem"));
  TlsRoots roots;
  ReadTlsRoots(pem.data(), pem.size(), &roots);
  Session* s = new Session();
  s->progress = kTlsWaiting;
  s->socket = TlsSocket{&ws, ws.socket(AF_INET, SOCK_STREAM, 0)};
  s->transport = TlsSocketTransport(&s->socket);
  unsigned char seed[kTlsSeedSize];
  GatherTlsSeed(seed);
  TlsTime now = TlsClock();
  EXPECT_EQ(1, TlsStart(&s->client, "localhost", roots.anchors, roots.count, now, seed, kRequest, sizeof kRequest - 1));
  HWND window = CreateWindowA("TlsTestSocketWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  u_short port = static_cast<u_short>(NamedPort(KOVEL_MUSICBRAINZ_DIR, server));
  address.sin_port = static_cast<u_short>((port >> 8) | (port << 8));
  address.sin_addr.s_addr = ws.inetAddr("127.0.0.1");
  ws.asyncSelect(s->socket.socket, window, kSocketEvent, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
  EXPECT_NE(0, ws.connect(s->socket.socket, reinterpret_cast<sockaddr*>(&address), sizeof address));
  EXPECT_EQ(WSAEWOULDBLOCK, ws.lastError());
  EXPECT_TRUE(PumpUntil([s] { return s->progress != kTlsWaiting; }, 20000)) << server;
  outcome.progress = s->progress;
  if (s->progress == kTlsFailed) outcome.failure = TlsFailureOf(&s->client, now);
  outcome.answer.assign(s->answer, s->length);
  DestroyWindow(window);
  ws.closesocket(s->socket.socket);
  TlsEnd(&s->client);
  delete s;
  FreeTlsRoots(&roots);
  ws.cleanup();
  FreeWinSock(&ws);
  return outcome;
}

TEST(TlsSocket, FetchesOverAsynchronousSocketsAndRefusesAnUntrustedServer) {
  for (const char* server : {"rsa", "aes128", "ecdsa"}) {
    Outcome outcome = Exchange(server);
    EXPECT_EQ(kTlsEnded, outcome.progress) << server;
    EXPECT_EQ(0u, outcome.answer.find("HTTP/1.1 200 OK\r\n")) << server;
    EXPECT_NE(std::string::npos, outcome.answer.find("\"title\":\"Harbour Lights\"")) << server;
  }
  Outcome untrusted = Exchange("untrusted");
  EXPECT_EQ(kTlsFailed, untrusted.progress);
  EXPECT_EQ(kTlsUntrusted, untrusted.failure);
  Outcome dropped = Exchange("drop");
  EXPECT_EQ(kTlsFailed, dropped.progress);
  EXPECT_EQ(kTlsConnectionLost, dropped.failure);
}

// Servers whose certificates are not meant for a web server hear nothing;
// nor does a plain HTTP server, which is named as such.
TEST(TlsSocket, RefusesCertificatesNotMeantForServersAndNamesAPlainServer) {
  size_t requests = ReadBytes(ServerFile("requests.log")).size();
  struct {
    const char* server;
    int failure;
  } cases[] = {
      {"clientauth", kTlsWrongPurpose},  // the certificate is meant for clients only
      {"emailca", kTlsWrongPurpose},     // issued under an authority limited to e-mail
      {"plainhttp", kTlsNotSecureServer},
  };
  for (const auto& c : cases) {
    Outcome outcome = Exchange(c.server);
    EXPECT_EQ(kTlsFailed, outcome.progress) << c.server;
    EXPECT_EQ(c.failure, outcome.failure) << c.server;
    EXPECT_EQ("", outcome.answer) << c.server;
  }
  EXPECT_EQ(requests, ReadBytes(ServerFile("requests.log")).size());
}

}  // namespace
