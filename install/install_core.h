// The installer's texts and path rules, without the platform: the names of
// the installed files, the registry value texts and the bounded joining of
// folders and file names. Every composing function writes at most `size`
// bytes, the NUL included, and returns 1; when the text would not fit it
// returns 0 with `out` emptied, so a folder typed too long is refused
// instead of overrunning a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

// The player's program and its LED font, as the installation disk holds
// them and as they are installed.
extern const char kProgramFile[];   // "kovel32.exe"
extern const char kFontFile[];      // "digital.fon"
extern const char kProgramLabel[];  // "KOVEL32.EXE", the name error dialogs show
extern const char kFontLabel[];     // "DIGITAL.FON"
// The operating system's own player, handed the job back on removal.
extern const char kSystemPlayerFile[];  // "cdplayer.exe"
// The font's entry under the platform's Fonts key: its face and its file.
extern const char kFontFace[];  // "Corvane Digital"

// The endings of the three shell values after the program's path.
extern const char kDiscPlaySuffix[];   // " /play %1"
extern const char kTrackIconSuffix[];  // ",0"
extern const char kTrackPlaySuffix[];  // " -play %1"

// Progress dialog status lines, in the order the actions show them.
extern const char kCopyingProgramText[];
extern const char kCopyingFontText[];
extern const char kInstallDoneText[];
extern const char kRemovingProgramText[];
extern const char kRemovingFontText[];
extern const char kRemoveDoneText[];

// Program paths are composed in buffers of this size (255 characters and
// the NUL), like every path the installer builds from a folder.
constexpr std::size_t kComposedPathSize = 256;

// The shell's joining rule: the folder, then "\" unless the folder is empty
// or already ends in "\" or "/", then the file name.
int JoinShellPath(char* out, std::size_t size, const char* folder, const char* file);

// The text of one shell value: JoinShellPath(folder, file) + suffix.
int ShellValueText(char* out, std::size_t size, const char* folder, const char* file,
                   const char* suffix);

// A source on the installation disk: the directory, then "\" unless it
// already ends in "\", then the file name.
int JoinSourcePath(char* out, std::size_t size, const char* directory, const char* file);

// An installed file: the folder, always "\", then the file name (a folder
// typed with a trailing backslash gives a doubled one, which the file
// system accepts).
int AppendFileName(char* out, std::size_t size, const char* folder, const char* file);

// The font's installed path: the Windows directory + "\fonts\" + the file.
int FontPath(char* out, std::size_t size, const char* windowsDirectory);

// The text stored as "InstallPath": the folder less one trailing "\",
// except a drive root, which is stored as "C:\".
int InstallPathValue(char* out, std::size_t size, const char* folder);

// The folder as the install accepts it: a drive letter, ":" and "\" and
// then anything ("C:\KOVEL", "C:\"). A folder relative to the current
// directory or to a drive's current directory, and a network path, are
// refused: the removal must find the same folder from wherever it runs.
bool IsAbsoluteFolder(const char* folder);
// "C:\" and the like: a folder that is kept with its backslash and is never
// removed.
bool IsDriveRoot(const char* folder);

// The font's entry under the platform's Fonts key names our file when it is
// "digital.fon" or the installed path, in any letter case; an entry naming
// another file belongs to someone else.
bool NamesInstalledFont(const char* entry, const char* installedPath);

// A source on the installation disk, from its first bytes: a file of the
// platform's compression tool starts with "SZDD" 88 F0 27 33, the mode 'A',
// the character its compressed name lost, and the expanded length as 32
// bits, little-endian.
constexpr std::size_t kCompressedHeaderSize = 14;
enum SourceFormat {
  kPlainSource,       // copied byte for byte
  kCompressedSource,  // *expandedLength holds the length the expansion must give
  kDamagedSource,     // the signature with its header cut short or an unknown mode
};
SourceFormat ReadSourceFormat(const unsigned char* head, std::size_t count,
                              std::uint32_t* expandedLength);
