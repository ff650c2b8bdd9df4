// The POSIX build's profile files can be made to replace a file the way
// Windows 95, 98 and ME must (the old file moved aside first), so that way
// can be tried here: the crash trials run both. They can also be made to
// run short of memory: PlatformHasRoom refuses blocks larger than
// profileMemoryRoom. A process can stand for a machine of another name
// (profileMachineName, null for the host's own), and a writer waiting for a
// lock can be given another clock and pause (profileTicks, profilePause).
#pragma once

#include <cstddef>

extern int profileReplaceInOneStep;  // 1 by default
extern size_t profileMemoryRoom;     // no limit by default
extern const char* profileMachineName;
extern unsigned long (*profileTicks)(void);
extern void (*profilePause)(unsigned long milliseconds);
