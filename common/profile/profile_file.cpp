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

// The line starting at at, breaking at CR, LF and CR LF as the engine does;
// charAt(i) is the text's character i.
template <typename CharAt>
LineSpan LineAt(size_t at, size_t size, CharAt charAt) {
  LineSpan line = {at, at, at};
  while (line.breakAt < size && charAt(line.breakAt) != '\r' && charAt(line.breakAt) != '\n') ++line.breakAt;
  line.next = line.breakAt;
  if (line.next < size) line.next += charAt(line.next) == '\r' && line.next + 1 < size && charAt(line.next + 1) == '\n' ? 2 : 1;
  return line;
}

// The code units of a UTF-16 file, read in place after its byte order mark
// (an odd last byte is not part of the text).
struct Units {
  const std::string* bytes;
  int encoding;
  size_t count;
};

Units UnitsOf(const std::string& bytes, int encoding) {
  return Units{&bytes, encoding, bytes.size() >= 2 ? (bytes.size() - 2) / 2 : 0};
}

char16_t UnitAt(const Units& units, size_t i) {
  unsigned char first = static_cast<unsigned char>((*units.bytes)[2 + 2 * i]);
  unsigned char second = static_cast<unsigned char>((*units.bytes)[3 + 2 * i]);
  return static_cast<char16_t>(units.encoding == kProfileUtf16Le ? first | second << 8 : first << 8 | second);
}

void AppendUnits(const char16_t* units, size_t count, int encoding, std::string* bytes) {
  for (size_t i = 0; i < count; ++i) {
    char low = static_cast<char>(units[i] & 0xFF), high = static_cast<char>(units[i] >> 8);
    bytes->push_back(encoding == kProfileUtf16Le ? low : high);
    bytes->push_back(encoding == kProfileUtf16Le ? high : low);
  }
}

// Units begin..end in the ANSI code page, handed to each piece by piece:
// a long line is converted a little at a time (never splitting a surrogate
// pair), so that no buffer grows with the file.
template <typename Each>
void AnsiPieces(const Units& units, size_t begin, size_t end, Each each) {
  const size_t kPiece = 512;
  char16_t wide[kPiece];
  std::string piece;
  while (begin < end) {
    size_t n = end - begin < kPiece ? end - begin : kPiece;
    char16_t last = UnitAt(units, begin + n - 1);
    if (begin + n < end && last >= 0xD800 && last < 0xDC00) --n;
    for (size_t i = 0; i < n; ++i) wide[i] = UnitAt(units, begin + i);
    PlatformWideToAnsi(wide, n, &piece);
    each(piece);
    begin += n;
  }
}

// A UTF-16 file's text in the ANSI code page, each line converted on its
// own so that the text matches the file line for line: twice, first to learn
// its size, so that the memory for it is asked for once.
int DecodeUnits(const std::string& bytes, int encoding, std::string* text) {
  Units units = UnitsOf(bytes, encoding);
  auto unitAt = [&](size_t i) { return UnitAt(units, i); };
  size_t size = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t at = 0; at < units.count;) {
      LineSpan line = LineAt(at, units.count, unitAt);
      AnsiPieces(units, line.begin, line.breakAt, [&](const std::string& piece) {
        if (pass == 0) size += piece.size();
        else text->append(piece);
      });
      for (size_t u = line.breakAt; u < line.next; ++u) {
        if (pass == 0) ++size;
        else text->push_back(static_cast<char>(unitAt(u)));
      }
      at = line.next;
    }
    if (pass == 0 && !PlatformHasRoom(size + 1)) return 0;
    if (pass == 0) text->reserve(size);
  }
  return 1;
}

int EncodingOf(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return kProfileUtf16Le;
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return kProfileUtf16Be;
  return kProfileBytes;
}

// Decodes bytes into file, taking them over (bytes is left empty).
int DecodeInto(std::string* bytes, ProfileFile* file) {
  file->text.clear();
  file->original.clear();
  file->encoding = EncodingOf(*bytes);
  if (file->encoding == kProfileBytes) {
    file->text.swap(*bytes);
  } else if (DecodeUnits(*bytes, file->encoding, &file->text)) {
    file->original.swap(*bytes);
  } else {
    file->text.clear();
    file->encoding = kProfileBytes;
    return 0;
  }
  bytes->clear();
  return 1;
}

}  // namespace

int ProfileDecode(const std::string& bytes, ProfileFile* file) {
  std::string copy = bytes;
  return DecodeInto(&copy, file);
}

// The bytes to write. A UTF-16 file keeps the original text of every line
// the engine did not change, so characters the code page lacks survive
// there; only changed and new lines are converted from the ANSI code page.
// The engine keeps every line, changes only key lines in place (and a
// changed line's text always differs from the old one), and inserts new
// lines only before a line that is not a key line (after the last key of a
// section) or at the end. So, walking both texts: a line with the old
// line's text is that line kept; a line that differs from an old key line
// is that line changed; any other line is new.
std::string ProfileEncode(const ProfileFile* file) {
  if (file->encoding != kProfileUtf16Le && file->encoding != kProfileUtf16Be) return file->text;
  std::string bytes = file->encoding == kProfileUtf16Le ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
  Units units = UnitsOf(file->original, file->encoding);
  auto unitAt = [&](size_t i) { return UnitAt(units, i); };
  const std::string& text = file->text;
  auto textAt = [&](size_t i) { return text[i]; };
  std::string oldAnsi;
  std::u16string converted;
  size_t old = 0;  // where the next old line starts
  for (size_t at = 0; at < text.size();) {
    LineSpan line = LineAt(at, text.size(), textAt);
    bool kept = false;
    if (old < units.count) {
      LineSpan oldLine = LineAt(old, units.count, unitAt);
      oldAnsi.clear();
      AnsiPieces(units, oldLine.begin, oldLine.breakAt, [&](const std::string& piece) { oldAnsi += piece; });
      kept = oldAnsi.compare(0, std::string::npos, text, line.begin, line.breakAt - line.begin) == 0;
      if (kept) bytes.append(file->original, 2 + 2 * oldLine.begin, 2 * (oldLine.breakAt - oldLine.begin));
      if (kept || ProfileIsKeyLine(oldAnsi.data(), oldAnsi.data() + oldAnsi.size())) old = oldLine.next;
    }
    if (!kept) {
      PlatformAnsiToWide(text.data() + line.begin, line.breakAt - line.begin, &converted);
      AppendUnits(converted.data(), converted.size(), file->encoding, &bytes);
    }
    for (size_t c = line.breakAt; c < line.next; ++c) {
      char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(text[c]));
      AppendUnits(&unit, 1, file->encoding, &bytes);
    }
    at = line.next;
  }
  return bytes;
}

namespace {

// Where Windows 95, 98 and ME keep the old file while the new one takes its
// place (they cannot replace a file in one step). The copy stays until the
// next save: there a rename is not written through and a folder cannot be
// flushed, so after a power loss the file may be back under its old name or
// missing with only the copy whole.
std::string KeptName(const char* path) { return std::string(path) + ".replacing"; }

// A writer's temporary file: "<file>.<machine>-<process id>-<attempt>.tmp".
// The machine's name tells the writers of machines sharing the folder apart:
// a process id means something only on its own machine.
std::string TemporaryName(const char* path, const char* machine, unsigned long process, int attempt) {
  char suffix[40];
  snprintf(suffix, sizeof suffix, "-%lu-%d.tmp", process, attempt);
  return std::string(path) + "." + machine + suffix;
}

// Where a path's file name starts.
const char* FileName(const char* path) {
  const char* name = path + strlen(path);
  while (name > path && name[-1] != '/' && name[-1] != '\\') --name;
  return name;
}

// Whether name is the temporary file of a writer of this machine, and the
// writer's process id. Anything else named alike (a user's
// "kovel.ini.2024-1.tmp", another machine's writer) is not.
bool OwnTemporary(const char* path, const char* machine, const char* name, unsigned long* process) {
  const char* base = FileName(path);
  size_t baseLength = strlen(base), machineLength = strlen(machine);
  if (strncmp(name, base, baseLength) != 0 || name[baseLength] != '.') return false;
  const char* p = name + baseLength + 1;
  if (strncmp(p, machine, machineLength) != 0 || p[machineLength] != '-') return false;
  p += machineLength + 1;
  unsigned long id = 0;
  const char* digits = p;
  while (*p >= '0' && *p <= '9' && p - digits < 10) id = id * 10 + static_cast<unsigned long>(*p++ - '0');
  if (p == digits || *p++ != '-') return false;
  digits = p;
  while (*p >= '0' && *p <= '9' && p - digits < 2) ++p;
  if (p == digits || strcmp(p, ".tmp") != 0) return false;
  *process = id;
  return true;
}

struct Leftovers {
  const char* path;
  const char* machine;
  unsigned long self;
  std::vector<std::string> found;
};

void NoteLeftover(const char* name, void* context) {
  auto* leftovers = static_cast<Leftovers*>(context);
  unsigned long owner;
  if (OwnTemporary(leftovers->path, leftovers->machine, name, &owner) &&
      (owner == leftovers->self || !PlatformProcessRunning(owner)))
    leftovers->found.push_back(name);
}

// A writer killed between making its temporary file and moving it into
// place leaves the file behind; it is removed once its writer is gone
// (never while the writer may still be at work). A writer that lost the
// folder part-way (a share gone) could not remove its own: a process saves
// one file at a time, so any of its own found here is such a one.
void RemoveLeftovers(const char* path, const char* machine) {
  Leftovers leftovers = {path, machine, PlatformProcessId(), {}};
  PlatformListTemporaries(path, NoteLeftover, &leftovers);
  std::string folder(path, static_cast<size_t>(FileName(path) - path));
  for (const std::string& name : leftovers.found) PlatformDeleteFile((folder + name).c_str());
}

// Replacing on a system that cannot do it in one step: the old file moves
// to its second name, the new one takes its place. A crash between the two
// moves leaves no file under the first name but the whole old one under the
// second, which readers read instead.
int ReplaceKeepingOld(const char* temp, const char* path) {
  std::string kept = KeptName(path);
  int state = PlatformFileState(path);
  if (state == kFileMissing) return PlatformRenameFile(temp, path) == kFileDone ? kFileDone : kFileFailed;
  if (state != kFileExists) return kFileFailed;
  // The file itself is only ever put in place whole, so the copy beside it
  // is an older one.
  if (PlatformDeleteFile(kept.c_str()) == kFileFailed) return kFileFailed;
  if (PlatformRenameFile(path, kept.c_str()) != kFileDone) return kFileFailed;
  if (PlatformRenameFile(temp, path) != kFileDone) {
    PlatformRenameFile(kept.c_str(), path);
    return kFileFailed;
  }
  return kFileDone;
}

// Reads the file or, while a replacement on Windows 95 has moved it aside,
// the copy it keeps. Writers move the file to the copy and the new file into
// place one right after the other, and remove a copy only while the file is
// there; so a reader that misses both names in turn has seen another
// writer's whole save between two of its looks. Only when the names are
// missed several times in a row is the file missing.
int ReadFileOrCopy(const char* path, std::string* bytes) {
  std::string kept = KeptName(path);
  int result = PlatformReadFile(path, kProfileFileLimit, bytes);
  for (int look = 0; look < 4 && result == kFileMissing; ++look) {
    result = PlatformReadFile(kept.c_str(), kProfileFileLimit, bytes);
    if (result == kFileMissing) result = PlatformReadFile(path, kProfileFileLimit, bytes);
  }
  return result;
}

}  // namespace

int ProfileReadFile(const char* path, ProfileFile* file) {
  file->text.clear();
  file->original.clear();
  file->encoding = kProfileBytes;
  if (!path) return 0;
  std::string bytes;
  int result = ReadFileOrCopy(path, &bytes);
  if (result == kFileMissing) return 1;
  return result == kFileDone && DecodeInto(&bytes, file);
}

int ProfileSaveFile(const char* path, const ProfileFile* file) {
  if (!path || !*path || !file) return kProfileFailed;
  // Windows NT does not replace a read-only file in one step (Wine does),
  // and Windows 95 could only by moving it aside: it is never replaced.
  if (PlatformFileState(path) == kFileReadOnly) return kProfileReadOnly;
  std::string bytes = ProfileEncode(file);
  if (bytes.size() > kProfileFileLimit) return kProfileFailed;
  char machine[64] = "";
  if (PlatformMachineName(machine, sizeof machine)) RemoveLeftovers(path, machine);
  std::string temp;
  int made = kFileFailed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TemporaryName(path, machine, PlatformProcessId(), attempt);
    made = PlatformWriteNewFile(temp.c_str(), bytes);
    if (made != kFileExists) break;
  }
  if (made != kFileDone) return made == kFileExists ? kProfileFailed : PlatformLastFailure();
  int moved = PlatformReplaceFile(temp.c_str(), path);
  // In one step the file is never missing, so a copy kept by a replacement
  // on Windows 95 (another machine's, or cut short) is stale now.
  if (moved == kFileDone) PlatformDeleteFile(KeptName(path).c_str());
  if (moved == kFileUnsupported) moved = ReplaceKeepingOld(temp.c_str(), path);
  if (moved != kFileDone) {
    int why = PlatformLastFailure();
    PlatformDeleteFile(temp.c_str());
    return why;
  }
  return kProfileOk;
}

namespace {

const unsigned long kLockPause = 20;  // milliseconds between two tries

std::string LockName(const char* path) { return std::string(path) + ".lock"; }

// Reads the file for a change: kProfileOk (a missing file reads as empty),
// or why it cannot be read.
int ReadForUpdate(const char* path, ProfileFile* file) {
  std::string bytes;
  int result = ReadFileOrCopy(path, &bytes);
  if (result == kFileMissing) return kProfileOk;
  if (result == kFileDone) return DecodeInto(&bytes, file) ? kProfileOk : kProfileUnreadable;
  int why = PlatformLastFailure();
  return why == kProfileHeld || why == kProfileUnreachable ? why : kProfileUnreadable;
}

}  // namespace

int ProfileLockFile(const char* path, ProfileLock* lock) {
  lock->open = 0;
  if (!path || !*path) return kProfileFailed;
  intptr_t handle;
  if (PlatformOpenLock(LockName(path).c_str(), &handle) != kFileDone) return PlatformLastFailure();
  const unsigned long start = PlatformTicks();
  for (;;) {
    int tried = PlatformTryLock(handle);
    if (tried == kFileDone || tried == kFileUnsupported) break;
    if (tried != kFileHeld || PlatformTicks() - start >= kProfileLockWait) {
      int why = tried == kFileHeld ? kProfileLocked : PlatformLastFailure();
      PlatformCloseLock(handle);
      return why;
    }
    PlatformPause(kLockPause);
  }
  lock->handle = handle;
  lock->open = 1;
  return kProfileOk;
}

void ProfileUnlockFile(ProfileLock* lock) {
  if (lock->open) PlatformCloseLock(lock->handle);
  lock->open = 0;
}

int ProfileUpdateFile(const char* path, int shared, int (*edit)(std::string* text, void* context),
                      void* context) {
  if (!path || !*path || !edit) return kProfileFailed;
  ProfileLock lock = {};
  int status = shared ? ProfileLockFile(path, &lock) : kProfileOk;
  ProfileFile file = {};
  if (status == kProfileOk) status = ReadForUpdate(path, &file);
  if (status == kProfileOk && edit(&file.text, context)) status = ProfileSaveFile(path, &file);
  ProfileUnlockFile(&lock);
  return status;
}
