#include "player/lookup/cddb.h"

#include <cstdio>
#include <cstring>

#include "player/lookup/utf8_text.h"

namespace {

// A text growing in a fixed buffer; once something did not fit, full stays
// set and the text is cut.
struct Writer {
  char* out;
  size_t size;
  size_t used;
  bool full;
};

Writer StartWriter(char* out, size_t size) {
  if (size) out[0] = '\0';
  return Writer{out, size, 0, size == 0};
}

void Put(Writer* w, const char* text, size_t n) {
  if (w->full) return;
  if (w->used + n >= w->size) {
    w->full = true;
    return;
  }
  memcpy(w->out + w->used, text, n);
  w->used += n;
  w->out[w->used] = '\0';
}

void PutText(Writer* w, const char* text) { Put(w, text, strlen(text)); }

void PutNumber(Writer* w, unsigned long value) {
  char digits[24];
  snprintf(digits, sizeof digits, "%lu", value);
  PutText(w, digits);
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// Percent-encodes what may not stand in a request line as it is: in a path
// only blanks, control and non-ASCII bytes; in a value of the greeting
// everything but the unreserved characters, so that "+" keeps separating
// its words. The server splits the decoded greeting at blanks, so in a
// value a blank or control character becomes "_".
void PutEncoded(Writer* w, const char* text, bool path) {
  static const char kHex[] = "0123456789ABCDEF";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    bool plain = path ? *p > 0x20 && *p < 0x7F : IsUnreserved(*p);
    if (!path && (*p <= 0x20 || *p == 0x7F)) {
      Put(w, "_", 1);
    } else if (plain) {
      Put(w, reinterpret_cast<const char*>(p), 1);
    } else {
      char escaped[3] = {'%', kHex[*p >> 4], kHex[*p & 15]};
      Put(w, escaped, 3);
    }
  }
}

struct Span {
  const char* begin;
  const char* end;
};

size_t Length(Span s) { return static_cast<size_t>(s.end - s.begin); }

// The next line from *at, without its line end (LF or CR LF).
bool NextLine(const char** at, const char* end, Span* line) {
  if (*at >= end) return false;
  const char* stop = static_cast<const char*>(memchr(*at, '\n', static_cast<size_t>(end - *at)));
  const char* next = stop ? stop + 1 : end;
  if (!stop) stop = end;
  if (stop > *at && stop[-1] == '\r') --stop;
  *line = Span{*at, stop};
  *at = next;
  return true;
}

// Whether the line NextLine just took from before at had its line end.
bool LineEnded(const char* at) { return at[-1] == '\n'; }

// The "." line that ends a list or an entry; only its line end tells that
// the line is not longer.
bool IsEndOfList(Span line, const char* at) { return Length(line) == 1 && line.begin[0] == '.' && LineEnded(at); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The three-digit code at the start of a protocol line, or -1.
int StatusCode(Span line) {
  if (Length(line) < 3 || !IsDigit(line.begin[0]) || !IsDigit(line.begin[1]) || !IsDigit(line.begin[2]))
    return -1;
  if (Length(line) > 3 && line.begin[3] != ' ') return -1;
  return (line.begin[0] - '0') * 100 + (line.begin[1] - '0') * 10 + (line.begin[2] - '0');
}

// A status line to show: printable ASCII only, cut to the buffer.
void CopyLine(Span line, char* out, size_t size) {
  if (size == 0) return;
  size_t n = Length(line) < size - 1 ? Length(line) : size - 1;
  for (size_t i = 0; i < n; ++i) {
    char c = line.begin[i];
    out[i] = c >= 0x20 && c < 0x7F ? c : '?';
  }
  out[n] = '\0';
}

bool IsErrorCode(int code) { return code >= 400 && code < 600; }

// Reads the status line of a CDDB answer and returns its code (-1 when there
// is none). The line of an error answer is kept for the user.
int AnswerCode(const char** at, const char* end, Span* first, char* line, size_t lineSize) {
  if (lineSize) line[0] = '\0';
  if (!NextLine(at, end, first)) return -1;
  int code = StatusCode(*first);
  if (IsErrorCode(code)) CopyLine(*first, line, lineSize);
  return code;
}

// The largest buffer a value is gathered in (a disc title over many lines).
const size_t kRawValueSize = 1024;

// A key's value as its lines arrive: its bytes as they came, in a buffer of
// its own, and whether some did not fit.
struct RawValue {
  size_t length;
  bool cut;
};

// Appends a line's value to a key's raw value, cut to its buffer.
void AppendValue(char* text, size_t size, RawValue* raw, Span value) {
  size_t room = size - 1 - raw->length;
  size_t n = Length(value) < room ? Length(value) : room;
  raw->cut = raw->cut || n < Length(value);
  memcpy(text + raw->length, value.begin, n);
  raw->length += n;
  text[raw->length] = '\0';
}

// Whether a raw value is UTF-8; a sequence its buffer cut short at the end
// does not count against it.
bool IsUtf8Value(const char* text, RawValue raw) {
  return IsUtf8(text, raw.cut ? WholeUtf8(text, raw.length) : raw.length);
}

// Makes a raw value a text to keep, in place: unescapes \n, \t and \\, turns
// control characters (the unescaped line breaks and tabs among them) into
// blanks, reads Windows-1252 bytes as their characters when the entry is
// not UTF-8 (the bytes that encoding leaves undefined as blanks), trims
// outer blanks and cuts the text to whole characters within its buffer. An
// escape whose second half the buffer cut off is dropped.
void FinishText(char* text, size_t size, RawValue raw, bool windows1252) {
  char finished[3 * kRawValueSize];  // in UTF-8 a Windows-1252 byte may take three
  size_t j = 0;
  for (size_t i = 0; i < raw.length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\' && i + 1 < raw.length && (text[i + 1] == 'n' || text[i + 1] == 't' || text[i + 1] == '\\')) {
      c = text[++i] == '\\' ? '\\' : ' ';
    } else if (c == '\\' && i + 1 == raw.length && raw.cut) {
      break;
    }
    uint32_t code = windows1252 ? Windows1252Char(c) : c;
    if (code < 0x20 || code == 0x7F) code = ' ';
    if (windows1252)
      j += EncodeUtf8(code, finished + j);
    else
      finished[j++] = static_cast<char>(code);
  }
  CopyUtf8(finished, j, text, size);
  TrimText(text);
}

bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The next word of a line, up to a blank.
Span NextWord(Span* line) {
  const char* p = line->begin;
  while (p < line->end && *p != ' ') ++p;
  Span word{line->begin, p};
  line->begin = p < line->end ? p + 1 : p;
  return word;
}

bool AllOf(Span word, bool (*test)(char), size_t maxLength) {
  if (Length(word) == 0 || Length(word) > maxLength) return false;
  for (const char* p = word.begin; p < word.end; ++p)
    if (!test(*p)) return false;
  return true;
}

// "category discid Artist / Title": false when the category or the id is not
// one the protocol can give.
bool AddMatch(CddbMatches* matches, Span line) {
  CddbMatch* match = &matches->items[matches->count];
  Span category = NextWord(&line);
  Span discId = NextWord(&line);
  if (!AllOf(category, IsAlnum, sizeof match->category - 1) ||
      !AllOf(discId, IsHex, sizeof match->discId - 1))
    return false;
  memcpy(match->category, category.begin, Length(category));
  match->category[Length(category)] = '\0';
  memcpy(match->discId, discId.begin, Length(discId));
  match->discId[Length(discId)] = '\0';
  RawValue raw = {};
  AppendValue(match->title, sizeof match->title, &raw, line);
  FinishText(match->title, sizeof match->title, raw, !IsUtf8Value(match->title, raw));
  ++matches->count;
  return true;
}

bool IsKey(Span key, const char* name) {
  return Length(key) == strlen(name) && memcmp(key.begin, name, Length(key)) == 0;
}

// The track number of a key "TTITLEn", or -1.
int TrackKey(Span key) {
  static const char kPrefix[] = "TTITLE";
  size_t prefix = sizeof kPrefix - 1;
  if (Length(key) <= prefix || memcmp(key.begin, kPrefix, prefix) != 0) return -1;
  int number = 0;
  for (const char* p = key.begin + prefix; p < key.end; ++p) {
    if (!IsDigit(*p)) return -1;
    number = number * 10 + (*p - '0');
    if (number >= kLookupMaxTracks) return -1;
  }
  return number;
}

}  // namespace

uint32_t FreedbDiscId(const DiscToc* toc) {
  if (toc->trackCount < 1 || toc->trackCount > kLookupMaxTracks) return 0;
  uint32_t sum = 0;
  for (int i = 0; i < toc->trackCount; ++i)
    for (uint32_t seconds = toc->starts[i] / kFramesPerSecond; seconds > 0; seconds /= 10)
      sum += seconds % 10;
  uint32_t playing = toc->leadOut / kFramesPerSecond - toc->starts[0] / kFramesPerSecond;
  return (sum % 255) << 24 | playing << 8 | static_cast<uint32_t>(toc->trackCount);
}

int FormatQueryCommand(const DiscToc* toc, char* out, size_t size) {
  Writer w = StartWriter(out, size);
  if (toc->trackCount < 1 || toc->trackCount > kLookupMaxTracks) return 0;
  char id[16];
  snprintf(id, sizeof id, "%08lx", static_cast<unsigned long>(FreedbDiscId(toc)));
  PutText(&w, "cddb+query+");
  PutText(&w, id);
  PutText(&w, "+");
  PutNumber(&w, static_cast<unsigned long>(toc->trackCount));
  for (int i = 0; i < toc->trackCount; ++i) {
    PutText(&w, "+");
    PutNumber(&w, toc->starts[i]);
  }
  PutText(&w, "+");
  PutNumber(&w, toc->leadOut / kFramesPerSecond);
  return !w.full;
}

int FormatReadCommand(const CddbMatch* match, char* out, size_t size) {
  Writer w = StartWriter(out, size);
  PutText(&w, "cddb+read+");
  PutText(&w, match->category);
  PutText(&w, "+");
  PutText(&w, match->discId);
  return !w.full && match->category[0] && match->discId[0];
}

int FormatCddbRequest(const LookupSettings* settings, const char* command, const char* hostName, char* out,
                        size_t size) {
  Writer w = StartWriter(out, size);
  PutText(&w, "GET ");
  PutEncoded(&w, settings->path, true);
  PutText(&w, "?cmd=");
  PutText(&w, command);
  PutText(&w, "&hello=");
  PutEncoded(&w, settings->user, false);
  PutText(&w, "+");
  PutEncoded(&w, hostName && hostName[0] ? hostName : "localhost", false);
  PutText(&w, "+");
  PutText(&w, kLookupClientName);
  PutText(&w, "+");
  PutText(&w, kLookupClientVersion);
  PutText(&w, "&proto=6 HTTP/1.0\r\nHost: ");
  PutText(&w, settings->server);
  if (settings->port != kLookupDefaultPort) {
    PutText(&w, ":");
    PutNumber(&w, static_cast<unsigned long>(settings->port));
  }
  PutText(&w, "\r\nUser-Agent: ");
  PutText(&w, kLookupClientName);
  PutText(&w, "/");
  PutText(&w, kLookupClientVersion);
  PutText(&w, "\r\n\r\n");
  return !w.full;
}

int ParseQueryAnswer(const char* body, size_t size, CddbMatches* matches, char* line, size_t lineSize) {
  matches->count = 0;
  matches->exact = 0;
  const char* at = body;
  const char* end = body + size;
  Span first;
  int code = AnswerCode(&at, end, &first, line, lineSize);
  if (code == 200) {
    if (!LineEnded(at)) return kLookupCut;
    Span match{first.begin + 3, first.end};
    if (match.begin < match.end) ++match.begin;
    matches->exact = 1;
    return AddMatch(matches, match) ? kLookupOk : kLookupUnreadable;
  }
  if (code == 210 || code == 211) {
    matches->exact = code == 210;
    // Only the "." line tells that the list is whole.
    Span item;
    while (NextLine(&at, end, &item)) {
      if (IsEndOfList(item, at)) return matches->count ? kLookupOk : kLookupNoMatch;
      if (matches->count < kCddbMaxMatches) AddMatch(matches, item);
    }
    matches->count = 0;
    return kLookupCut;
  }
  if (code == 202) return kLookupNoMatch;
  return IsErrorCode(code) ? kLookupServerError : kLookupUnreadable;
}

int ParseReadAnswer(const char* body, size_t size, LookupEntry* entry, char* line, size_t lineSize) {
  memset(entry, 0, sizeof *entry);
  const char* at = body;
  const char* end = body + size;
  Span first;
  int code = AnswerCode(&at, end, &first, line, lineSize);
  if (code != 210) return IsErrorCode(code) ? kLookupServerError : kLookupUnreadable;

  // Keys that repeat continue their value; escapes and characters are read
  // once it is whole, since a line may end inside either.
  char discTitle[kRawValueSize] = "";
  RawValue discRaw = {};
  RawValue trackRaw[kLookupMaxTracks] = {};
  bool any = false, ended = false;
  Span item;
  while (!ended && NextLine(&at, end, &item)) {
    ended = IsEndOfList(item, at);
    if (ended || Length(item) == 0 || item.begin[0] == '#') continue;
    const char* equals = static_cast<const char*>(memchr(item.begin, '=', Length(item)));
    if (!equals) continue;
    Span key{item.begin, equals};
    Span value{equals + 1, item.end};
    int track = TrackKey(key);
    if (IsKey(key, "DTITLE")) {
      AppendValue(discTitle, sizeof discTitle, &discRaw, value);
      any = true;
    } else if (track >= 0) {
      AppendValue(entry->tracks[track], kLookupTextSize, &trackRaw[track], value);
      if (track >= entry->trackCount) entry->trackCount = track + 1;
      any = true;
    }
  }
  if (!ended) {
    memset(entry, 0, sizeof *entry);
    return kLookupCut;
  }
  if (!any) return kLookupUnreadable;

  // The entry is UTF-8 only when all of it is.
  bool windows1252 = !IsUtf8Value(discTitle, discRaw);
  for (int t = 0; t < entry->trackCount; ++t) windows1252 = windows1252 || !IsUtf8Value(entry->tracks[t], trackRaw[t]);
  FinishText(discTitle, sizeof discTitle, discRaw, windows1252);
  const char* split = strstr(discTitle, " / ");
  if (split) {
    CopyUtf8(discTitle, static_cast<size_t>(split - discTitle), entry->artist, sizeof entry->artist);
    const char* title = split + 3;
    CopyUtf8(title, strlen(title), entry->title, sizeof entry->title);
    TrimText(entry->artist);
    TrimText(entry->title);
  } else {
    // Without " / " the artist and the title are the same.
    CopyUtf8(discTitle, strlen(discTitle), entry->artist, sizeof entry->artist);
    CopyUtf8(discTitle, strlen(discTitle), entry->title, sizeof entry->title);
  }
  for (int t = 0; t < entry->trackCount; ++t) FinishText(entry->tracks[t], kLookupTextSize, trackRaw[t], windows1252);
  return kLookupOk;
}

