// The profile engine on text in memory. The text is read the way the
// platform reads a profile file: lines end at CR, LF or CR LF; blank lines are
// skipped; a line whose first non-blank character is "[" and that holds a "]"
// is a section header naming what lies between the "[" and the last "]",
// without outer blanks; every
// other line is a key line, "name=value" or just "name" (a line without "="
// is a key without a value: it is found by name but gives the default). Lines
// before the first header form the section with the empty name.
#include "common/profile/profile.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Span {
  const char* begin;
  const char* end;
};

struct Line {
  const char* begin;  // first character
  const char* end;    // before the line break
  const char* next;   // after the line break (== end on a last line without one)
};

// The platform's blanks: tab, LF, VT, FF, CR, ^Z (DOS end of file) and space.
bool IsBlank(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 0x09 && u <= 0x0d) || u == 0x1a || u == 0x20;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

size_t Length(Span s) { return static_cast<size_t>(s.end - s.begin); }

Span Trim(Span s) {
  while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
  while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
  return s;
}

Span TrimmedName(const char* name) { return Trim(Span{name, name + strlen(name)}); }

// Names and values are strings to the platform: they stop at a NUL.
Span CutAtNul(Span s) {
  const void* nul = memchr(s.begin, '\0', Length(s));
  if (nul) s.end = static_cast<const char*>(nul);
  return s;
}

bool SameName(Span a, Span b) {
  if (Length(a) != Length(b)) return false;
  for (size_t i = 0; i < Length(a); ++i)
    if (Lower(a.begin[i]) != Lower(b.begin[i])) return false;
  return true;
}

Line NextLine(const char* p, const char* end) {
  Line line;
  line.begin = p;
  while (p < end && *p != '\r' && *p != '\n') ++p;
  line.end = p;
  if (p < end) p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
  line.next = p;
  return line;
}

// Where the lines start: after a UTF-8 byte order mark, which the platform
// reads as the file's encoding, not as text.
const char* TextStart(const std::string& text) {
  const char* p = text.data();
  if (text.size() >= 3 && memcmp(p, "\xEF\xBB\xBF", 3) == 0) return p + 3;
  return p;
}

// Whether the line is a section header, and the name it gives.
bool HeaderName(const Line& line, Span* name) {
  Span s = Trim(Span{line.begin, line.end});
  if (s.begin == s.end || *s.begin != '[') return false;
  const char* close = s.end;
  while (close > s.begin + 1 && close[-1] != ']') --close;
  if (close == s.begin + 1) return false;
  *name = CutAtNul(Trim(Span{s.begin + 1, close - 1}));
  return true;
}

// The parts of a key line; returns false for a blank line.
struct KeyLine {
  Span name;
  Span value;
  bool hasValue;
};

bool ParseKeyLine(const Line& line, KeyLine* key) {
  Span s = Trim(Span{line.begin, line.end});
  if (s.begin == s.end) return false;
  const char* eq = static_cast<const char*>(memchr(s.begin, '=', Length(s)));
  if (!eq) {
    key->name = CutAtNul(s);
    key->value = Span{s.end, s.end};
    key->hasValue = false;
    return true;
  }
  key->name = CutAtNul(Trim(Span{s.begin, eq}));
  key->value = CutAtNul(Trim(Span{eq + 1, s.end}));
  key->hasValue = true;
  return true;
}

// The first key line of the section named key.
bool FindKey(const ProfileSection* section, Span key, KeyLine* found) {
  for (const char* p = section->begin; p < section->end;) {
    Line line = NextLine(p, section->end);
    p = line.next;
    if (ParseKeyLine(line, found) && SameName(found->name, key)) return true;
  }
  return false;
}

// The platform drops trailing spaces from a default (all but its first
// character).
Span DefaultValue(const char* def) {
  if (!def) def = "";
  Span s{def, def + strlen(def)};
  while (Length(s) > 1 && s.end[-1] == ' ') --s.end;
  return s;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// One pair of matching outer quotes is not part of the value.
Span Unquote(Span s) {
  if (Length(s) >= 2 && IsQuote(*s.begin) && s.end[-1] == *s.begin) return Span{s.begin + 1, s.end - 1};
  return s;
}

// The platform's integer reader: blanks and control characters, an optional
// sign, then "0x" (hex), "0o" (octal), "0b" (binary) or decimal digits, up
// to the first character that is not a digit of the base. Wraps like the
// platform's 32-bit arithmetic.
int ParseInt(const char* s, const char* end) {
  while (s < end && static_cast<unsigned char>(*s) <= ' ') ++s;
  bool minus = false;
  if (s < end && (*s == '+' || *s == '-')) minus = *s++ == '-';
  uint32_t base = 10;
  if (end - s >= 2 && s[0] == '0') {
    if (s[1] == 'x') base = 16;
    else if (s[1] == 'o') base = 8;
    else if (s[1] == 'b') base = 2;
    if (base != 10) s += 2;
  }
  uint32_t total = 0;
  for (; s < end; ++s) {
    uint32_t digit;
    if (*s >= '0' && *s <= '9') digit = static_cast<uint32_t>(*s - '0');
    else if (*s >= 'a' && *s <= 'z') digit = static_cast<uint32_t>(*s - 'a' + 10);
    else if (*s >= 'A' && *s <= 'Z') digit = static_cast<uint32_t>(*s - 'A' + 10);
    else break;
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (minus) total = 0u - total;
  int32_t value;
  memcpy(&value, &total, sizeof value);
  return value;
}

// A name as it is written: without outer blanks, and on one line.
std::string CleanName(const char* name) {
  Span s = TrimmedName(name);
  std::string out(s.begin, s.end);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

// A value as it is written so that it reads back as itself: line breaks
// become blanks (a value cannot span lines), and a value that the reader
// would change (outer blanks, outer matching quotes) gets a pair of quotes,
// which the reader removes.
std::string EncodeValue(const char* value) {
  std::string out(value);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  Span s{out.data(), out.data() + out.size()};
  bool changedByReader = s.begin != s.end && (IsBlank(*s.begin) || IsBlank(s.end[-1]) ||
                                              Length(Unquote(s)) != Length(s));
  if (changedByReader) out = '"' + out + '"';
  return out;
}

// A key holding "=" or starting with "[" would read back as another key or
// as a section header, and one starting with a byte order mark (UTF-8, or
// UTF-16 either way round) as another key, or another file, when it is the
// first line of the text.
bool IsWritableKey(const std::string& key) {
  return key.find('=') == std::string::npos && key.compare(0, 1, "[") != 0 &&
         key.compare(0, 3, "\xEF\xBB\xBF") != 0 && key.compare(0, 2, "\xFF\xFE") != 0 &&
         key.compare(0, 2, "\xFE\xFF") != 0;
}

// Whether out ends with a line break, or holds nothing past from (where the
// lines start).
bool Ends(const std::string& out, size_t from) {
  return out.size() <= from || out.back() == '\n' || out.back() == '\r';
}

void AppendKey(std::string* out, const std::string& key, const std::string& value) {
  out->append(key).append(1, '=').append(value).append("\r\n");
}

}  // namespace

ProfileSection ProfileFindSection(const std::string& text, const char* section) {
  const char* end = text.data() + text.size();
  ProfileSection result = {end, end, 0};
  if (!section) return result;
  Span want = TrimmedName(section);
  const char* p = TextStart(text);
  if (want.begin == want.end) {
    // The empty name is the part before the first header.
    result = ProfileSection{p, end, !text.empty()};
  } else {
    while (p < end && !result.found) {
      Line line = NextLine(p, end);
      p = line.next;
      Span name;
      if (HeaderName(line, &name) && SameName(name, want)) result = ProfileSection{p, end, 1};
    }
    if (!result.found) return result;
  }
  while (p < end) {
    Line line = NextLine(p, end);
    Span name;
    if (HeaderName(line, &name)) {
      result.end = line.begin;
      break;
    }
    p = line.next;
  }
  return result;
}

size_t ProfileSectionGetString(const ProfileSection* section, const char* key, const char* def,
                               char* out, size_t size) {
  if (!out || size == 0) return 0;
  KeyLine found;
  Span value;
  if (section && section->found && key && FindKey(section, TrimmedName(key), &found) && found.hasValue)
    value = found.value;
  else
    value = DefaultValue(def);
  value = Unquote(value);
  size_t n = Length(value) < size - 1 ? Length(value) : size - 1;
  memcpy(out, value.begin, n);
  out[n] = '\0';
  return n;
}

int ProfileSectionGetInt(const ProfileSection* section, const char* key, int def) {
  // The platform reads the value into a buffer of 30 characters first.
  char buffer[30];
  size_t n = ProfileSectionGetString(section, key, "", buffer, sizeof buffer);
  if (n == 0) return def;
  return ParseInt(buffer, buffer + n);
}

size_t ProfileGetString(const std::string& text, const char* section, const char* key,
                        const char* def, char* out, size_t size) {
  ProfileSection found = ProfileFindSection(text, section);
  return ProfileSectionGetString(&found, key, def, out, size);
}

int ProfileGetInt(const std::string& text, const char* section, const char* key, int def) {
  ProfileSection found = ProfileFindSection(text, section);
  return ProfileSectionGetInt(&found, key, def);
}

int ProfileIsKeyLine(const char* begin, const char* end) {
  Line line = {begin, end, end};
  Span name;
  return Trim(Span{begin, end}).begin != end && !HeaderName(line, &name);
}

int ProfileWriteSection(std::string* text, const char* section, const ProfileEntry* entries,
                        size_t count) {
  if (!text || !section || !entries) return 0;
  std::string name = CleanName(section);
  ProfileSection found = ProfileFindSection(*text, name.c_str());

  // The key lines of the section, each with the value it will have.
  struct BodyLine {
    Line line;
    KeyLine key;
    bool isKey;
    int newValue;  // index into values, or -1 when the line stays
  };
  struct NewKey {
    std::string key;
    int value;
  };
  std::vector<BodyLine> body;
  std::vector<NewKey> added;
  std::vector<std::string> values;
  for (const char* p = found.begin; found.found && p < found.end;) {
    BodyLine b;
    b.line = NextLine(p, found.end);
    b.isKey = ParseKeyLine(b.line, &b.key);
    b.newValue = -1;
    body.push_back(b);
    p = b.line.next;
  }

  // The entries one after the other: the first line of a key takes the value,
  // as does a key added by an earlier entry; any other key is added.
  for (size_t i = 0; i < count; ++i) {
    if (!entries[i].key || !entries[i].value) continue;
    std::string key = CleanName(entries[i].key);
    if (!IsWritableKey(key)) continue;
    Span want{key.data(), key.data() + key.size()};
    values.push_back(EncodeValue(entries[i].value));
    int v = static_cast<int>(values.size() - 1);
    bool placed = false;
    for (NewKey& k : added)
      if (!placed && SameName(Span{k.key.data(), k.key.data() + k.key.size()}, want)) {
        k.value = v;
        placed = true;
      }
    for (BodyLine& b : body)
      if (!placed && b.isKey && SameName(b.key.name, want)) {
        b.newValue = v;
        placed = true;
      }
    if (!placed) added.push_back(NewKey{key, v});
  }

  // A line keeps its text when its value is already the one to write.
  bool changed = !added.empty();
  size_t lastKey = body.size();
  for (size_t i = 0; i < body.size(); ++i) {
    BodyLine& b = body[i];
    if (b.isKey) lastKey = i;
    if (b.newValue < 0) continue;
    const std::string& v = values[static_cast<size_t>(b.newValue)];
    if (b.key.hasValue && Length(b.key.value) == v.size() && memcmp(b.key.value.begin, v.data(), v.size()) == 0)
      b.newValue = -1;
    else
      changed = true;
  }
  if (!changed) return 0;

  const char* begin = text->data();
  const char* end = begin + text->size();
  size_t start = static_cast<size_t>(TextStart(*text) - begin);
  std::string out;
  out.reserve(text->size() + name.size() + 64 * (added.size() + 1));
  if (!found.found) {
    out.assign(begin, end);
    if (!Ends(out, start)) out.append("\r\n");
    if (!name.empty()) out.append(1, '[').append(name).append("]\r\n");
    for (const NewKey& k : added) AppendKey(&out, k.key, values[static_cast<size_t>(k.value)]);
  } else {
    out.assign(begin, found.begin);
    for (size_t i = 0; i <= body.size(); ++i) {
      // New keys go after the last key line (or right after the header).
      if (i == (lastKey == body.size() ? 0 : lastKey + 1)) {
        if (!added.empty() && !Ends(out, start)) out.append("\r\n");
        for (const NewKey& k : added) AppendKey(&out, k.key, values[static_cast<size_t>(k.value)]);
      }
      if (i == body.size()) break;
      const BodyLine& b = body[i];
      if (b.newValue < 0)
        out.append(b.line.begin, b.line.next);
      else
        AppendKey(&out, std::string(b.key.name.begin, b.key.name.end), values[static_cast<size_t>(b.newValue)]);
    }
    out.append(found.end, end);
  }
  text->swap(out);
  return 1;
}
