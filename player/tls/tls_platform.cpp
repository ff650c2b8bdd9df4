// The TLS client's side of the system (see tls.h). ADVAPI32 is loaded only
// while a seed is gathered: the player does not import it, and the first
// Windows 95 has no CryptGenRandom in it.
#include "player/tls/tls.h"

#include <cstdlib>
#include <cstring>

#include "common/profile/profile.h"
#include "player/shell/player_state.h"
#include "player/shell/settings_file.h"

const char* testSeamCryptoLibrary;

namespace {

// wincrypt.h's values; its declarations are not used, the functions are
// looked up.
typedef ULONG_PTR CryptProvider;
const DWORD kProviderRsaFull = 1;
const DWORD kVerifyContext = 0xF0000000;

typedef BOOL(WINAPI* AcquireContext)(CryptProvider*, const char*, const char*, DWORD, DWORD);
typedef BOOL(WINAPI* GenRandom)(CryptProvider, DWORD, BYTE*);
typedef BOOL(WINAPI* ReleaseContext)(CryptProvider, DWORD);

// The entropy pool: every stir hashed in as it comes.
br_sha256_context pool;
bool poolStarted;

void Stir(const void* data, size_t size) {
  if (!poolStarted) br_sha256_init(&pool);
  poolStarted = true;
  br_sha256_update(&pool, data, size);
}

// kTlsSeedSize bytes of CryptGenRandom, when the system has it.
bool SystemRandom(unsigned char* out) {
  HMODULE module = LoadLibraryA(testSeamCryptoLibrary ? testSeamCryptoLibrary : "ADVAPI32.DLL");
  if (!module) return false;
  AcquireContext acquire =
      reinterpret_cast<AcquireContext>(reinterpret_cast<void*>(GetProcAddress(module, "CryptAcquireContextA")));
  GenRandom generate = reinterpret_cast<GenRandom>(reinterpret_cast<void*>(GetProcAddress(module, "CryptGenRandom")));
  ReleaseContext release =
      reinterpret_cast<ReleaseContext>(reinterpret_cast<void*>(GetProcAddress(module, "CryptReleaseContext")));
  bool done = false;
  CryptProvider provider;
  if (acquire && generate && release && acquire(&provider, nullptr, nullptr, kProviderRsaFull, kVerifyContext)) {
    done = generate(provider, kTlsSeedSize, out) != 0;
    release(provider, 0);
  }
  FreeLibrary(module);
  return done;
}

// The system's state of the moment (counters, tick counts, cursor, memory),
// stirred into the pool.
void StirMoment() {
  struct {
    LARGE_INTEGER counter, frequency;
    DWORD ticks;
    POINT cursor;
    MEMORYSTATUS memory;
    FILETIME now;
    DWORD process, thread;
    void* stack;
    LARGE_INTEGER spread[32];  // the counter across yields of the processor: its jitter
  } state;
  memset(&state, 0, sizeof state);
  QueryPerformanceCounter(&state.counter);
  QueryPerformanceFrequency(&state.frequency);
  state.ticks = GetTickCount();
  GetCursorPos(&state.cursor);
  state.memory.dwLength = sizeof state.memory;
  GlobalMemoryStatus(&state.memory);
  GetSystemTimeAsFileTime(&state.now);
  state.process = GetCurrentProcessId();
  state.thread = GetCurrentThreadId();
  state.stack = &state;
  for (LARGE_INTEGER& sample : state.spread) {
    QueryPerformanceCounter(&sample);
    Sleep(0);
  }
  Stir(&state, sizeof state);
  TlsWipe(&state, sizeof state);
}

// SHA-256 over a label that keeps the two uses of the pool apart, the pool
// as stirred so far, CryptGenRandom's bytes and the kept seed (each where
// there is one).
void Derive(const char* label, const unsigned char* system, const unsigned char* kept, unsigned char* out) {
  br_sha256_context hash;
  unsigned char stirred[br_sha256_SIZE];
  br_sha256_out(&pool, stirred);
  br_sha256_init(&hash);
  br_sha256_update(&hash, label, strlen(label) + 1);
  br_sha256_update(&hash, stirred, sizeof stirred);
  if (system) br_sha256_update(&hash, system, kTlsSeedSize);
  if (kept) br_sha256_update(&hash, kept, kTlsSeedSize);
  br_sha256_out(&hash, out);
  TlsWipe(stirred, sizeof stirred);
  TlsWipe(&hash, sizeof hash);
}

}  // namespace

void StirTlsEntropy() {
  struct {
    LONG messageTime;
    DWORD messagePosition;
    LARGE_INTEGER counter;
  } moment;
  moment.messageTime = GetMessageTime();
  moment.messagePosition = GetMessagePos();
  QueryPerformanceCounter(&moment.counter);
  Stir(&moment, sizeof moment);
}

int GatherTlsSeed(unsigned char* seed) {
  StirMoment();
  unsigned char system[kTlsSeedSize], kept[kTlsSeedSize];
  int fromSystem = SystemRandom(system);
  int haveKept = LoadKeptSeed(appInstance, kept, sizeof kept);
  Derive("session", fromSystem ? system : nullptr, haveKept ? kept : nullptr, seed);
  TlsWipe(system, sizeof system);
  TlsWipe(kept, sizeof kept);
  return fromSystem;
}

void KeepTlsSeed() {
  StirMoment();
  unsigned char system[kTlsSeedSize], kept[kTlsSeedSize], next[kTlsSeedSize];
  int fromSystem = SystemRandom(system);
  int haveKept = LoadKeptSeed(appInstance, kept, sizeof kept);
  Derive("kept", fromSystem ? system : nullptr, haveKept ? kept : nullptr, next);
  SaveKeptSeed(appInstance, next, sizeof next);
  TlsWipe(system, sizeof system);
  TlsWipe(kept, sizeof kept);
  TlsWipe(next, sizeof next);
}

TlsTime TlsClock() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  // 100-nanosecond units since 1601, which is 11,644,473,600 seconds before 1970.
  return TlsTimeFromUnix(static_cast<int64_t>(ticks / 10000000) - 11644473600LL);
}

size_t ReadTlsRootsFile(const char* name, TlsRoots* roots) {
  memset(roots, 0, sizeof *roots);
  char path[MAX_PATH];
  if (!ProfileResolvePath(name, path, sizeof path)) return 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  char* text = nullptr;
  DWORD read = 0;
  if (size != INVALID_FILE_SIZE && high == 0 && size <= kTlsRootsFileLimit &&
      (text = static_cast<char*>(malloc(size ? size : 1))) != nullptr && ReadFile(file, text, size, &read, nullptr) &&
      read == size)
    ReadTlsRoots(text, size, roots);
  free(text);
  CloseHandle(file);
  return roots->count;
}
