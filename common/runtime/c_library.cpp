// The C library functions the shipped programs and the compiler's own code
// call that need the system's kernel, in place of a C run-time DLL: memory
// from the process heap, the end of the program, the clock and bounded
// formatting. The string, memory and number functions are in c_string.cpp.
#include <windows.h>

#include <cstdarg>
#include <cstddef>

#include "common/runtime/format.h"

extern "C" {

void* malloc(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }

void* calloc(size_t count, size_t size) {
  if (size && count > static_cast<size_t>(-1) / size) return nullptr;
  size_t bytes = count * size;
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1);
}

void free(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

// Ends the program at once, as the C library's abort does (exit code 3).
void abort() { ExitProcess(3); }

// time(): seconds since 1 January 1970 (32 bits, as the headers of this
// platform's 32-bit C library have it), from the system's clock in
// 100-nanosecond units since 1601.
long _time32(long* out) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  long seconds = static_cast<long>((ticks - 116444736000000000ULL) / 10000000ULL);
  if (out) *out = seconds;
  return seconds;
}
// The headers call it through the pointer a DLL's import would give.
long (*_imp___time32)(long*) = _time32;

int __mingw_vsnprintf(char* out, size_t size, const char* format, va_list args) {
  return FormatText(out, size, format, args);
}

int __mingw_snprintf(char* out, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = FormatText(out, size, format, args);
  va_end(args);
  return n;
}

}  // extern "C"
