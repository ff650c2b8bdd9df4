// The profile engine against the platform's private-profile functions: the
// same files must give the same answers, files written by either writer must
// read alike, and the engine's file access must work on the platform.
//
// Accepted differences, all in the layout of written files, never in a value
// read:
// - The platform rewrites the whole file on any change: it drops blank lines
//   and the blanks around names and "=", and turns LF into CR LF. The engine
//   keeps every line it does not change as it was.
// - The platform writes a new section name, a new key name and a value
//   without their leading blanks but with their trailing ones ("[C ]",
//   "z =4 "); the engine writes names without outer blanks.
// - A value with outer blanks or outer matching quotes reads back changed
//   from the platform's file (blanks lost, quotes removed); the engine writes
//   it inside a pair of quotes so that it reads back as it was, by the
//   platform too.
// One platform fault is not followed: a quoted value whose unquoted text just
// fits the buffer loses its last character on the platform ("abc" in a
// buffer of 4 gives "ab"); the engine gives the whole text.
#include "common/profile/profile.h"
#include "common/profile/profile_win32.h"
#include "tests/win32/support/win_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct CorpusFile {
  const char* name;
  std::string text;
  std::vector<const char*> sections;
  std::vector<const char*> keys;
};

std::vector<CorpusFile> Corpus() {
  const std::string longValue(300, 'L');
  return {
      {"comments", "; top comment\r\n\r\n[S]\r\n\r\n; comment=not a key?\r\nk=v\r\n\r\n  \r\nk2 = v2\r\n",
       {"S", "s"}, {"k", "k2", "; comment", "comment"}},
      {"quotes",
       "[S]\r\nd=\"double\"\r\ns='single'\r\nu=\"unmatched\r\nm=\"mixed'\r\none=\"\r\nempty=\"\"\r\n"
       "inner=\" x \"\r\ntwice=\"\"x\"\"\r\nq=\"abcde\"\r\nsq='abc'\r\n",
       {"S"}, {"d", "s", "u", "m", "one", "empty", "inner", "twice", "q", "sq"}},
      {"duplicates", "[S]\r\nk=1\r\nK=2\r\n[Dup]\r\na=1\r\n[dup]\r\na=2\r\nb=3\r\n[S]\r\nk=3\r\nz=4\r\n",
       {"S", "Dup", "dup"}, {"k", "a", "b", "z"}},
      {"no equals", "[S]\r\nbare\r\nbare=late\r\nk\r\n=novalue\r\n==x\r\n=\r\nafter=1\r\n",
       {"S"}, {"bare", "k", "", "=", "after", "novalue"}},
      {"long", "[S]\r\nk=" + longValue + "\r\nq=\"" + longValue + "\"\r\nshort=abcdefgh\r\n",
       {"S"}, {"k", "q", "short"}},
      {"spacing", "  [S]  \r\n\t k \t=\t v v \t\r\n k2= \r\nk3 =\t\r\n\tk4\t=\t'\tt\t'\r\n",
       {"S", " S "}, {"k", " k ", "k2", "k3", "k4"}},
      {"lf", "[S]\nk=v\n\n[T]\nk=w\n", {"S", "T"}, {"k"}},
      {"cr", "[S]\rk=v\r[T]\rk=w\r", {"S", "T"}, {"k"}},
      {"mixed breaks", "[S]\r\n\n\r\rk=v\r\r\n\n[T]\n\rk=w", {"S", "T"}, {"k"}},
      {"no final newline", "[S]\r\nk=v", {"S"}, {"k"}},
      {"header at end", "[S]\r\nk=v\r\n[T]", {"S", "T"}, {"k"}},
      {"empty values", "[S]\r\nk=\r\nk2=  \r\nk3=\"\"\r\nk4=''\r\n", {"S"}, {"k", "k2", "k3", "k4"}},
      {"section names", "[My Disc]\r\nk=1\r\n[ Spaced ]\r\nk=2\r\n[Tab\tName]\r\nk=3\r\n[MY DISC]\r\nk=4\r\n"
       "[\x1aU\x0b]\r\nk=5\r\n[  ]\r\nk=6\r\n",
       {"My Disc", "my disc", "Spaced", " Spaced ", "Tab\tName", "MY DISC", "U", "  ", ""}, {"k"}},
      {"odd headers", "[a]b]\r\nk=1\r\n[Tail] junk\r\nk=2\r\n[Open=3\r\n[Open\r\n[]\r\nk=4\r\n[\r\nk=5\r\n",
       {"a]b", "a", "Tail", "Open", "", "["}, {"k", "[Open", "[Open=3"}},
      {"top keys", "top=1\r\n; c\r\n[S]\r\nk=v\r\n", {"", " ", "S"}, {"top", "k", "; c"}},
      {"integers",
       "[N]\r\na=  -12abc\r\nb=+7\r\nc=0x1F\r\nd=0X1F\r\ne=0o17\r\nf=0b101\r\ng=abc\r\nh=- 5\r\n"
       "i=4294967295\r\nj=4294967296\r\nk=2147483648\r\nl=\"42\"\r\nm=123456789012345678901234567890123\r\n"
       "n=0x\r\no=\"  9\"\r\np=0xfffffffe\r\nq=\r\nr=-\r\ns=0b2\r\nt=\"-0x10\"\r\n",
       {"N"}, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r", "s", "t"}},
      {"byte order mark", "\xEF\xBB\xBF[S]\r\nk=v\r\n", {"S"}, {"k"}},
      {"dos blanks", "[S]\x1a\r\nk=v\x1a\x0b\r\n\x0c k2\x1a=\x1a w\r\n", {"S"}, {"k", "k2"}},
      {"empty file", "", {"S", ""}, {"k"}},
  };
}

// A fresh folder in the user's temporary folder, removed at exit; files go
// there by full path.
std::string g_folder;
int g_files = 0;

void RemoveFolder() {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((g_folder + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do DeleteFileA((g_folder + "\\" + found.cFileName).c_str());
    while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(g_folder.c_str());
}

std::string NewPath(const char* what) {
  if (g_folder.empty()) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    g_folder = std::string(temp) + "kovel_profile_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(g_folder.c_str(), NULL);
    atexit(RemoveFolder);
  }
  std::string name;
  for (const char* p = what; *p; ++p) name += (isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
  return g_folder + "\\" + std::to_string(++g_files) + "_" + name + ".ini";
}

std::string ReadAll(const std::string& path) {
  ProfileFile file = {};
  EXPECT_EQ(1, ProfileReadFile(path.c_str(), &file)) << path;
  return file.text;
}

int WriteText(const std::string& path, const std::string& text) {
  ProfileFile file = {text, kProfileBytes, ""};
  return ProfileSaveFile(path.c_str(), &file) == kProfileOk;
}

void WriteAll(const std::string& path, const std::string& text) { WriteBytes(path, text); }

// Every query of sections x keys, with two defaults and whole or (with
// cutBuffers) cut buffers, gives the platform's answer on the file at path,
// whose text is text.
void ExpectSameReads(const std::string& path, const std::string& text, std::vector<const char*> sections,
                     std::vector<const char*> keys, bool cutBuffers) {
  sections.push_back("Missing");
  keys.push_back("missing");
  const char* defaults[] = {"DEF", "'dq'  "};
  const size_t sizes[] = {300, 2, 256, 6, 4, 1};
  const size_t sizeCount = cutBuffers ? 6 : 2;
  for (const char* s : sections)
    for (const char* k : keys) {
      SCOPED_TRACE(std::string("[") + s + "] " + k);
      for (const char* def : defaults)
        for (size_t i = 0; i < sizeCount; ++i) {
          size_t size = sizes[i];
          char theirs[400], ours[400], full[400];
          memset(theirs, '#', sizeof theirs);
          memset(ours, '#', sizeof ours);
          DWORD t = GetPrivateProfileStringA(s, k, def, theirs, static_cast<DWORD>(size), path.c_str());
          size_t o = ProfileGetString(text, s, k, def, ours, size);
          EXPECT_EQ('#', ours[size]);
          if (t == o && strcmp(theirs, ours) == 0) continue;
          // The platform's fault with a quoted value that just fits.
          size_t n = ProfileGetString(text, s, k, def, full, sizeof full);
          if (size == n + 1 && strcmp(ours, full) == 0 && t == n - 1 && strncmp(theirs, full, n - 1) == 0)
            continue;
          ADD_FAILURE() << "default \"" << def << "\", size " << size << ": platform \"" << theirs << "\" (" << t
                        << "), engine \"" << ours << "\" (" << o << ")";
        }
      EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA(s, k, 77, path.c_str())), ProfileGetInt(text, s, k, 77));
    }
}

TEST(ProfileDiff, TrickyFilesReadAlike) {
  for (const CorpusFile& f : Corpus()) {
    SCOPED_TRACE(f.name);
    std::string path = NewPath(f.name);
    WriteAll(path, f.text);
    ExpectSameReads(path, f.text, f.sections, f.keys, true);
  }
}

// The platform's quoting fault that the engine does not follow: pinned so that
// the comparison above cannot hide any other difference.
TEST(ProfileDiff, AQuotedValueThatJustFitsKeepsItsLastCharacter) {
  std::string path = NewPath("quote fault");
  WriteAll(path, "[S]\r\nq=\"abc\"\r\n");
  char theirs[4], ours[4];
  GetPrivateProfileStringA("S", "q", "", theirs, sizeof theirs, path.c_str());
  EXPECT_EQ(3u, ProfileGetString(ReadAll(path), "S", "q", "", ours, sizeof ours));
  EXPECT_STREQ("abc", ours);
  EXPECT_STREQ("ab", theirs);
}

struct Write {
  const char* section;
  const char* key;
  const char* value;
};

const Write kWrites[] = {
    {"Disc", "Title", "Abbey Road"},   {"Disc", "Artist", "  lead blanks"}, {"disc", "TITLE", "Let It Be"},
    {"Other", "k", "\"quoted\""},      {"Disc", "Empty", ""},              {"Disc", "trail", "x  "},
    {"S", "k", "new"},                 {"S", "fresh", "1"},                {"T", "k", "'single'"},
    {"Spaced", "k", "v"},              {"N", "a", "-5"},                   {"", "top", "t"},
    {"S", "bare", "now set"},          {"Disc", "Tracks", "12"},
};

std::vector<const char*> WrittenSections() {
  return {"Disc", "Other", "S", "T", "Spaced", "N", "", "Dup", "My Disc"};
}
std::vector<const char*> WrittenKeys() {
  return {"Title", "Artist", "k", "Empty", "trail", "fresh", "a", "top", "bare", "Tracks", "k2", "q", "b", "d"};
}

TEST(ProfileDiff, FilesWrittenByThePlatformReadAlike) {
  std::vector<CorpusFile> corpus = Corpus();
  corpus.insert(corpus.begin(), CorpusFile{"new file", "", {}, {}});
  for (const CorpusFile& f : corpus) {
    SCOPED_TRACE(f.name);
    std::string path = NewPath((std::string("platform ") + f.name).c_str());
    WriteAll(path, f.text);
    for (const Write& w : kWrites) WritePrivateProfileStringA(w.section, w.key, w.value, path.c_str());
    ExpectSameReads(path, ReadAll(path), WrittenSections(), WrittenKeys(), false);
  }
}

TEST(ProfileDiff, FilesWrittenByTheEngineReadAlikeAndGiveBackWhatWasWritten) {
  std::vector<CorpusFile> corpus = Corpus();
  corpus.insert(corpus.begin(), CorpusFile{"new file", "", {}, {}});
  for (const CorpusFile& f : corpus) {
    SCOPED_TRACE(f.name);
    std::string text = f.text;
    // Record by record, each in one pass.
    for (size_t i = 0; i < sizeof kWrites / sizeof *kWrites;) {
      std::vector<ProfileEntry> entries;
      size_t j = i;
      for (; j < sizeof kWrites / sizeof *kWrites && strcmp(kWrites[j].section, kWrites[i].section) == 0; ++j)
        entries.push_back(ProfileEntry{kWrites[j].key, kWrites[j].value});
      ProfileWriteSection(&text, kWrites[i].section, entries.data(), entries.size());
      i = j;
    }
    std::string path = NewPath((std::string("engine ") + f.name).c_str());
    ASSERT_EQ(1, WriteText(path, text));
    ExpectSameReads(path, text, WrittenSections(), WrittenKeys(), false);
    // The last write of each key is what both read, blanks and quotes included.
    char theirs[64];
    GetPrivateProfileStringA("Disc", "Artist", "", theirs, sizeof theirs, path.c_str());
    EXPECT_STREQ("  lead blanks", theirs);
    GetPrivateProfileStringA("Other", "k", "", theirs, sizeof theirs, path.c_str());
    EXPECT_STREQ("\"quoted\"", theirs);
    GetPrivateProfileStringA("Disc", "trail", "", theirs, sizeof theirs, path.c_str());
    EXPECT_STREQ("x  ", theirs);
    GetPrivateProfileStringA("T", "k", "", theirs, sizeof theirs, path.c_str());
    EXPECT_STREQ("'single'", theirs);
  }
}

TEST(ProfileDiff, WritersDifferOnlyInTheLayoutOfLinesTheyDidNotNeedToChange) {
  const std::string start = "; top\r\n[A]\r\n  x = 1\r\n\r\n; c\r\n[B]\nk=v\n";
  std::string platform = NewPath("layout platform");
  WriteAll(platform, start);
  WritePrivateProfileStringA("A", "y", "2", platform.c_str());
  WritePrivateProfileStringA("a", "X", "3", platform.c_str());
  WritePrivateProfileStringA(" C ", " z ", " 4 ", platform.c_str());
  EXPECT_EQ("; top\r\n[A]\r\nx=3\r\n; c\r\ny=2\r\n[B]\r\nk=v\r\n[C ]\r\nz =4 \r\n", ReadAll(platform));

  std::string text = start;
  ProfileEntry a[] = {{"y", "2"}, {"X", "3"}};
  ProfileEntry c[] = {{" z ", " 4 "}};
  EXPECT_EQ(1, ProfileWriteSection(&text, "A", a, 2));
  EXPECT_EQ(1, ProfileWriteSection(&text, " C ", c, 1));
  EXPECT_EQ("; top\r\n[A]\r\nx=3\r\n\r\n; c\r\ny=2\r\n[B]\nk=v\n[C]\r\nz=\" 4 \"\r\n", text);

  // Writing a value that is already there changes neither file.
  WritePrivateProfileStringA("B", "k", "v", platform.c_str());
  EXPECT_EQ("; top\r\n[A]\r\nx=3\r\n; c\r\ny=2\r\n[B]\r\nk=v\r\n[C ]\r\nz =4 \r\n", ReadAll(platform));
  ProfileEntry b[] = {{"k", "v"}};
  EXPECT_EQ(0, ProfileWriteSection(&text, "b", b, 1));
}

// The files of the folder whose names end in the pattern.
std::vector<std::string> Files(const char* pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((g_folder + "\\" + pattern).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

TEST(ProfileFileWin32, WritesReplaceTheFileAtomicallyAndLeaveNoTemporaryFile) {
  std::string path = NewPath("atomic");
  EXPECT_EQ("", ReadAll(path));
  ASSERT_EQ(1, WriteText(path, "[S]\r\nk=1\r\n"));
  ASSERT_EQ(1, WriteText(path, "[S]\r\nk=2\r\n"));
  EXPECT_EQ("[S]\r\nk=2\r\n", ReadAll(path));
  EXPECT_EQ(2u, GetPrivateProfileIntA("S", "k", 0, path.c_str()));

  // The target is a folder: it cannot be read or replaced, and the write's
  // temporary file is gone.
  std::string folder = NewPath("folder");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
  ProfileFile file = {};
  EXPECT_EQ(0, ProfileReadFile(folder.c_str(), &file));
  EXPECT_EQ(0, WriteText(folder, "x"));
  EXPECT_EQ(0, WriteText(g_folder + "\\missing\\x.ini", "x"));
  RemoveDirectoryA(folder.c_str());
  EXPECT_TRUE(Files("*.tmp").empty());
}

// Windows 95, 98 and ME refuse FILE_SHARE_DELETE and have no MoveFileExA
// (exported, it answers "not implemented", or is missing altogether).
HANDLE WINAPI Win9xCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                              DWORD flags, HANDLE model) {
  if (share & FILE_SHARE_DELETE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(name, access, share, security, how, flags, model);
}

BOOL WINAPI Win9xMoveFileEx(LPCSTR, LPCSTR, DWORD) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

// Makes the engine's calls as Windows 95 makes them (MoveFileExA not
// implemented, or missing when null); returns the seam to put back.
ProfileFileSeam UseWindows95Calls(decltype(&Win9xMoveFileEx) moveFileEx = Win9xMoveFileEx) {
  ProfileFileSeam saved = testSeamProfileFiles;
  testSeamProfileFiles = ProfileFileSeam{};
  testSeamProfileFiles.createFile = Win9xCreateFile;
  testSeamProfileFiles.moveFileEx = moveFileEx;
  testSeamProfileFiles.withoutMoveFileEx = moveFileEx ? 0 : 1;
  return saved;
}

TEST(ProfileFileWin32, OnWindows95TheFileIsReadAndReplacedWithoutTheNewerCalls) {
  for (auto moveFileEx : {&Win9xMoveFileEx, static_cast<decltype(&Win9xMoveFileEx)>(nullptr)}) {
    SCOPED_TRACE(moveFileEx ? "MoveFileExA not implemented" : "MoveFileExA missing");
    ProfileFileSeam saved = UseWindows95Calls(moveFileEx);
    std::string path = NewPath("win95"), kept = path + ".replacing";
    ASSERT_EQ(1, WriteText(path, "[S]\r\nk=1\r\n"));
    ASSERT_EQ(1, WriteText(path, "[S]\r\nk=2\r\n[T]\r\n"));
    EXPECT_EQ("[S]\r\nk=2\r\n[T]\r\n", ReadAll(path));
    EXPECT_EQ(2u, GetPrivateProfileIntA("S", "k", 0, path.c_str()));
    EXPECT_EQ("[S]\r\nk=1\r\n", ReadBytes(kept));
    // Cut short between its two moves: the copy is read where it is.
    ASSERT_TRUE(DeleteFileA(kept.c_str()));
    ASSERT_TRUE(MoveFileA(path.c_str(), kept.c_str()));
    EXPECT_EQ("[S]\r\nk=2\r\n[T]\r\n", ReadAll(path));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    ASSERT_EQ(1, WriteText(path, "[S]\r\nk=3\r\n"));
    EXPECT_EQ(3u, GetPrivateProfileIntA("S", "k", 0, path.c_str()));
    EXPECT_EQ("[S]\r\nk=2\r\n[T]\r\n", ReadBytes(kept));
    testSeamProfileFiles = saved;
    EXPECT_TRUE(Files("*.tmp").empty());
  }
}

// A writer on Windows 95 at work while a reader looks for the file: at the
// reader's first miss of the file, missed is called once.
std::string g_watched;
void (*g_missed)() = nullptr;

HANDLE WINAPI WatchedCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                                DWORD flags, HANDLE model) {
  HANDLE file = Win9xCreateFile(name, access, share, security, how, flags, model);
  DWORD error = GetLastError();
  if (file == INVALID_HANDLE_VALUE && error == ERROR_FILE_NOT_FOUND && g_watched == name && g_missed) {
    void (*missed)() = g_missed;
    g_missed = nullptr;
    missed();
    SetLastError(error);
  }
  return file;
}

TEST(ProfileFileWin32, AReadDuringAWindows95ReplacementSeesAWholeFileAndMovesNothing) {
  ProfileFileSeam saved = UseWindows95Calls();
  testSeamProfileFiles.createFile = WatchedCreateFile;
  g_watched = NewPath("race");
  static std::string kept, temp;
  kept = g_watched + ".replacing", temp = g_watched + ".writer.tmp";
  ASSERT_EQ(1, WriteText(g_watched, "[A]\r\nk=1\r\n[B]\r\n"));
  // A writer between its two moves: the file is its copy, the new text waits.
  auto betweenMoves = [](const char* text) {
    WriteBytes(temp, text);
    DeleteFileA(kept.c_str());
    return MoveFileA(g_watched.c_str(), kept.c_str()) != 0;
  };
  ASSERT_TRUE(betweenMoves("[A]\r\nk=2\r\n[B]\r\n"));
  // It finishes while the reader looks, and the next save has removed the
  // copy before the reader looks there.
  g_missed = [] {
    MoveFileA(temp.c_str(), g_watched.c_str());
    DeleteFileA(kept.c_str());
  };
  EXPECT_EQ("[A]\r\nk=2\r\n[B]\r\n", ReadAll(g_watched));
  EXPECT_EQ(nullptr, g_missed);

  // The reader reads the copy without putting it back under the writer,
  // whose move then succeeds.
  ASSERT_TRUE(betweenMoves("[A]\r\nk=3\r\n[B]\r\n"));
  EXPECT_EQ("[A]\r\nk=2\r\n[B]\r\n", ReadAll(g_watched));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(g_watched.c_str()));
  EXPECT_TRUE(MoveFileA(temp.c_str(), g_watched.c_str()));
  EXPECT_EQ("[A]\r\nk=3\r\n[B]\r\n", ReadAll(g_watched));
  testSeamProfileFiles = saved;
}

TEST(ProfileFileWin32, AReadOnlyFileIsNotReplacedEitherWayAndSavesWorkAgainOnceItIsWritable) {
  for (bool windows95 : {false, true}) {
    SCOPED_TRACE(windows95 ? "as Windows 95 must" : "in one step");
    ProfileFileSeam saved = windows95 ? UseWindows95Calls() : testSeamProfileFiles;
    std::string path = NewPath("read-only"), kept = path + ".replacing";
    ASSERT_EQ(1, WriteText(path, "[S]\r\nk=1\r\n"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0, WriteText(path, "[S]\r\nk=2\r\n"));
    EXPECT_EQ("[S]\r\nk=1\r\n", ReadAll(path));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kept.c_str()));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    // A read-only copy, as a restore from a CD leaves it, goes all the same.
    WriteBytes(kept, "[S]\r\nk=0\r\n");
    ASSERT_TRUE(SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(1, WriteText(path, "[S]\r\nk=3\r\n"));
    EXPECT_EQ(1, WriteText(path, "[S]\r\nk=4\r\n"));
    EXPECT_EQ("[S]\r\nk=4\r\n", ReadAll(path));
    EXPECT_EQ(windows95 ? "[S]\r\nk=3\r\n" : "(none)", ReadBytes(kept));
    testSeamProfileFiles = saved;
    SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(Files("*.tmp").empty());
  }
}

TEST(ProfileFileWin32, ASaveRemovesOnlyTheTemporaryFilesOfThisMachinesWritersThatHaveEnded) {
  std::string path = NewPath("leftovers");
  auto startSuspended = [](PROCESS_INFORMATION* process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    char command[] = "cmd.exe /c exit";
    return CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                          process) != 0;
  };
  PROCESS_INFORMATION ended, running;
  ASSERT_TRUE(startSuspended(&ended));
  ResumeThread(ended.hThread);
  WaitForSingleObject(ended.hProcess, 10000);
  CloseHandle(ended.hThread);
  CloseHandle(ended.hProcess);
  ASSERT_TRUE(startSuspended(&running));
  char machine[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = sizeof machine;
  ASSERT_TRUE(GetComputerNameA(machine, &length));
  std::string base = path.substr(g_folder.size() + 1), gone = std::to_string(ended.dwProcessId);
  std::string alive = base + "." + machine + "-" + std::to_string(running.dwProcessId) + "-1.tmp";
  // Another machine's writer, whose process id means nothing here, and a
  // user's file named alike are left alone.
  std::vector<std::string> kept = {alive, base + ".OTHER-" + gone + "-0.tmp", base + "." + gone + "-0.tmp"};
  WriteBytes(g_folder + "\\" + base + "." + machine + "-" + gone + "-0.tmp", "half");
  for (const std::string& name : kept) WriteBytes(g_folder + "\\" + name, "half");
  ASSERT_EQ(1, WriteText(path, "[S]\r\n"));
  std::vector<std::string> left = Files((base + ".*.tmp").c_str());
  std::sort(left.begin(), left.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, left);
  TerminateProcess(running.hProcess, 0);
  CloseHandle(running.hThread);
  CloseHandle(running.hProcess);
  for (const std::string& name : kept) DeleteFileA((g_folder + "\\" + name).c_str());
}

std::string Utf16(bool littleEndian, const std::wstring& text) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (wchar_t c : text) {
    char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8 & 0xFF);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

std::wstring WideValue(const std::string& path, const char* section, const char* key) {
  wchar_t value[64], wideSection[16], wideKey[16];
  MultiByteToWideChar(CP_ACP, 0, section, -1, wideSection, 16);
  MultiByteToWideChar(CP_ACP, 0, key, -1, wideKey, 16);
  std::wstring widePath(path.begin(), path.end());
  GetPrivateProfileStringW(wideSection, wideKey, L"-", value, 64, widePath.c_str());
  return value;
}

TEST(ProfileDiff, UnicodeFilesReadAndWriteAsThePlatformDoes) {
  const std::wstring start = L"\x20ac top\r\n[A]\r\nk=caf\xe9\r\nj=\x65e5\x672c\r\n[B]\r\nx=\xdf\r\ny=\x4e2d\r\n";
  const std::vector<const char*> sections = {"A", "B", "C"}, keys = {"k", "j", "n", "x", "y", "z"};
  for (bool littleEndian : {true, false}) {
    SCOPED_TRACE(littleEndian ? "UTF-16LE" : "UTF-16BE");
    std::string platform = NewPath("utf16 platform"), engine = NewPath("utf16 engine");
    WriteBytes(platform, Utf16(littleEndian, start));
    WriteBytes(engine, Utf16(littleEndian, start));
    ProfileFile file = {};
    ASSERT_EQ(1, ProfileReadFile(engine.c_str(), &file));
    ExpectSameReads(platform, file.text, sections, keys, false);

    WritePrivateProfileStringA("A", "k", "th\xe9", platform.c_str());
    WritePrivateProfileStringA("A", "n", "1", platform.c_str());
    WritePrivateProfileStringA("C", "z", "new", platform.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, platform.c_str());
    ProfileEntry a[] = {{"k", "th\xe9"}, {"n", "1"}}, c[] = {{"z", "new"}};
    ProfileWriteSection(&file.text, "A", a, 2);
    ProfileWriteSection(&file.text, "C", c, 1);
    ASSERT_EQ(kProfileOk, ProfileSaveFile(engine.c_str(), &file));
    EXPECT_EQ(Utf16(littleEndian, L"x").substr(0, 2), ReadBytes(engine).substr(0, 2));
    for (const char* section : sections)
      for (const char* key : keys) {
        SCOPED_TRACE(std::string(section) + " " + key);
        EXPECT_EQ(WideValue(platform, section, key), WideValue(engine, section, key));
      }
    EXPECT_EQ(L"\x65e5\x672c", WideValue(engine, "A", "j"));
  }
}

TEST(ProfileFileWin32, ABareNameMeansTheWindowsDirectoryAndPathsAreBounded) {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  char path[MAX_PATH];
  ASSERT_EQ(1, ProfileResolvePath("kovel.ini", path, sizeof path));
  EXPECT_EQ(std::string(windows) + "\\kovel.ini", path);
  ASSERT_EQ(1, ProfileResolvePath("C:\\data\\kovel.ini", path, sizeof path));
  EXPECT_STREQ("C:\\data\\kovel.ini", path);
  ASSERT_EQ(1, ProfileResolvePath("sub/kovel.ini", path, sizeof path));
  EXPECT_STREQ("sub/kovel.ini", path);
  ASSERT_EQ(1, ProfileResolvePath("C:kovel.ini", path, sizeof path));
  EXPECT_STREQ("C:kovel.ini", path);
  size_t fits = strlen(windows) + strlen("\\kovel.ini") + 1;
  EXPECT_EQ(1, ProfileResolvePath("kovel.ini", path, fits));
  EXPECT_EQ(0, ProfileResolvePath("kovel.ini", path, fits - 1));
  EXPECT_STREQ("", path);
  EXPECT_EQ(0, ProfileResolvePath("C:\\data\\kovel.ini", path, 8));
  EXPECT_EQ(0, ProfileResolvePath(std::string(400, 'a').c_str(), path, sizeof path));
}

}  // namespace
