// Profile file access on Windows.
#include "common/profile/profile.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

int ProfileReadFile(const char* path, std::string* text) {
  text->clear();
  if (!path) return 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 0;
  char buffer[65536];
  int ok = 1;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &n, NULL)) ok = 0;
    if (!ok || n == 0) break;
    text->append(buffer, n);
  }
  CloseHandle(file);
  if (!ok) text->clear();
  return ok;
}

int ProfileWriteFile(const char* path, const std::string& text) {
  if (!path || !*path) return 0;
  // A name of our own beside the target; CREATE_NEW keeps two writers apart.
  char temp[MAX_PATH];
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    int n = snprintf(temp, sizeof temp, "%s.%lu-%d.tmp", path, GetCurrentProcessId(), attempt);
    if (n < 0 || static_cast<size_t>(n) >= sizeof temp) return 0;
    file = CreateFileA(temp, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return 0;
  }
  if (file == INVALID_HANDLE_VALUE) return 0;
  bool ok = true;
  for (size_t done = 0; ok && done < text.size();) {
    size_t left = text.size() - done;
    DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    ok = WriteFile(file, text.data() + done, chunk, &written, NULL) && written > 0;
    done += written;
  }
  ok = ok && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DeleteFileA(temp);
    return 0;
  }
  return 1;
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
