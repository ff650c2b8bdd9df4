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
  if (EndsWith(out, '\\')) out[std::strlen(out) - 1] = '\0';
  return 1;
}
