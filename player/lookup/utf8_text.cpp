#include "player/lookup/utf8_text.h"

#include <cstring>

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, uint32_t* code) {
  unsigned char c = *p;
  size_t length = c < 0x80                 ? 1
                  : c >= 0xC2 && c <= 0xDF ? 2
                  : c >= 0xE0 && c <= 0xEF ? 3
                  : c >= 0xF0 && c <= 0xF4 ? 4
                                           : 0;
  if (length == 0 || length > static_cast<size_t>(end - p)) return 0;
  uint32_t value = length == 1 ? c : length == 2 ? c & 0x1Fu : length == 3 ? c & 0x0Fu : c & 0x07u;
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuation(p[k])) return 0;
    value = value << 6 | (p[k] & 0x3Fu);
  }
  if (length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) return 0;
  if (length == 4 && (value < 0x10000 || value > 0x10FFFF)) return 0;
  *code = value;
  return length;
}

bool IsUtf8(const char* text, size_t n) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* end = p + n;
  uint32_t code;
  for (size_t length; p < end; p += length)
    if ((length = DecodeUtf8(p, end, &code)) == 0) return false;
  return true;
}

size_t WholeUtf8(const char* text, size_t n) {
  size_t start = n;
  while (start > 0 && n - start < 4 && IsContinuation(static_cast<unsigned char>(text[start - 1]))) --start;
  if (start == 0) return n;
  unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return need > n - start + 1 ? start - 1 : n;
}

void CopyUtf8(const char* text, size_t n, char* out, size_t size) {
  n = WholeUtf8(text, n < size - 1 ? n : size - 1);
  memmove(out, text, n);
  out[n] = '\0';
}

void AppendUtf8(char* out, size_t size, const char* text) {
  size_t used = strlen(out);
  CopyUtf8(text, strlen(text), out + used, size - used);
}

size_t EncodeUtf8(uint32_t code, char* out) {
  if (code < 0x80) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<char>(0xC0 | code >> 6);
    out[1] = static_cast<char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = static_cast<char>(0xE0 | code >> 12);
    out[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | code >> 18);
  out[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
  out[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
  out[3] = static_cast<char>(0x80 | (code & 0x3F));
  return 4;
}

uint32_t Windows1252Char(unsigned char byte) {
  static const uint16_t kHigh[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

size_t Utf8ToUtf16(const char* text, uint16_t* out, size_t count) {
  if (count == 0) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* end = p + strlen(text);
  size_t n = 0;
  while (p < end) {
    uint32_t code;
    size_t length = DecodeUtf8(p, end, &code);
    if (length == 0) {
      code = 0xFFFD;
      length = 1;
    }
    size_t units = code >= 0x10000 ? 2 : 1;
    if (n + units > count - 1) break;
    if (units == 2) {
      code -= 0x10000;
      out[n++] = static_cast<uint16_t>(0xD800 | code >> 10);
      out[n++] = static_cast<uint16_t>(0xDC00 | (code & 0x3FF));
    } else {
      out[n++] = static_cast<uint16_t>(code);
    }
    p += length;
  }
  out[n] = 0;
  return n;
}

void TrimText(char* text) {
  size_t n = strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  size_t start = 0;
  while (start < n && text[start] == ' ') ++start;
  memmove(text, text + start, n - start);
  text[n - start] = '\0';
}
