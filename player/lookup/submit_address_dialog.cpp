// SubmitAddressProc: the address where a disc is added to MusicBrainz, for
// a system where no web browser opens it. The address is shown in a
// read-only edit control, selected, ready to be copied.
#include "player/lookup/lookup.h"

#include "player/shell/player_state.h"
#include "resources/player/resource.h"

namespace {

typedef HINSTANCE(WINAPI* ShellExecuteCall)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// The shell's "open" of the address: 1 when a program took it. SHELL32 is
// loaded for the call only; the player does not import it.
int ShellOpen(HWND owner, const char* address) {
  HMODULE shell = LoadLibraryA("SHELL32.DLL");
  if (!shell) return 0;
  ShellExecuteCall execute =
      reinterpret_cast<ShellExecuteCall>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
  // Values of 32 and less are the shell's errors (no program for https among them).
  int opened = execute && reinterpret_cast<INT_PTR>(execute(owner, "open", address, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
  FreeLibrary(shell);
  return opened;
}

}  // namespace

void OpenSubmitAddress(HWND owner, const char* address) {
  if (ShellOpen(owner, address)) return;
  DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_SUBMIT_ADDRESS), owner, SubmitAddressProc,
                  reinterpret_cast<LPARAM>(address));
}

INT_PTR CALLBACK SubmitAddressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND edit = GetDlgItem(dialog, IDC_SUBMIT_ADDRESS);
      SetWindowTextA(edit, reinterpret_cast<const char*>(lParam));
      SetFocus(edit);
      SendMessageA(edit, EM_SETSEL, 0, -1);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}
