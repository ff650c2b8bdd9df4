// The installer's texts and path rules, without the platform: the names of
// the installed files, the registry value texts and the bounded joining of
// folders and file names. Every composing function writes at most `size`
// bytes, the NUL included, and returns 1; when the text would not fit it
// returns 0 with `out` emptied, so a folder typed too long is refused
// instead of overrunning a buffer.
#pragma once

#include <cstddef>

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

// The text stored as "InstallPath": the folder less one trailing "\".
int InstallPathValue(char* out, std::size_t size, const char* folder);
