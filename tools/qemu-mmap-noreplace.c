/* Preloaded into 32-bit Wine running under qemu-user (tools/wine-run
 * --wow32). qemu-user 7.2 treats mmap's MAP_FIXED_NOREPLACE as a mere hint,
 * so Wine's reservation of its address space, which relies on the flag
 * failing with EEXIST where something is already mapped, degenerates into
 * some 100,000 calls and a minute per process start. Here a call with the
 * flag maps without it and, when the block landed elsewhere, undoes the
 * mapping and fails with EEXIST, as a kernel that knows the flag does. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/types.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

typedef void *(*Mmap64)(void *, size_t, int, int, int, off64_t);

static void *MapNoReplace(void *address, size_t length, int protection, int flags, int fd,
                          off64_t offset) {
  static Mmap64 real;
  if (!real) real = (Mmap64)dlsym(RTLD_NEXT, "mmap64");
  if (!(flags & MAP_FIXED_NOREPLACE)) return real(address, length, protection, flags, fd, offset);
  void *mapped = real(address, length, protection, flags & ~MAP_FIXED_NOREPLACE, fd, offset);
  if (mapped == MAP_FAILED || mapped == address) return mapped;
  munmap(mapped, length);
  errno = EEXIST;
  return MAP_FAILED;
}

void *mmap(void *address, size_t length, int protection, int flags, int fd, off_t offset) {
  return MapNoReplace(address, length, protection, flags, fd, offset);
}

void *mmap64(void *address, size_t length, int protection, int flags, int fd, off64_t offset) {
  return MapNoReplace(address, length, protection, flags, fd, offset);
}

/* Programs Wine starts from here (the 64-bit loader among them) must not
 * inherit the library. */
__attribute__((constructor)) static void ForgetPreload(void) { unsetenv("LD_PRELOAD"); }
