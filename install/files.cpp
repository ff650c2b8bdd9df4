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

// Windows NT keeps its font list under "Windows NT", Windows 95 under
// "Windows". The key that exists is used, NT's first, rather than the
// version the system reports, which a compatibility mode changes; neither
// is ever created.
const char* const kFontsKeys[] = {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts"};

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

bool OpenFontsKey(HKEY* fonts) {
  const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
  for (const char* name : kFontsKeys)
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, name, 0, access, fonts) == ERROR_SUCCESS) return true;
  return false;
}

enum FontEntry { kNoEntry, kOurEntry, kForeignEntry };

// What the face's value under the Fonts key names. A value that is not a
// text of a path's length names no file of ours.
FontEntry ReadFontEntry(HKEY fonts, const char* font) {
  char entry[MAX_PATH + 1] = "";
  DWORD type = 0, size = MAX_PATH;
  const LONG result =
      RegQueryValueExA(fonts, kFontFace, nullptr, &type, reinterpret_cast<BYTE*>(entry), &size);
  if (result == ERROR_FILE_NOT_FOUND) return kNoEntry;
  if (result != ERROR_SUCCESS || type != REG_SZ) return kForeignEntry;
  entry[size < MAX_PATH ? size : MAX_PATH] = '\0';
  return NamesInstalledFont(entry, font) ? kOurEntry : kForeignEntry;
}

// Makes the LED face usable at once and in every later process: the font
// is registered under the Fonts key, unless the face's value there names
// another file (it belongs to someone else), and added to the system's
// font table. Failures are silent, like the other registry steps.
void RegisterFont(const char* font) {
  HKEY fonts;
  if (OpenFontsKey(&fonts)) {
    if (ReadFontEntry(fonts, font) != kForeignEntry)
      RegSetValueExA(fonts, kFontFace, 0, REG_SZ, reinterpret_cast<const BYTE*>(kFontFile),
                     static_cast<DWORD>(lstrlenA(kFontFile) + 1));
    RegCloseKey(fonts);
  }
  AddFontResourceA(font);
}

// Deletes the face's value only where it names our file.
void UnregisterFont(const char* font) {
  HKEY fonts;
  if (OpenFontsKey(&fonts)) {
    if (ReadFontEntry(fonts, font) == kOurEntry) RegDeleteValueA(fonts, kFontFace);
    RegCloseKey(fonts);
  }
}

// The length a whole copy of the open source gives: the expanded length its
// header states when it is compressed, its size when it is plain. False for
// a damaged header or a source that cannot be read. The file is left at its
// start for the LZ library.
bool ExpectedLength(HANDLE input, DWORD* length) {
  unsigned char head[kCompressedHeaderSize];
  DWORD got = 0, sizeHigh = 0;
  if (!ReadFile(input, head, sizeof head, &got, nullptr)) return false;
  if (SetFilePointer(input, 0, nullptr, FILE_BEGIN) != 0) return false;
  std::uint32_t expanded = 0;
  switch (ReadSourceFormat(head, got, &expanded)) {
    case kCompressedSource:
      *length = expanded;
      return true;
    case kPlainSource:
      *length = GetFileSize(input, &sizeHigh);
      return *length != INVALID_FILE_SIZE && sizeHigh == 0;
    case kDamagedSource:
      break;
  }
  return false;
}

// On Windows NT a font the window system has loaded is held open: an
// earlier install's copy is released before it is replaced.
int ReplaceFont(const char* font) {
  RemoveFontResourceA(font);
  return ExpandCopyFile(kFontFile, font);
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
  DWORD expected = 0;
  if (!ExpectedLength(input, &expected)) {
    CloseHandle(input);
    return 0;
  }
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
  // The LZ library counts what it wrote; a source that ends early, cut
  // short or damaged, gives a short count rather than an error.
  const LONG copied = LZCopy(lzInput, HandleToLong(output));
  LZClose(lzInput);
  const bool closed = CloseHandle(output) != 0;
  if (copied < 0 || static_cast<DWORD>(copied) != expected || !closed) {
    // A truncated program must not be left where the shell would start it.
    DeleteFileA(destination);
    return 0;
  }
  return 1;
}

int CopyProgramFiles(HWND dialog) {
  // A folder that does not name its drive and start at its root is refused
  // like one that cannot be made: the removal would look for it relative
  // to wherever it runs. Any existing entry counts, a folder typed with a
  // trailing backslash included; a file of that name fails at the copy
  // below.
  if (!IsAbsoluteFolder(installPath) ||
      (GetFileAttributesA(installPath) == INVALID_FILE_ATTRIBUTES &&
       !CreateDirectoryA(installPath, nullptr))) {
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
  if (!InstalledFontPath(font, windows) || !ReplaceFont(font)) {
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
    // The program the shell's values name: a root's backslash is not
    // doubled.
    char program[kComposedPathSize];
    if (!JoinShellPath(program, sizeof program, folder, kProgramFile)) {
      ShowInstallError(dialog, IDD_NOT_REMOVED, folder);
    } else if (!DeleteFileA(program)) {
      ShowInstallError(dialog, IDD_NOT_REMOVED, program);
    }
    // Only an empty folder goes, and never a drive's root; anything else
    // stays, unreported.
    if (!IsDriveRoot(folder)) RemoveDirectoryA(folder);
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
  if (GetFileAttributesA(font) == INVALID_FILE_ATTRIBUTES) UnregisterFont(font);
  return 1;
}
