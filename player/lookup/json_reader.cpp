#include "player/lookup/json_reader.h"

#include <cstdint>
#include <cstring>

#include "player/lookup/utf8_text.h"

namespace {

void Fail(JsonReader* r) {
  if (!r->failed) r->cut = r->at >= r->end;
  r->failed = true;
  r->at = r->end;
}

void SkipBlanks(JsonReader* r) {
  while (r->at < r->end && (*r->at == ' ' || *r->at == '\t' || *r->at == '\n' || *r->at == '\r')) ++r->at;
}

bool Take(JsonReader* r, char c) {
  SkipBlanks(r);
  if (r->at < r->end && *r->at == c) {
    ++r->at;
    return true;
  }
  return false;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The four hex digits of a "\u" escape at p (within end), or -1.
long HexUnit(const char* p, const char* end) {
  if (end - p < 4) return -1;
  long unit = 0;
  for (int i = 0; i < 4; ++i) {
    int digit = HexValue(p[i]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

// Whether the bytes from p to the text's end begin a UTF-8 sequence that the
// end cuts: a text cut there counts as cut, not as wrong.
bool CutSequence(const unsigned char* p, const unsigned char* end) {
  int length = *p >= 0xC2 && *p <= 0xDF ? 2 : *p >= 0xE0 && *p <= 0xEF ? 3 : *p >= 0xF0 && *p <= 0xF4 ? 4 : 0;
  if (end - p >= length) return false;
  for (const unsigned char* q = p + 1; q < end; ++q)
    if ((*q & 0xC0) != 0x80) return false;
  return true;
}

// A text growing in a fixed buffer by whole characters.
struct Text {
  char* out;
  size_t size;
  size_t used;
  bool full;
};

void PutCharacter(Text* t, uint32_t code) {
  if (!t->out || t->full) return;
  // Control characters read as blanks.
  if (code < 0x20 || code == 0x7F) code = ' ';
  char bytes[4];
  size_t n;
  if (code < 0x80) {
    bytes[0] = static_cast<char>(code);
    n = 1;
  } else if (code < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | code >> 6);
    bytes[1] = static_cast<char>(0x80 | (code & 0x3F));
    n = 2;
  } else if (code < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | code >> 12);
    bytes[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (code & 0x3F));
    n = 3;
  } else {
    bytes[0] = static_cast<char>(0xF0 | code >> 18);
    bytes[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    bytes[3] = static_cast<char>(0x80 | (code & 0x3F));
    n = 4;
  }
  if (t->used + n > t->size - 1) {
    t->full = true;
    return;
  }
  memcpy(t->out + t->used, bytes, n);
  t->used += n;
  t->out[t->used] = '\0';
}

// Reads the string at the reader (its opening quote next) into out when
// out is given. False, and the reader failed, when it is not a string.
bool ScanString(JsonReader* r, char* out, size_t size) {
  Text text = {out, size, 0, out == nullptr || size == 0};
  if (out && size) out[0] = '\0';
  if (!Take(r, '"')) {
    Fail(r);
    return false;
  }
  const unsigned char* end = reinterpret_cast<const unsigned char*>(r->end);
  for (;;) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(r->at);
    if (p >= end || *p < 0x20) break;
    if (*p == '"') {
      ++r->at;
      return true;
    }
    uint32_t code;
    if (*p != '\\') {
      size_t length = DecodeUtf8(p, end, &code);
      if (length == 0) {
        if (CutSequence(p, end)) r->at = r->end;
        break;
      }
      r->at += length;
    } else {
      if (end - p < 2) {
        r->at = r->end;
        break;
      }
      char escape = static_cast<char>(p[1]);
      r->at += 2;
      if (escape == 'u') {
        long unit = HexUnit(r->at, r->end);
        if (unit < 0) {
          if (r->end - r->at < 4) r->at = r->end;
          break;
        }
        r->at += 4;
        code = static_cast<uint32_t>(unit);
        if (code >= 0xD800 && code <= 0xDBFF && r->end - r->at >= 6 && r->at[0] == '\\' && r->at[1] == 'u') {
          long low = HexUnit(r->at + 2, r->end);
          if (low >= 0xDC00 && low <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + static_cast<uint32_t>(low - 0xDC00);
            r->at += 6;
          }
        }
        if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
      } else {
        // The first three stand for themselves, the others for control
        // characters, which read as blanks.
        static const char kEscapes[] = "\"\\/bfnrt";
        const char* plain = static_cast<const char*>(memchr(kEscapes, escape, sizeof kEscapes - 1));
        if (!plain) break;
        code = static_cast<unsigned char>(plain - kEscapes < 3 ? escape : ' ');
      }
    }
    PutCharacter(&text, code);
  }
  Fail(r);
  return false;
}

// Passes over a number, checking its form; true when it is a whole number.
bool ScanNumber(JsonReader* r, long* value) {
  const char* p = r->at;
  bool negative = p < r->end && *p == '-';
  if (negative) ++p;
  bool whole = true, inRange = true, formed = p < r->end && IsDigit(*p);
  long magnitude = 0;
  if (formed && *p == '0') {
    ++p;
  } else {
    for (; p < r->end && IsDigit(*p); ++p) {
      if (magnitude > (2147483647L - (*p - '0')) / 10) inRange = false;
      if (inRange) magnitude = magnitude * 10 + (*p - '0');
    }
  }
  if (formed && p < r->end && *p == '.') {
    whole = false;
    ++p;
    formed = p < r->end && IsDigit(*p);
    while (p < r->end && IsDigit(*p)) ++p;
  }
  if (formed && p < r->end && (*p == 'e' || *p == 'E')) {
    whole = false;
    ++p;
    if (p < r->end && (*p == '+' || *p == '-')) ++p;
    formed = p < r->end && IsDigit(*p);
    while (p < r->end && IsDigit(*p)) ++p;
  }
  // Where the form broke: at the text's end, the number was cut.
  r->at = p;
  if (!formed) {
    Fail(r);
    return false;
  }
  *value = negative ? -magnitude : magnitude;
  return whole && inRange;
}

void ScanLiteral(JsonReader* r) {
  static const char* const kLiterals[] = {"true", "false", "null"};
  for (const char* literal : kLiterals) {
    size_t n = strlen(literal);
    if (static_cast<size_t>(r->end - r->at) >= n && memcmp(r->at, literal, n) == 0) {
      r->at += n;
      return;
    }
  }
  Fail(r);
}

// Enters the object or array at the reader. Which of the two it is, the
// caller tells by the bracket it expects to close it.
bool Enter(JsonReader* r) {
  if (r->depth >= kJsonMaxDepth) {
    Fail(r);
    return false;
  }
  ++r->at;
  r->first[r->depth++] = true;
  return true;
}

// Moves past the separator before the next item of the container the
// reader is in; false (the container left) at its end.
bool NextInContainer(JsonReader* r, char close) {
  if (r->failed || r->depth == 0) {
    Fail(r);
    return false;
  }
  bool& first = r->first[r->depth - 1];
  if (Take(r, close)) {
    --r->depth;
    return false;
  }
  if (!first && !Take(r, ',')) {
    Fail(r);
    return false;
  }
  first = false;
  return true;
}

}  // namespace

JsonReader JsonStart(const char* text, size_t size) {
  JsonReader r = {};
  r.at = text;
  r.end = text + size;
  return r;
}

int JsonPeek(JsonReader* r) {
  SkipBlanks(r);
  if (r->failed || r->at >= r->end) {
    Fail(r);
    return kJsonNone;
  }
  char c = *r->at;
  if (c == '{') return kJsonObject;
  if (c == '[') return kJsonArray;
  if (c == '"') return kJsonString;
  if (c == '-' || IsDigit(c)) return kJsonNumber;
  if (c == 't' || c == 'f' || c == 'n') return kJsonLiteral;
  Fail(r);
  return kJsonNone;
}

bool JsonEnterObject(JsonReader* r) {
  if (JsonPeek(r) != kJsonObject) {
    JsonSkip(r);
    return false;
  }
  return Enter(r);
}

bool JsonEnterArray(JsonReader* r) {
  if (JsonPeek(r) != kJsonArray) {
    JsonSkip(r);
    return false;
  }
  return Enter(r);
}

bool JsonNextKey(JsonReader* r, char* key, size_t size) {
  if (key && size) key[0] = '\0';
  if (!NextInContainer(r, '}')) return false;
  SkipBlanks(r);
  if (!ScanString(r, key, size) || !Take(r, ':')) {
    Fail(r);
    return false;
  }
  return true;
}

bool JsonNextItem(JsonReader* r) { return NextInContainer(r, ']'); }

bool JsonReadString(JsonReader* r, char* out, size_t size) {
  if (out && size) out[0] = '\0';
  if (JsonPeek(r) != kJsonString) {
    JsonSkip(r);
    return false;
  }
  return ScanString(r, out, size);
}

bool JsonReadInt(JsonReader* r, long* value) {
  *value = 0;
  if (JsonPeek(r) != kJsonNumber) {
    JsonSkip(r);
    return false;
  }
  long read;
  if (!ScanNumber(r, &read)) return false;
  *value = read;
  return true;
}

void JsonSkip(JsonReader* r) {
  // Containers are entered and walked like any other, without recursion:
  // the reader's own count of depth says when the value is over.
  int base = r->depth;
  bool inObject[kJsonMaxDepth];
  do {
    long number;
    switch (JsonPeek(r)) {
      case kJsonObject:
        if (!Enter(r)) return;
        inObject[r->depth - 1] = true;
        break;
      case kJsonArray:
        if (!Enter(r)) return;
        inObject[r->depth - 1] = false;
        break;
      case kJsonString: ScanString(r, nullptr, 0); break;
      case kJsonNumber: ScanNumber(r, &number); break;
      case kJsonLiteral: ScanLiteral(r); break;
      default: return;
    }
    // On to the next value within what this call entered, leaving every
    // container that ends here.
    while (!r->failed && r->depth > base &&
           !(inObject[r->depth - 1] ? JsonNextKey(r, nullptr, 0) : JsonNextItem(r))) {
    }
  } while (!r->failed && r->depth > base);
}

bool JsonFinished(JsonReader* r) {
  SkipBlanks(r);
  return !r->failed && r->depth == 0 && r->at == r->end;
}
