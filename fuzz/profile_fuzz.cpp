// libFuzzer target for the profile engine: arbitrary text, names, values and
// buffer sizes. Besides the sanitizers' checks it holds the engine to what a
// write promises: every key written reads back as written, a second identical
// write changes nothing, and a key that was not written reads as before.
#include "common/profile/profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool IsBlank(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 0x09 && u <= 0x0d) || u == 0x1a || u == 0x20;
}

// A name as the engine writes it, and as it compares names (ASCII case).
std::string Clean(const std::string& raw, bool fold) {
  std::string s(raw.c_str());
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  s = s.substr(b, e - b);
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
    if (fold && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "profile_fuzz: %s\n", what);
  abort();
}

std::string Read(const std::string& text, const std::string& section, const std::string& key, size_t size) {
  std::vector<char> out(size + 1, '#');
  size_t n = ProfileGetString(text, section.c_str(), key.c_str(), "<none>", out.data(), size);
  Check(out[size] == '#', "wrote past the buffer");
  if (size == 0) return "";
  Check(n < size && strlen(out.data()) == n, "count or terminator wrong");
  return std::string(out.data(), n);
}

// A second reading of the text, built the way the platform builds its
// model of a file: a list of sections (the first, unnamed, for the lines
// before any header), each a list of keys; the engine must find the same
// key.
struct ModelKey {
  std::string name, value;
  bool hasValue;
};
struct ModelSection {
  std::string name;
  std::vector<ModelKey> keys;
};

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Folded(std::string s) {
  s = s.c_str();
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::vector<ModelSection> Model(const std::string& text) {
  std::vector<ModelSection> sections(1);
  size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < text.size()) {
    size_t stop = text.find_first_of("\r\n", at);
    if (stop == std::string::npos) stop = text.size();
    std::string line = Trimmed(text.substr(at, stop - at));
    at = text.find_first_not_of("\r\n", stop);
    if (at == std::string::npos) at = text.size();
    if (line.empty()) continue;
    size_t close = line.rfind(']');
    if (line[0] == '[' && close != std::string::npos && close > 0) {
      sections.push_back(ModelSection{Folded(Trimmed(line.substr(1, close - 1))), {}});
      continue;
    }
    size_t eq = line.find('=');
    ModelKey key{Folded(Trimmed(line.substr(0, eq))), "", eq != std::string::npos};
    if (key.hasValue) key.value = std::string(Trimmed(line.substr(eq + 1)).c_str());
    std::vector<ModelKey>& keys = sections.back().keys;
    if (!key.name.empty() || keys.empty() || !keys.back().name.empty()) keys.push_back(key);
  }
  return sections;
}

// The value the model gives, or def.
std::string ModelValue(const std::vector<ModelSection>& model, const std::string& text, const std::string& section,
                       const std::string& key, const std::string& def) {
  if (!text.empty())
    for (const ModelSection& s : model)
      if (s.name == Folded(Trimmed(section.c_str()))) {
        for (const ModelKey& k : s.keys)
          if (k.name == Folded(Trimmed(key.c_str()))) return k.hasValue ? k.value : def;
        return def;
      }
  return def;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  size_t cut = in.ConsumeIntegralInRange<size_t>(0, 80);
  std::string section = in.ConsumeRandomLengthString(24);
  std::string key = in.ConsumeRandomLengthString(24);
  std::string probeSection = in.ConsumeRandomLengthString(24);
  std::string probeKey = in.ConsumeRandomLengthString(24);
  std::vector<std::string> keys, values;
  for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 4); n > 0; --n) {
    keys.push_back(in.ConsumeRandomLengthString(24));
    values.push_back(in.ConsumeRandomLengthString(48));
  }
  std::string text = in.ConsumeRemainingBytesAsString();

  // Reading: bounds of the section found, buffers of every size.
  ProfileSection found = ProfileFindSection(text, section.c_str());
  Check(found.begin <= found.end && found.begin >= text.data() && found.end <= text.data() + text.size(),
        "section outside the text");
  ProfileSectionGetInt(&found, key.c_str(), 5);
  Read(text, section, key, cut);
  ProfileGetInt(text, section.c_str(), key.c_str(), -1);
  std::string want = ModelValue(Model(text), text, section, key, "<none>");
  size_t q = want.size() >= 2 && (want[0] == '"' || want[0] == '\'') && want.back() == want[0] ? 1 : 0;
  Check(Read(text, section, key, 8192) == want.substr(q, want.size() - 2 * q), "differs from the model");

  // Writing one record.
  std::vector<ProfileEntry> entries;
  for (size_t i = 0; i < keys.size(); ++i) entries.push_back(ProfileEntry{keys[i].c_str(), values[i].c_str()});
  std::string before = Read(text, probeSection, probeKey, 4096);
  std::string written = text;
  ProfileWriteSection(&written, section.c_str(), entries.data(), entries.size());

  bool probeWritten = false;
  for (size_t i = 0; i < keys.size(); ++i) {
    std::string k = Clean(keys[i], false);
    // Keys the engine refuses to write: they would read back as another key,
    // a section header, or (a byte order mark on the first line) another file.
    if (k.find('=') != std::string::npos || k.compare(0, 1, "[") == 0 || k.compare(0, 3, "\xEF\xBB\xBF") == 0 ||
        k.compare(0, 2, "\xFF\xFE") == 0 || k.compare(0, 2, "\xFE\xFF") == 0)
      continue;
    if (Clean(probeSection, true) == Clean(section, true) && Clean(probeKey, true) == Clean(k, true))
      probeWritten = true;
    // The last value given for a key is the one read back.
    size_t last = i;
    for (size_t j = i + 1; j < keys.size(); ++j)
      if (Clean(keys[j], true) == Clean(k, true)) last = j;
    std::string want(values[last].c_str());
    for (char& c : want)
      if (c == '\r' || c == '\n') c = ' ';
    Check(Read(written, Clean(section, false), k, want.size() + 1) == want, "written value reads back changed");
  }
  if (!probeWritten) Check(Read(written, probeSection, probeKey, 4096) == before, "a key not written changed");

  std::string again = written;
  Check(ProfileWriteSection(&again, section.c_str(), entries.data(), entries.size()) == 0 && again == written,
        "a second identical write changed the text");
  return 0;
}
