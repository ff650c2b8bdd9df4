// The look-up's texts, UTF-8 as the servers send them, in the ANSI code
// page of the system, and an entry's texts in the disc's record.
#include "player/lookup/lookup.h"

#include <cstring>

#include "player/lookup/utf8_text.h"

// Windows 2000 and later; the published value.
#ifndef WC_NO_BEST_FIT_CHARS
#define WC_NO_BEST_FIT_CHARS 0x00000400
#endif

int(WINAPI* testSeamWideCharToMultiByte)(UINT, DWORD, LPCWSTR, int, LPSTR, int, LPCSTR, LPBOOL) = nullptr;

namespace {

// The code pages that the documentation of WideCharToMultiByte converts to
// only without flags and without a default character of the caller's (the
// call fails otherwise): UTF-8, UTF-7, Symbol, ISO-2022, HZ, GB18030 and
// ISCII. They use their own default character.
bool TakesNoOptions(UINT codePage) {
  return codePage == CP_UTF8 || codePage == CP_UTF7 || codePage == 42 || (codePage >= 50220 && codePage <= 50229) ||
         codePage == 52936 || codePage == 54936 || (codePage >= 57002 && codePage <= 57011);
}

// Converts the first units UTF-16 code units (one or more); with size 0 it
// only measures. Returns the bytes written or needed, 0 on failure.
int Convert(UINT codePage, const WCHAR* wide, int units, char* out, int size) {
  int(WINAPI * convert)(UINT, DWORD, LPCWSTR, int, LPSTR, int, LPCSTR, LPBOOL) =
      testSeamWideCharToMultiByte ? testSeamWideCharToMultiByte : WideCharToMultiByte;
  if (TakesNoOptions(codePage)) return convert(codePage, 0, wide, units, out, size, nullptr, nullptr);
  // Without the flag the platform would pick look-alike characters; systems
  // before Windows 2000 refuse it and give "?" for what they lack anyway.
  int n = convert(codePage, WC_NO_BEST_FIT_CHARS, wide, units, out, size, "?", nullptr);
  if (n == 0 && GetLastError() == ERROR_INVALID_FLAGS) n = convert(codePage, 0, wide, units, out, size, "?", nullptr);
  return n;
}

}  // namespace

int AnsiFromUtf8(UINT codePage, const char* text, char* out, size_t size) {
  if (size == 0) return 0;
  static_assert(sizeof(WCHAR) == sizeof(uint16_t), "UTF-16 code units");
  WCHAR wide[kLookupTextSize];
  int units = static_cast<int>(Utf8ToUtf16(text, reinterpret_cast<uint16_t*>(wide), kLookupTextSize));
  const size_t kLimit = kLookupTextSize;
  int room = static_cast<int>((size < kLimit ? size : kLimit) - 1);
  int take = units;
  int need = units ? Convert(codePage, wide, units, nullptr, 0) : 0;
  if (units && need == 0) return 0;
  if (need > room) {
    // The longest run of whole characters whose conversion fits. Each
    // candidate is converted as a whole, so the code page's own rules hold:
    // no double-byte character, UTF-8 sequence or shift sequence of a
    // stateful code page is split. The halves of a surrogate pair stay
    // together.
    int boundaries[kLookupTextSize];
    int count = 0;
    for (int i = 1; i < units; ++i)
      if ((wide[i] & 0xFC00) != 0xDC00) boundaries[count++] = i;
    int fits = -1, fails = count;  // indexes into boundaries; -1 is no text
    while (fails - fits > 1) {
      int middle = (fits + fails) / 2;
      int n = Convert(codePage, wide, boundaries[middle], nullptr, 0);
      if (n == 0) return 0;
      if (n <= room)
        fits = middle;
      else
        fails = middle;
    }
    take = fits < 0 ? 0 : boundaries[fits];
  }
  char ansi[kLookupTextSize];
  int n = take ? Convert(codePage, wide, take, ansi, room) : 0;
  if (take && n == 0) return 0;
  memcpy(out, ansi, static_cast<size_t>(n));
  out[n] = '\0';
  return 1;
}

void ApplyLookupEntry(const LookupEntry* entry, DiscInfo* info) {
  UINT codePage = GetACP();
  if (entry->artist[0]) AnsiFromUtf8(codePage, entry->artist, info->artist, sizeof info->artist);
  if (entry->title[0]) AnsiFromUtf8(codePage, entry->title, info->title, sizeof info->title);
  for (int t = 0; t < entry->trackCount && t < info->trackCount; ++t)
    if (entry->tracks[t][0])
      AnsiFromUtf8(codePage, entry->tracks[t], info->tracks[t].title, sizeof info->tracks[t].title);
}
