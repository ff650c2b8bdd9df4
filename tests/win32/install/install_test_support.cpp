#include "tests/win32/install/install_test_support.h"

#include <gtest/gtest.h>

#include <map>

#include "install/install.h"
#include "resources/install/resource.h"

const char kSetupCaption[] = "Setup - Corvane CD Player 1.0";
const char kPathCaption[] = "Install Path";
const char kInstallCaption[] = "Install - Corvane CD Player 1.0";
const char kRemoveCaption[] = "Remove - Corvane CD Player 1.0";
const char kErrorCaption[] = "Install - ERROR";
const char kNotFoundText[] = "could not be found on installation disk.  Setup cannot continue.";
const char kNotCreatedText[] = "could not create folder.  Setup cannot continue.";
const char kNotRemovedText[] = "could not be removed.";
const char kExitButton[] = "Exit 'Corvane CD Player 1.0 Setup";

namespace {

std::string Text(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool IsIcon(HWND control) {
  char name[16] = "";
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "Static") == 0 &&
         (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

ShownDialog Describe(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  char ownerClass[64] = "";
  GetClassNameA(owner, ownerClass, sizeof ownerClass);
  ShownDialog shown{Text(dialog), {}, dialog, owner, ownerClass};
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (!IsIcon(child)) shown.texts.push_back(Text(child));
  return shown;
}

// 32-bit top-down pixels of a rectangle of a DC, as 0x00RRGGBB.
std::vector<DWORD> Grab(HDC source, int x, int y, int width, int height) {
  std::vector<DWORD> pixels(static_cast<size_t>(width * height));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(source);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  const DWORD* p = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = p[i] & 0xFFFFFF;
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(dib);
  return pixels;
}

DWORD Rgb(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// Compares the top of the client area with the banner, centred: its
// key-coloured pixels must show the dialog's face, the others themselves.
int BannerFaults(HWND dialog) {
  UpdateWindow(dialog);
  HBITMAP banner = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BANNER),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!banner) return -1;
  BITMAP bm = {};
  GetObjectA(banner, sizeof bm, &bm);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, banner);
  const std::vector<DWORD> picture = Grab(memory, 0, 0, bm.bmWidth, bm.bmHeight);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(banner);

  RECT client;
  GetClientRect(dialog, &client);
  HDC dc = GetDC(dialog);
  const std::vector<DWORD> shown = Grab(dc, 0, 0, client.right, bm.bmHeight);
  ReleaseDC(dialog, dc);

  const DWORD key = picture[0], face = Rgb(GetSysColor(COLOR_BTNFACE));
  const int left = (client.right - bm.bmWidth) / 2;
  int faults = 0;
  for (int y = 0; y < bm.bmHeight; ++y)
    for (int x = 0; x < client.right; ++x) {
      const int bx = x - left;
      if (bx < 0 || bx >= bm.bmWidth) continue;
      const DWORD want = picture[static_cast<size_t>(y * bm.bmWidth + bx)];
      if (shown[static_cast<size_t>(y * client.right + x)] != (want == key ? face : want)) ++faults;
    }
  return faults;
}

bool Centred(HWND dialog) {
  RECT desktop, rect;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(dialog, &rect);
  return rect.left == (desktop.right - (rect.right - rect.left)) / 2 &&
         rect.top == (desktop.bottom - (rect.bottom - rect.top)) / 2;
}

struct Driver {
  Script script;
  InstallerRun* run;
  std::map<HWND, int> stage;
  bool timedOut = false;
};
Driver* driver;
HHOOK hook;

void Post(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Opened(HWND dialog) {
  InstallerRun& run = *driver->run;
  run.dialogs.push_back(Describe(dialog));
  const std::string caption = Text(dialog);
  driver->stage[dialog] = 0;
  if (caption == kErrorCaption) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    POINT client = {0, 0};
    ClientToScreen(owner, &client);
    RECT frame, rect, units = {20, 20, 0, 0};
    GetWindowRect(owner, &frame);
    GetWindowRect(dialog, &rect);
    MapDialogRect(dialog, &units);
    const bool fromClient = rect.left == client.x + units.left && rect.top == client.y + units.top;
    const bool fromFrame = rect.left == frame.left + units.left && rect.top == frame.top + units.top;
    if (!fromClient && !fromFrame) run.errorsPlacedByTemplate = false;
  } else if (caption != kPathCaption && !Centred(dialog)) {
    run.centred = false;
  }
}

void Idle(HWND dialog) {
  InstallerRun& run = *driver->run;
  const Script& script = driver->script;
  const std::string caption = Text(dialog);
  int& stage = driver->stage[dialog];
  if (caption == kSetupCaption && stage == 0) {
    run.bannerFaults.push_back(BannerFaults(dialog));
    run.installChosenAtOpen = IsDlgButtonChecked(dialog, IDC_INSTALL_CHOICE) == BST_CHECKED;
    if (script.setup == SetupChoice::Cancel) {
      Post(dialog, IDCANCEL);
    } else {
      if (script.setup == SetupChoice::Remove) PostMessageA(GetDlgItem(dialog, IDC_REMOVE_CHOICE), BM_CLICK, 0, 0);
      Post(dialog, IDOK);
    }
    stage = 1;
  } else if (caption == kPathCaption && stage == 0) {
    run.browseVisible = IsWindowVisible(GetDlgItem(dialog, IDC_BROWSE)) != 0;
    if (script.cancelPath) {
      Post(dialog, IDCANCEL);
    } else {
      if (script.folder) SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, script.folder);
      Post(dialog, IDOK);
    }
    stage = 1;
  } else if ((caption == kInstallCaption || caption == kRemoveCaption) && stage == 0) {
    run.bannerFaults.push_back(BannerFaults(dialog));
    run.doneEnabledBeforeWork = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != 0;
    switch (script.start) {
      case ProgressStart::EscapeBeforeTimer:
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case ProgressStart::FireTimerTwice:
        PostMessageA(dialog, WM_TIMER, 1, 0);
        [[fallthrough]];
      case ProgressStart::FireTimer:
        PostMessageA(dialog, WM_TIMER, 1, 0);
        break;
    }
    stage = 1;
  } else if ((caption == kInstallCaption || caption == kRemoveCaption) && stage == 1) {
    run.doneEnabledAfterWork = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != 0;
    run.statusAfterWork = Text(GetDlgItem(dialog, IDC_STATUS));
    switch (script.close) {
      case ProgressClose::Done:
        Post(dialog, IDOK);
        break;
      case ProgressClose::Escape:
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case ProgressClose::CloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    stage = 2;
  } else if (caption == kErrorCaption && stage == 0) {
    Post(dialog, IDOK);
    stage = 1;
  }
}

LRESULT CALLBACK DriverHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && driver) {
    const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (m->message == WM_INITDIALOG) {
      Opened(m->hwnd);
    } else if (m->message == WM_ENTERIDLE && m->wParam == MSGF_DIALOGBOX) {
      Idle(reinterpret_cast<HWND>(m->lParam));
    } else if (m->message == WM_SETTEXT && GetDlgCtrlID(m->hwnd) == IDC_STATUS) {
      const std::string owner = Text(GetParent(m->hwnd));
      if (owner == kInstallCaption || owner == kRemoveCaption) driver->run->status.push_back(Text(m->hwnd));
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

// A script that stops matching the dialogs would leave a modal loop
// waiting for ever: after a bound every open dialog is ended.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  if (!driver) return;
  driver->timedOut = true;
  for (auto& entry : driver->stage)
    if (IsWindow(entry.first)) EndDialog(entry.first, 0);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const ShownDialog& shown) {
  out << "[" << shown.caption << ":";
  for (const std::string& text : shown.texts) out << " \"" << text << "\"";
  return out << "]";
}

std::vector<std::string> InstallerRun::Captions() const {
  std::vector<std::string> captions;
  for (const ShownDialog& d : dialogs) captions.push_back(d.caption);
  return captions;
}

std::vector<ShownDialog> InstallerRun::Errors() const {
  std::vector<ShownDialog> errors;
  for (const ShownDialog& d : dialogs)
    if (d.caption == kErrorCaption) errors.push_back(d);
  return errors;
}

InstallerRun RunInstallerWith(const Script& script) {
  InstallerRun run;
  Driver state{script, &run, {}, false};
  driver = &state;
  hook = SetWindowsHookExA(WH_CALLWNDPROCRET, DriverHook, nullptr, GetCurrentThreadId());
  const UINT_PTR watchdog = SetTimer(nullptr, 0, 20000, Watchdog);
  run.exitCode = RunInstaller(GetModuleHandleA(nullptr));
  KillTimer(nullptr, watchdog);
  UnhookWindowsHookEx(hook);
  driver = nullptr;
  EXPECT_FALSE(state.timedOut) << "the script did not match the dialogs shown";
  return run;
}

// ---- Machine state ----

namespace {

const char kFontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kBackupKey[] = "Software\\KovelInstallTestBackup";
const char* const kShellRoots[] = {"AudioCD", "cdafile"};

struct Saved {
  bool done = false;
  bool fontExisted = false;
  std::string fontBytes;
  std::string fontsValue;  // "(none)" when missing
  bool rootExisted[2] = {false, false};
} saved;

}  // namespace

std::string FontsValue() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "(no key)";
  char value[MAX_PATH] = "";
  DWORD size = sizeof value, type = 0;
  const LONG result = RegQueryValueExA(key, "Corvane Digital", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? value : "(none)";
}

void SetFontsValue(const char* file) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_SET_VALUE, &key));
  RegSetValueExA(key, "Corvane Digital", 0, REG_SZ, reinterpret_cast<const BYTE*>(file),
                 static_cast<DWORD>(strlen(file) + 1));
  RegCloseKey(key);
}

int FontsEntriesNaming(const char* file) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return -1;
  int count = 0;
  char name[256], value[MAX_PATH];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name, size = sizeof value - 1, type = 0;
    const LONG result = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    value[size] = '\0';
    if (lstrcmpiA(value, file) == 0) ++count;
  }
  RegCloseKey(key);
  return count;
}

void SaveMachine() {
  if (saved.done) return;
  saved.done = true;
  saved.fontExisted = Exists(WindowsFontPath());
  saved.fontBytes = ReadBytes(WindowsFontPath());
  saved.fontsValue = FontsValue();
  // A machine that has the shell keys gets them back as they were.
  for (int i = 0; i < 2; ++i) {
    saved.rootExisted[i] = KeyExists(kShellRoots[i]);
    if (!saved.rootExisted[i]) continue;
    HKEY source, backup;
    RegOpenKeyA(HKEY_CLASSES_ROOT, kShellRoots[i], &source);
    RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kBackupKey) + "\\" + kShellRoots[i]).c_str(), &backup);
    RegCopyTreeA(source, nullptr, backup);
    RegCloseKey(backup);
    RegCloseKey(source);
  }
}

void RestoreMachine() {
  DeleteShellKeys();
  for (int i = 0; i < 2; ++i) {
    if (!saved.rootExisted[i]) continue;
    HKEY backup, target;
    RegOpenKeyA(HKEY_CURRENT_USER, (std::string(kBackupKey) + "\\" + kShellRoots[i]).c_str(), &backup);
    RegCreateKeyA(HKEY_CLASSES_ROOT, kShellRoots[i], &target);
    RegCopyTreeA(backup, nullptr, target);
    RegCloseKey(target);
    RegCloseKey(backup);
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
  if (saved.fontExisted)
    WriteBytes(WindowsFontPath(), saved.fontBytes);
  else
    DeleteFileA(WindowsFontPath().c_str());
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    if (saved.fontsValue == "(none)")
      RegDeleteValueA(key, "Corvane Digital");
    else
      RegSetValueExA(key, "Corvane Digital", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.fontsValue.c_str()),
                     static_cast<DWORD>(saved.fontsValue.size() + 1));
    RegCloseKey(key);
  }
}

void CreateKey(const char* path) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CLASSES_ROOT, path, &key)) << path;
  RegCloseKey(key);
}

namespace {

void SetDefault(const char* path, const std::string& text) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CLASSES_ROOT, path, &key)) << path;
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

}  // namespace

void CreateShellKeys(const std::string& previous) {
  CreateKey("AudioCD\\Shell\\Play\\Command");
  CreateKey("cdafile\\Defaulticon");
  CreateKey("cdafile\\shell\\play\\command");
  SetDefault("AudioCD\\Shell\\Play\\Command", previous + " /play %1");
  SetDefault("cdafile\\Defaulticon", previous + ",0");
  SetDefault("cdafile\\shell\\play\\command", previous + " -play %1");
}

void DeleteShellKeys() {
  for (const char* root : kShellRoots) RegDeleteTreeA(HKEY_CLASSES_ROOT, root);
}

bool KeyExists(const char* path) {
  HKEY key;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, path, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ClassesValue(const char* path, const char* name, DWORD* byteCount) {
  HKEY key;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, path, &key) != ERROR_SUCCESS) return "(no key)";
  char value[1024] = "";
  DWORD size = sizeof value - 1, type = 0;
  const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return "(none)";
  if (type != REG_SZ) return "(not REG_SZ)";
  if (byteCount) *byteCount = size;
  return value;
}

// ---- Files ----

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WindowsDirectory() {
  char path[MAX_PATH];
  GetWindowsDirectoryA(path, MAX_PATH);
  return path;
}

std::string WindowsFontPath() { return WindowsDirectory() + "\\fonts\\digital.fon"; }

std::string DiskFolder(const char* kind) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\') + 1) + "install-disk\\" + kind;
}

std::string TestFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "kovel-install-test";
  DeleteTree(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void DeleteTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") DeleteTree(path + "\\" + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}
