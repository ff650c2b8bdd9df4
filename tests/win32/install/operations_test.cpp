// The file and registry operations called on their own, for the cases the
// dialogs cannot reach: a handler registration failing half-way, stored
// folders that are not usable, tiny compressed files, a read failing in the
// middle of a copy; and the real install.exe in a process of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/install.h"
#include "tests/win32/install/install_test_support.h"

namespace {

class Operations : public testing::Test {
 protected:
  static void SetUpTestSuite() { SaveMachine(); }
  void SetUp() override {
    RestoreMachine();
    root = TestFolder();
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    previousDirectory = current;
    ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryA(previousDirectory.c_str());
    DeleteTree(root);
    RestoreMachine();
  }
  std::string root, previousDirectory;
};

void SetValue(const char* path, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CLASSES_ROOT, path, &key));
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

TEST_F(Operations, AHandlerRegistrationStopsAtTheFirstMissingKey) {
  CreateShellKeys("old");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "cdafile\\shell\\play");
  EXPECT_EQ(0, RegisterPlayHandler("D:\\APPS\\KOVEL"));
  EXPECT_EQ("D:\\APPS\\KOVEL\\kovel32.exe /play %1", ClassesValue("AudioCD\\Shell\\Play\\Command", nullptr));
  EXPECT_EQ("D:\\APPS\\KOVEL\\kovel32.exe,0", ClassesValue("cdafile\\Defaulticon", nullptr));
  EXPECT_FALSE(KeyExists("cdafile\\shell\\play"));

  // A missing Command key: the track values are not touched either.
  DeleteShellKeys();
  CreateShellKeys("old");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "AudioCD\\Shell\\Play\\Command");
  EXPECT_EQ(0, RestorePlayHandler());
  EXPECT_FALSE(KeyExists("AudioCD\\Shell\\Play\\Command"));
  EXPECT_EQ("old,0", ClassesValue("cdafile\\Defaulticon", nullptr));
  EXPECT_EQ("old -play %1", ClassesValue("cdafile\\shell\\play\\command", nullptr));

  DeleteShellKeys();
  CreateShellKeys("old");
  EXPECT_EQ(1, RestorePlayHandler());
  EXPECT_EQ(WindowsDirectory() + "\\cdplayer.exe -play %1", ClassesValue("cdafile\\shell\\play\\command", nullptr));
}

TEST_F(Operations, StoredFoldersAreReadOnlyWhenTheyAreUsableText) {
  CreateKey("AudioCD");
  char buffer[MAX_PATH] = "untouched";
  EXPECT_EQ(0, ReadInstallPath(buffer));
  EXPECT_EQ(0, WriteInstallPath(nullptr)) << "nothing to delete";
  EXPECT_STREQ("untouched", buffer);

  EXPECT_EQ(1, WriteInstallPath("C:\\KOVEL\\"));
  ASSERT_EQ(1, ReadInstallPath(buffer));
  EXPECT_STREQ("C:\\KOVEL", buffer);
  EXPECT_EQ(1, WriteInstallPath(nullptr));
  EXPECT_EQ("(none)", ClassesValue("AudioCD", "InstallPath"));

  // A number is no folder; a text longer than 260 bytes is not read.
  const DWORD number = 7;
  SetValue("AudioCD", "InstallPath", REG_DWORD, &number, sizeof number);
  strcpy(buffer, "untouched");
  EXPECT_EQ(0, ReadInstallPath(buffer));
  EXPECT_STREQ("untouched", buffer);
  const std::string longText(300, 'k');
  SetValue("AudioCD", "InstallPath", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() + 1));
  EXPECT_EQ(0, ReadInstallPath(buffer));
  EXPECT_STREQ("untouched", buffer);
  // An empty text names no folder: the program would be looked for at the
  // root of the current drive.
  SetValue("AudioCD", "InstallPath", REG_SZ, "", 1);
  EXPECT_EQ(0, ReadInstallPath(buffer));
  EXPECT_STREQ("untouched", buffer);
  // A relative folder, "C:" (a drive's current directory) included, names
  // nothing the removal can find.
  for (const char* relative : {"KOVEL", "C:"}) {
    SetValue("AudioCD", "InstallPath", REG_SZ, relative, static_cast<DWORD>(strlen(relative) + 1));
    EXPECT_EQ(0, ReadInstallPath(buffer)) << relative;
  }
  EXPECT_STREQ("untouched", buffer);
  // 259 characters and the NUL fit exactly.
  const std::string fits = "C:\\" + std::string(256, 'f');
  SetValue("AudioCD", "InstallPath", REG_SZ, fits.c_str(), static_cast<DWORD>(fits.size() + 1));
  ASSERT_EQ(1, ReadInstallPath(buffer));
  EXPECT_EQ(fits, buffer);

  // Without the AudioCD key nothing is stored or read.
  DeleteShellKeys();
  EXPECT_EQ(0, WriteInstallPath("C:\\KOVEL"));
  EXPECT_FALSE(KeyExists("AudioCD"));
}

// An SZDD file written by hand: literal groups only (the compression tool
// corrupts inputs under 16 bytes).
std::string Szdd(const std::string& data) {
  std::string file("SZDD\x88\xF0\x27\x33\x41", 9);
  file += '\0';
  const size_t n = data.size();
  for (int i = 0; i < 4; ++i) file += static_cast<char>((n >> (8 * i)) & 0xFF);
  for (size_t i = 0; i < n; i += 8) {
    file += '\xFF';
    file += data.substr(i, 8);
  }
  return file;
}

TEST_F(Operations, ExpandCopyExpandsCompressedSourcesAndCopiesPlainOnes) {
  WriteBytes("kovel32.exe", Szdd("tiny"));
  const std::string out = root + "\\out.bin";
  ASSERT_EQ(1, ExpandCopyFile("kovel32.exe", out.c_str()));
  EXPECT_EQ("tiny", ReadBytes(out));

  // A plain file that only starts like a compressed one is copied as it is.
  const std::string plain = std::string("SZDD and then text", 18) + std::string(1, '\0') + "more";
  WriteBytes("digital.fon", plain);
  ASSERT_EQ(1, ExpandCopyFile("digital.fon", out.c_str()));
  EXPECT_EQ(plain, ReadBytes(out));

  WriteBytes("empty.bin", "");
  ASSERT_EQ(1, ExpandCopyFile("empty.bin", out.c_str()));
  EXPECT_EQ("", ReadBytes(out));

  EXPECT_EQ(0, ExpandCopyFile("missing.bin", out.c_str()));
  EXPECT_EQ(0, ExpandCopyFile("empty.bin", (root + "\\no\\such\\folder.bin").c_str()));
}

TEST_F(Operations, AnExpansionShorterThanItsHeaderStatesFails) {
  const std::string out = root + "\\out.bin";
  // The header states 40 bytes; the data ends after 32.
  std::string early = Szdd(std::string(32, 'd'));
  early[10] = 40;
  // The header itself is cut short.
  const std::string cut = Szdd("data").substr(0, 10);
  for (const std::string& source : {early, cut}) {
    WriteBytes("kovel32.exe", source);
    EXPECT_EQ(0, ExpandCopyFile("kovel32.exe", out.c_str()));
    EXPECT_FALSE(Exists(out)) << ReadBytes(out).size() << " bytes left";
  }
}

TEST_F(Operations, ACopyThatFailsPartWayLeavesNoDestination) {
  // A read that fails after the first block: the region beyond it is locked
  // by another handle.
  WriteBytes("kovel32.exe", std::string(20000, 'p'));
  HANDLE holder = CreateFileA("kovel32.exe", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  ASSERT_TRUE(LockFile(holder, 4096, 0, 10000, 0));
  const std::string out = root + "\\kovel32.out";
  EXPECT_EQ(0, ExpandCopyFile("kovel32.exe", out.c_str()));
  EXPECT_FALSE(Exists(out)) << "a truncated copy was left: " << ReadBytes(out).size() << " bytes";
  UnlockFile(holder, 4096, 0, 10000, 0);
  CloseHandle(holder);
}

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\') + 1) + name;
}

TEST(InstallProgram, CarriesAManifestAskingForAdministratorRights) {
  HMODULE image = LoadLibraryExA(BesideThisProgram("install.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, image);
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(nullptr, found);
  const char* data = static_cast<const char*>(LockResource(LoadResource(image, found)));
  const std::string manifest(data, SizeofResource(image, found));
  EXPECT_NE(std::string::npos, manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""));
  FreeLibrary(image);
}

TEST(InstallProgram, ACancelledRunEndsWithExitCodeZero) {
  std::string command = "\"" + BesideThisProgram("install.exe") + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  HWND setup = nullptr;
  for (int i = 0; i < 200 && !setup; ++i) {
    setup = FindWindowA(nullptr, kSetupCaption);
    if (!setup) WaitForSingleObject(process.hProcess, 50);
  }
  ASSERT_NE(nullptr, setup) << "the Setup dialog did not open";
  PostMessageA(setup, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(0u, code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
