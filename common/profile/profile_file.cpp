// Reading and replacing profile files, the same on every system: the
// encodings, the crash-safe replacement and the clean-up after killed
// writers. The system calls themselves are in profile_platform.h.
#include "common/profile/profile.h"
#include "common/profile/profile_platform.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// A line of text: where it starts, where its line break starts, and where
// the next line starts.
struct LineSpan {
  size_t begin;
  size_t breakAt;
  size_t next;
};

// The lines of a text, breaking at CR, LF and CR LF as the engine does.
template <typename Char>
std::vector<LineSpan> Lines(const Char* text, size_t size) {
  std::vector<LineSpan> lines;
  for (size_t at = 0; at < size;) {
    LineSpan line = {at, at, at};
    while (line.breakAt < size && text[line.breakAt] != '\r' && text[line.breakAt] != '\n') ++line.breakAt;
    line.next = line.breakAt;
    if (line.next < size) line.next += text[line.next] == '\r' && line.next + 1 < size && text[line.next + 1] == '\n' ? 2 : 1;
    lines.push_back(line);
    at = line.next;
  }
  return lines;
}

// The code units of a UTF-16 file after its byte order mark (an odd last
// byte is not part of the text).
std::u16string Units(const std::string& bytes, int encoding) {
  std::u16string units;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned char first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(encoding == kProfileUtf16Le ? first | second << 8 : first << 8 | second));
  }
  return units;
}

void AppendUnits(const char16_t* units, size_t count, int encoding, std::string* bytes) {
  for (size_t i = 0; i < count; ++i) {
    char low = static_cast<char>(units[i] & 0xFF), high = static_cast<char>(units[i] >> 8);
    bytes->push_back(encoding == kProfileUtf16Le ? low : high);
    bytes->push_back(encoding == kProfileUtf16Le ? high : low);
  }
}

// A UTF-16 file's lines in the ANSI code page, without their line breaks,
// each converted on its own so that they match the text line for line.
std::vector<std::string> AnsiLines(const std::u16string& units, const std::vector<LineSpan>& lines) {
  std::vector<std::string> ansi(lines.size());
  for (size_t i = 0; i < lines.size(); ++i)
    PlatformWideToAnsi(units.data() + lines[i].begin, lines[i].breakAt - lines[i].begin, &ansi[i]);
  return ansi;
}

}  // namespace

void ProfileDecode(const std::string& bytes, ProfileFile* file) {
  file->text.clear();
  file->original.clear();
  file->encoding = kProfileBytes;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') file->encoding = kProfileUtf16Le;
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') file->encoding = kProfileUtf16Be;
  if (file->encoding == kProfileBytes) {
    file->text = bytes;
    return;
  }
  file->original = bytes;
  std::u16string units = Units(bytes, file->encoding);
  std::vector<LineSpan> lines = Lines(units.data(), units.size());
  std::vector<std::string> ansi = AnsiLines(units, lines);
  for (size_t i = 0; i < lines.size(); ++i) {
    file->text += ansi[i];
    for (size_t u = lines[i].breakAt; u < lines[i].next; ++u) file->text.push_back(static_cast<char>(units[u]));
  }
}

// The bytes to write. A UTF-16 file keeps the original text of every line
// the engine did not change, so characters the code page lacks survive
// there; only changed and new lines are converted from the ANSI code page.
// The engine only changes lines in place and inserts new ones (it never
// drops a line), which is how the new lines are matched with the old.
std::string ProfileEncode(const ProfileFile* file) {
  if (file->encoding != kProfileUtf16Le && file->encoding != kProfileUtf16Be) return file->text;
  std::string bytes = file->encoding == kProfileUtf16Le ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
  std::u16string units = Units(file->original, file->encoding);
  std::vector<LineSpan> old = Lines(units.data(), units.size());
  std::vector<std::string> oldAnsi = AnsiLines(units, old);
  const std::string& text = file->text;
  std::vector<LineSpan> now = Lines(text.data(), text.size());
  auto same = [&](size_t o, size_t n) {
    return o < old.size() && n < now.size() &&
           oldAnsi[o].compare(0, std::string::npos, text, now[n].begin, now[n].breakAt - now[n].begin) == 0;
  };
  // The old line each new line keeps, or none.
  std::vector<size_t> from(now.size(), old.size());
  size_t inserted = now.size() > old.size() ? now.size() - old.size() : 0;
  for (size_t n = 0, o = 0; n < now.size();) {
    if (same(o, n)) {
      from[n++] = o++;
      continue;
    }
    size_t run = 1;
    while (run <= inserted && !same(o, n + run)) ++run;
    if (run <= inserted) {
      n += run;  // lines inserted before the old line
      inserted -= run;
    } else {
      ++n;  // a line changed in place
      ++o;
    }
  }

  std::u16string converted;
  for (size_t n = 0; n < now.size(); ++n) {
    const LineSpan& line = now[n];
    if (from[n] < old.size()) {
      const LineSpan& kept = old[from[n]];
      AppendUnits(units.data() + kept.begin, kept.breakAt - kept.begin, file->encoding, &bytes);
    } else {
      PlatformAnsiToWide(text.data() + line.begin, line.breakAt - line.begin, &converted);
      AppendUnits(converted.data(), converted.size(), file->encoding, &bytes);
    }
    for (size_t c = line.breakAt; c < line.next; ++c) {
      char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(text[c]));
      AppendUnits(&unit, 1, file->encoding, &bytes);
    }
  }
  return bytes;
}

namespace {

// Where Windows 95, 98 and ME keep the old file while the new one takes its
// place (they cannot replace a file in one step).
std::string KeptName(const char* path) { return std::string(path) + ".replacing"; }

// A writer's temporary file: "<file>.<process id>-<attempt>.tmp".
std::string TemporaryName(const char* path, unsigned long process, int attempt) {
  char suffix[40];
  snprintf(suffix, sizeof suffix, ".%lu-%d.tmp", process, attempt);
  return std::string(path) + suffix;
}

// Where a path's file name starts.
const char* FileName(const char* path) {
  const char* name = path + strlen(path);
  while (name > path && name[-1] != '/' && name[-1] != '\\') --name;
  return name;
}

// The process id in a temporary file's name, when the name is one.
bool TemporaryOwner(const char* path, const char* name, unsigned long* process) {
  const char* base = FileName(path);
  size_t baseLength = strlen(base);
  if (strncmp(name, base, baseLength) != 0 || name[baseLength] != '.') return false;
  const char* p = name + baseLength + 1;
  unsigned long id = 0;
  const char* digits = p;
  while (*p >= '0' && *p <= '9' && p - digits < 10) id = id * 10 + static_cast<unsigned long>(*p++ - '0');
  if (p == digits || *p++ != '-') return false;
  digits = p;
  while (*p >= '0' && *p <= '9' && p - digits < 3) ++p;
  if (p == digits || strcmp(p, ".tmp") != 0) return false;
  *process = id;
  return true;
}

struct Leftovers {
  const char* path;
  unsigned long self;
  std::vector<std::string> found;
};

void NoteLeftover(const char* name, void* context) {
  auto* leftovers = static_cast<Leftovers*>(context);
  unsigned long owner;
  if (TemporaryOwner(leftovers->path, name, &owner) && owner != leftovers->self && !PlatformProcessRunning(owner))
    leftovers->found.push_back(name);
}

// A writer killed between making its temporary file and moving it into
// place leaves the file behind; it is removed once its writer is gone
// (never while the writer may still be at work).
void RemoveLeftovers(const char* path) {
  Leftovers leftovers = {path, PlatformProcessId(), {}};
  PlatformListTemporaries(path, NoteLeftover, &leftovers);
  std::string folder(path, static_cast<size_t>(FileName(path) - path));
  for (const std::string& name : leftovers.found) PlatformDeleteFile((folder + name).c_str());
}

// Replacing on a system that cannot do it in one step: the old file moves
// to its second name, the new one takes its place, the old one goes. A
// crash between the two moves leaves no file under the first name but the
// whole old one under the second, which the next read puts back.
int ReplaceKeepingOld(const char* temp, const char* path) {
  std::string kept = KeptName(path);
  if (PlatformFileExists(path)) {
    // The file itself is only ever put in place whole, so a kept copy
    // beside it is stale.
    if (PlatformDeleteFile(kept.c_str()) == kFileFailed) return kFileFailed;
    if (PlatformRenameFile(path, kept.c_str()) != kFileDone) return kFileFailed;
    if (PlatformRenameFile(temp, path) != kFileDone) {
      PlatformRenameFile(kept.c_str(), path);
      return kFileFailed;
    }
  } else if (PlatformRenameFile(temp, path) != kFileDone) {
    return kFileFailed;
  }
  return kFileDone;
}

}  // namespace

int ProfileReadFile(const char* path, ProfileFile* file) {
  file->text.clear();
  file->original.clear();
  file->encoding = kProfileBytes;
  if (!path) return 0;
  std::string bytes;
  int result = PlatformReadFile(path, &bytes);
  if (result == kFileMissing) {
    // A replacement cut short between its two moves: the file is put back
    // from its second name, so that every reader sees it again; where it
    // cannot be put back it is read there.
    std::string kept = KeptName(path);
    if (PlatformRenameFile(kept.c_str(), path) == kFileDone)
      result = PlatformReadFile(path, &bytes);
    else
      result = PlatformReadFile(kept.c_str(), &bytes);
  }
  if (result == kFileMissing) return 1;
  if (result != kFileDone) return 0;
  ProfileDecode(bytes, file);
  return 1;
}

int ProfileWriteFile(const char* path, const ProfileFile* file) {
  if (!path || !*path || !file) return 0;
  std::string bytes = ProfileEncode(file);
  RemoveLeftovers(path);
  std::string temp;
  int made = kFileFailed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TemporaryName(path, PlatformProcessId(), attempt);
    made = PlatformWriteNewFile(temp.c_str(), bytes);
    if (made != kFileExists) break;
  }
  if (made != kFileDone) return 0;
  int moved = PlatformReplaceFile(temp.c_str(), path);
  if (moved == kFileUnsupported) moved = ReplaceKeepingOld(temp.c_str(), path);
  if (moved != kFileDone) {
    PlatformDeleteFile(temp.c_str());
    return 0;
  }
  PlatformDeleteFile(KeptName(path).c_str());
  return 1;
}
