// The string, memory and number functions of the C library that the
// shipped programs and the compiler's own code call, in place of a C
// run-time DLL. They need nothing from the system, so the native tests hold
// them against the host's C library. Compiled without built-ins, so that the
// compiler does not turn these loops back into calls of themselves.
#include <climits>
#include <cstddef>

extern "C" {

void* memcpy(void* to, const void* from, size_t size) {
  unsigned char* t = static_cast<unsigned char*>(to);
  const unsigned char* f = static_cast<const unsigned char*>(from);
  while (size--) *t++ = *f++;
  return to;
}

void* memmove(void* to, const void* from, size_t size) {
  unsigned char* t = static_cast<unsigned char*>(to);
  const unsigned char* f = static_cast<const unsigned char*>(from);
  if (t < f) {
    while (size--) *t++ = *f++;
  } else {
    while (size--) t[size] = f[size];
  }
  return to;
}

void* memset(void* block, int value, size_t size) {
  unsigned char* b = static_cast<unsigned char*>(block);
  while (size--) *b++ = static_cast<unsigned char>(value);
  return block;
}

int memcmp(const void* a, const void* b, size_t size) {
  const unsigned char* x = static_cast<const unsigned char*>(a);
  const unsigned char* y = static_cast<const unsigned char*>(b);
  for (; size; --size, ++x, ++y)
    if (*x != *y) return *x < *y ? -1 : 1;
  return 0;
}

void* memchr(const void* block, int value, size_t size) {
  const unsigned char* b = static_cast<const unsigned char*>(block);
  for (; size; --size, ++b)
    if (*b == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(b);
  return nullptr;
}

size_t strlen(const char* text) {
  const char* end = text;
  while (*end) ++end;
  return static_cast<size_t>(end - text);
}

int strncmp(const char* a, const char* b, size_t count) {
  for (; count; --count, ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    if (x != y) return x < y ? -1 : 1;
    if (!x) break;
  }
  return 0;
}

int strcmp(const char* a, const char* b) { return strncmp(a, b, static_cast<size_t>(-1)); }

// The first c in text; the terminator counts, as C has it. The compiler
// also calls it for a strpbrk of a single character.
char* strchr(const char* text, int c) {
  for (;; ++text) {
    if (*text == static_cast<char>(c)) return const_cast<char*>(text);
    if (!*text) return nullptr;
  }
}

// Whether c is one of the characters of set (never the terminator).
static bool InSet(char c, const char* set) {
  for (; *set; ++set)
    if (*set == c) return true;
  return false;
}

size_t strspn(const char* text, const char* set) {
  size_t n = 0;
  while (text[n] && InSet(text[n], set)) ++n;
  return n;
}

size_t strcspn(const char* text, const char* set) {
  size_t n = 0;
  while (text[n] && !InSet(text[n], set)) ++n;
  return n;
}

char* strpbrk(const char* text, const char* set) {
  text += strcspn(text, set);
  return *text ? const_cast<char*>(text) : nullptr;
}

char* strstr(const char* text, const char* part) {
  size_t length = strlen(part);
  for (; *text; ++text)
    if (strncmp(text, part, length) == 0) return const_cast<char*>(text);
  return length ? nullptr : const_cast<char*>(text);
}

// The value of a digit of any base up to 36; 99 for anything else.
static int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// Reads an integer as C's strtol does: blanks, a sign, a "0x" for base 16
// (or base 0), the digits; a value past the range of long is clamped. A "0x"
// without a hexadecimal digit after it is the number 0, ending before the x.
long strtol(const char* text, char** end, int base) {
  const char* at = text;
  while (*at == ' ' || (*at >= '\t' && *at <= '\r')) ++at;
  bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  if ((base == 0 || base == 16) && at[0] == '0' && (at[1] == 'x' || at[1] == 'X') && DigitValue(at[2]) < 16) {
    at += 2;
    base = 16;
  } else if (base == 0) {
    base = *at == '0' ? 8 : 10;
  }
  unsigned long limit = negative ? 0UL - static_cast<unsigned long>(LONG_MIN) : static_cast<unsigned long>(LONG_MAX);
  unsigned long value = 0;
  bool any = false, over = false;
  for (;; ++at) {
    int digit = DigitValue(*at);
    if (digit >= base) break;
    any = true;
    if (value > (limit - static_cast<unsigned long>(digit)) / static_cast<unsigned long>(base))
      over = true;
    else
      value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
  }
  if (end) *end = const_cast<char*>(any ? at : text);
  if (over) return negative ? LONG_MIN : LONG_MAX;
  return negative ? static_cast<long>(0UL - value) : static_cast<long>(value);
}

int atoi(const char* text) { return static_cast<int>(strtol(text, nullptr, 10)); }

}  // extern "C"
