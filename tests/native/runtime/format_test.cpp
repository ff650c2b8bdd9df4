// The shipped programs' formatter against the C library's, conversion by
// conversion, and its bounds.
#include "common/runtime/format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

// Both formatters' text and length for the same arguments, in a buffer of
// the given size.
struct Both {
  std::string ours, theirs;
  int oursLength, theirsLength;
};

Both Format(size_t size, const char* format, ...) {
  char ours[256], theirs[256];
  memset(ours, '#', sizeof ours);
  memset(theirs, '#', sizeof theirs);
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  Both both;
  both.oursLength = FormatText(ours, size, format, args);
  both.theirsLength = vsnprintf(theirs, size, format, again);
  va_end(again);
  va_end(args);
  EXPECT_EQ('#', ours[size]) << format << ": wrote past its buffer";
  both.ours.assign(ours, size ? strlen(ours) : 0);
  both.theirs.assign(theirs, size ? strlen(theirs) : 0);
  return both;
}

#define EXPECT_SAME(size, ...)                               \
  do {                                                       \
    Both b = Format(size, __VA_ARGS__);                      \
    EXPECT_EQ(b.theirs, b.ours) << #__VA_ARGS__;             \
    EXPECT_EQ(b.theirsLength, b.oursLength) << #__VA_ARGS__; \
  } while (0)

TEST(FormatText, ConvertsAsTheCLibraryDoes) {
  EXPECT_SAME(200, "%d %i %d %d %ld %lld", 0, -7, INT_MAX, INT_MIN, LONG_MIN, LLONG_MIN);
  EXPECT_SAME(200, "%u %lu %llu %zu %x %X %lx %08lx %02X %08lX", 0u, ULONG_MAX, ULLONG_MAX, size_t{12345}, 0xBEEFu,
              0xBEEFu, 0x7Ful, 0xA5ul, 0x7u, 0xDEADBEEFul);
  EXPECT_SAME(200, "[%5d][%-5d][%05d][%.3d][%8.3d][%-8.3x][%.0d][%0*lu]", 42, 42, -42, 7, -7, 0xAu, 0, 3, 7ul);
  EXPECT_SAME(200, "[%s][%10s][%-10s][%.3s][%.79s][%*s][%-*s][%.*s]", "text", "right", "left", "cutting",
              "short", 6, "ab", 6, "ab", 2, "abc");
  EXPECT_SAME(200, "[%c][%3c][%-3c] 100%%", 'x', 'y', 'z');
  EXPECT_SAME(200, "%s / %s (%s)", "Artist", "Title", "rock");
}

TEST(FormatText, CutsToItsBufferAndCountsTheWholeText) {
  for (size_t size : {0u, 1u, 2u, 5u, 11u, 12u})
    EXPECT_SAME(size, "%s=%d", "Track12", 345);
  std::string longText(3000, 'k');
  // Longer than the platform formatter's 1,024 characters.
  Both b = Format(8, "%s!!", longText.c_str());
  EXPECT_EQ(3002, b.oursLength);
  EXPECT_EQ("kkkkkkk", b.ours);
}

}  // namespace
