#include "common/profile/profile.h"
#include "common/profile/profile_posix.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Get(const std::string& text, const char* section, const char* key, const char* def = "DEF",
                size_t size = 256) {
  std::vector<char> out(size + 1, '#');
  size_t n = ProfileGetString(text, section, key, def, out.data(), size);
  EXPECT_EQ('#', out[size]) << "wrote past the buffer";
  if (size == 0) return "<none>";
  EXPECT_EQ(n, strlen(out.data()));
  return out.data();
}

std::string Write(std::string text, const char* section, std::vector<ProfileEntry> entries, int* changed = nullptr) {
  int c = ProfileWriteSection(&text, section, entries.data(), entries.size());
  if (changed) *changed = c;
  return text;
}

TEST(ProfileRead, NamesMatchWithoutCaseAndBlanksAroundNamesAndValuesAreIgnored) {
  const std::string text =
      "[Disc]\r\n  Title  =  Abbey Road  \r\n\tYEAR\t=\t1969\x1a\r\n"
      "[Other Disc]\r\nTitle=x\r\n  [Padded]  ; note\r\nk=p\r\n";
  EXPECT_EQ("Abbey Road", Get(text, "disc", "title"));
  EXPECT_EQ("Abbey Road", Get(text, " DISC\t", " tItLe "));
  EXPECT_EQ(1969, ProfileGetInt(text, "Disc", "Year", 0));
  EXPECT_EQ("x", Get(text, "other disc", "TITLE"));
  EXPECT_EQ("p", Get(text, "padded", "k"));
  EXPECT_EQ("DEF", Get(text, "Other", "Title"));
  EXPECT_EQ("DEF", Get(text, "Disc", "Titl"));
  EXPECT_EQ("DEF", Get(text, "Nowhere", "Title"));
  EXPECT_EQ("DEF", Get("", "Disc", "Title"));
}

TEST(ProfileRead, SectionHeaderNamesAreTheTextUpToTheLastBracket) {
  const std::string text =
      "[ Spaced\t]\r\nk=1\r\n[a]b]\r\nk=2\r\n[Tail]junk\r\nk=3\r\n[Open=4\r\n[Open\r\n";
  EXPECT_EQ("1", Get(text, "spaced", "k"));
  EXPECT_EQ("2", Get(text, "a]b", "k"));
  EXPECT_EQ("3", Get(text, "Tail", "k"));
  // Without a "]" the line is a key line of the section before.
  EXPECT_EQ("DEF", Get(text, "Open", "k"));
  EXPECT_EQ("4", Get(text, "Tail", "[Open"));
}

TEST(ProfileRead, OnePairOfMatchingOuterQuotesIsRemoved) {
  const std::string text =
      "[Q]\r\nd=\"double\"\r\ns='single'\r\nu=\"unmatched\r\nm=\"mixed'\r\none=\"\r\nempty=\"\"\r\n"
      "inner=\" kept blanks \"\r\ntwice=\"\"x\"\"\r\nmid=a\"b\"\r\n";
  EXPECT_EQ("double", Get(text, "Q", "d"));
  EXPECT_EQ("single", Get(text, "Q", "s"));
  EXPECT_EQ("\"unmatched", Get(text, "Q", "u"));
  EXPECT_EQ("\"mixed'", Get(text, "Q", "m"));
  EXPECT_EQ("\"", Get(text, "Q", "one"));
  EXPECT_EQ("", Get(text, "Q", "empty"));
  EXPECT_EQ(" kept blanks ", Get(text, "Q", "inner"));
  EXPECT_EQ("\"x\"", Get(text, "Q", "twice"));
  EXPECT_EQ("a\"b\"", Get(text, "Q", "mid"));
  // Defaults are read the same way, without their trailing spaces.
  EXPECT_EQ("dq", Get(text, "Q", "missing", "'dq'"));
  EXPECT_EQ("abc", Get(text, "Q", "missing", "abc   "));
  EXPECT_EQ(" ", Get(text, "Q", "missing", "   "));
  EXPECT_EQ("", Get(text, "Q", "missing", nullptr));
}

TEST(ProfileRead, FirstKeyAndFirstSectionWinAndKeysWithoutValueGiveTheDefault) {
  const std::string text =
      "[S]\r\nk=first\r\nK=second\r\nbare\r\nbare=late\r\n; note=c\r\nempty=\r\n"
      "[s]\r\nk=third\r\nonly=in second\r\n";
  EXPECT_EQ("first", Get(text, "S", "k"));
  EXPECT_EQ("DEF", Get(text, "S", "only"));
  EXPECT_EQ("DEF", Get(text, "S", "bare"));
  EXPECT_EQ("c", Get(text, "S", "; note"));
  EXPECT_EQ("", Get(text, "S", "empty"));
  EXPECT_EQ(7, ProfileGetInt(text, "S", "empty", 7));
  EXPECT_EQ(7, ProfileGetInt(text, "S", "bare", 7));
}

TEST(ProfileRead, ValuesAreCutToTheBufferAndTheBufferIsNeverOverrun) {
  const std::string text = "[S]\r\nk=abcdef\r\nq=\"abc\"\r\n";
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(0u, ProfileGetString(text, "S", "k", "", out, 0));
  EXPECT_EQ('x', out[0]);
  EXPECT_EQ("abc", Get(text, "S", "k", "", 4));
  EXPECT_EQ("a", Get(text, "S", "k", "", 2));
  EXPECT_EQ("", Get(text, "S", "k", "", 1));
  EXPECT_EQ("abcdef", Get(text, "S", "k", "", 7));
  // A quoted value that just fits keeps all its characters.
  EXPECT_EQ("abc", Get(text, "S", "q", "", 4));
  EXPECT_EQ("ab", Get(text, "S", "q", "", 3));
  EXPECT_EQ("de", Get(text, "S", "missing", "def", 3));
}

TEST(ProfileRead, LinesEndAtCrLfOrEitherAloneAndTheLastNeedsNoLineBreak) {
  EXPECT_EQ("2", Get("[A]\nx=1\n[B]\ny=2", "B", "y"));
  EXPECT_EQ("1", Get("[A]\rx=1\r[B]\ry=2\r", "A", "x"));
  EXPECT_EQ("2", Get("[A]\r\n\r\n\n\rx=1\r\r\n[B]\ny=2", "B", "y"));
  EXPECT_EQ("v", Get("[A]\r\nx=v", "A", "x"));
  EXPECT_EQ("DEF", Get("[A]", "A", "x"));
  EXPECT_EQ("1", Get("\xEF\xBB\xBF[A]\r\nx=1\r\n", "A", "x"));
}

TEST(ProfileRead, KeysBeforeTheFirstHeaderBelongToTheSectionWithTheEmptyName) {
  const std::string text = "top=1\r\n[A]\r\nx=2\r\n[]\r\ntop=3\r\n";
  EXPECT_EQ("1", Get(text, "", "top"));
  EXPECT_EQ("1", Get(text, "  ", "TOP"));
  EXPECT_EQ("DEF", Get(text, "", "x"));
  EXPECT_EQ("DEF", Get(text, "A", "top"));
}

TEST(ProfileRead, NamesAndValuesStopAtANul) {
  const char raw[] = "[S\0x]\r\nk\0y=1\r\nv=a\0b\r\n";
  const std::string text(raw, sizeof raw - 1);
  EXPECT_EQ("1", Get(text, "S", "k"));
  EXPECT_EQ("a", Get(text, "S", "v"));
}

TEST(ProfileRead, IntegersAreReadAsThePlatformReadsThem) {
  const std::string text =
      "[N]\r\na=  -12abc\r\nb=+7\r\nc=0x1F\r\nd=0X1F\r\ne=0o17\r\nf=0b101\r\ng=abc\r\nh=- 5\r\n"
      "i=4294967295\r\nj=4294967296\r\nk=2147483648\r\nl=\"42\"\r\nm=12345678901234567890123456789012\r\n"
      "n=0x\r\no=\"  9\"\r\np=0xfffffffe\r\n";
  struct Case {
    const char* key;
    int want;
  };
  const Case cases[] = {{"a", -12}, {"b", 7},       {"c", 31},      {"d", 0},        {"e", 15},
                        {"f", 5},   {"g", 0},       {"h", 0},       {"i", -1},       {"j", 0},
                        {"k", INT_MIN}, {"l", 42},  {"m", 1849262357}, {"n", 0},     {"o", 9},
                        {"p", -2},  {"missing", 99}};
  for (const Case& c : cases) EXPECT_EQ(c.want, ProfileGetInt(text, "N", c.key, 99)) << c.key;
  EXPECT_EQ(99, ProfileGetInt(text, "Nope", "a", 99));
}

TEST(ProfileRead, ASectionFoundOnceServesEveryKey) {
  const std::string text = "[A]\r\nx=1\r\n[B]\r\nx=2\r\ny=3\r\n[C]\r\nx=4\r\n";
  ProfileSection b = ProfileFindSection(text, "b");
  ASSERT_EQ(1, b.found);
  EXPECT_EQ("x=2\r\ny=3\r\n", std::string(b.begin, b.end));
  EXPECT_EQ(3, ProfileSectionGetInt(&b, "y", 0));
  char out[8];
  EXPECT_EQ(1u, ProfileSectionGetString(&b, "x", "", out, sizeof out));
  EXPECT_STREQ("2", out);
  ProfileSection none = ProfileFindSection(text, "D");
  EXPECT_EQ(0, none.found);
  EXPECT_EQ(5, ProfileSectionGetInt(&none, "x", 5));
  EXPECT_EQ(0, ProfileFindSection(text, nullptr).found);
}

TEST(ProfileWrite, ANewFileANewSectionAtTheEndAndANewKeyAfterTheLastLineOfItsSection) {
  int changed = 0;
  EXPECT_EQ("[S]\r\nk=v\r\nn=2\r\n", Write("", "S", {{"k", "v"}, {"n", "2"}}, &changed));
  EXPECT_EQ(1, changed);
  EXPECT_EQ("[A]\r\nx=1\r\n[B]\r\nk=v\r\n", Write("[A]\r\nx=1\r\n", " B ", {{" k ", "v"}}));
  EXPECT_EQ("[A]\r\nx=1\r\n[B]\r\nk=v\r\n", Write("[A]\r\nx=1", "B", {{"k", "v"}}));
  EXPECT_EQ("[A]\nx=1\n\n[B]\r\nk=v\r\n", Write("[A]\nx=1\n\n", "B", {{"k", "v"}}));
  EXPECT_EQ("[A]\r\nx=1\r\n; note\r\nz=3\r\n\r\n[B]\r\ny=2\r\n",
            Write("[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny=2\r\n", "a", {{"z", "3"}}));
  EXPECT_EQ("[A]\r\nz=3\r\n\r\n[B]", Write("[A]\r\n\r\n[B]", "A", {{"z", "3"}}));
  EXPECT_EQ("[A]\r\nz=3\r\n", Write("[A]", "A", {{"z", "3"}}));
  EXPECT_EQ("[A]\nx=1\r\nz=3\r\n", Write("[A]\nx=1", "A", {{"z", "3"}}));
  EXPECT_EQ("[A]\rx=1\rz=3\r\n", Write("[A]\rx=1\r", "A", {{"z", "3"}}));
}

TEST(ProfileWrite, AnExistingKeyKeepsItsSpellingAndPlaceAndEveryOtherLineStays) {
  const std::string text = "; top\n[Disc]\n  TITLE = old  \n\nyear=1\nbare\n[Disc]\nTitle=dup\n";
  int changed = 0;
  EXPECT_EQ("; top\n[Disc]\nTITLE=new\r\n\nyear=1\nbare=b\r\n[Disc]\nTitle=dup\n",
            Write(text, "disc", {{"Title", "new"}, {"Year", "1"}, {"BARE", "b"}}, &changed));
  EXPECT_EQ(1, changed);
  EXPECT_EQ(text, Write(text, "DISC", {{"title", "old"}, {"year", "1"}}, &changed));
  EXPECT_EQ(0, changed);
  EXPECT_EQ(text, Write(text, "Disc", {}, &changed));
  EXPECT_EQ(0, changed);
}

TEST(ProfileWrite, EntriesApplyInOrderAsSeparateWritesWould) {
  EXPECT_EQ("[S]\r\na=2\r\nb=4\r\n", Write("", "S", {{"a", "1"}, {"A", "2"}, {"b", "3"}, {"b", "4"}}));
  int changed = 0;
  EXPECT_EQ("[S]\r\na=1\r\n", Write("[S]\r\na=1\r\n", "S", {{"a", "9"}, {"a", "1"}}, &changed));
  EXPECT_EQ(0, changed);
  EXPECT_EQ("[S]\r\nk=v\r\n", Write("", "S", {{nullptr, "x"}, {"k", nullptr}, {"k", "v"}}));
  // Keys that would read back as another key or as a header are not written.
  EXPECT_EQ("[S]\r\n; c=1\r\n", Write("[S]\r\n", "S", {{"a=b", "1"}, {" [T]", "x]"}, {"[", "2"}, {"; c", "1"}}));
  EXPECT_EQ("", Write("", "", {{"\xEF\xBB\xBFk", "1"}, {"\xFF\xFEk", "2"}, {"\xFE\xFFk", "3"}}));
}

TEST(ProfileWrite, EveryValueReadsBackAsWrittenAndStaysOnItsLine) {
  const char* values[] = {" lead", "trail\t", "\"q\"", "'x'", "\"\"", "\"", "a\"b", "", "plain text"};
  std::string text;
  for (size_t i = 0; i < sizeof values / sizeof *values; ++i) {
    std::string key = "k" + std::to_string(i);
    ProfileEntry e = {key.c_str(), values[i]};
    ProfileWriteSection(&text, "S", &e, 1);
    EXPECT_EQ(values[i], Get(text, "S", key.c_str())) << i;
  }
  EXPECT_EQ("[S]\r\nk0=\" lead\"\r\nk1=\"trail\t\"\r\nk2=\"\"q\"\"\r\nk3=\"'x'\"\r\nk4=\"\"\"\"\r\nk5=\"\r\n"
            "k6=a\"b\r\nk7=\r\nk8=plain text\r\n",
            text);
  // A line break in a value or a name cannot start a line of its own.
  text = Write("[S]\r\nk=1\r\n", "S\nX", {{"k", "a\r\n[S]\r\nk=evil"}, {"x\ry", "2"}});
  EXPECT_EQ("[S]\r\nk=1\r\n[S X]\r\nk=a  [S]  k=evil\r\nx y=2\r\n", text);
  EXPECT_EQ("1", Get(text, "S", "k"));
}

TEST(ProfileWrite, TheSectionWithTheEmptyNameIsTheTopOfTheFile) {
  EXPECT_EQ("k=v\r\n", Write("", "", {{"k", "v"}}));
  EXPECT_EQ("k=v\r\n[A]\r\n", Write("[A]\r\n", " ", {{"k", "v"}}));
  EXPECT_EQ("; c\r\nk=v\r\n[A]\r\n", Write("; c\r\n[A]\r\n", "", {{"k", "v"}}));
  EXPECT_EQ("\xEF\xBB\xBFk=v\r\n[A]\r\n", Write("\xEF\xBB\xBF[A]\r\n", "", {{"k", "v"}}));
}

TEST(ProfileWrite, OneRecordInALargeCatalogueChangesOnlyItsOwnLines) {
  std::string text, expected;
  for (int i = 0; i < 10000; ++i) {
    std::string s = "[" + std::to_string(100000 + i) + "]\r\nDiscTitle=Disc " + std::to_string(i) +
                    "\r\nDiscArtist=Band\r\nTrack1=One\r\nTrack2=Two\r\n";
    text += s;
    if (i == 7777) s = "[107777]\r\nDiscTitle=Renamed\r\nDiscArtist=Band\r\nTrack1=One\r\nTrack2=Two\r\nTrack3=New\r\n";
    expected += s;
  }
  EXPECT_EQ(expected, Write(text, "107777", {{"DiscTitle", "Renamed"}, {"DiscArtist", "Band"}, {"Track3", "New"}}));
}

// Files in a fresh folder of the system's temporary folder.
struct Folder {
  std::string path;
};

Folder MakeFolder() {
  char name[] = "/tmp/profile_test_XXXXXX";
  Folder f;
  f.path = mkdtemp(name) ? name : "";
  return f;
}

std::vector<std::string> Entries(const Folder& f) {
  std::vector<std::string> names;
  DIR* dir = opendir(f.path.c_str());
  if (!dir) return names;
  while (dirent* e = readdir(dir))
    if (e->d_name[0] != '.') names.push_back(e->d_name);
  closedir(dir);
  return names;
}

void RemoveFolder(const Folder& f) {
  for (const std::string& n : Entries(f)) unlink((f.path + "/" + n).c_str());
  rmdir(f.path.c_str());
}

std::string ReadText(const std::string& path) {
  ProfileFile file = {};
  EXPECT_EQ(1, ProfileReadFile(path.c_str(), &file)) << path;
  return file.text;
}

int WriteText(const std::string& path, const std::string& text) {
  ProfileFile file = {text, kProfileBytes, ""};
  return ProfileSaveFile(path.c_str(), &file) == kProfileOk;
}

std::string Bytes(const std::string& path) {
  std::string bytes;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    for (int c; (c = fgetc(f)) != EOF;) bytes.push_back(static_cast<char>(c));
    fclose(f);
  }
  return bytes;
}

void PutBytes(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

// Text in UTF-16LE with its byte order mark.
std::string Le(const std::u16string& text) {
  std::string bytes("\xFF\xFE", 2);
  for (char16_t c : text) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

TEST(ProfileFile, WritesReplaceTheWholeFileAndLeaveNoTemporaryFile) {
  Folder f = MakeFolder();
  ASSERT_FALSE(f.path.empty());
  std::string path = f.path + "/tunedeck.ini";
  EXPECT_EQ("", ReadText(path));  // missing: read, and empty

  const std::string first("[S]\r\nk=v\r\n\0tail", 15);
  ASSERT_EQ(1, WriteText(path, first));
  ASSERT_EQ(0, chmod(path.c_str(), 0640));
  ASSERT_EQ(1, WriteText(path, "[T]\r\n"));
  EXPECT_EQ("[T]\r\n", ReadText(path));
  struct stat st;
  ASSERT_EQ(0, stat(path.c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 0777);
  ASSERT_EQ(1, WriteText(path, first));
  EXPECT_EQ(first, ReadText(path));
  EXPECT_EQ(std::vector<std::string>{"tunedeck.ini"}, Entries(f));

  // A folder that is missing: nothing is written, nothing is left.
  EXPECT_EQ(0, WriteText(f.path + "/missing/x.ini", first));
  // A target that cannot be replaced or read (a folder): the temporary file
  // goes, and the read fails rather than giving an empty file.
  ASSERT_EQ(0, mkdir((f.path + "/dir.ini").c_str(), 0755));
  EXPECT_EQ(0, WriteText(f.path + "/dir.ini", first));
  ProfileFile file = {};
  EXPECT_EQ(0, ProfileReadFile((f.path + "/dir.ini").c_str(), &file));
  rmdir((f.path + "/dir.ini").c_str());
  EXPECT_EQ(std::vector<std::string>{"tunedeck.ini"}, Entries(f));
  RemoveFolder(f);
}

TEST(ProfileFile, ReplacingAsWindows95MustKeepsTheOldFileAsACopyThatReadersReadButNeverMove) {
  Folder f = MakeFolder();
  std::string path = f.path + "/tunedeck.ini", kept = path + ".replacing";
  profileReplaceInOneStep = 0;
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=1\r\n"));
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=2\r\n"));
  EXPECT_EQ("[A]\r\nk=2\r\n", ReadText(path));
  // The old file stays as the copy until the next save replaces it, so
  // that a power loss before the moves reach the disk loses nothing.
  EXPECT_EQ("[A]\r\nk=1\r\n", Bytes(kept));
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=3\r\n"));
  EXPECT_EQ("[A]\r\nk=2\r\n", Bytes(kept));
  // A crash between the two moves: only the copy is there. Readers read it
  // where it is; the next save puts a file in place beside it.
  ASSERT_EQ(0, unlink(path.c_str()));
  EXPECT_EQ("[A]\r\nk=2\r\n", ReadText(path));
  EXPECT_EQ(std::vector<std::string>{"tunedeck.ini.replacing"}, Entries(f));
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=4\r\n"));
  EXPECT_EQ("[A]\r\nk=4\r\n", ReadText(path));
  EXPECT_EQ("[A]\r\nk=2\r\n", Bytes(kept));
  // Neither name: missing, read as empty.
  ASSERT_EQ(0, unlink(path.c_str()));
  ASSERT_EQ(0, unlink(kept.c_str()));
  EXPECT_EQ("", ReadText(path));
  // A save in one step leaves no copy behind.
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=5\r\n"));
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=6\r\n"));
  profileReplaceInOneStep = 1;
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=7\r\n"));
  EXPECT_EQ(std::vector<std::string>{"tunedeck.ini"}, Entries(f));
  RemoveFolder(f);
}

TEST(ProfileFile, AReadOnlyFileIsNotReplacedEitherWayAndSavesWorkAgainOnceItIsWritable) {
  for (int oneStep : {1, 0}) {
    SCOPED_TRACE(oneStep ? "in one step" : "as Windows 95 must");
    Folder f = MakeFolder();
    std::string path = f.path + "/tunedeck.ini";
    profileReplaceInOneStep = oneStep;
    ASSERT_EQ(1, WriteText(path, "[A]\r\nk=1\r\n"));
    ASSERT_EQ(0, chmod(path.c_str(), 0444));
    EXPECT_EQ(0, WriteText(path, "[A]\r\nk=2\r\n"));
    EXPECT_EQ("[A]\r\nk=1\r\n", ReadText(path));
    EXPECT_EQ(std::vector<std::string>{"tunedeck.ini"}, Entries(f));
    ASSERT_EQ(0, chmod(path.c_str(), 0644));
    EXPECT_EQ(1, WriteText(path, "[A]\r\nk=3\r\n"));
    EXPECT_EQ(1, WriteText(path, "[A]\r\nk=4\r\n"));
    EXPECT_EQ("[A]\r\nk=4\r\n", ReadText(path));
    profileReplaceInOneStep = 1;
    RemoveFolder(f);
  }
}

TEST(ProfileFile, ASaveRemovesOnlyTheTemporaryFilesOfThisMachinesWritersThatAreGoneOrItsOwn) {
  Folder f = MakeFolder();
  std::string path = f.path + "/tunedeck.ini";
  char host[256] = "";
  ASSERT_EQ(0, gethostname(host, sizeof host));
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string mine = "tunedeck.ini." + std::string(host) + "-", pid = std::to_string(gone);
  const std::string dead = mine + pid + "-0.tmp", alive = mine + std::to_string(getppid()) + "-3.tmp";
  // This process's own, left by a save that lost the folder part-way.
  const std::string own = mine + std::to_string(getpid()) + "-0.tmp";
  // Other machines' writers (whose process ids mean nothing here), and the
  // user's own files that merely look like temporary files.
  const std::vector<std::string> others = {"tunedeck.ini." + std::string(host) + "X-" + pid + "-0.tmp",
                                           "tunedeck.ini.OTHER-" + pid + "-0.tmp", "tunedeck.ini." + pid + "-0.tmp",
                                           "tunedeck.ini.2024-1.tmp", mine + pid + "-0-1.tmp", dead + ".tmp"};
  PutBytes(f.path + "/" + dead, "half");
  PutBytes(f.path + "/" + alive, "half");
  PutBytes(f.path + "/" + own, "half");
  for (const std::string& name : others) PutBytes(f.path + "/" + name, "mine");
  ASSERT_EQ(1, WriteText(path, "[A]\r\n"));
  std::vector<std::string> left = Entries(f), want = others;
  want.push_back(alive);
  want.push_back("tunedeck.ini");
  std::sort(left.begin(), left.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(want, left);
  RemoveFolder(f);
}

// A clock for writers waiting for a lock: each pause moves it on.
unsigned long fakeNow;
unsigned long FakeTicks() { return fakeNow; }
void FakePause(unsigned long milliseconds) { fakeNow += milliseconds; }

int editCalls;
int AddKey(std::string* text, void* context) {
  ++editCalls;
  ProfileEntry entry = {"k", static_cast<const char*>(context)};
  return ProfileWriteSection(text, "A", &entry, 1);
}

TEST(ProfileLock, AWriterWaitsForTheLockThenGivesUpAndTheLockDiesWithItsHolder) {
  Folder f = MakeFolder();
  std::string path = f.path + "/tunedeck.ini";
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=0\r\n"));
  unsigned long (*realTicks)(void) = profileTicks;
  void (*realPause)(unsigned long) = profilePause;
  profileTicks = FakeTicks;
  profilePause = FakePause;
  ProfileLock other = {};
  ASSERT_EQ(kProfileOk, ProfileLockFile(path.c_str(), &other));
  // Another writer holds the lock: this one tries until the wait is over,
  // and neither reads nor writes the file.
  fakeNow = 1000;
  editCalls = 0;
  EXPECT_EQ(kProfileLocked, ProfileUpdateFile(path.c_str(), 1, AddKey, const_cast<char*>("1")));
  EXPECT_GE(fakeNow, 1000 + kProfileLockWait);
  EXPECT_LT(fakeNow, 1000 + kProfileLockWait + 100);
  EXPECT_EQ(0, editCalls);
  EXPECT_EQ("[A]\r\nk=0\r\n", ReadText(path));
  // A file of this computer's own (the settings) takes no lock.
  EXPECT_EQ(kProfileOk, ProfileUpdateFile(path.c_str(), 0, AddKey, const_cast<char*>("2")));
  ProfileUnlockFile(&other);
  fakeNow = 0;
  EXPECT_EQ(kProfileOk, ProfileUpdateFile(path.c_str(), 1, AddKey, const_cast<char*>("3")));
  EXPECT_EQ(0ul, fakeNow);
  EXPECT_EQ("[A]\r\nk=3\r\n", ReadText(path));
  // Nothing changed: nothing is written, and that is a save that succeeded.
  EXPECT_EQ(kProfileOk, ProfileUpdateFile(path.c_str(), 1, AddKey, const_cast<char*>("3")));

  // A holder killed with the lock: the next writer gets it at once.
  int ready[2];
  ASSERT_EQ(0, pipe(ready));
  pid_t holder = fork();
  if (holder == 0) {
    ProfileLock lock = {};
    char byte = ProfileLockFile(path.c_str(), &lock) == kProfileOk ? 'y' : 'n';
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(1, read(ready[0], &byte, 1));
  EXPECT_EQ('y', byte);
  fakeNow = 0;
  EXPECT_EQ(kProfileLocked, ProfileUpdateFile(path.c_str(), 1, AddKey, const_cast<char*>("4")));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  fakeNow = 0;
  EXPECT_EQ(kProfileOk, ProfileUpdateFile(path.c_str(), 1, AddKey, const_cast<char*>("5")));
  EXPECT_EQ(0ul, fakeNow);
  close(ready[0]);
  close(ready[1]);
  profileTicks = realTicks;
  profilePause = realPause;
  // The lock file stays, empty: its lock, not its presence, is what counts.
  std::vector<std::string> files = Entries(f);
  std::sort(files.begin(), files.end());
  EXPECT_EQ((std::vector<std::string>{"tunedeck.ini", "tunedeck.ini.lock"}), files);
  EXPECT_EQ("", Bytes(path + ".lock"));
  RemoveFolder(f);
}

TEST(ProfileLock, ASaveThatFailsSaysWhy) {
  Folder f = MakeFolder();
  const std::string path = f.path + "/tunedeck.ini";
  struct Case {
    const char* what;
    std::string path;
    int status;
  } cases[] = {
      {"a read-only file", path, kProfileReadOnly},
      {"a folder that is not there", f.path + "/gone/tunedeck.ini", kProfileUnreachable},
      {"a file that cannot be read", f.path + "/dir.ini", kProfileUnreadable},
  };
  ASSERT_EQ(1, WriteText(path, "[A]\r\nk=0\r\n"));
  ASSERT_EQ(0, chmod(path.c_str(), 0444));
  ASSERT_EQ(0, mkdir((f.path + "/dir.ini").c_str(), 0755));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.status, ProfileUpdateFile(c.path.c_str(), 1, AddKey, const_cast<char*>("1")));
  }
  EXPECT_EQ("[A]\r\nk=0\r\n", ReadText(path));
  rmdir((f.path + "/dir.ini").c_str());
  RemoveFolder(f);
}

TEST(ProfileFile, UnicodeFilesKeepEveryLineTheEngineDidNotChange) {
  Folder f = MakeFolder();
  std::string path = f.path + "/tunedeck.ini";
  // UTF-16LE: [A] k=caf\u00e9 (in the code page), [B] k=\u65e5 (not in it).
  PutBytes(path, Le(u"[A]\r\nk=caf\u00e9\r\n[B]\r\nk=\u65e5\r\n"));
  ProfileFile file = {};
  ASSERT_EQ(1, ProfileReadFile(path.c_str(), &file));
  EXPECT_EQ(kProfileUtf16Le, file.encoding);
  EXPECT_EQ("[A]\r\nk=caf\xe9\r\n[B]\r\nk=?\r\n", file.text);
  ProfileEntry entries[] = {{"k", "th\xe9"}, {"n", "1"}};
  ASSERT_EQ(1, ProfileWriteSection(&file.text, "A", entries, 2));
  ASSERT_EQ(kProfileOk, ProfileSaveFile(path.c_str(), &file));
  EXPECT_EQ(Le(u"[A]\r\nk=th\u00e9\r\nn=1\r\n[B]\r\nk=\u65e5\r\n"), Bytes(path));

  // Big-endian, a new section after a last line without a break.
  PutBytes(path, std::string("\xFE\xFF\0[\0B\0]\0\n\0k\0=\x65\xe5", 16));
  ASSERT_EQ(1, ProfileReadFile(path.c_str(), &file));
  ProfileEntry c[] = {{"x", "y"}};
  ASSERT_EQ(1, ProfileWriteSection(&file.text, "C", c, 1));
  ASSERT_EQ(kProfileOk, ProfileSaveFile(path.c_str(), &file));
  std::string be("\xFE\xFF\0[\0B\0]\0\n\0k\0=\x65\xe5\0\r\0\n", 20);
  for (char ch : std::string("[C]\r\nx=y\r\n")) be += std::string{'\0', ch};
  EXPECT_EQ(be, Bytes(path));
  RemoveFolder(f);
}

TEST(ProfileFile, UnicodeLinesThatReadAlikeKeepTheirOwnText) {
  // Both lines of [A] read "k=?" in the code page; the first is changed and
  // a key added after the second, then [B] is written with the value its
  // line reads as (no change) and a new key, and [C] is new.
  ProfileFile file = {};
  ASSERT_EQ(1, ProfileDecode(Le(u"[A]\r\nk=\u65e5\r\nk=\u672c\r\n\r\n[B]\r\nx=\u4e2d"), &file));
  ProfileEntry a[] = {{"k", "1"}, {"n", "2"}}, b[] = {{"x", "?"}, {"y", "?"}}, c[] = {{"z", "3"}};
  ProfileWriteSection(&file.text, "A", a, 2);
  ProfileWriteSection(&file.text, "B", b, 2);
  ProfileWriteSection(&file.text, "C", c, 1);
  EXPECT_EQ(Le(u"[A]\r\nk=1\r\nk=\u672c\r\nn=2\r\n\r\n[B]\r\nx=\u4e2d\r\ny=?\r\n[C]\r\nz=3\r\n"), ProfileEncode(&file));
}

TEST(ProfileFile, AFileTooLargeOrWithoutMemoryForItCannotBeReadAndNothingTooLargeIsWritten) {
  Folder f = MakeFolder();
  std::string path = f.path + "/tunedeck.ini";
  ProfileFile file = {};
  PutBytes(path, "");
  ASSERT_EQ(0, truncate(path.c_str(), static_cast<off_t>(kProfileFileLimit)));
  EXPECT_EQ(1, ProfileReadFile(path.c_str(), &file));
  EXPECT_EQ(kProfileFileLimit, file.text.size());
  ASSERT_EQ(0, truncate(path.c_str(), static_cast<off_t>(kProfileFileLimit + 1)));
  EXPECT_EQ(0, ProfileReadFile(path.c_str(), &file));
  EXPECT_EQ("", file.text);
  file.text.assign(kProfileFileLimit + 1, 'x');
  EXPECT_EQ(kProfileFailed, ProfileSaveFile((f.path + "/new.ini").c_str(), &file));
  EXPECT_EQ(std::vector<std::string>{"tunedeck.ini"}, Entries(f));

  // Short UTF-16 lines: without room for the file's bytes, or for its text,
  // the read fails (the shipped programs would end).
  std::u16string lines;
  for (int i = 0; i < 10000; ++i) lines += u"k=\u00e9\r\n";
  const std::string bytes = Le(lines);
  PutBytes(path, bytes);
  profileMemoryRoom = bytes.size();
  EXPECT_EQ(0, ProfileReadFile(path.c_str(), &file));
  profileMemoryRoom = lines.size();
  EXPECT_EQ(0, ProfileDecode(bytes, &file));
  EXPECT_EQ("", file.text);
  profileMemoryRoom = lines.size() + 1;
  EXPECT_EQ(1, ProfileDecode(bytes, &file));
  EXPECT_EQ(lines.size(), file.text.size());
  profileMemoryRoom = SIZE_MAX;
  EXPECT_EQ(1, ProfileReadFile(path.c_str(), &file));
  RemoveFolder(f);
}

TEST(ProfileFile, ResolvedPathsAreBounded) {
  char path[8];
  EXPECT_EQ(1, ProfileResolvePath("a.ini", path, sizeof path));
  EXPECT_STREQ("a.ini", path);
  EXPECT_EQ(1, ProfileResolvePath("abc.ini", path, sizeof path));
  EXPECT_EQ(0, ProfileResolvePath("abcd.ini", path, sizeof path));
  EXPECT_STREQ("", path);
  EXPECT_EQ(0, ProfileResolvePath("a", path, 0));
}

}  // namespace
