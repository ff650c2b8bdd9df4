// Profile file access on POSIX systems (the native build and its tools).
#include "common/profile/profile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t done = write(fd, p, n);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    p += done;
    n -= static_cast<size_t>(done);
  }
  return true;
}

// Makes the rename itself durable; a failure here leaves the new file in
// place, so it is not reported.
void SyncFolder(const char* path) {
  std::string folder(path);
  size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

int ProfileReadFile(const char* path, std::string* text) {
  text->clear();
  if (!path) return 0;
  int fd = open(path, O_RDONLY);
  if (fd < 0) return 0;
  char buffer[65536];
  int ok = 1;
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = 0;
    if (n <= 0) break;
    text->append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  if (!ok) text->clear();
  return ok;
}

int ProfileWriteFile(const char* path, const std::string& text) {
  if (!path || !*path) return 0;
  // A name of our own beside the target; O_EXCL keeps two writers apart.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = std::string(path) + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno != EEXIST) return 0;
  }
  if (fd < 0) return 0;
  struct stat old;
  if (stat(path, &old) == 0) fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, text.data(), text.size()) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), path) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return 0;
  }
  SyncFolder(path);
  return 1;
}

int ProfileResolvePath(const char* name, char* path, size_t size) {
  if (!path || size == 0) return 0;
  path[0] = '\0';
  if (!name) return 0;
  size_t n = strlen(name);
  if (n >= size) return 0;
  memcpy(path, name, n + 1);
  return 1;
}
