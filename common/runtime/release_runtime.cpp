// The C++ side of the shipped programs' small run-time, which are built
// without exceptions and must start on Windows 95 and NT 4.0.
//
// The standard library's few error paths (memory exhausted, a string grown
// past its maximum) end the program at once here, as an exception that
// nothing catches would. Defining them, and the string class compiled
// without exceptions, keeps the library's exception machinery (the unwinder,
// the exception classes, the demangling terminate handler) out of the
// programs: it weighs more than the programs themselves and imports
// functions that Windows 95 lacks.
#include <cstddef>
#include <cstdlib>
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
