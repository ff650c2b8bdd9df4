// The shell's handler for audio CDs and CD tracks, and the remembered
// install folder, under HKEY_CLASSES_ROOT. The shell's file-type keys
// belong to the system: they are opened, never created, so a machine
// without them keeps its registry as it was.
#include <windows.h>

#include "install/install.h"
#include "install/install_core.h"

namespace {

const char kAudioCdKey[] = "AudioCD";
const char* const kDiscPlayKeys[] = {"Shell", "Play", "Command"};
const char kTrackKey[] = "cdafile";
const char kTrackIconKey[] = "Defaulticon";
const char* const kTrackPlayKeys[] = {"shell", "play", "command"};
const char kInstallPathValue[] = "InstallPath";

// Opens the chain of subkeys below `root`, each under the one before.
// Returns how many were opened; keys[] holds them, for CloseKeys.
int OpenChain(HKEY root, const char* const* names, int count, HKEY* keys) {
  HKEY parent = root;
  for (int i = 0; i < count; ++i) {
    if (RegOpenKeyA(parent, names[i], &keys[i]) != ERROR_SUCCESS) return i;
    parent = keys[i];
  }
  return count;
}

void CloseKeys(HKEY* keys, int count) {
  while (count > 0) RegCloseKey(keys[--count]);
}

// A text value with its NUL counted, as the shell reads it.
bool SetText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(lstrlenA(text) + 1)) == ERROR_SUCCESS;
}

// Sets the default value of the last key of root\names... to the program
// path in `folder` followed by `suffix`.
bool SetVerb(HKEY root, const char* const* names, int count, const char* folder, const char* file,
             const char* suffix) {
  char text[kComposedPathSize + 16];
  if (!ShellValueText(text, sizeof text, folder, file, suffix)) return false;
  HKEY keys[4];
  const int opened = OpenChain(root, names, count, keys);
  const bool written = opened == count && SetText(keys[count - 1], nullptr, text);
  CloseKeys(keys, opened);
  return written;
}

// Points the three shell values at `file` in `folder`; stops at the first
// failure, leaving what was written before.
int SetPlayHandler(const char* folder, const char* file) {
  HKEY disc;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, kAudioCdKey, &disc) != ERROR_SUCCESS) return 0;
  const bool discDone = SetVerb(disc, kDiscPlayKeys, 3, folder, file, kDiscPlaySuffix);
  RegCloseKey(disc);
  if (!discDone) return 0;

  HKEY track;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, kTrackKey, &track) != ERROR_SUCCESS) return 0;
  const char* const iconKeys[] = {kTrackIconKey};
  const bool done = SetVerb(track, iconKeys, 1, folder, file, kTrackIconSuffix) &&
                    SetVerb(track, kTrackPlayKeys, 3, folder, file, kTrackPlaySuffix);
  RegCloseKey(track);
  return done ? 1 : 0;
}

}  // namespace

int RegisterPlayHandler(const char* folder) { return SetPlayHandler(folder, kProgramFile); }

int RestorePlayHandler() {
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  if (length == 0 || length >= sizeof windows) return 0;
  return SetPlayHandler(windows, kSystemPlayerFile);
}

int WriteInstallPath(const char* folder) {
  char value[MAX_PATH];
  if (folder && !InstallPathValue(value, sizeof value, folder)) return 0;
  HKEY disc;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, kAudioCdKey, &disc) != ERROR_SUCCESS) return 0;
  const bool done = folder ? SetText(disc, kInstallPathValue, value)
                           : RegDeleteValueA(disc, kInstallPathValue) == ERROR_SUCCESS;
  RegCloseKey(disc);
  return done ? 1 : 0;
}

int ReadInstallPath(char* buffer) {
  HKEY disc;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, kAudioCdKey, &disc) != ERROR_SUCCESS) return 0;
  // One byte beyond the 260 asked for keeps a stored text without its NUL
  // terminated.
  char value[MAX_PATH + 1] = "";
  DWORD type = 0, size = MAX_PATH;
  const LONG result = RegQueryValueExA(disc, kInstallPathValue, nullptr, &type,
                                       reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(disc);
  // Only a text names a folder; anything else must not lead to deletions.
  if (result != ERROR_SUCCESS || type != REG_SZ) return 0;
  value[size < MAX_PATH ? size : MAX_PATH - 1] = '\0';
  // Only a folder from a drive's root is one we installed into; an empty or
  // relative one would be looked for wherever the removal runs.
  if (!IsAbsoluteFolder(value)) return 0;
  lstrcpynA(buffer, value, MAX_PATH);
  return 1;
}
