// The CD drives the player can use, and the system menu's Drive submenu
// that chooses among them.
#include "player/panel/panel.h"

#include <cstdio>

#include "player/shell/player_state.h"
#include "resources/player/resource.h"

uint32_t CdDrives() {
  const DWORD present = GetLogicalDrives();
  uint32_t cd = 0;
  for (int n = 0; n < 26; ++n) {
    const char root[] = {static_cast<char>('A' + n), ':', '\\', '\0'};
    if ((present >> n & 1) && GetDriveTypeA(root) == DRIVE_CDROM) cd |= 1u << n;
  }
  return cd;
}

int DriveInUse() {
  if (const char letter = DriveLetter(playerSettings.drive)) return letter - 'A';
  const uint32_t cd = CdDrives();
  for (int n = 0; n < 26; ++n) {
    if (cd >> n & 1) return n;
  }
  return -1;
}

void AddDriveMenu(HMENU systemMenu) {
  HMENU drives = CreatePopupMenu();
  if (!drives) return;
  const uint32_t cd = CdDrives();
  const int inUse = DriveInUse();
  for (int n = 0; n < 26; ++n) {
    if (!(cd >> n & 1)) continue;
    char text[8];
    snprintf(text, sizeof text, "%c:", 'A' + n);
    AppendMenuA(drives, MF_STRING | (n == inUse ? MF_CHECKED : MF_UNCHECKED), IDM_DRIVE_FIRST + n, text);
  }
  // The system menu owns the submenu from here on and destroys it with itself.
  if (!AppendMenuA(systemMenu, MF_POPUP | (cd ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(drives), "&Drive"))
    DestroyMenu(drives);
}

void CheckDriveInUse(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  const int inUse = DriveInUse();
  for (int n = 0; n < 26; ++n)
    CheckMenuItem(menu, IDM_DRIVE_FIRST + n, MF_BYCOMMAND | (n == inUse ? MF_CHECKED : MF_UNCHECKED));
}
