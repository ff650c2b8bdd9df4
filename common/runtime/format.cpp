// Bounded text formatting (see format.h).
#include "common/runtime/format.h"

#include <climits>
#include <cstdint>

namespace {

// The output: what fits is written; length counts everything.
struct Sink {
  char* out;
  size_t size;
  size_t length;
};

void Put(Sink* sink, char c) {
  if (sink->size && sink->length < sink->size - 1) sink->out[sink->length] = c;
  ++sink->length;
}

void PutRepeated(Sink* sink, char c, int count) {
  for (; count > 0; --count) Put(sink, c);
}

struct Spec {
  bool left, zero, plus, space, alternate;
  int width;
  int precision;  // -1 when none was given
};

// Writes a converted item: a prefix (sign, "0x"), zeros for the precision,
// and the digits or text, padded to the width.
void PutItem(Sink* sink, const Spec& spec, const char* prefix, int prefixLength, int zeros, const char* body,
             int bodyLength) {
  int length = prefixLength + zeros + bodyLength;
  int pad = spec.width > length ? spec.width - length : 0;
  if (!spec.left && !spec.zero) PutRepeated(sink, ' ', pad);
  for (int i = 0; i < prefixLength; ++i) Put(sink, prefix[i]);
  if (!spec.left && spec.zero) PutRepeated(sink, '0', pad);
  PutRepeated(sink, '0', zeros);
  for (int i = 0; i < bodyLength; ++i) Put(sink, body[i]);
  if (spec.left) PutRepeated(sink, ' ', pad);
}

void PutNumber(Sink* sink, Spec spec, uintmax_t value, bool negative, unsigned base, bool upper, bool isSigned,
               bool pointer) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char body[32];
  int bodyLength = 0;
  char reversed[32];
  int n = 0;
  for (uintmax_t v = value; v; v /= base) reversed[n++] = digits[v % base];
  // A precision of 0 prints nothing for the value 0.
  if (n == 0 && spec.precision != 0) reversed[n++] = '0';
  while (n) body[bodyLength++] = reversed[--n];

  char prefix[2];
  int prefixLength = 0;
  if (isSigned) {
    if (negative)
      prefix[prefixLength++] = '-';
    else if (spec.plus)
      prefix[prefixLength++] = '+';
    else if (spec.space)
      prefix[prefixLength++] = ' ';
  }
  int zeros = spec.precision > bodyLength ? spec.precision - bodyLength : 0;
  if ((spec.alternate || pointer) && base == 16 && value != 0) {
    prefix[prefixLength++] = '0';
    prefix[prefixLength++] = upper ? 'X' : 'x';
  }
  if (spec.alternate && base == 8 && zeros == 0 && (bodyLength == 0 || body[0] != '0')) zeros = 1;
  if (spec.precision >= 0) spec.zero = false;  // a precision replaces zero padding
  PutItem(sink, spec, prefix, prefixLength, zeros, body, bodyLength);
}

int ReadNumber(const char** at) {
  int n = 0;
  while (**at >= '0' && **at <= '9') {
    if (n < 100000) n = n * 10 + (**at - '0');
    ++*at;
  }
  return n;
}

}  // namespace

int FormatText(char* out, size_t size, const char* format, va_list args) {
  Sink sink = {out, size, 0};
  va_list ap;
  va_copy(ap, args);
  for (const char* at = format; *at; ++at) {
    if (*at != '%') {
      Put(&sink, *at);
      continue;
    }
    const char* start = at++;
    Spec spec = {false, false, false, false, false, 0, -1};
    for (;; ++at) {
      if (*at == '-')
        spec.left = true;
      else if (*at == '0')
        spec.zero = true;
      else if (*at == '+')
        spec.plus = true;
      else if (*at == ' ')
        spec.space = true;
      else if (*at == '#')
        spec.alternate = true;
      else
        break;
    }
    if (*at == '*') {
      spec.width = va_arg(ap, int);
      if (spec.width < 0) {
        spec.left = true;
        spec.width = spec.width == INT_MIN ? 0 : -spec.width;
      }
      ++at;
    } else {
      spec.width = ReadNumber(&at);
    }
    if (*at == '.') {
      ++at;
      if (*at == '*') {
        spec.precision = va_arg(ap, int);
        if (spec.precision < 0) spec.precision = -1;
        ++at;
      } else {
        spec.precision = ReadNumber(&at);
      }
    }
    // Sizes: 0 int, 1 long, 2 long long, 3 size_t, 4 intmax_t, 5 ptrdiff_t;
    // char and short are promoted to int and cut afterwards.
    int sizeKind = 0, narrow = 0;
    if (*at == 'h') {
      narrow = 1;
      if (*++at == 'h') {
        narrow = 2;
        ++at;
      }
    } else if (*at == 'l') {
      sizeKind = 1;
      if (*++at == 'l') {
        sizeKind = 2;
        ++at;
      }
    } else if (*at == 'z') {
      sizeKind = 3;
      ++at;
    } else if (*at == 'j') {
      sizeKind = 4;
      ++at;
    } else if (*at == 't') {
      sizeKind = 5;
      ++at;
    }
    char conversion = *at;
    switch (conversion) {
      case 'd':
      case 'i': {
        intmax_t v;
        switch (sizeKind) {
          case 1: v = va_arg(ap, long); break;
          case 2: v = va_arg(ap, long long); break;
          case 3: v = static_cast<intmax_t>(va_arg(ap, size_t)); break;
          case 4: v = va_arg(ap, intmax_t); break;
          case 5: v = va_arg(ap, ptrdiff_t); break;
          default: v = va_arg(ap, int); break;
        }
        if (narrow == 1) v = static_cast<short>(v);
        if (narrow == 2) v = static_cast<signed char>(v);
        uintmax_t magnitude = v < 0 ? 0 - static_cast<uintmax_t>(v) : static_cast<uintmax_t>(v);
        PutNumber(&sink, spec, magnitude, v < 0, 10, false, true, false);
        break;
      }
      case 'u':
      case 'x':
      case 'X':
      case 'o': {
        uintmax_t v;
        switch (sizeKind) {
          case 1: v = va_arg(ap, unsigned long); break;
          case 2: v = va_arg(ap, unsigned long long); break;
          case 3: v = va_arg(ap, size_t); break;
          case 4: v = va_arg(ap, uintmax_t); break;
          case 5: v = static_cast<uintmax_t>(va_arg(ap, ptrdiff_t)); break;
          default: v = va_arg(ap, unsigned); break;
        }
        if (narrow == 1) v = static_cast<unsigned short>(v);
        if (narrow == 2) v = static_cast<unsigned char>(v);
        unsigned base = conversion == 'u' ? 10 : conversion == 'o' ? 8 : 16;
        PutNumber(&sink, spec, v, false, base, conversion == 'X', false, false);
        break;
      }
      case 'p': {
        Spec pointer = spec;
        pointer.alternate = false;
        PutNumber(&sink, pointer, reinterpret_cast<uintptr_t>(va_arg(ap, void*)), false, 16, false, false, true);
        break;
      }
      case 'c': {
        char c = static_cast<char>(va_arg(ap, int));
        PutItem(&sink, spec, "", 0, 0, &c, 1);
        break;
      }
      case 's': {
        const char* text = va_arg(ap, const char*);
        if (!text) text = "(null)";
        int length = 0;
        while ((spec.precision < 0 || length < spec.precision) && text[length]) ++length;
        PutItem(&sink, spec, "", 0, 0, text, length);
        break;
      }
      case '%': Put(&sink, '%'); break;
      default:
        // Not a conversion of ours: copied as it stands, so a fault shows.
        for (const char* p = start; p <= at && *p; ++p) Put(&sink, *p);
        if (!*at) --at;
        break;
    }
  }
  va_end(ap);
  if (size) out[sink.length < size ? sink.length : size - 1] = '\0';
  return sink.length > 0x7FFFFFFF ? -1 : static_cast<int>(sink.length);
}
