#include "install/install_core.h"

#include <cstring>

const char kProgramFile[] = "kovel32.exe";
const char kFontFile[] = "digital.fon";
const char kProgramLabel[] = "KOVEL32.EXE";
const char kFontLabel[] = "DIGITAL.FON";
const char kSystemPlayerFile[] = "cdplayer.exe";
const char kFontFace[] = "Corvane Digital";

const char kDiscPlaySuffix[] = " /play %1";
const char kTrackIconSuffix[] = ",0";
const char kTrackPlaySuffix[] = " -play %1";

const char kCopyingProgramText[] = "Copying Corvane CD Player 1.0...";
const char kCopyingFontText[] = "Copying Corvane Digital Font...";
const char kInstallDoneText[] = "Installation of Corvane CD Player 1.0 done";
const char kRemovingProgramText[] = "Removing Corvane CD Player 1.0...";
const char kRemovingFontText[] = "Removing Corvane Digital Font...";
const char kRemoveDoneText[] = "Removal of Corvane CD Player 1.0 done";

namespace {

// Writes the pieces one after another; 0 and an empty text when they
// would not fit with the NUL.
int Compose(char* out, std::size_t size, const char* const* pieces, int count) {
  if (size == 0) return 0;
  std::size_t used = 0;
  for (int i = 0; i < count; ++i) {
    const std::size_t length = std::strlen(pieces[i]);
    if (length >= size - used) {
      out[0] = '\0';
      return 0;
    }
    std::memcpy(out + used, pieces[i], length);
    used += length;
  }
  out[used] = '\0';
  return 1;
}

bool EndsWith(const char* text, char c) {
  const std::size_t length = std::strlen(text);
  return length > 0 && text[length - 1] == c;
}

}  // namespace

int JoinShellPath(char* out, std::size_t size, const char* folder, const char* file) {
  return ShellValueText(out, size, folder, file, "");
}

int ShellValueText(char* out, std::size_t size, const char* folder, const char* file,
                   const char* suffix) {
  const bool separate = folder[0] != '\0' && !EndsWith(folder, '\\') && !EndsWith(folder, '/');
  const char* pieces[] = {folder, separate ? "\\" : "", file, suffix};
  return Compose(out, size, pieces, 4);
}

int JoinSourcePath(char* out, std::size_t size, const char* directory, const char* file) {
  const char* pieces[] = {directory, EndsWith(directory, '\\') ? "" : "\\", file};
  return Compose(out, size, pieces, 3);
}

int AppendFileName(char* out, std::size_t size, const char* folder, const char* file) {
  const char* pieces[] = {folder, "\\", file};
  return Compose(out, size, pieces, 3);
}

int FontPath(char* out, std::size_t size, const char* windowsDirectory) {
  const char* pieces[] = {windowsDirectory, "\\fonts\\", kFontFile};
  return Compose(out, size, pieces, 3);
}

int InstallPathValue(char* out, std::size_t size, const char* folder) {
  const char* pieces[] = {folder};
  if (!Compose(out, size, pieces, 1)) return 0;
  // A drive root keeps its backslash: "C:" alone would name the drive's
  // current directory.
  if (EndsWith(out, '\\') && !IsDriveRoot(out)) out[std::strlen(out) - 1] = '\0';
  return 1;
}

bool IsAbsoluteFolder(const char* folder) {
  const char letter = static_cast<char>(folder[0] | 0x20);
  return letter >= 'a' && letter <= 'z' && folder[1] == ':' && folder[2] == '\\';
}

bool IsDriveRoot(const char* folder) { return IsAbsoluteFolder(folder) && folder[3] == '\0'; }

namespace {

bool SameTextIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    const char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a | 0x20) : *a;
    const char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b | 0x20) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

bool NamesInstalledFont(const char* entry, const char* installedPath) {
  return SameTextIgnoringCase(entry, kFontFile) || SameTextIgnoringCase(entry, installedPath);
}

SourceFormat ReadSourceFormat(const unsigned char* head, std::size_t count,
                              std::uint32_t* expandedLength) {
  static const unsigned char kSignature[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
  if (count < sizeof kSignature || std::memcmp(head, kSignature, sizeof kSignature) != 0)
    return kPlainSource;
  // Byte 9, the character the compressed name lost, is not needed: the
  // disk holds its files under their final names.
  if (count < kCompressedHeaderSize || head[8] != 'A') return kDamagedSource;
  std::uint32_t length = 0;
  for (int i = 13; i >= 10; --i) length = length << 8 | head[i];
  *expandedLength = length;
  return kCompressedSource;
}
