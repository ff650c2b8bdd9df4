#include "player/lookup/lookup_core.h"

#include <cstdio>
#include <cstring>

#include "common/profile/profile.h"
#include "common/version.h"

namespace {

const char kDefaultServer[] = "gnudb.gnudb.org";
const char kDefaultPort[] = "80";
const char kDefaultPath[] = "/~cddb/cddb.cgi";
const char kDefaultUser[] = "kovel32";
const char kDefaultMusicBrainzServer[] = "musicbrainz.org";
const char kDefaultSources[] = "MusicBrainz,gnudb";
const char* const kSourceNames[kSourceCount] = {"MusicBrainz", "gnudb"};
const uint32_t kFramesPerSecond = 75;

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

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool IsUtf8(const char* text, size_t n) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* end = p + n;
  uint32_t code;
  for (size_t length; p < end; p += length)
    if ((length = DecodeUtf8(p, end, &code)) == 0) return false;
  return true;
}

// Drops a UTF-8 sequence that a cut left incomplete at the end of text[0..n).
size_t WholeCharacters(const char* text, size_t n) {
  size_t start = n;
  while (start > 0 && n - start < 4 && IsContinuation(static_cast<unsigned char>(text[start - 1]))) --start;
  if (start == 0) return n;
  unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return need > n - start + 1 ? start - 1 : n;
}

// Copies a text into a buffer, cut to whole characters.
void CopyText(const char* text, size_t n, char* out, size_t size) {
  n = WholeCharacters(text, n < size - 1 ? n : size - 1);
  memmove(out, text, n);
  out[n] = '\0';
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
  return IsUtf8(text, raw.cut ? WholeCharacters(text, raw.length) : raw.length);
}

// Makes a raw value a text to keep, in place: unescapes \n, \t and \\, turns
// control characters (the unescaped line breaks and tabs among them) into
// blanks, reads ISO-8859-1 bytes as their characters when the entry is not
// UTF-8, trims outer blanks and cuts the text to whole characters within its
// buffer. An escape whose second half the buffer cut off is dropped.
void FinishText(char* text, size_t size, RawValue raw, bool latin1) {
  char finished[2 * kRawValueSize];  // in UTF-8 an ISO-8859-1 byte may take two
  size_t j = 0;
  for (size_t i = 0; i < raw.length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\' && i + 1 < raw.length && (text[i + 1] == 'n' || text[i + 1] == 't' || text[i + 1] == '\\')) {
      c = text[++i] == '\\' ? '\\' : ' ';
    } else if (c == '\\' && i + 1 == raw.length && raw.cut) {
      break;
    }
    if (c < 0x20 || c == 0x7F || (latin1 && c >= 0x80 && c < 0xA0)) c = ' ';
    if (latin1 && c >= 0x80) {
      finished[j++] = static_cast<char>(0xC0 | c >> 6);
      finished[j++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      finished[j++] = static_cast<char>(c);
    }
  }
  CopyText(finished, j, text, size);
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
bool AddMatch(LookupMatches* matches, Span line) {
  LookupMatch* match = &matches->items[matches->count];
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

// Whether the section has the key, whatever its value.
bool HasKey(const ProfileSection* section, const char* key) {
  char a[2], b[2];
  ProfileSectionGetString(section, key, "", a, sizeof a);
  ProfileSectionGetString(section, key, "x", b, sizeof b);
  return strcmp(a, b) == 0;
}

bool IsPrintableName(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    if (*p <= 0x20 || *p >= 0x7F) return false;
  return true;
}

// A header "Name: value" of the given name (any case); its value trimmed.
bool HeaderValue(Span header, const char* name, Span* value) {
  size_t n = strlen(name);
  if (Length(header) <= n || header.begin[n] != ':') return false;
  for (size_t i = 0; i < n; ++i) {
    char c = header.begin[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    char d = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a') : name[i];
    if (c != d) return false;
  }
  Span v{header.begin + n + 1, header.end};
  while (v.begin < v.end && (*v.begin == ' ' || *v.begin == '\t')) ++v.begin;
  while (v.end > v.begin && (v.end[-1] == ' ' || v.end[-1] == '\t')) --v.end;
  *value = v;
  return true;
}

// The status line of an HTTP answer, taken from *at: kLookupOk with its
// code, kLookupCut before its line end, kLookupUnreadable when it is none.
int ReadStatusLine(const char** at, const char* end, Span* status, int* code) {
  size_t size = static_cast<size_t>(end - *at);
  if (size < 5 || memcmp(*at, "HTTP/", 5) != 0) return kLookupUnreadable;
  if (!memchr(*at, '\n', size)) return kLookupCut;
  NextLine(at, end, status);
  Span rest = *status;
  NextWord(&rest);
  *code = StatusCode(rest);
  return *code < 0 ? kLookupUnreadable : kLookupOk;
}

// The headers of an HTTP answer up to their blank line, taken from *at:
// kLookupOk with the Content-Length when one is given, kLookupCut before
// their end, kLookupUnreadable for a length or an encoding that cannot be.
int ReadHeaders(const char** at, const char* end, bool* sized, size_t* length) {
  *sized = false;
  *length = 0;
  for (;;) {
    Span header, value;
    bool terminated = *at < end && memchr(*at, '\n', static_cast<size_t>(end - *at));
    if (!terminated) return kLookupCut;
    NextLine(at, end, &header);
    if (Length(header) == 0) return kLookupOk;
    if (HeaderValue(header, "Content-Length", &value)) {
      if (!AllOf(value, IsDigit, 20)) return kLookupUnreadable;
      *sized = true;
      *length = 0;
      for (const char* p = value.begin; p < value.end; ++p)
        *length = *length > kLookupAnswerLimit ? *length : *length * 10 + static_cast<size_t>(*p - '0');
    } else if (HeaderValue(header, "Transfer-Encoding", &value) &&
               !(Length(value) == 8 && memcmp(value.begin, "identity", 8) == 0)) {
      return kLookupUnreadable;  // a request of HTTP/1.0 gets no chunks
    }
  }
}

bool SameName(const char* a, size_t length, const char* b) {
  if (strlen(b) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

// The sources named in a list separated by commas, each once.
int ReadSources(const char* list, int* sources) {
  int count = 0;
  for (const char* at = list; *at;) {
    const char* stop = at + strcspn(at, ",");
    const char* begin = at;
    const char* end = stop;
    while (begin < end && *begin == ' ') ++begin;
    while (end > begin && end[-1] == ' ') --end;
    for (int source = 0; source < kSourceCount; ++source) {
      bool listed = false;
      for (int i = 0; i < count; ++i) listed = listed || sources[i] == source;
      if (!listed && SameName(begin, static_cast<size_t>(end - begin), kSourceNames[source]))
        sources[count++] = source;
    }
    at = *stop ? stop + 1 : stop;
  }
  return count;
}

}  // namespace

const char kLookupClientName[] = "kovel32";
const char kLookupClientVersion[] = KOVEL_VERSION_TEXT;

const char* LookupSourceName(int source) {
  return source >= 0 && source < kSourceCount ? kSourceNames[source] : "";
}

void TrimText(char* text) {
  size_t n = strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  size_t start = 0;
  while (start < n && text[start] == ' ') ++start;
  memmove(text, text + start, n - start);
  text[n - start] = '\0';
}

size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, uint32_t* code) {
  unsigned char c = *p;
  size_t length = c < 0x80                 ? 1
                  : c >= 0xC2 && c <= 0xDF ? 2
                  : c >= 0xE0 && c <= 0xEF ? 3
                  : c >= 0xF0 && c <= 0xF4 ? 4
                                           : 0;
  if (length == 0 || length > static_cast<size_t>(end - p)) return 0;
  uint32_t value = length == 1 ? c : length == 2 ? c & 0x1Fu : length == 3 ? c & 0x0Fu : c & 0x07u;
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuation(p[k])) return 0;
    value = value << 6 | (p[k] & 0x3Fu);
  }
  if (length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) return 0;
  if (length == 4 && (value < 0x10000 || value > 0x10FFFF)) return 0;
  *code = value;
  return length;
}

uint32_t FreedbDiscId(const LookupToc* toc) {
  if (toc->trackCount < 1 || toc->trackCount > kLookupMaxTracks) return 0;
  uint32_t sum = 0;
  for (int i = 0; i < toc->trackCount; ++i)
    for (uint32_t seconds = toc->offsets[i] / kFramesPerSecond; seconds > 0; seconds /= 10)
      sum += seconds % 10;
  uint32_t playing = toc->leadOut / kFramesPerSecond - toc->offsets[0] / kFramesPerSecond;
  return (sum % 255) << 24 | playing << 8 | static_cast<uint32_t>(toc->trackCount);
}

void ReadLookupSettings(const std::string& text, const LookupSettingsNames* names, LookupSettings* settings) {
  ProfileSection section = ProfileFindSection(text, names->section);
  ProfileSectionGetString(&section, names->server, kDefaultServer, settings->server, sizeof settings->server);
  if (!settings->server[0] || !IsPrintableName(settings->server))
    snprintf(settings->server, sizeof settings->server, "%s", kDefaultServer);
  settings->port = ProfileSectionGetInt(&section, names->port, kLookupDefaultPort);
  if (settings->port < 1 || settings->port > 65535) settings->port = kLookupDefaultPort;
  ProfileSectionGetString(&section, names->path, kDefaultPath, settings->path, sizeof settings->path);
  if (settings->path[0] != '/') snprintf(settings->path, sizeof settings->path, "%s", kDefaultPath);
  ProfileSectionGetString(&section, names->user, kDefaultUser, settings->user, sizeof settings->user);
  if (!settings->user[0]) snprintf(settings->user, sizeof settings->user, "%s", kDefaultUser);

  ProfileSectionGetString(&section, names->musicBrainzServer, kDefaultMusicBrainzServer, settings->musicBrainzServer,
                          sizeof settings->musicBrainzServer);
  if (!settings->musicBrainzServer[0] || !IsPrintableName(settings->musicBrainzServer))
    snprintf(settings->musicBrainzServer, sizeof settings->musicBrainzServer, "%s", kDefaultMusicBrainzServer);
  settings->musicBrainzPort = ProfileSectionGetInt(&section, names->musicBrainzPort, kMusicBrainzDefaultPort);
  if (settings->musicBrainzPort < 1 || settings->musicBrainzPort > 65535)
    settings->musicBrainzPort = kMusicBrainzDefaultPort;
  ProfileSectionGetString(&section, names->contact, "", settings->contact, sizeof settings->contact);
  ProfileSectionGetString(&section, names->roots, "", settings->roots, sizeof settings->roots);
  char sources[128];
  ProfileSectionGetString(&section, names->sources, kDefaultSources, sources, sizeof sources);
  settings->sourceCount = ReadSources(sources, settings->sources);
  if (settings->sourceCount == 0) settings->sourceCount = ReadSources(kDefaultSources, settings->sources);
}

int AddLookupDefaults(std::string* text, const LookupSettingsNames* names) {
  const ProfileEntry defaults[] = {{names->sources, kDefaultSources}, {names->server, kDefaultServer},
                                   {names->port, kDefaultPort},        {names->path, kDefaultPath},
                                   {names->user, kDefaultUser},        {names->contact, ""},
                                   {names->roots, ""}};
  ProfileEntry missing[sizeof defaults / sizeof defaults[0]];
  size_t count = 0;
  ProfileSection section = ProfileFindSection(*text, names->section);
  for (const ProfileEntry& entry : defaults)
    if (!HasKey(&section, entry.key)) missing[count++] = entry;
  return count ? ProfileWriteSection(text, names->section, missing, count) : 0;
}

int FormatQueryCommand(const LookupToc* toc, char* out, size_t size) {
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
    PutNumber(&w, toc->offsets[i]);
  }
  PutText(&w, "+");
  PutNumber(&w, toc->leadOut / kFramesPerSecond);
  return !w.full;
}

int FormatReadCommand(const LookupMatch* match, char* out, size_t size) {
  Writer w = StartWriter(out, size);
  PutText(&w, "cddb+read+");
  PutText(&w, match->category);
  PutText(&w, "+");
  PutText(&w, match->discId);
  return !w.full && match->category[0] && match->discId[0];
}

int FormatLookupRequest(const LookupSettings* settings, const char* command, const char* hostName, char* out,
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

int ParseHttpAnswer(const char* data, size_t size, const char** body, size_t* bodySize, char* line,
                    size_t lineSize) {
  *body = nullptr;
  *bodySize = 0;
  if (lineSize) line[0] = '\0';
  const char* at = data;
  const char* end = data + size;
  Span status;
  int code = 0;
  int result = ReadStatusLine(&at, end, &status, &code);
  if (result != kLookupOk) return result;
  if (code != 200) {
    CopyLine(status, line, lineSize);
    return kLookupServerError;
  }
  bool sized;
  size_t length;
  result = ReadHeaders(&at, end, &sized, &length);
  if (result != kLookupOk) return result;
  size_t left = static_cast<size_t>(end - at);
  if (sized) {
    if (length > left) return kLookupCut;
    left = length;
  }
  *body = at;
  *bodySize = left;
  return kLookupOk;
}

int HttpAnswerWhole(const char* data, size_t size) {
  const char* at = data;
  const char* end = data + size;
  Span status;
  int code = 0;
  bool sized;
  size_t length;
  return ReadStatusLine(&at, end, &status, &code) == kLookupOk && ReadHeaders(&at, end, &sized, &length) == kLookupOk &&
         sized && length <= static_cast<size_t>(end - at);
}

int ParseQueryAnswer(const char* body, size_t size, LookupMatches* matches, char* line, size_t lineSize) {
  matches->count = 0;
  const char* at = body;
  const char* end = body + size;
  Span first;
  int code = AnswerCode(&at, end, &first, line, lineSize);
  if (code == 200) {
    if (!LineEnded(at)) return kLookupCut;
    Span match{first.begin + 3, first.end};
    if (match.begin < match.end) ++match.begin;
    return AddMatch(matches, match) ? kLookupOk : kLookupUnreadable;
  }
  if (code == 210 || code == 211) {
    // Only the "." line tells that the list is whole.
    Span item;
    while (NextLine(&at, end, &item)) {
      if (IsEndOfList(item, at)) return matches->count ? kLookupOk : kLookupNoMatch;
      if (matches->count < kLookupMaxMatches) AddMatch(matches, item);
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
  bool latin1 = !IsUtf8Value(discTitle, discRaw);
  for (int t = 0; t < entry->trackCount; ++t) latin1 = latin1 || !IsUtf8Value(entry->tracks[t], trackRaw[t]);
  FinishText(discTitle, sizeof discTitle, discRaw, latin1);
  const char* split = strstr(discTitle, " / ");
  if (split) {
    CopyText(discTitle, static_cast<size_t>(split - discTitle), entry->artist, sizeof entry->artist);
    const char* title = split + 3;
    CopyText(title, strlen(title), entry->title, sizeof entry->title);
    TrimText(entry->artist);
    TrimText(entry->title);
  } else {
    // Without " / " the artist and the title are the same.
    CopyText(discTitle, strlen(discTitle), entry->artist, sizeof entry->artist);
    CopyText(discTitle, strlen(discTitle), entry->title, sizeof entry->title);
  }
  for (int t = 0; t < entry->trackCount; ++t) FinishText(entry->tracks[t], kLookupTextSize, trackRaw[t], latin1);
  return kLookupOk;
}

size_t Utf8ToUtf16(const char* text, uint16_t* out, size_t count) {
  if (count == 0) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* end = p + strlen(text);
  size_t n = 0;
  while (p < end) {
    uint32_t code;
    size_t length = DecodeUtf8(p, end, &code);
    if (length == 0) {
      code = 0xFFFD;
      length = 1;
    }
    size_t units = code >= 0x10000 ? 2 : 1;
    if (n + units > count - 1) break;
    if (units == 2) {
      code -= 0x10000;
      out[n++] = static_cast<uint16_t>(0xD800 | code >> 10);
      out[n++] = static_cast<uint16_t>(0xDC00 | (code & 0x3FF));
    } else {
      out[n++] = static_cast<uint16_t>(code);
    }
    p += length;
  }
  out[n] = 0;
  return n;
}

void FormatMatchLine(const char* title, int source, char* out, size_t size) {
  snprintf(out, size, "%s (%s)", title, LookupSourceName(source));
}

void FormatLookupStatus(const char* format, int status, const char* server, const char* line,
                        unsigned long timeoutMs, char* out, size_t size) {
  // The time in seconds as a user reads it: "15", "0.25".
  char seconds[24];
  unsigned long whole = timeoutMs / 1000, part = timeoutMs % 1000;
  if (part == 0) {
    snprintf(seconds, sizeof seconds, "%lu", whole);
  } else {
    int digits = part % 100 == 0 ? 1 : part % 10 == 0 ? 2 : 3;
    unsigned long shown = digits == 1 ? part / 100 : digits == 2 ? part / 10 : part;
    snprintf(seconds, sizeof seconds, "%lu.%0*lu", whole, digits, shown);
  }
  const char* first = status == kStatusServerError || status == kStatusNoRoots ? line : server;
  snprintf(out, size, format, first, seconds);
}
