// Profile file access on Windows, from Windows 95 and NT 4.0 on.
#include "common/profile/profile.h"
#include "common/profile/profile_platform.h"
#include "common/profile/profile_win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

ProfileSystemCalls profileSystemCalls = {CreateFileA, ReadFile, nullptr, 0};

namespace {

int Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

int PlatformReadFile(const char* path, size_t limit, std::string* bytes) {
  bytes->clear();
  // Shared with writers and with deletion, so that the file never blocks
  // another program; Windows 95, 98 and ME refuse FILE_SHARE_DELETE.
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = profileSystemCalls.createFile(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    file = profileSystemCalls.createFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Missing(GetLastError()) ? kFileMissing : kFileFailed;
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  int result = kFileDone;
  if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || size > limit ||
      !PlatformHasRoom(static_cast<size_t>(size) + 1))
    result = kFileFailed;
  else
    bytes->resize(size);
  // The whole size, and then nothing more: a file that grew meanwhile is
  // not read in part.
  DWORD done = 0;
  for (char extra; result == kFileDone;) {
    DWORD n = 0;
    char* at = done < size ? &(*bytes)[done] : &extra;
    if (!profileSystemCalls.readFile(file, at, done < size ? size - done : 1, &n, nullptr) || (done == size && n > 0))
      result = kFileFailed;
    if (n == 0) break;
    done += n;
  }
  CloseHandle(file);
  if (result == kFileDone) bytes->resize(done);
  else bytes->clear();
  return result;
}

int PlatformWriteNewFile(const char* path, const std::string& bytes) {
  HANDLE file = profileSystemCalls.createFile(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS ? kFileExists : kFileFailed;
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size();) {
    size_t left = bytes.size() - done;
    DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written > 0;
    done += written;
  }
  ok = FlushFileBuffers(file) && ok;
  ok = CloseHandle(file) && ok;
  if (!ok) DeleteFileA(path);
  return ok ? kFileDone : kFileFailed;
}

int PlatformReplaceFile(const char* from, const char* to) {
  if (!profileSystemCalls.lookedUp) {
    profileSystemCalls.moveFileEx = reinterpret_cast<BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD)>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
    profileSystemCalls.lookedUp = 1;
  }
  if (!profileSystemCalls.moveFileEx) return kFileUnsupported;
  if (profileSystemCalls.moveFileEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return kFileDone;
  return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? kFileUnsupported : kFileFailed;
}

int PlatformRenameFile(const char* from, const char* to) {
  if (MoveFileA(from, to)) return kFileDone;
  return Missing(GetLastError()) ? kFileMissing : kFileFailed;
}

int PlatformDeleteFile(const char* path) {
  if (DeleteFileA(path)) return kFileDone;
  DWORD error = GetLastError();
  if (Missing(error)) return kFileMissing;
  // A read-only file is not deleted until its attribute is cleared.
  DWORD attributes = GetFileAttributesA(path);
  if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
      !(attributes & FILE_ATTRIBUTE_READONLY) || !SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY))
    return kFileFailed;
  return DeleteFileA(path) ? kFileDone : kFileFailed;
}

int PlatformFileState(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return Missing(GetLastError()) ? kFileMissing : kFileFailed;
  return attributes & FILE_ATTRIBUTE_READONLY ? kFileReadOnly : kFileExists;
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
