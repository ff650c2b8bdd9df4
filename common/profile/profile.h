// The profile (INI) engine: reads and writes initialisation files the way the
// platform's private-profile functions do, on text held in memory, so that a
// whole record is written in one go and files of any line length survive.
//
// Reading follows the platform: sections and keys match without regard to
// case; blanks around names, "=" and values are ignored; one pair of matching
// outer quotes is removed from a value; the first of duplicate keys wins and
// only the first of duplicate sections is searched; a line without "=" is
// not a key; a missing section or key gives the caller's default; a value
// longer than the buffer is cut to size - 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The body of one section within a text: from the line after its header to
// the next section header (or the end). found is 0 when there is none.
struct ProfileSection {
  const char* begin;
  const char* end;
  int found;
};

ProfileSection ProfileFindSection(const std::string& text, const char* section);

// Copies the value of key (or def when the section or key is missing) into
// out, cut to size - 1 characters. Returns the number of characters copied.
size_t ProfileSectionGetString(const ProfileSection* section, const char* key, const char* def,
                               char* out, size_t size);
// The value as the platform's integer reader sees it: optional sign and the
// leading decimal digits (and "0x" hex); def when the key is missing.
int ProfileSectionGetInt(const ProfileSection* section, const char* key, int def);

// The same, looking up the section first.
size_t ProfileGetString(const std::string& text, const char* section, const char* key,
                        const char* def, char* out, size_t size);
int ProfileGetInt(const std::string& text, const char* section, const char* key, int def);

// One key to write.
struct ProfileEntry {
  const char* key;
  const char* value;
};

// Writes the keys of one section, in order, as the platform's string writer
// would one after the other: an existing key has its value replaced in place
// (keeping its spelling), a new key goes after the last key of its section, a
// new section goes to the end of the text. Every other line is kept; lines
// end in CR LF. A value reads back as it was given (line breaks become
// blanks); a key holding "=" or starting with "[" or a byte order mark
// is not written. Returns 1 when the text changed.
int ProfileWriteSection(std::string* text, const char* section, const ProfileEntry* entries,
                        size_t count);
// Whether a line (without its line break) is a key line: neither blank nor
// a section header. ProfileWriteSection changes no other line in place.
int ProfileIsKeyLine(const char* begin, const char* end);

// A profile file as the engine reads and edits it. Files that start with a
// UTF-16 byte order mark are read as the platform reads them, converted to
// the ANSI code page, and written back in UTF-16 with the mark: the lines
// the engine did not change are written back exactly as they were read.
enum ProfileEncoding { kProfileBytes = 0, kProfileUtf16Le, kProfileUtf16Be };
struct ProfileFile {
  std::string text;      // the lines, in the ANSI code page
  int encoding;          // a ProfileEncoding
  std::string original;  // a UTF-16 file's bytes as read
};

// A file's bytes as the engine sees them, and the bytes that write the
// (edited) text back in the file's own encoding: what ProfileReadFile and
// ProfileSaveFile do between the disk and the text. ProfileDecode returns
// 0, with empty text, when there is no memory for the text.
int ProfileDecode(const std::string& bytes, ProfileFile* file);
std::string ProfileEncode(const ProfileFile* file);

// The largest profile file the engine reads or writes: 32 MiB. A catalogue
// of 10,000 discs with every title filled in is about 7 MB; a larger file
// is not one of ours, and reading it whole could exhaust the memory of the
// machines the programs run on.
const size_t kProfileFileLimit = 32u << 20;

// Reads a whole file. A missing file (or folder) reads as empty text and
// counts as read; while a replacement on Windows 95 has moved the file
// aside, the copy it keeps is read instead (a reader never moves files).
// Returns 0 when the file exists but cannot be read whole (shared away,
// access denied, an I/O error, larger than kProfileFileLimit, no memory for
// it): the caller must then not replace it.
int ProfileReadFile(const char* path, ProfileFile* file);

// How a save of a profile file ended: kProfileOk, or why the file was left
// as it was, in terms a user can act on.
enum ProfileStatus {
  kProfileOk = 0,
  kProfileFailed,       // the system reported some other failure
  kProfileDiskFull,     // no room is left on the disk
  kProfileReadOnly,     // the file, its folder or the disk may not be written
  kProfileUnreachable,  // the folder (a share, a drive) cannot be reached
  kProfileHeld,         // another program holds the file
  kProfileLocked,       // another writer kept the file's lock past kProfileLockWait
  kProfileUnreadable,   // the file is there but cannot be read whole
};

// Replaces a file with file->text, in the encoding it was read in: the
// text goes to a temporary file in the same folder, is flushed, then takes
// the target's place. Either the old file or the new one is there
// afterwards, never a mix, whatever step a crash interrupts. A read-only
// file is not replaced, and nothing larger than kProfileFileLimit is
// written. Temporary files that this machine's writers left behind (killed,
// or cut off from the folder) are removed first. Returns a ProfileStatus.
int ProfileSaveFile(const char* path, const ProfileFile* file);

// Several writers, on one machine or on several sharing a folder, may save
// into one file: each takes the file's lock for the whole of a save, from
// reading the file to replacing it, so that no writer replaces the file
// with a text read before another's save. The lock is a byte-range lock on
// a lock file beside the file, "<file>.lock", which is made by the first
// save and never removed: the file itself cannot carry it, since a
// replacement puts a new file under its name (a writer waiting on the old
// one would then read a stale text), and Windows 95, 98 and ME cannot
// rename a file that a writer holds open. The system releases the lock when
// its holder ends, however it ends; the lock file's presence means nothing.
// A writer waits at most kProfileLockWait milliseconds for the lock.
const unsigned long kProfileLockWait = 5000;
struct ProfileLock {
  intptr_t handle;
  int open;  // 1 while the lock file is open (and, where it can be, locked)
};
// Takes the lock of the file at path: kProfileOk, or why not (kProfileLocked
// when another writer held it for the whole wait). Where the file system
// cannot lock at all, the save goes on without the lock, as on one machine.
int ProfileLockFile(const char* path, ProfileLock* lock);
// Releases a lock that ProfileLockFile took (nothing when it took none).
void ProfileUnlockFile(ProfileLock* lock);

// Changes a file the way one writer among several must: reads it (a file
// that is there but cannot be read is left alone), lets edit change the
// text (edit returns 1 when it changed it) and saves it when it changed,
// all under the file's lock when shared is 1. Returns a ProfileStatus;
// kProfileOk also when nothing changed.
int ProfileUpdateFile(const char* path, int shared, int (*edit)(std::string* text, void* context),
                      void* context);

// The platform build only: the path of a profile file named as the platform's
// private-profile functions name it (a bare file name means a file in the
// Windows directory). Returns 0 when the path does not fit.
int ProfileResolvePath(const char* name, char* path, size_t size);
