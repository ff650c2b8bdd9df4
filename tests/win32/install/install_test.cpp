// The installer in this process, its dialogs driven by a hook the way a
// user presses the buttons and types the folder, against the real file
// system and registry of the Wine prefix: exact files, registry values,
// status lines and error dialogs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install.h"
#include "tests/win32/install/install_test_support.h"

namespace {

using Texts = std::vector<std::string>;

const char kOldHandler[] = "C:\\OLD\\other.exe";

class Installer : public testing::Test {
 protected:
  static void SetUpTestSuite() { SaveMachine(); }

  void SetUp() override {
    RestoreMachine();
    CreateShellKeys(kOldHandler);
    root = TestFolder();
    folder = root + "\\KOVEL";
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    previousDirectory = current;
    ASSERT_TRUE(SetCurrentDirectoryA(DiskFolder("szdd").c_str()));
    program = ReadBytes(DiskFolder("plain") + "\\kovel32.exe");
    font = ReadBytes(DiskFolder("plain") + "\\digital.fon");
    fontBefore = ReadBytes(WindowsFontPath());
    fontsValueBefore = FontsValue();
  }

  void TearDown() override {
    SetCurrentDirectoryA(previousDirectory.c_str());
    DeleteTree(root);
    RestoreMachine();
  }

  InstallerRun Install(const std::string& typed) {
    Script script;
    script.folder = typed.c_str();
    return RunInstallerWith(script);
  }

  InstallerRun Remove() {
    Script script;
    script.setup = SetupChoice::Remove;
    return RunInstallerWith(script);
  }

  // The shell's three values and the stored folder, as the registry holds
  // them.
  Texts ShellValues() {
    return {ClassesValue("AudioCD\\Shell\\Play\\Command", nullptr), ClassesValue("cdafile\\Defaulticon", nullptr),
            ClassesValue("cdafile\\shell\\play\\command", nullptr), ClassesValue("AudioCD", "InstallPath")};
  }

  Texts HandlerIn(const std::string& where, const char* file, const std::string& stored) {
    const std::string path = where + "\\" + file;
    return {path + " /play %1", path + ",0", path + " -play %1", stored};
  }

  Texts Untouched() {
    const std::string old = kOldHandler;
    return {old + " /play %1", old + ",0", old + " -play %1", "(none)"};
  }

  // Nothing of the install is on the machine.
  void ExpectNothingChanged() {
    EXPECT_EQ(Untouched(), ShellValues());
    EXPECT_TRUE(fontBefore == ReadBytes(WindowsFontPath())) << "the installed font changed";
    EXPECT_EQ(fontsValueBefore, FontsValue());
  }

  std::string root, folder, previousDirectory, program, font, fontBefore, fontsValueBefore;
};

const Texts kInstallStatus = {"Copying Corvane CD Player 1.0...", "Copying Corvane Digital Font...",
                              "Installation of Corvane CD Player 1.0 done"};
const Texts kRemoveStatus = {"Removing Corvane CD Player 1.0...", "Removing Corvane Digital Font...",
                             "Removal of Corvane CD Player 1.0 done"};

TEST_F(Installer, InstallsCompressedSourcesIntoANewFolderThenRemovesEverything) {
  ASSERT_EQ("SZDD", ReadBytes("kovel32.exe").substr(0, 4));
  ASSERT_EQ("SZDD", ReadBytes("digital.fon").substr(0, 4));
  ASSERT_GT(program.size(), 10000u);

  InstallerRun run = Install(folder);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ((Texts{kSetupCaption, kPathCaption, kInstallCaption}), run.Captions());
  ASSERT_EQ(3u, run.dialogs.size());
  EXPECT_EQ((Texts{"OK", "Cancel", "Install / Remove", "Install Corvane CD Player 1.0", "Remove Corvane CD Player 1.0"}),
            run.dialogs[0].texts);
  EXPECT_TRUE(run.installChosenAtOpen);
  EXPECT_EQ((Texts{"OK", "Cancel", "Installation path", "Type in where you want Corvane CD Player 1.0 to be installed.",
                   "C:\\KOVEL", "Browse..."}),
            run.dialogs[1].texts);
  EXPECT_FALSE(run.browseVisible);
  EXPECT_EQ((Texts{"Install Messages", "", "Done"}), run.dialogs[2].texts);
  for (const ShownDialog& d : run.dialogs) EXPECT_EQ("KovelSetupClass", d.ownerClass) << d.caption;
  EXPECT_TRUE(run.centred);
  EXPECT_EQ((std::vector<int>{0, 0}), run.bannerFaults);
  EXPECT_FALSE(run.doneEnabledBeforeWork);
  EXPECT_EQ(kInstallStatus, run.status);
  EXPECT_TRUE(run.doneEnabledAfterWork);
  EXPECT_EQ(kInstallStatus.back(), run.statusAfterWork);

  EXPECT_TRUE(program == ReadBytes(folder + "\\kovel32.exe")) << "the program was not expanded exactly";
  EXPECT_TRUE(font == ReadBytes(WindowsFontPath())) << "the font was not expanded exactly";
  EXPECT_EQ(HandlerIn(folder, "kovel32.exe", folder), ShellValues());
  DWORD bytes = 0;
  const std::string command = ClassesValue("AudioCD\\Shell\\Play\\Command", nullptr, &bytes);
  EXPECT_EQ(command.size() + 1, bytes) << "the NUL is counted";
  ClassesValue("AudioCD", "InstallPath", &bytes);
  EXPECT_EQ(folder.size() + 1, bytes);
  EXPECT_EQ("digital.fon", FontsValue());

  run = Remove();
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ((Texts{kSetupCaption, kRemoveCaption}), run.Captions());
  EXPECT_EQ((Texts{"Remove Messages", "", "Done"}), run.dialogs[1].texts);
  EXPECT_EQ((std::vector<int>{0, 0}), run.bannerFaults);
  EXPECT_FALSE(run.doneEnabledBeforeWork);
  EXPECT_EQ(kRemoveStatus, run.status);
  EXPECT_TRUE(run.doneEnabledAfterWork);
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(Exists(WindowsFontPath()));
  EXPECT_EQ(HandlerIn(WindowsDirectory(), "cdplayer.exe", "(none)"), ShellValues());
  EXPECT_EQ("(none)", FontsValue());
}

TEST_F(Installer, PlainSourcesOverwriteTheOlderProgramOfAnExistingFolder) {
  ASSERT_TRUE(SetCurrentDirectoryA(DiskFolder("plain").c_str()));
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteBytes(folder + "\\kovel32.exe", "an older kovel32.exe");
  WriteBytes(folder + "\\notes.txt", "mine");

  InstallerRun run = Install(folder);
  EXPECT_EQ(kInstallStatus, run.status);
  EXPECT_TRUE(run.Errors().empty());
  EXPECT_TRUE(program == ReadBytes(folder + "\\kovel32.exe"));
  EXPECT_EQ("mine", ReadBytes(folder + "\\notes.txt"));

  // The folder holds a file of the user's: it stays, and nothing says so.
  run = Remove();
  EXPECT_TRUE(run.Errors().empty());
  EXPECT_EQ(kRemoveStatus, run.status);
  EXPECT_FALSE(Exists(folder + "\\kovel32.exe"));
  EXPECT_EQ("mine", ReadBytes(folder + "\\notes.txt"));
}

TEST_F(Installer, AFolderTypedWithATrailingBackslashIsStoredWithoutIt) {
  InstallerRun run = Install(folder + "\\");
  EXPECT_EQ(kInstallStatus, run.status);
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_TRUE(program == ReadBytes(folder + "\\kovel32.exe"));
  EXPECT_EQ(HandlerIn(folder, "kovel32.exe", folder), ShellValues());

  run = Remove();
  EXPECT_TRUE(run.Errors().empty());
  EXPECT_FALSE(Exists(folder));
}

TEST_F(Installer, AnExistingFolderTypedWithATrailingBackslashIsUsed) {
  CreateDirectoryA(folder.c_str(), nullptr);
  InstallerRun run = Install(folder + "\\");
  EXPECT_EQ(kInstallStatus, run.status);
  EXPECT_TRUE(program == ReadBytes(folder + "\\kovel32.exe"));
}

TEST_F(Installer, TwoNewLevelsStopWithTheFolderNotCreatedDialog) {
  const std::string typed = root + "\\NEW\\KOVEL";
  InstallerRun run = Install(typed);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ((Texts{kSetupCaption, kPathCaption, kInstallCaption, kErrorCaption}), run.Captions());
  ASSERT_EQ(1u, run.Errors().size());
  const ShownDialog error = run.Errors()[0];
  EXPECT_EQ((Texts{typed, kNotCreatedText, kExitButton}), error.texts);
  EXPECT_EQ(run.dialogs[2].window, error.owner) << "owned by the Install dialog";
  EXPECT_TRUE(run.errorsPlacedByTemplate);
  // The Install dialog closed with the error: it never waited for Done.
  EXPECT_FALSE(run.doneEnabledAfterWork);
  EXPECT_TRUE(run.status.empty());
  EXPECT_FALSE(Exists(root + "\\NEW"));
  ExpectNothingChanged();
}

TEST_F(Installer, AFolderThatIsAFileStopsAtTheProgramCopy) {
  WriteBytes(folder, "a file");
  InstallerRun run = Install(folder);
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ((Texts{"KOVEL32.EXE", kNotFoundText, kExitButton}), run.Errors()[0].texts);
  EXPECT_EQ((Texts{"Copying Corvane CD Player 1.0..."}), run.status);
  EXPECT_EQ("a file", ReadBytes(folder));
  ExpectNothingChanged();
}

TEST_F(Installer, TheWrongCurrentDirectoryStopsAfterTheFolderWasMade) {
  const std::string empty = root + "\\elsewhere";
  CreateDirectoryA(empty.c_str(), nullptr);
  ASSERT_TRUE(SetCurrentDirectoryA(empty.c_str()));
  InstallerRun run = Install(folder);
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ((Texts{"KOVEL32.EXE", kNotFoundText, kExitButton}), run.Errors()[0].texts);
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_FALSE(Exists(folder + "\\kovel32.exe"));
  ExpectNothingChanged();
}

TEST_F(Installer, TheFontCopyFailingKeepsTheProgramAndLeavesTheRegistry) {
  const std::string disk = root + "\\disk";
  CreateDirectoryA(disk.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((DiskFolder("szdd") + "\\kovel32.exe").c_str(), (disk + "\\kovel32.exe").c_str(), FALSE));
  ASSERT_TRUE(SetCurrentDirectoryA(disk.c_str()));
  InstallerRun run = Install(folder);
  EXPECT_EQ((Texts{"Copying Corvane CD Player 1.0...", "Copying Corvane Digital Font..."}), run.status);
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ((Texts{"DIGITAL.FON", kNotFoundText, kExitButton}), run.Errors()[0].texts);
  EXPECT_TRUE(program == ReadBytes(folder + "\\kovel32.exe"));
  ExpectNothingChanged();
}

TEST_F(Installer, ACompressedProgramCutShortStopsAtItsCopy) {
  const std::string disk = root + "\\disk";
  CreateDirectoryA(disk.c_str(), nullptr);
  const std::string whole = ReadBytes(DiskFolder("szdd") + "\\kovel32.exe");
  WriteBytes(disk + "\\kovel32.exe", whole.substr(0, whole.size() / 2));
  ASSERT_TRUE(SetCurrentDirectoryA(disk.c_str()));
  InstallerRun run = Install(folder);
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ((Texts{"KOVEL32.EXE", kNotFoundText, kExitButton}), run.Errors()[0].texts);
  EXPECT_FALSE(Exists(folder + "\\kovel32.exe"));
  ExpectNothingChanged();
}

TEST_F(Installer, ASecondInstallReplacesTheFirstAndLeavesAForeignFontEntry) {
  ASSERT_EQ(kInstallStatus, Install(folder).status);
  InstallerRun run = Install(folder);
  EXPECT_TRUE(run.Errors().empty()) << testing::PrintToString(run.Errors());
  EXPECT_EQ(kInstallStatus, run.status);
  EXPECT_TRUE(font == ReadBytes(WindowsFontPath()));
  EXPECT_EQ("digital.fon", FontsValue());
  EXPECT_EQ(1, FontsEntriesNaming("digital.fon"));

  // The face's entry names someone else's file: it is theirs, at install
  // and at removal.
  SetFontsValue("someone.fon");
  EXPECT_EQ(kInstallStatus, Install(folder).status);
  EXPECT_EQ("someone.fon", FontsValue());
  EXPECT_EQ(kRemoveStatus, Remove().status);
  EXPECT_FALSE(Exists(WindowsFontPath()));
  EXPECT_EQ("someone.fon", FontsValue());
}

TEST_F(Installer, AFolderNotFromADriveRootIsRefusedAsOneThatCannotBeMade) {
  // Relative to the current directory, to the drive's current directory and
  // to the drive's root: each would name the test folder's KOVEL.
  ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
  for (const std::string& typed : {std::string("KOVEL"), root.substr(0, 2) + "KOVEL", folder.substr(2)}) {
    InstallerRun run = Install(typed);
    ASSERT_EQ(1u, run.Errors().size()) << typed;
    EXPECT_EQ((Texts{typed, kNotCreatedText, kExitButton}), run.Errors()[0].texts);
    EXPECT_TRUE(run.status.empty());
    EXPECT_FALSE(Exists(folder)) << typed;
    DeleteTree(folder);
  }
  ExpectNothingChanged();
}

TEST_F(Installer, ADriveRootIsStoredAsARootAndNeverRemoved) {
  const std::string drive = root.substr(0, 3), program = drive + "kovel32.exe";
  ASSERT_FALSE(Exists(program));
  EXPECT_EQ(kInstallStatus, Install(drive).status);
  EXPECT_EQ((Texts{program + " /play %1", program + ",0", program + " -play %1", drive}), ShellValues());

  // Removed from an empty folder of that drive: "C:" would name it.
  const std::string empty = root + "\\empty";
  CreateDirectoryA(empty.c_str(), nullptr);
  ASSERT_TRUE(SetCurrentDirectoryA(empty.c_str()));
  InstallerRun run = Remove();
  EXPECT_TRUE(run.Errors().empty()) << testing::PrintToString(run.Errors());
  EXPECT_FALSE(Exists(program));
  EXPECT_TRUE(IsFolder(empty));
  DeleteFileA(program.c_str());
}

TEST_F(Installer, WithoutTheVerbKeysTheInstallIsDoneAndOnlyTheFolderIsStored) {
  DeleteShellKeys();
  CreateKey("AudioCD");
  CreateShellKeys(kOldHandler);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "AudioCD\\Shell");
  InstallerRun run = Install(folder);
  EXPECT_EQ(kInstallStatus, run.status);
  EXPECT_TRUE(run.doneEnabledAfterWork);
  EXPECT_FALSE(KeyExists("AudioCD\\Shell"));
  EXPECT_EQ((Texts{"(no key)", std::string(kOldHandler) + ",0", std::string(kOldHandler) + " -play %1", folder}),
            ShellValues());

  // A machine with neither file type: nothing is created.
  DeleteShellKeys();
  run = Install(folder);
  EXPECT_EQ(kInstallStatus, run.status);
  EXPECT_FALSE(KeyExists("AudioCD"));
  EXPECT_FALSE(KeyExists("cdafile"));
}

TEST_F(Installer, CancelAtEachDialogChangesNothing) {
  Script script;
  script.setup = SetupChoice::Cancel;
  InstallerRun run = RunInstallerWith(script);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ((Texts{kSetupCaption}), run.Captions());

  script = Script();
  script.folder = folder.c_str();
  script.cancelPath = true;
  run = RunInstallerWith(script);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ((Texts{kSetupCaption, kPathCaption}), run.Captions());

  script.cancelPath = false;
  script.start = ProgressStart::EscapeBeforeTimer;
  run = RunInstallerWith(script);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ((Texts{kSetupCaption, kPathCaption, kInstallCaption}), run.Captions());
  EXPECT_TRUE(run.status.empty());

  EXPECT_FALSE(Exists(folder));
  ExpectNothingChanged();

  // Escape in the Remove dialog before its timer: the install stays.
  run = Install(folder);
  ASSERT_EQ(kInstallStatus, run.status);
  const Texts installed = ShellValues();
  script = Script();
  script.setup = SetupChoice::Remove;
  script.start = ProgressStart::EscapeBeforeTimer;
  run = RunInstallerWith(script);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ((Texts{kSetupCaption, kRemoveCaption}), run.Captions());
  EXPECT_TRUE(run.status.empty());
  EXPECT_TRUE(Exists(folder + "\\kovel32.exe"));
  EXPECT_TRUE(font == ReadBytes(WindowsFontPath()));
  EXPECT_EQ(installed, ShellValues());
}

TEST_F(Installer, AfterSuccessEscapeAndTheCloseBoxAlsoEndTheRun) {
  Script script;
  script.folder = folder.c_str();
  script.close = ProgressClose::Escape;
  InstallerRun run = RunInstallerWith(script);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(kInstallStatus, run.status);

  script.setup = SetupChoice::Remove;
  script.close = ProgressClose::CloseBox;
  run = RunInstallerWith(script);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(kRemoveStatus, run.status);
}

TEST_F(Installer, ASecondTimerMessageDoesNotRunTheInstallAgain) {
  Script script;
  script.folder = folder.c_str();
  script.start = ProgressStart::FireTimerTwice;
  InstallerRun run = RunInstallerWith(script);
  EXPECT_EQ(kInstallStatus, run.status);
}

TEST_F(Installer, FoldersTooLongAreRefusedAtTheirStep) {
  // A folder that can be made, but whose program path passes 255
  // characters: the program step refuses it.
  const std::string longFolder = root + "\\" + std::string(245 - root.size() - 1, 'k');
  ASSERT_EQ(245u, longFolder.size());
  InstallerRun run = Install(longFolder);
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ((Texts{"KOVEL32.EXE", kNotFoundText, kExitButton}), run.Errors()[0].texts);
  EXPECT_EQ((Texts{"Copying Corvane CD Player 1.0..."}), run.status);
  ExpectNothingChanged();

  // More than 259 characters typed: the first 259 are taken.
  const std::string typed = root + "\\missing\\" + std::string(300, 'x');
  run = Install(typed);
  EXPECT_EQ(typed.substr(0, 259), installPath);
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ(typed.substr(0, 259), run.Errors()[0].texts[0]);
  EXPECT_EQ(kNotCreatedText, run.Errors()[0].texts[1]);
  ExpectNothingChanged();
}

TEST_F(Installer, RemovalWithTheFontAlreadyGoneReportsItAndFinishes) {
  ASSERT_EQ(kInstallStatus, Install(folder).status);
  DeleteFileA(WindowsFontPath().c_str());
  InstallerRun run = Remove();
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ((Texts{WindowsFontPath(), kNotRemovedText, "Continue"}), run.Errors()[0].texts);
  EXPECT_EQ(run.dialogs[1].window, run.Errors()[0].owner) << "owned by the Remove dialog";
  EXPECT_TRUE(run.errorsPlacedByTemplate);
  EXPECT_EQ(kRemoveStatus, run.status);
  EXPECT_TRUE(run.doneEnabledAfterWork);
  EXPECT_FALSE(Exists(folder));
  EXPECT_EQ(HandlerIn(WindowsDirectory(), "cdplayer.exe", "(none)"), ShellValues());
  EXPECT_EQ("(none)", FontsValue());
}

TEST_F(Installer, RemovalWithTheProgramInUseGoesOn) {
  ASSERT_EQ(kInstallStatus, Install(folder).status);
  const std::string path = folder + "\\kovel32.exe";
  HANDLE running = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, running);
  InstallerRun run = Remove();
  CloseHandle(running);
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ((Texts{path, kNotRemovedText, "Continue"}), run.Errors()[0].texts);
  EXPECT_EQ(kRemoveStatus, run.status);
  EXPECT_TRUE(program == ReadBytes(path));
  EXPECT_FALSE(Exists(WindowsFontPath()));
  EXPECT_EQ(HandlerIn(WindowsDirectory(), "cdplayer.exe", "(none)"), ShellValues());
}

TEST_F(Installer, RemovalWithoutAStoredFolderDeletesOnlyTheFont) {
  // The drive's root of the current directory holds a kovel32.exe that is
  // not ours.
  ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
  const std::string stranger = root.substr(0, 2) + "\\kovel32.exe";
  const bool strangerWasThere = Exists(stranger);
  if (!strangerWasThere) WriteBytes(stranger, "someone else's");
  const std::string before = ReadBytes(stranger);
  InstallerRun run = Remove();
  EXPECT_TRUE(run.Errors().empty()) << testing::PrintToString(run.Errors());
  EXPECT_EQ(kRemoveStatus, run.status);
  EXPECT_EQ(before, ReadBytes(stranger));
  EXPECT_FALSE(Exists(WindowsFontPath()));
  if (!strangerWasThere) DeleteFileA(stranger.c_str());
}

TEST_F(Installer, RemovalRefusesAStoredFolderTooLongForTheProgramPath) {
  const std::string stored = "C:\\" + std::string(247, 'k');
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CLASSES_ROOT, "AudioCD", &key));
  RegSetValueExA(key, "InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(stored.c_str()),
                 static_cast<DWORD>(stored.size() + 1));
  RegCloseKey(key);
  InstallerRun run = Remove();
  ASSERT_EQ(1u, run.Errors().size());
  EXPECT_EQ((Texts{stored, kNotRemovedText, "Continue"}), run.Errors()[0].texts);
  EXPECT_EQ(kRemoveStatus, run.status);
}

}  // namespace
