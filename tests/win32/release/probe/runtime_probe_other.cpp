// The probe's static object in a second file: the linker's table of
// constructors then has an entry per file.
#include "tests/win32/release/probe/runtime_probe.h"

namespace {

Reporter other("other");

}  // namespace
