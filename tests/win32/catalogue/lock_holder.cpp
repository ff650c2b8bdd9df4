// Stands for a player on another computer in the middle of a save: takes
// the lock of the catalogue named on its command line and holds it until it
// is ended. Exits with 1 at once when it cannot take the lock.
#include <windows.h>

#include "common/profile/profile.h"

int main(int argc, char** argv) {
  ProfileLock lock = {};
  if (argc != 2 || ProfileLockFile(argv[1], &lock) != kProfileOk) return 1;
  WaitForSingleObject(GetCurrentProcess(), INFINITE);
  return 0;
}
