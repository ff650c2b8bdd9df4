// Profile file access on Windows, from Windows 95 and NT 4.0 on.
#include "common/profile/profile.h"
#include "common/profile/profile_platform.h"
#include "common/profile/profile_win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

ProfileFileSeam testSeamProfileFiles;

namespace {

typedef BOOL(WINAPI* MoveFileExCall)(LPCSTR, LPCSTR, DWORD);

int Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

int lastFailure = kProfileFailed;

// A system error as a user can act on it.
int Classify(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kProfileDiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return kProfileReadOnly;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return kProfileHeld;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_GEN_FAILURE:
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_NET_RESP:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_BUSY:
    case ERROR_REM_NOT_LIST:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_SEM_TIMEOUT:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_NOT_CONNECTED:
    case ERROR_CONNECTION_ABORTED:
    case ERROR_NO_NET_OR_BAD_PATH:
      return kProfileUnreachable;
    default:
      return kProfileFailed;
  }
}

// Notes why a call failed; returns Failed.
int Fail(DWORD error) {
  lastFailure = Classify(error);
  return kFileFailed;
}

HANDLE Open(const char* path, DWORD access, DWORD share, DWORD how) {
  auto createFile = testSeamProfileFiles.createFile ? testSeamProfileFiles.createFile : CreateFileA;
  return createFile(path, access, share, nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL Read(HANDLE file, void* buffer, DWORD size, DWORD* done) {
  auto readFile = testSeamProfileFiles.readFile ? testSeamProfileFiles.readFile : ReadFile;
  return readFile(file, buffer, size, done, nullptr);
}

// MoveFileExA, looked up once at run time: Windows 95, 98 and ME export it
// only to answer ERROR_CALL_NOT_IMPLEMENTED, and an import of it would keep
// the programs from starting where it is missing.
MoveFileExCall SystemMoveFileEx() {
  static int lookedUp;
  static MoveFileExCall moveFileEx;
  if (!lookedUp) {
    moveFileEx = reinterpret_cast<MoveFileExCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
    lookedUp = 1;
  }
  return moveFileEx;
}

MoveFileExCall MoveFileExOrNone() {
  if (testSeamProfileFiles.withoutMoveFileEx) return nullptr;
  return testSeamProfileFiles.moveFileEx ? testSeamProfileFiles.moveFileEx : SystemMoveFileEx();
}

BOOL Move(const char* from, const char* to) {
  return testSeamProfileFiles.moveFile ? testSeamProfileFiles.moveFile(from, to) : MoveFileA(from, to);
}

}  // namespace

int PlatformLastFailure() { return lastFailure; }

int PlatformReadFile(const char* path, size_t limit, std::string* bytes) {
  bytes->clear();
  // Shared with writers and with deletion, so that the file never blocks
  // another program; Windows 95, 98 and ME refuse FILE_SHARE_DELETE.
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = Open(path, GENERIC_READ, share, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    file = Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return Missing(error) ? kFileMissing : Fail(error);
  }
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  int result = kFileDone;
  if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || size > limit ||
      !PlatformHasRoom(static_cast<size_t>(size) + 1))
    result = Fail(ERROR_FILE_TOO_LARGE);
  else
    bytes->resize(size);
  // The whole size, and then nothing more: a file that grew meanwhile is
  // not read in part.
  DWORD done = 0;
  for (char extra; result == kFileDone;) {
    DWORD n = 0;
    char* at = done < size ? &(*bytes)[done] : &extra;
    if (!Read(file, at, done < size ? size - done : 1, &n)) result = Fail(GetLastError());
    else if (done == size && n > 0) result = Fail(ERROR_FILE_TOO_LARGE);
    if (n == 0) break;
    done += n;
  }
  CloseHandle(file);
  if (result == kFileDone) bytes->resize(done);
  else bytes->clear();
  return result;
}

int PlatformWriteNewFile(const char* path, const std::string& bytes) {
  HANDLE file = Open(path, GENERIC_WRITE, 0, CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS ? kFileExists : Fail(error);
  }
  // The first error is the one that tells why.
  DWORD error = NO_ERROR;
  for (size_t done = 0; error == NO_ERROR && done < bytes.size();) {
    size_t left = bytes.size() - done;
    DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) error = GetLastError();
    else if (written == 0) error = ERROR_DISK_FULL;
    done += written;
  }
  if (!FlushFileBuffers(file) && error == NO_ERROR) error = GetLastError();
  if (!CloseHandle(file) && error == NO_ERROR) error = GetLastError();
  if (error == NO_ERROR) return kFileDone;
  DeleteFileA(path);
  return Fail(error);
}

int PlatformReplaceFile(const char* from, const char* to) {
  MoveFileExCall moveFileEx = MoveFileExOrNone();
  if (!moveFileEx) return kFileUnsupported;
  if (moveFileEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return kFileDone;
  DWORD error = GetLastError();
  return error == ERROR_CALL_NOT_IMPLEMENTED ? kFileUnsupported : Fail(error);
}

int PlatformRenameFile(const char* from, const char* to) {
  if (Move(from, to)) return kFileDone;
  DWORD error = GetLastError();
  Fail(error);
  return Missing(error) ? kFileMissing : kFileFailed;
}

int PlatformDeleteFile(const char* path) {
  if (DeleteFileA(path)) return kFileDone;
  DWORD error = GetLastError();
  if (Missing(error)) return kFileMissing;
  // A read-only file is not deleted until its attribute is cleared.
  DWORD attributes = GetFileAttributesA(path);
  if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
      !(attributes & FILE_ATTRIBUTE_READONLY) || !SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY))
    return Fail(error);
  return DeleteFileA(path) ? kFileDone : Fail(GetLastError());
}

int PlatformFileState(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    return Missing(error) ? kFileMissing : Fail(error);
  }
  return attributes & FILE_ATTRIBUTE_READONLY ? kFileReadOnly : kFileExists;
}

int PlatformOpenLock(const char* path, intptr_t* handle) {
  // Opened for writing too: Wine takes a write lock only on a file open for
  // writing, and only write locks keep out another machine's writers.
  HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError());
  *handle = reinterpret_cast<intptr_t>(file);
  return kFileDone;
}

int PlatformTryLock(intptr_t handle) {
  // LockFile, which Windows 95 has, tries once; a range past the end of
  // the (empty) file may be locked.
  if (LockFile(reinterpret_cast<HANDLE>(handle), 0, 0, 1, 0)) return kFileDone;
  DWORD error = GetLastError();
  if (error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION) return kFileHeld;
  if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED)
    return kFileUnsupported;
  return Fail(error);
}

void PlatformCloseLock(intptr_t handle) {
  // Unlocked first: the system frees a lock left to the closing of its
  // handle only when it gets round to it.
  UnlockFile(reinterpret_cast<HANDLE>(handle), 0, 0, 1, 0);
  CloseHandle(reinterpret_cast<HANDLE>(handle));
}

unsigned long PlatformTicks() {
  return testSeamProfileFiles.getTickCount ? testSeamProfileFiles.getTickCount() : GetTickCount();
}

void PlatformPause(unsigned long milliseconds) {
  auto sleep = testSeamProfileFiles.sleep ? testSeamProfileFiles.sleep : Sleep;
  sleep(static_cast<DWORD>(milliseconds));
}

int PlatformHasRoom(size_t bytes) {
  void* block = malloc(bytes);
  free(block);
  return block != nullptr;
}

unsigned long PlatformProcessId() { return GetCurrentProcessId(); }

int PlatformProcessRunning(unsigned long id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
  // No such process; any other refusal (access denied) may be a live one.
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  int running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

int PlatformMachineName(char* name, size_t size) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = sizeof computer;
  if (!GetComputerNameA(computer, &length) || length == 0 || length >= size) return 0;
  memcpy(name, computer, length);
  name[length] = '\0';
  return 1;
}

void PlatformListTemporaries(const char* path, void (*found)(const char* name, void* context), void* context) {
  char pattern[MAX_PATH + 8];
  int n = snprintf(pattern, sizeof pattern, "%s.*.tmp", path);
  if (n < 0 || static_cast<size_t>(n) >= sizeof pattern) return;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(pattern, &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do found(entry.cFileName, context);
  while (FindNextFileA(find, &entry));
  FindClose(find);
}

void PlatformWideToAnsi(const char16_t* text, size_t count, std::string* out) {
  out->clear();
  if (count == 0 || count > 0x7FFFFFF) return;
  const WCHAR* wide = reinterpret_cast<const WCHAR*>(text);
  int size = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return;
  out->resize(static_cast<size_t>(size));
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(count), &(*out)[0], size, nullptr, nullptr);
}

void PlatformAnsiToWide(const char* text, size_t count, std::u16string* out) {
  out->clear();
  if (count == 0 || count > 0x7FFFFFF) return;
  int size = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(count), nullptr, 0);
  if (size <= 0) return;
  out->resize(static_cast<size_t>(size));
  MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(count), reinterpret_cast<WCHAR*>(&(*out)[0]), size);
}

int ProfileResolvePath(const char* name, char* path, size_t size) {
  if (!path || size == 0) return 0;
  path[0] = '\0';
  if (!name) return 0;
  size_t n = strlen(name);
  if (strpbrk(name, "\\/:")) {
    if (n >= size) return 0;
    memcpy(path, name, n + 1);
    return 1;
  }
  // A bare file name lives in the Windows directory.
  char folder[MAX_PATH];
  UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  const char* separator = folder[length - 1] == '\\' ? "" : "\\";
  if (length + strlen(separator) + n >= size) return 0;
  snprintf(path, size, "%s%s%s", folder, separator, name);
  return 1;
}
