// The shipped programs' string, memory and number functions against the
// host's C library: each function is given the same random inputs as the
// host's (a fixed seed, so a failure repeats) and must give the same result.
// They are compiled here under the names runtime_* (tests/native/CMakeLists.txt);
// every buffer has its exact size, so a read past its end stops AddressSanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" {
void* runtime_memcpy(void* to, const void* from, size_t size);
void* runtime_memmove(void* to, const void* from, size_t size);
void* runtime_memset(void* block, int value, size_t size);
int runtime_memcmp(const void* a, const void* b, size_t size);
void* runtime_memchr(const void* block, int value, size_t size);
size_t runtime_strlen(const char* text);
int runtime_strncmp(const char* a, const char* b, size_t count);
int runtime_strcmp(const char* a, const char* b);
char* runtime_strchr(const char* text, int c);
size_t runtime_strspn(const char* text, const char* set);
size_t runtime_strcspn(const char* text, const char* set);
char* runtime_strpbrk(const char* text, const char* set);
char* runtime_strstr(const char* text, const char* part);
long runtime_strtol(const char* text, char** end, int base);
int runtime_atoi(const char* text);
}

namespace {

using Random = std::mt19937;

size_t Below(Random& random, size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); }

// Few letters, so that searches both find and miss and compared texts share
// prefixes; bytes above 127 check that comparisons are of unsigned bytes.
const char kLetters[] = "ab\x80\xff";

std::string Text(Random& random, size_t longest, const char* letters = kLetters) {
  std::string text(Below(random, longest + 1), ' ');
  for (char& c : text) c = letters[Below(random, strlen(letters))];
  return text;
}

// A terminated copy on the heap, of exactly its size.
std::vector<char> Terminated(const std::string& text) {
  return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}

// The offset of a found position, -1 for none.
long At(const void* found, const void* base) {
  return found ? static_cast<const char*>(found) - static_cast<const char*>(base) : -1;
}

int Sign(int n) { return (n > 0) - (n < 0); }

// A character to look for: one of the letters, the terminator, or one of
// them given as an int beyond a char's range (the functions take it as a char).
int Character(Random& random) {
  const int c = static_cast<unsigned char>(kLetters[Below(random, sizeof kLetters)]);
  return Below(random, 4) == 0 ? c + 256 : c;
}

std::string Show(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    char hex[8];
    snprintf(hex, sizeof hex, c >= 32 && c < 127 ? "%c" : "\\x%02x", c);
    shown += hex;
  }
  return "\"" + shown + "\"";
}

// One round of a function on random inputs: empty when ours and the host's
// agree, else what differed.
using Round = std::string (*)(Random& random);

std::string MemcpyRound(Random& random) {
  const std::string from = Text(random, 40) + 'a';
  std::vector<char> ours(from.size() + 1, 'z'), theirs(ours);
  void* result = runtime_memcpy(ours.data(), from.data(), from.size());
  memcpy(theirs.data(), from.data(), from.size());
  if (result != ours.data() || ours != theirs) return "copy of " + Show(from);
  return "";
}

std::string MemmoveRound(Random& random) {
  const std::string block = Text(random, 40) + "0123456789";
  const size_t to = Below(random, block.size()), from = Below(random, block.size());
  const size_t size = Below(random, block.size() - std::max(to, from) + 1);
  std::vector<char> ours(block.begin(), block.end()), theirs(ours);
  void* result = runtime_memmove(ours.data() + to, ours.data() + from, size);
  memmove(theirs.data() + to, theirs.data() + from, size);
  if (result != ours.data() + to || ours != theirs)
    return "move of " + std::to_string(size) + " from " + std::to_string(from) + " to " + std::to_string(to);
  return "";
}

std::string MemsetRound(Random& random) {
  std::vector<char> ours(Below(random, 40) + 1, 'z'), theirs(ours);
  const size_t at = Below(random, ours.size()), size = Below(random, ours.size() - at + 1);
  const int value = static_cast<int>(Below(random, 1024)) - 512;
  void* result = runtime_memset(ours.data() + at, value, size);
  memset(theirs.data() + at, value, size);
  if (result != ours.data() + at || ours != theirs) return "value " + std::to_string(value);
  return "";
}

// The memory functions' blocks are never empty: C gives them no null
// pointer, even for a size of 0.
std::string MemcmpRound(Random& random) {
  const std::string a = Text(random, 12) + 'a';
  std::string b = a;
  if (!b.empty() && Below(random, 3)) b[Below(random, b.size())] = kLetters[Below(random, 4)];
  const std::vector<char> x(a.begin(), a.end()), y(b.begin(), b.end());
  const size_t size = Below(random, a.size() + 1);
  if (Sign(runtime_memcmp(x.data(), y.data(), size)) != Sign(memcmp(x.data(), y.data(), size)))
    return Show(a) + " and " + Show(b) + ", " + std::to_string(size);
  return "";
}

std::string MemchrRound(Random& random) {
  const std::string text = Text(random, 20) + 'b';
  const std::vector<char> block(text.begin(), text.end());
  const int c = Character(random);
  const size_t size = Below(random, block.size() + 1);
  if (At(runtime_memchr(block.data(), c, size), block.data()) != At(memchr(block.data(), c, size), block.data()))
    return Show(text) + ", " + std::to_string(c);
  return "";
}

std::string StrlenRound(Random& random) {
  const std::vector<char> text = Terminated(Text(random, 40));
  return runtime_strlen(text.data()) == strlen(text.data()) ? "" : Show(text.data());
}

// Two texts that often share a prefix, or one is the other's start.
void Pair(Random& random, std::string* a, std::string* b) {
  *a = Text(random, 8);
  *b = *a;
  switch (Below(random, 4)) {
    case 0: *b = Text(random, 8); break;
    case 1: b->resize(Below(random, b->size() + 1)); break;
    case 2: *b += Text(random, 3); break;
    default:
      if (!b->empty()) (*b)[Below(random, b->size())] = kLetters[Below(random, 4)];
  }
}

std::string StrcmpRound(Random& random) {
  std::string a, b;
  Pair(random, &a, &b);
  const std::vector<char> x = Terminated(a), y = Terminated(b);
  if (Sign(runtime_strcmp(x.data(), y.data())) != Sign(strcmp(x.data(), y.data()))) return Show(a) + " and " + Show(b);
  return "";
}

std::string StrncmpRound(Random& random) {
  std::string a, b;
  Pair(random, &a, &b);
  const std::vector<char> x = Terminated(a), y = Terminated(b);
  const size_t count = Below(random, 6) == 0 ? static_cast<size_t>(-1) : Below(random, 11);
  if (Sign(runtime_strncmp(x.data(), y.data(), count)) != Sign(strncmp(x.data(), y.data(), count)))
    return Show(a) + " and " + Show(b) + ", " + std::to_string(count);
  return "";
}

std::string StrchrRound(Random& random) {
  const std::vector<char> text = Terminated(Text(random, 20));
  const int c = Character(random);
  if (At(runtime_strchr(text.data(), c), text.data()) != At(strchr(text.data(), c), text.data()))
    return Show(text.data()) + ", " + std::to_string(c);
  return "";
}

// The set functions: a text and a set of up to three letters (maybe none).
std::string SetsRound(Random& random) {
  const std::vector<char> text = Terminated(Text(random, 20)), set = Terminated(Text(random, 3));
  const char* t = text.data();
  const char* s = set.data();
  if (runtime_strspn(t, s) != strspn(t, s)) return "strspn " + Show(t) + ", " + Show(s);
  if (runtime_strcspn(t, s) != strcspn(t, s)) return "strcspn " + Show(t) + ", " + Show(s);
  if (At(runtime_strpbrk(t, s), t) != At(strpbrk(t, s), t)) return "strpbrk " + Show(t) + ", " + Show(s);
  return "";
}

std::string StrstrRound(Random& random) {
  const std::vector<char> text = Terminated(Text(random, 24, "ab")), part = Terminated(Text(random, 4, "ab"));
  if (At(runtime_strstr(text.data(), part.data()), text.data()) != At(strstr(text.data(), part.data()), text.data()))
    return Show(text.data()) + ", " + Show(part.data());
  return "";
}

// A number's text from pieces: blanks, signs, base prefixes, digits and
// letters of every base, and the edges of long's range.
std::string NumberText(Random& random) {
  static const char* const kPieces[] = {" ", "\t", "\n", "\v", "\f", "\r", "+", "-", "0", "0x", "0X", "x", "g",
                                        "z", "Z", "8", "9223372036854775807", "9223372036854775808",
                                        "-9223372036854775808",
                                        "7fffffffffffffff", "8000000000000000", "1777777777777777777777", ""};
  std::string text;
  for (size_t n = Below(random, 4) + 1; n; --n) {
    if (Below(random, 3) == 0)
      text += Text(random, 22, "0123456789abcdefxyzABCDEF");
    else
      text += kPieces[Below(random, sizeof kPieces / sizeof *kPieces)];
  }
  return text;
}

std::string StrtolRound(Random& random) {
  static const int kBases[] = {0, 0, 10, 10, 16, 16, 8, 2, 36};
  const int base = Below(random, 5) == 0 ? static_cast<int>(Below(random, 35)) + 2 : kBases[Below(random, 9)];
  const std::vector<char> text = Terminated(NumberText(random));
  char* oursEnd = nullptr;
  char* theirsEnd = nullptr;
  const long ours = runtime_strtol(text.data(), &oursEnd, base);
  const long theirs = strtol(text.data(), &theirsEnd, base);
  if (ours != theirs || oursEnd != theirsEnd)
    return Show(text.data()) + " base " + std::to_string(base) + ": " + std::to_string(ours) + " to " +
           std::to_string(oursEnd - text.data()) + ", expected " + std::to_string(theirs) + " to " +
           std::to_string(theirsEnd - text.data());
  return "";
}

// Within int's range: beyond it C leaves atoi's result undefined.
std::string AtoiRound(Random& random) {
  static const char* const kStarts[] = {"", " ", "\t ", "-", "+", " -", "x"};
  const std::string number = kStarts[Below(random, 7)] + Text(random, 9, "0123456789") + Text(random, 2, "9a -");
  const std::vector<char> text = Terminated(number);
  return runtime_atoi(text.data()) == atoi(text.data()) ? "" : Show(number);
}

TEST(ReleaseRuntime, StringMemoryAndNumberFunctionsAgreeWithTheHostsCLibrary) {
  const struct {
    const char* name;
    Round round;
  } functions[] = {
      {"memcpy", MemcpyRound},   {"memmove", MemmoveRound}, {"memset", MemsetRound},   {"memcmp", MemcmpRound},
      {"memchr", MemchrRound},   {"strlen", StrlenRound},   {"strcmp", StrcmpRound},   {"strncmp", StrncmpRound},
      {"strchr", StrchrRound},   {"strspn, strcspn, strpbrk", SetsRound},              {"strstr", StrstrRound},
      {"strtol", StrtolRound},   {"atoi", AtoiRound},
  };
  const int kRounds = 1000;
  for (const auto& f : functions) {
    Random random(20260101);
    std::string first;
    int differed = 0;
    for (int i = 0; i < kRounds; ++i) {
      const std::string difference = f.round(random);
      if (!difference.empty() && differed++ == 0) first = difference;
    }
    EXPECT_EQ(0, differed) << f.name << " differed in " << differed << " of " << kRounds << " rounds, first on "
                           << first;
  }
}

}  // namespace
