// libFuzzer target for the file encodings: arbitrary bytes are read as a
// profile file (UTF-16 with either mark, or bytes), two keys of a section
// are written into the text, and the bytes written back must read as
// exactly that text again, whatever the lines the engine kept from the
// original. In a UTF-16 file every line the write did not change must also
// come back with its own UTF-16 text, in its place: characters the code
// page lacks read alike ("?"), so the ANSI text alone cannot tell them apart.
#include "common/profile/profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "profile_file_fuzz: %s\n", what);
  abort();
}

bool IsBlank(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 0x09 && u <= 0x0d) || u == 0x1a || u == 0x20;
}

// Without outer blanks, in lower case.
std::string TrimmedLower(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  std::string out = s.substr(b, e - b);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// A name written as the engine writes and compares it: up to a NUL, on one
// line, without outer blanks, in lower case.
std::string Clean(const std::string& raw) {
  std::string s(raw.c_str());
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return TrimmedLower(s);
}

// The lines of a text (or of UTF-16 units), without their breaks, and
// where each starts.
template <typename String>
std::vector<String> Lines(const String& text, std::vector<size_t>* starts) {
  std::vector<String> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = at;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.push_back(text.substr(at, end - at));
    if (starts) starts->push_back(at);
    at = end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
  }
  return lines;
}

std::u16string Units(const std::string& bytes, int encoding) {
  std::u16string units;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(encoding == kProfileUtf16Le ? a | b << 8 : a << 8 | b));
  }
  return units;
}

// The key name of a line as the engine reads and compares it: the part
// before any "=", without outer blanks, then up to a NUL.
std::string KeyName(const std::string& line) {
  return TrimmedLower(line.substr(0, line.find('='))).c_str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::string section = input.ConsumeRandomLengthString(16);
  std::string keys[2], values[2];
  for (int i = 0; i < 2; ++i) {
    keys[i] = input.ConsumeRandomLengthString(16);
    values[i] = input.ConsumeRandomLengthString(64);
  }
  std::string bytes = input.ConsumeRemainingBytesAsString();
  ProfileFile file = {};
  Check(ProfileDecode(bytes, &file) == 1, "decoding failed");

  // The lines the write may change: in the section's body, the first key
  // line of each key written.
  std::vector<size_t> starts;
  std::vector<std::string> before = Lines(file.text, &starts);
  std::vector<bool> mayChange(before.size(), false);
  ProfileSection body = ProfileFindSection(file.text, Clean(section).c_str());
  for (const std::string& key : keys) {
    for (size_t i = 0; body.found && i < before.size(); ++i) {
      const char* line = file.text.data() + starts[i];
      if (line < body.begin || line >= body.end || !ProfileIsKeyLine(line, line + before[i].size())) continue;
      if (KeyName(before[i]) != Clean(key)) continue;
      mayChange[i] = true;
      break;
    }
  }

  ProfileEntry entries[] = {{keys[0].c_str(), values[0].c_str()}, {keys[1].c_str(), values[1].c_str()}};
  ProfileWriteSection(&file.text, section.c_str(), entries, 2);
  std::string written = ProfileEncode(&file);
  ProfileFile again = {};
  ProfileDecode(written, &again);
  Check(again.text == file.text && again.encoding == file.encoding, "the text did not survive its encoding");

  if (file.encoding == kProfileBytes) return 0;
  std::vector<std::u16string> old = Lines(Units(bytes, file.encoding), nullptr);
  std::vector<std::u16string> now = Lines(Units(written, file.encoding), nullptr);
  Check(old.size() == before.size(), "the text does not match the file line for line");
  size_t n = 0;
  for (size_t o = 0; o < old.size(); ++o) {
    if (mayChange[o]) continue;
    while (n < now.size() && now[n] != old[o]) ++n;
    Check(n < now.size(), "a line the write did not change lost its UTF-16 text");
    ++n;
  }
  return 0;
}
