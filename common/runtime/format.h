// Bounded text formatting for the shipped programs, which carry no C
// run-time DLL. The platform's own formatter (wvsprintfA) writes at most
// 1,024 characters, cannot be told the size of the buffer and ignores a
// precision on strings, so the programs format with this instead.
//
// The conversions are those of C's printf that the programs use: %d %i %u
// %x %X %c %s %%, with the flags "-" and "0", a width and a precision
// (numbers or "*"), and the sizes l, ll and z. Anything else is copied as
// it stands, so that a format the programs start to use shows at once.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats into out, never writing more than size bytes, terminator
// included (nothing at all when size is 0). Returns the length the whole
// text has, as C99's vsnprintf does, so a result of size or more means the
// text was cut.
int FormatText(char* out, size_t size, const char* format, va_list args);
