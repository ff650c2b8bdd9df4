// Shared by the installer's tests: a script that drives the real dialog
// chain from a hook (pressing buttons, typing the folder, firing the
// one-second timer) and records what it showed; the machine state the
// installer touches (shell keys, the Fonts value, the installed font), saved
// before a test and put back after it; and small file helpers.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/win32/support/win_test_support.h"

enum class SetupChoice { Install, Remove, Cancel };
enum class ProgressStart { FireTimer, FireTimerTwice, EscapeBeforeTimer };
enum class ProgressClose { Done, Escape, CloseBox };

struct Script {
  SetupChoice setup = SetupChoice::Install;
  bool cancelPath = false;
  // Typed into the Install Path field; null keeps what the field shows.
  const char* folder = nullptr;
  ProgressStart start = ProgressStart::FireTimer;
  ProgressClose close = ProgressClose::Done;
};

struct ShownDialog {
  std::string caption;
  // The texts of its controls in template order, icons left out.
  std::vector<std::string> texts;
  HWND window;
  HWND owner;
  std::string ownerClass;
};

// For failure messages: every dialog shown, with its texts.
std::ostream& operator<<(std::ostream& out, const ShownDialog& shown);

struct InstallerRun {
  int exitCode = -1;
  std::vector<ShownDialog> dialogs;  // in the order they opened
  bool installChosenAtOpen = false;  // Setup's Install button checked when it opened
  bool browseVisible = true;
  std::vector<std::string> status;  // every text the status line received
  bool doneEnabledBeforeWork = true;
  bool doneEnabledAfterWork = false;
  std::string statusAfterWork;
  // Pixels of the banner that differ from what the dialog should show, per
  // dialog with a banner, counted when it first opened.
  std::vector<int> bannerFaults;
  // Every error dialog opened (20, 20) dialog units from its owner's top
  // left (Windows measures from the client area, Wine from the frame), not
  // centred.
  bool errorsPlacedByTemplate = true;
  // Setup and the progress dialog centred on the desktop.
  bool centred = true;

  std::vector<std::string> Captions() const;
  // The error dialogs only.
  std::vector<ShownDialog> Errors() const;
};

// Runs the installer in this process with the script.
InstallerRun RunInstallerWith(const Script& script);

// Machine state. SaveMachine records the shell keys, the Fonts value and
// the installed font once; RestoreMachine puts them back as they were.
void SaveMachine();
void RestoreMachine();

// Shell keys under HKEY_CLASSES_ROOT, as Windows has them, each default
// value set to `previous` followed by the verb's ending.
void CreateShellKeys(const std::string& previous);
void CreateKey(const char* path);
void DeleteShellKeys();
bool KeyExists(const char* path);
// A REG_SZ value read back with RegQueryValueExA; "(none)" when missing.
// byteCount gets the stored size.
std::string ClassesValue(const char* path, const char* name, DWORD* byteCount = nullptr);
std::string FontsValue();
void SetFontsValue(const char* file);
// How many of the Fonts key's values name `file`.
int FontsEntriesNaming(const char* file);

// Files.
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
std::string WindowsFontPath();
std::string WindowsDirectory();
// Beside this test program: the installation disks the build made.
std::string DiskFolder(const char* kind);  // "plain" or "szdd"
// A fresh folder under the temp folder for this test (emptied first).
std::string TestFolder();
void DeleteTree(const std::string& path);

extern const char kSetupCaption[];
extern const char kPathCaption[];
extern const char kInstallCaption[];
extern const char kRemoveCaption[];
extern const char kErrorCaption[];
extern const char kNotFoundText[];
extern const char kNotCreatedText[];
extern const char kNotRemovedText[];
extern const char kExitButton[];
