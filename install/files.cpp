// Copying the player and its LED font from the installation disk (the
// current directory) and deleting them again. Sources may be stored plain
// or compressed by the platform's file compression tool; the platform's LZ
// expansion reads both.
#include <windows.h>
#include <lzexpand.h>

#include "install/install.h"
#include "install/install_core.h"
#include "resources/install/resource.h"

namespace {

const char kFontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// The Windows directory's copy of the font; 0 when it cannot be named in
// a buffer of kComposedPathSize.
int InstalledFontPath(char* font, char* windows) {
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    windows[0] = '\0';
    return 0;
  }
  return FontPath(font, kComposedPathSize, windows);
}

// Makes the LED face usable at once and in every later process: the font
// is registered under the Fonts key and added to the system's font table.
// Failures are silent, like the other registry steps.
void RegisterFont(const char* font) {
  HKEY fonts;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_SET_VALUE, &fonts) == ERROR_SUCCESS) {
    RegSetValueExA(fonts, kFontFace, 0, REG_SZ, reinterpret_cast<const BYTE*>(kFontFile),
                   static_cast<DWORD>(lstrlenA(kFontFile) + 1));
    RegCloseKey(fonts);
  }
  AddFontResourceA(font);
}

void UnregisterFont() {
  HKEY fonts;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_SET_VALUE, &fonts) == ERROR_SUCCESS) {
    RegDeleteValueA(fonts, kFontFace);
    RegCloseKey(fonts);
  }
}

}  // namespace

int ExpandCopyFile(const char* sourceName, const char* destination) {
  char directory[kComposedPathSize];
  const DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
  if (length == 0 || length >= sizeof directory) return 0;
  char source[kComposedPathSize];
  if (!JoinSourcePath(source, sizeof source, directory, sourceName)) return 0;

  // The files are opened by CreateFile rather than OpenFile, whose record
  // holds only 128 characters of a path, and handed to the LZ library.
  HANDLE input = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (input == INVALID_HANDLE_VALUE) return 0;
  const INT lzInput = LZInit(HandleToLong(input));
  if (lzInput < 0) {
    CloseHandle(input);
    return 0;
  }
  HANDLE output = CreateFileA(destination, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) {
    LZClose(lzInput);
    return 0;
  }
  const LONG copied = LZCopy(lzInput, HandleToLong(output));
  LZClose(lzInput);
  const bool closed = CloseHandle(output) != 0;
  if (copied < 0 || !closed) {
    // A truncated program must not be left where the shell would start it.
    DeleteFileA(destination);
    return 0;
  }
  return 1;
}

int CopyProgramFiles(HWND dialog) {
  // Any existing entry counts, a folder typed with a trailing backslash
  // included; a file of that name fails at the copy below.
  if (GetFileAttributesA(installPath) == INVALID_FILE_ATTRIBUTES &&
      !CreateDirectoryA(installPath, nullptr)) {
    ShowInstallError(dialog, IDD_FOLDER_NOT_CREATED, installPath);
    return 0;
  }

  SetStatus(dialog, kCopyingProgramText);
  char program[kComposedPathSize];
  if (!AppendFileName(program, sizeof program, installPath, kProgramFile) ||
      !ExpandCopyFile(kProgramFile, program)) {
    ShowInstallError(dialog, IDD_MISSING_SOURCE, kProgramLabel);
    return 0;
  }

  SetStatus(dialog, kCopyingFontText);
  char font[kComposedPathSize], windows[MAX_PATH];
  if (!InstalledFontPath(font, windows) || !ExpandCopyFile(kFontFile, font)) {
    ShowInstallError(dialog, IDD_MISSING_SOURCE, kFontLabel);
    return 0;
  }
  RegisterFont(font);
  return 1;
}

int RemoveProgramFiles(HWND dialog) {
  SetStatus(dialog, kRemovingProgramText);
  // Without a stored folder there is nothing of ours to delete: the program
  // step would otherwise aim at "\kovel32.exe" in the drive's root.
  char folder[MAX_PATH];
  if (ReadInstallPath(folder)) {
    char program[kComposedPathSize];
    if (!AppendFileName(program, sizeof program, folder, kProgramFile)) {
      ShowInstallError(dialog, IDD_NOT_REMOVED, folder);
    } else if (!DeleteFileA(program)) {
      ShowInstallError(dialog, IDD_NOT_REMOVED, program);
    }
    // Only an empty folder goes; anything else stays, unreported.
    RemoveDirectoryA(folder);
  }

  SetStatus(dialog, kRemovingFontText);
  char font[kComposedPathSize], windows[MAX_PATH];
  if (!InstalledFontPath(font, windows)) {
    ShowInstallError(dialog, IDD_NOT_REMOVED, windows);
    return 1;
  }
  RemoveFontResourceA(font);
  if (!DeleteFileA(font)) ShowInstallError(dialog, IDD_NOT_REMOVED, font);
  // The registration follows the file: kept while a copy in use remains.
  if (GetFileAttributesA(font) == INVALID_FILE_ATTRIBUTES) UnregisterFont();
  return 1;
}
