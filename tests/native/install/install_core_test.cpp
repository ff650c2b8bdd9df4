// The installer's path rules and registry value texts, natively.
#include "install/install_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Shell(const char* folder, const char* file, const char* suffix) {
  char out[kComposedPathSize + 16];
  EXPECT_EQ(1, ShellValueText(out, sizeof out, folder, file, suffix));
  return out;
}

TEST(ShellValues, InstallIntoAFolderGivesTheThreeHandlerTexts) {
  EXPECT_EQ("D:\\APPS\\KOVEL\\kovel32.exe /play %1", Shell("D:\\APPS\\KOVEL", kProgramFile, kDiscPlaySuffix));
  EXPECT_EQ("D:\\APPS\\KOVEL\\kovel32.exe,0", Shell("D:\\APPS\\KOVEL", kProgramFile, kTrackIconSuffix));
  EXPECT_EQ("D:\\APPS\\KOVEL\\kovel32.exe -play %1", Shell("D:\\APPS\\KOVEL", kProgramFile, kTrackPlaySuffix));
  EXPECT_EQ("D:\\WIN95\\cdplayer.exe /play %1", Shell("D:\\WIN95", kSystemPlayerFile, kDiscPlaySuffix));
}

TEST(ShellValues, JoiningAddsABackslashOnlyWhereNoneEndsTheFolder) {
  EXPECT_EQ("D:\\APPS\\KOVEL\\kovel32.exe /play %1", Shell("D:\\APPS\\KOVEL\\", kProgramFile, kDiscPlaySuffix));
  EXPECT_EQ("D:/apps/kovel32.exe,0", Shell("D:/apps/", kProgramFile, kTrackIconSuffix));
  EXPECT_EQ("kovel32.exe -play %1", Shell("", kProgramFile, kTrackPlaySuffix));
  EXPECT_EQ("C:\\kovel32.exe,0", Shell("C:\\", kProgramFile, kTrackIconSuffix));
  char out[32];
  EXPECT_EQ(1, JoinShellPath(out, sizeof out, "C:\\KOVEL", "kovel32.exe"));
  EXPECT_STREQ("C:\\KOVEL\\kovel32.exe", out);
}

TEST(InstallPathValue, DropsExactlyOneTrailingBackslash) {
  char out[260];
  ASSERT_EQ(1, InstallPathValue(out, sizeof out, "D:\\APPS\\KOVEL\\"));
  EXPECT_STREQ("D:\\APPS\\KOVEL", out);
  ASSERT_EQ(1, InstallPathValue(out, sizeof out, "D:\\APPS\\KOVEL\\\\"));
  EXPECT_STREQ("D:\\APPS\\KOVEL\\", out);
  ASSERT_EQ(1, InstallPathValue(out, sizeof out, "D:\\APPS\\KOVEL"));
  EXPECT_STREQ("D:\\APPS\\KOVEL", out);
  ASSERT_EQ(1, InstallPathValue(out, sizeof out, "C:/KOVEL/"));
  EXPECT_STREQ("C:/KOVEL/", out);
  ASSERT_EQ(1, InstallPathValue(out, sizeof out, ""));
  EXPECT_STREQ("", out);
  // A drive root stays a root: "C:" would be the drive's current directory.
  ASSERT_EQ(1, InstallPathValue(out, sizeof out, "C:\\"));
  EXPECT_STREQ("C:\\", out);
  ASSERT_EQ(1, InstallPathValue(out, sizeof out, "C:\\\\"));
  EXPECT_STREQ("C:\\", out);
}

TEST(Folders, OnlyAFolderFromADriveRootIsAbsolute) {
  for (const char* folder : {"C:\\KOVEL", "d:\\apps\\kovel\\", "Z:\\"})
    EXPECT_TRUE(IsAbsoluteFolder(folder)) << folder;
  // Relative to the current directory, to a drive's current directory or
  // to the current drive's root; a network path; a forward slash.
  for (const char* folder : {"", "KOVEL", "C:", "C:KOVEL", "\\KOVEL", "\\\\server\\share\\KOVEL",
                             "C:/KOVEL", "1:\\KOVEL", ":\\"})
    EXPECT_FALSE(IsAbsoluteFolder(folder)) << folder;
  EXPECT_TRUE(IsDriveRoot("c:\\"));
  EXPECT_FALSE(IsDriveRoot("C:\\KOVEL"));
  EXPECT_FALSE(IsDriveRoot("C:"));
}

TEST(Fonts, AnEntryNamesOurFontByItsNameOrItsInstalledPath) {
  const char installed[] = "C:\\WINDOWS\\fonts\\digital.fon";
  for (const char* entry : {"digital.fon", "DIGITAL.FON", "c:\\windows\\FONTS\\Digital.fon"})
    EXPECT_TRUE(NamesInstalledFont(entry, installed)) << entry;
  for (const char* entry : {"", "someone.fon", "digital.fon2", "D:\\digital.fon"})
    EXPECT_FALSE(NamesInstalledFont(entry, installed)) << entry;
}

TEST(SourceFormat, TheCompressedHeaderIsReadWithinItsBytes) {
  const unsigned char header[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 'E', 0x78, 0x56, 0x34, 0x92, 0xFF};
  std::uint32_t length = 0;
  ASSERT_EQ(kCompressedSource, ReadSourceFormat(header, sizeof header, &length));
  EXPECT_EQ(0x92345678u, length);
  // The signature with its header cut short, or another mode, is damaged.
  EXPECT_EQ(kDamagedSource, ReadSourceFormat(header, kCompressedHeaderSize - 1, &length));
  unsigned char otherMode[sizeof header];
  std::memcpy(otherMode, header, sizeof header);
  otherMode[8] = 'B';
  EXPECT_EQ(kDamagedSource, ReadSourceFormat(otherMode, sizeof otherMode, &length));
  // Without the whole signature a source is plain.
  EXPECT_EQ(kPlainSource, ReadSourceFormat(header, 7, &length));
  otherMode[7] = 0x34;
  EXPECT_EQ(kPlainSource, ReadSourceFormat(otherMode, sizeof otherMode, &length));
  EXPECT_EQ(kPlainSource, ReadSourceFormat(header, 0, &length));
}

TEST(FilePaths, SourceDestinationAndFontRules) {
  char out[kComposedPathSize];
  ASSERT_EQ(1, JoinSourcePath(out, sizeof out, "A:\\", kProgramFile));
  EXPECT_STREQ("A:\\kovel32.exe", out);
  ASSERT_EQ(1, JoinSourcePath(out, sizeof out, "A:\\DISK1", kFontFile));
  EXPECT_STREQ("A:\\DISK1\\digital.fon", out);
  // The source rule knows only the backslash.
  ASSERT_EQ(1, JoinSourcePath(out, sizeof out, "A:/DISK1/", kFontFile));
  EXPECT_STREQ("A:/DISK1/\\digital.fon", out);
  // The destination always gets its backslash, doubled after a typed one.
  ASSERT_EQ(1, AppendFileName(out, sizeof out, "C:\\KOVEL\\", kProgramFile));
  EXPECT_STREQ("C:\\KOVEL\\\\kovel32.exe", out);
  ASSERT_EQ(1, FontPath(out, sizeof out, "C:\\WINDOWS"));
  EXPECT_STREQ("C:\\WINDOWS\\fonts\\digital.fon", out);
}

// A folder of n characters: "C:\" and then letters.
std::string FolderOf(size_t n) { return "C:\\" + std::string(n - 3, 'k'); }

TEST(Bounds, APathThatWouldNotFitIsRefusedWhole) {
  // "\kovel32.exe" is 12 characters: a 243-character folder fills 255.
  char out[kComposedPathSize];
  ASSERT_EQ(1, AppendFileName(out, sizeof out, FolderOf(243).c_str(), kProgramFile));
  EXPECT_EQ(255u, std::string(out).size());
  EXPECT_EQ(0, AppendFileName(out, sizeof out, FolderOf(244).c_str(), kProgramFile));
  EXPECT_STREQ("", out);
  EXPECT_EQ(0, AppendFileName(out, sizeof out, FolderOf(259).c_str(), kProgramFile));

  ASSERT_EQ(1, JoinSourcePath(out, sizeof out, FolderOf(243).c_str(), kFontFile));
  EXPECT_EQ(0, JoinSourcePath(out, sizeof out, FolderOf(244).c_str(), kFontFile));
  // "\fonts\digital.fon" is 18 characters.
  ASSERT_EQ(1, FontPath(out, sizeof out, FolderOf(237).c_str()));
  EXPECT_EQ(0, FontPath(out, sizeof out, FolderOf(238).c_str()));

  char value[kComposedPathSize + 16];
  EXPECT_EQ(0, ShellValueText(value, sizeof value, FolderOf(259).c_str(), kProgramFile, kTrackPlaySuffix));
  EXPECT_STREQ("", value);
  char stored[260];
  ASSERT_EQ(1, InstallPathValue(stored, sizeof stored, (FolderOf(258) + "\\").c_str()));
  EXPECT_EQ(FolderOf(258), stored);
  EXPECT_EQ(0, InstallPathValue(stored, sizeof stored, FolderOf(260).c_str()));
  EXPECT_EQ(0, InstallPathValue(stored, 0, "C:\\KOVEL"));
}

}  // namespace
