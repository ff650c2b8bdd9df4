// Stands for a web browser in the look-up's tests: registered as the
// shell's program for https, it appends the address it is asked to open
// (its one argument) and a line end to the file KOVEL_URL_LOG names.
#include <windows.h>

#include <cstring>

int main() {
  char log[MAX_PATH];
  if (!GetEnvironmentVariableA("KOVEL_URL_LOG", log, sizeof log)) return 1;
  // The command line is "handler" "address": the second quoted part.
  const char* line = GetCommandLineA();
  const char* open = strchr(line + 1, '"');
  open = open ? strchr(open + 1, '"') : nullptr;
  const char* close = open ? strchr(open + 1, '"') : nullptr;
  if (!close) return 1;
  HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written;
  WriteFile(file, open + 1, static_cast<DWORD>(close - open - 1), &written, nullptr);
  WriteFile(file, "\r\n", 2, &written, nullptr);
  CloseHandle(file);
  return 0;
}
