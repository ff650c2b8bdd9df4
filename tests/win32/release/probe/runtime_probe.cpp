// A program linked as the shipped ones are, with the release run-time, that
// reports on standard output what its start-up and exit did: the static
// objects constructed (here and in runtime_probe_other.cpp), the arguments and
// show state WinMain is given, and at exit the functions registered with
// atexit, the static destructors and a destructor function, in the order
// they ran. WinMain's result, 42, must be the exit code. Run by the release
// test (release_test.cpp).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "tests/win32/release/probe/runtime_probe.h"

void Report(const char* what, const char* name) {
  char line[256];
  const int length = snprintf(line, sizeof line, "%s %s\n", what, name);
  DWORD written = 0;
  if (length > 0 && length < static_cast<int>(sizeof line))
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
}

namespace {

Reporter first("first");
Reporter second("second");

void AtExitFirst() { Report("atexit", "first"); }
void AtExitSecond() { Report("atexit", "second"); }

// Listed in the linker's table of destructors, apart from atexit.
__attribute__((destructor)) void DestructorFunction() { Report("destructor", "function"); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int show) {
  Report("arguments", arguments);
  char number[16];
  snprintf(number, sizeof number, "%d", show);
  Report("show", number);
  atexit(AtExitFirst);
  atexit(AtExitSecond);
  return 42;
}
