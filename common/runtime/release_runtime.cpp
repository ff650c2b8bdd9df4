// The small run-time of the shipped programs, which are built without
// exceptions and must start on Windows 95 and NT 4.0.
//
// The standard library's few error paths (memory exhausted, a string grown
// past its maximum) end the program at once here, as an exception that
// nothing catches would. Defining them, and the string class compiled
// without exceptions, keeps the library's exception machinery (the unwinder,
// the exception classes, the demangling terminate handler) out of the
// programs: it weighs more than the programs themselves and imports
// functions that Windows 95 lacks.
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

void* operator new(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) std::abort();
  return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace std {
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
}  // namespace std

// The library's own copy of the string class is compiled with exceptions;
// the programs' copy, made here, is not.
template class std::basic_string<char>;

// snprintf and vsnprintf. The compiler's C library formats with a printf of
// its own that brings locale and wide-character code (and imports that
// Windows 95 may lack) for the few integers and strings the programs
// format. The system's C run-time formats them as well; only its answer for
// a text that does not fit differs (-1, and no terminator), so the length
// C99 promises is found by formatting into a larger block.
extern "C" int __cdecl __mingw_vsnprintf(char* out, size_t size, const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  int n = _vsnprintf(out, size, format, args);
  if (n >= 0 && static_cast<size_t>(n) < size) {
    va_end(again);
    return n;
  }
  if (size > 0) out[size - 1] = '\0';
  int length = -1;
  for (size_t room = size < 256 ? 512 : size * 2; length < 0 && room <= 0x1000000; room *= 2) {
    char* block = static_cast<char*>(std::malloc(room));
    if (!block) break;
    va_list each;
    va_copy(each, again);
    int m = _vsnprintf(block, room, format, each);
    va_end(each);
    std::free(block);
    if (m >= 0 && static_cast<size_t>(m) < room) length = m;
  }
  va_end(again);
  return length;
}

extern "C" int __cdecl __mingw_snprintf(char* out, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = __mingw_vsnprintf(out, size, format, args);
  va_end(args);
  return n;
}
