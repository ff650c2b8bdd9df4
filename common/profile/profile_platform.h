// What reading and replacing profile files needs of the system: one
// implementation on Windows (profile_file_win32.cpp), one on POSIX systems
// (profile_file_posix.cpp). The rules of the files themselves live in
// profile_file.cpp, shared by both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum PlatformFileResult {
  kFileDone,
  kFileMissing,      // the file (or its folder) does not exist
  kFileExists,       // a file of that name is already there
  kFileFailed,       // any other failure
  kFileUnsupported,  // the system cannot do this (replacing in one step on Windows 95, 98 and ME)
  kFileReadOnly,     // the file is there and read-only
  kFileHeld,         // another holder has the lock
};

// Why the last call here that answered Failed failed, as a ProfileStatus.
int PlatformLastFailure();

// The whole file into bytes: Done, Missing or Failed (also for a file of
// more than limit bytes, or one that memory cannot be had for).
int PlatformReadFile(const char* path, size_t limit, std::string* bytes);
// A new file holding the bytes, flushed to the disk: Done, Exists or Failed
// (a failed file is removed again).
int PlatformWriteNewFile(const char* path, const std::string& bytes);
// Moves from over to, replacing to in one step: Done, Unsupported or Failed.
int PlatformReplaceFile(const char* from, const char* to);
// Renames from to to, which must not exist: Done, Missing or Failed.
int PlatformRenameFile(const char* from, const char* to);
// Deletes one of the engine's own files, read-only or not: Done, Missing or
// Failed.
int PlatformDeleteFile(const char* path);
// Missing, Exists (writable), ReadOnly or Failed.
int PlatformFileState(const char* path);

// Opens the lock file at path, making it when it is missing: Done (with
// *handle for the calls below) or Failed.
int PlatformOpenLock(const char* path, intptr_t* handle);
// One try at the lock: Done, Held, Unsupported (the file system has no
// byte-range locks) or Failed.
int PlatformTryLock(intptr_t handle);
// Releases the lock (if held) and closes the lock file.
void PlatformCloseLock(intptr_t handle);
// A clock in milliseconds (it may wrap), and a pause between two tries.
unsigned long PlatformTicks();
void PlatformPause(unsigned long milliseconds);

// Whether a block of that many bytes can be allocated now. The shipped
// programs end at once when the standard library runs out of memory, so the
// engine asks before each allocation that grows with a file's size.
int PlatformHasRoom(size_t bytes);

unsigned long PlatformProcessId();
// Whether a process of that id may be running (1 when it cannot be told).
int PlatformProcessRunning(unsigned long id);
// The name of this machine, as other machines sharing a folder see it
// (Windows' computer name, the POSIX host name); 0 when it cannot be told.
int PlatformMachineName(char* name, size_t size);
// Calls found with the name of every entry beside path whose name is the
// file name of path followed by "." and ending in ".tmp" (and maybe more:
// the caller checks the names).
void PlatformListTemporaries(const char* path, void (*found)(const char* name, void* context), void* context);

// UTF-16 text and the ANSI code page, converted as the system's profile
// functions convert them (characters the code page lacks become "?").
void PlatformWideToAnsi(const char16_t* text, size_t count, std::string* out);
void PlatformAnsiToWide(const char* text, size_t count, std::u16string* out);
