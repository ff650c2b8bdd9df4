// Profile file access on POSIX systems (the native build and its tools).
#include "common/profile/profile.h"
#include "common/profile/profile_platform.h"
#include "common/profile/profile_posix.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

unsigned long MonotonicTicks() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<unsigned long>(now.tv_sec) * 1000ul + static_cast<unsigned long>(now.tv_nsec / 1000000);
}

void SleepFor(unsigned long milliseconds) {
  timespec pause = {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

int lastFailure = kProfileFailed;

// An errno value as a user can act on it.
int Classify(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return kProfileDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return kProfileReadOnly;
    case EAGAIN:
    case EBUSY:
    case ETXTBSY:
      return kProfileHeld;
    case ENOENT:
    case ENOTDIR:
    case EIO:
    case ENXIO:
    case ENODEV:
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ETIMEDOUT:
      return kProfileUnreachable;
    default:
      return kProfileFailed;
  }
}

// Notes why a call failed; returns Failed.
int Fail(int error) {
  lastFailure = Classify(error);
  return kFileFailed;
}

}  // namespace

int profileReplaceInOneStep = 1;
size_t profileMemoryRoom = SIZE_MAX;
const char* profileMachineName;
unsigned long (*profileTicks)(void) = MonotonicTicks;
void (*profilePause)(unsigned long milliseconds) = SleepFor;

namespace {

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t done = write(fd, p, n);
    if (done < 0 && errno == EINTR) continue;
    if (done == 0) errno = ENOSPC;
    if (done <= 0) return false;
    p += done;
    n -= static_cast<size_t>(done);
  }
  return true;
}

std::string Folder(const char* path) {
  std::string folder(path);
  size_t slash = folder.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
}

// Makes a rename durable; a failure here leaves the renamed file in place,
// so it is not reported.
void SyncFolder(const char* path) {
  int fd = open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Missing, or Failed with the reason noted.
int Result(int error) {
  Fail(error);
  return error == ENOENT || error == ENOTDIR ? kFileMissing : kFileFailed;
}

}  // namespace

int PlatformLastFailure() { return lastFailure; }

int PlatformReadFile(const char* path, size_t limit, std::string* bytes) {
  bytes->clear();
  int fd = open(path, O_RDONLY);
  if (fd < 0) return Result(errno);
  struct stat st;
  int result = kFileDone;
  size_t size = 0, done = 0;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<unsigned long long>(st.st_size) > limit)
    result = Fail(EFBIG);
  else
    size = static_cast<size_t>(st.st_size);
  if (result == kFileDone && PlatformHasRoom(size + 1))
    bytes->resize(size);
  else if (result == kFileDone)
    result = Fail(ENOMEM);
  // The whole size, and then nothing more: a file that grew meanwhile is
  // not read in part.
  for (char extra; result == kFileDone;) {
    ssize_t n = done < size ? read(fd, &(*bytes)[done], size - done) : read(fd, &extra, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) result = Fail(errno);
    else if (done == size && n > 0) result = Fail(EFBIG);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  if (result == kFileDone) bytes->resize(done);
  else bytes->clear();
  return result;
}

int PlatformWriteNewFile(const char* path, const std::string& bytes) {
  int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? kFileExists : Fail(errno);
  // The first error is the one that tells why.
  int error = WriteAll(fd, bytes.data(), bytes.size()) ? 0 : errno;
  if (fsync(fd) != 0 && !error) error = errno;
  if (close(fd) != 0 && !error) error = errno;
  if (!error) return kFileDone;
  unlink(path);
  return Fail(error);
}

int PlatformReplaceFile(const char* from, const char* to) {
  if (!profileReplaceInOneStep) return kFileUnsupported;
  // The new file keeps the permissions of the one it replaces.
  struct stat old;
  if (stat(to, &old) == 0) chmod(from, old.st_mode & 07777);
  if (rename(from, to) != 0) return Fail(errno);
  SyncFolder(to);
  return kFileDone;
}

int PlatformRenameFile(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) != 0) return Result(errno);
  SyncFolder(to);
  return kFileDone;
}

int PlatformDeleteFile(const char* path) {
  if (unlink(path) != 0) return Result(errno);
  SyncFolder(path);
  return kFileDone;
}

int PlatformFileState(const char* path) {
  struct stat st;
  if (stat(path, &st) != 0) return Result(errno);
  // Without a write permission for anyone, as Windows' read-only attribute.
  return (st.st_mode & 0222) == 0 ? kFileReadOnly : kFileExists;
}

int PlatformOpenLock(const char* path, intptr_t* handle) {
  int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(errno);
  *handle = fd;
  return kFileDone;
}

int PlatformTryLock(intptr_t handle) {
  // A lock of the open file description, as a Windows lock belongs to its
  // handle: a second open in the same process does not share it, and the
  // lock goes when the descriptor is closed or its process ends.
  struct flock range = {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = 0;
  range.l_len = 1;
  if (fcntl(static_cast<int>(handle), F_OFD_SETLK, &range) == 0) return kFileDone;
  if (errno == EAGAIN || errno == EACCES) return kFileHeld;
  return errno == EINVAL || errno == ENOLCK ? kFileUnsupported : Fail(errno);
}

void PlatformCloseLock(intptr_t handle) { close(static_cast<int>(handle)); }

unsigned long PlatformTicks() { return profileTicks(); }

void PlatformPause(unsigned long milliseconds) { profilePause(milliseconds); }

int PlatformHasRoom(size_t bytes) {
  if (bytes > profileMemoryRoom) return 0;
  void* block = malloc(bytes);
  free(block);
  return block != nullptr;
}

unsigned long PlatformProcessId() { return static_cast<unsigned long>(getpid()); }

int PlatformProcessRunning(unsigned long id) {
  // 0 and ids beyond pid_t would name process groups.
  if (id == 0 || id > INT_MAX) return 0;
  return kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

int PlatformMachineName(char* name, size_t size) {
  if (profileMachineName) {
    snprintf(name, size, "%s", profileMachineName);
    return name[0] && strlen(profileMachineName) < size;
  }
  return gethostname(name, size) == 0 && memchr(name, '\0', size) && name[0];
}

void PlatformListTemporaries(const char* path, void (*found)(const char* name, void* context), void* context) {
  DIR* dir = opendir(Folder(path).c_str());
  if (!dir) return;
  const char* base = strrchr(path, '/');
  base = base ? base + 1 : path;
  size_t length = strlen(base);
  while (dirent* entry = readdir(dir))
    if (strncmp(entry->d_name, base, length) == 0 && entry->d_name[length] == '.') found(entry->d_name, context);
  closedir(dir);
}

// The ANSI code page of the POSIX build is Latin-1.
void PlatformWideToAnsi(const char16_t* text, size_t count, std::string* out) {
  out->clear();
  for (size_t i = 0; i < count; ++i) out->push_back(text[i] < 0x100 ? static_cast<char>(text[i]) : '?');
}

void PlatformAnsiToWide(const char* text, size_t count, std::u16string* out) {
  out->clear();
  for (size_t i = 0; i < count; ++i) out->push_back(static_cast<char16_t>(static_cast<unsigned char>(text[i])));
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
