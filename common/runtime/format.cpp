// Bounded text formatting (see format.h).
#include "common/runtime/format.h"

#include <climits>

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

// The flags, width and precision of one conversion.
struct Conversion {
  bool left, zero;
  int width;
  int precision;  // -1 when none was given
};

// Writes a converted item: a sign, zeros for the precision, and the digits
// or text, padded to the width.
void PutItem(Sink* sink, const Conversion& c, bool negative, int zeros, const char* body, int bodyLength) {
  int length = (negative ? 1 : 0) + zeros + bodyLength;
  int pad = c.width > length ? c.width - length : 0;
  if (!c.left && !c.zero) PutRepeated(sink, ' ', pad);
  if (negative) Put(sink, '-');
  if (!c.left && c.zero) PutRepeated(sink, '0', pad);
  PutRepeated(sink, '0', zeros);
  for (int i = 0; i < bodyLength; ++i) Put(sink, body[i]);
  if (c.left) PutRepeated(sink, ' ', pad);
}

void PutNumber(Sink* sink, Conversion c, unsigned long long value, bool negative, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char reversed[24], body[24];
  int n = 0, bodyLength = 0;
  for (unsigned long long v = value; v; v /= base) reversed[n++] = digits[v % base];
  // A precision of 0 prints nothing for the value 0.
  if (n == 0 && c.precision != 0) reversed[n++] = '0';
  while (n) body[bodyLength++] = reversed[--n];
  int zeros = c.precision > bodyLength ? c.precision - bodyLength : 0;
  if (c.precision >= 0) c.zero = false;  // a precision replaces zero padding
  PutItem(sink, c, negative, zeros, body, bodyLength);
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
    Conversion c = {false, false, 0, -1};
    for (;; ++at) {
      if (*at == '-')
        c.left = true;
      else if (*at == '0')
        c.zero = true;
      else
        break;
    }
    if (*at == '*') {
      c.width = va_arg(ap, int);
      if (c.width < 0) {
        c.left = true;
        c.width = c.width == INT_MIN ? 0 : -c.width;
      }
      ++at;
    } else {
      c.width = ReadNumber(&at);
    }
    if (*at == '.') {
      ++at;
      if (*at == '*') {
        c.precision = va_arg(ap, int);
        if (c.precision < 0) c.precision = -1;
        ++at;
      } else {
        c.precision = ReadNumber(&at);
      }
    }
    // Sizes: 0 int, 1 long, 2 long long, 3 size_t.
    int sizeKind = 0;
    if (*at == 'l') {
      sizeKind = *++at == 'l' ? 2 : 1;
      if (sizeKind == 2) ++at;
    } else if (*at == 'z') {
      sizeKind = 3;
      ++at;
    }
    char conversion = *at;
    switch (conversion) {
      case 'd':
      case 'i': {
        long long v;
        switch (sizeKind) {
          case 1: v = va_arg(ap, long); break;
          case 2: v = va_arg(ap, long long); break;
          case 3: v = static_cast<long long>(va_arg(ap, size_t)); break;
          default: v = va_arg(ap, int); break;
        }
        unsigned long long magnitude =
            v < 0 ? 0 - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        PutNumber(&sink, c, magnitude, v < 0, 10, false);
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        unsigned long long v;
        switch (sizeKind) {
          case 1: v = va_arg(ap, unsigned long); break;
          case 2: v = va_arg(ap, unsigned long long); break;
          case 3: v = va_arg(ap, size_t); break;
          default: v = va_arg(ap, unsigned); break;
        }
        PutNumber(&sink, c, v, false, conversion == 'u' ? 10 : 16, conversion == 'X');
        break;
      }
      case 'c': {
        char ch = static_cast<char>(va_arg(ap, int));
        PutItem(&sink, c, false, 0, &ch, 1);
        break;
      }
      case 's': {
        const char* text = va_arg(ap, const char*);
        if (!text) text = "(null)";
        int length = 0;
        while ((c.precision < 0 || length < c.precision) && text[length]) ++length;
        PutItem(&sink, c, false, 0, text, length);
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
  return sink.length > INT_MAX ? -1 : static_cast<int>(sink.length);
}
