// The real player on hostile catalogue and settings files, under Wine: for
// each case, the time from its start until the front panel shows the disc,
// whether it ends normally, and whether its saves at exit left every other
// section as it was. Run by `make hostile`, never by the tests.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/hostile_files.h"
#include "player/catalogue/catalogue_core.h"

namespace {

std::string Beside(const char* name) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\') + 1) + name;
}

std::string InWindows(const char* name) {
  char path[MAX_PATH];
  GetWindowsDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\" + name;
}

bool Put(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  CloseHandle(file);
  return ok;
}

std::string Get(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  CloseHandle(file);
  return bytes;
}

double Seconds(LARGE_INTEGER from) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The demo disc of five tracks.
const char kDrive[] =
    "[Drive]\r\nDisc=demo\r\n[Disc.demo]\r\nTracks=5\r\nTrack1=0:02:00\r\nTrack2=3:10:15\r\nTrack3=7:30:40\r\n"
    "Track4=8:02:00\r\nTrack5=12:45:70\r\nLeadOut=16:59:10\r\n";

uint32_t Msf(unsigned m, unsigned s, unsigned f) { return m | s << 8 | f << 16; }

// A message box or dialog of the player's process.
struct BoxSearch {
  DWORD process;
  HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(context);
  DWORD process = 0;
  char name[16] = "";
  GetWindowThreadProcessId(window, &process);
  GetClassNameA(window, name, sizeof name);
  if (process != search->process || strcmp(name, "#32770") != 0) return TRUE;
  search->box = window;
  return FALSE;
}

}  // namespace

int main() {
  const uint32_t starts[] = {Msf(0, 2, 0), Msf(3, 10, 15), Msf(7, 30, 40), Msf(8, 2, 0), Msf(12, 45, 70)};
  const uint32_t id = DiscIdFromToc(5, starts, 0);
  char section[16];
  DiscSectionName(id, section, sizeof section);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string drive = std::string(temp) + "hostile-drive.ini";
  Put(drive, kDrive);
  SetEnvironmentVariableA("VDRIVE_FILE", drive.c_str());
  const std::string catalogue = InWindows("tunedeck.ini"), settings = InWindows("kovel.ini");

  int failures = 0;
  printf("| case | start until the disc shows | exit code | boxes answered | catalogue: other sections kept | settings: "
         "other sections kept |\n");
  printf("|---|---|---|---|---|---|\n");
  for (const HostileCase& c : HostileCases(id)) {
    if (!Put(catalogue, c.catalogue) || !Put(settings, c.settings)) return 2;
    std::string command = "\"" + Beside("kovel32.exe") + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      return 2;
    HWND window = nullptr;
    double shown = -1;
    for (int i = 0; i < 600 && shown < 0; ++i) {
      window = FindWindowA("CorvaneCDAudioPlayer", nullptr);
      if (window && IsWindowVisible(window) && IsWindowEnabled(GetDlgItem(window, 1007)) &&
          SendMessageA(GetDlgItem(window, 1038), CB_GETCOUNT, 0, 0) > 0)
        shown = Seconds(start);
      else if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0)
        break;
    }
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    // A save that fails on such a file is told, and closing with titles
    // unsaved asks to retry: each box is answered Cancel (OK where it has
    // only that) and counted.
    DWORD code = STILL_ACTIVE;
    int boxes = 0;
    for (int i = 0; i < 1200 && WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT; ++i) {
      BoxSearch search = {process.dwProcessId, nullptr};
      EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
      if (search.box && IsWindowVisible(search.box)) {
        PostMessageA(search.box, WM_COMMAND, IDCANCEL, 0);
        ++boxes;
        WaitForSingleObject(process.hProcess, 200);
      }
    }
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    bool catalogueKept = OnlySectionChanged(c.catalogue, Get(catalogue), section);
    bool settingsKept = OnlySectionChanged(c.settings, Get(settings), "Window");
    failures += shown < 0 || code != 0 || !catalogueKept || !settingsKept;
    char when[32] = "never";
    if (shown >= 0) snprintf(when, sizeof when, "%.2f s", shown);
    printf("| %s | %s | %lu | %d | %s | %s |\n", c.name.c_str(), when, code, boxes, catalogueKept ? "yes" : "NO",
           settingsKept ? "yes" : "NO");
    fflush(stdout);
  }
  DeleteFileA(catalogue.c_str());
  DeleteFileA(settings.c_str());
  DeleteFileA(drive.c_str());
  return failures ? 1 : 0;
}
