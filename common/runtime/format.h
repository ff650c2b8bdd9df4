// Bounded text formatting for the shipped programs, which carry no C
// run-time DLL. The platform's own formatter (wvsprintfA) writes at most
// 1,024 characters, cannot be told the size of the buffer and ignores a
// precision on strings, so the programs format with this instead.
//
// The conversions are those of C's printf for integers, characters and
// strings: %d %i %u %x %X %o %c %s %p %%, with the flags "-", "0", "+", " "
// and "#", a width and a precision (numbers or "*"), and the sizes hh, h,
// l, ll, j, z and t. Anything else (floating point among it) is copied as
// it stands.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats into out, never writing more than size bytes, terminator
// included (nothing at all when size is 0). Returns the length the whole
// text has, as C99's vsnprintf does, so a result of size or more means the
// text was cut.
int FormatText(char* out, size_t size, const char* format, va_list args);
