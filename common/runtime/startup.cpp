// The shipped programs' entry point. Without a C run-time DLL nothing else
// prepares the process: this runs the static constructors, calls WinMain
// with the command line and show state the system gives, runs what was
// registered to run at exit, and ends the process with WinMain's result.
#include <windows.h>

#include <cstdlib>

// The linker's tables of static constructors and destructors: a first
// entry (a count, or -1 when the list ends with a null entry), then the
// functions.
typedef void (*TableFunction)();
extern "C" TableFunction __CTOR_LIST__[];
extern "C" TableFunction __DTOR_LIST__[];

namespace {

// Destructors of static objects are registered through atexit as they are
// constructed; the programs have a handful.
enum { kExitFunctions = 32 };
TableFunction exitFunctions[kExitFunctions];
int exitFunctionCount;

void RunConstructors() {
  size_t count = reinterpret_cast<size_t>(__CTOR_LIST__[0]);
  if (count == static_cast<size_t>(-1))
    for (count = 0; __CTOR_LIST__[count + 1]; ++count) {
    }
  // The table lists them in reverse order of construction.
  for (size_t i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

void RunDestructors() {
  while (exitFunctionCount > 0) exitFunctions[--exitFunctionCount]();
  for (size_t i = 1; __DTOR_LIST__[i] && __DTOR_LIST__[i] != reinterpret_cast<TableFunction>(-1); ++i)
    __DTOR_LIST__[i]();
}

// The command line past the program's name, as WinMain is given it. The
// name ends at a blank or a control character; a letter beyond ASCII (a
// negative char) is part of it.
bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

char* Arguments() {
  char* at = GetCommandLineA();
  if (*at == '"') {
    for (++at; *at && *at != '"'; ++at) {
    }
    if (*at) ++at;
  } else {
    while (*at && !Blank(*at)) ++at;
  }
  while (*at && Blank(*at)) ++at;
  return at;
}

}  // namespace

extern "C" int atexit(void (*function)()) {
  if (exitFunctionCount == kExitFunctions) return -1;
  exitFunctions[exitFunctionCount++] = function;
  return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show);

// The system calls the entry point with a stack aligned to 4 bytes only.
extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup() {
  RunConstructors();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  int code = WinMain(GetModuleHandleA(nullptr), nullptr, Arguments(), show);
  RunDestructors();
  ExitProcess(static_cast<UINT>(code));
}
