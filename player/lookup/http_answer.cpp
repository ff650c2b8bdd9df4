#include "player/lookup/http_answer.h"

#include <cstring>

namespace {

// The next line from *at (before end), without its line end (LF or CR LF);
// false when no line end follows.
bool NextLine(const char** at, const char* end, const char** begin, const char** stop) {
  const char* lf = *at < end ? static_cast<const char*>(memchr(*at, '\n', static_cast<size_t>(end - *at))) : nullptr;
  if (!lf) return false;
  *begin = *at;
  *stop = lf > *at && lf[-1] == '\r' ? lf - 1 : lf;
  *at = lf + 1;
  return true;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of a header "Name: value" of the given name (any case), trimmed.
bool HeaderValue(const char* begin, const char* end, const char* name, const char** value, const char** valueEnd) {
  size_t n = strlen(name);
  if (static_cast<size_t>(end - begin) <= n || begin[n] != ':') return false;
  for (size_t i = 0; i < n; ++i)
    if (Lower(begin[i]) != Lower(name[i])) return false;
  const char* v = begin + n + 1;
  while (v < end && (*v == ' ' || *v == '\t')) ++v;
  while (end > v && (end[-1] == ' ' || end[-1] == '\t')) --end;
  *value = v;
  *valueEnd = end;
  return true;
}

// What the status line and headers said.
struct Head {
  int code;
  const char* statusLine;
  const char* statusEnd;
  bool sized;
  bool tooLarge;  // a Content-Length beyond kHttpLengthBound
  size_t length;
  const char* body;
};

// Reads the status line and headers up to their blank line.
int ReadHead(const char* data, size_t size, Head* head) {
  memset(head, 0, sizeof *head);
  const char* at = data;
  const char* end = data + size;
  if (size < 5 || memcmp(data, "HTTP/", 5) != 0)
    return size > 0 && size < 5 && memcmp(data, "HTTP/", size) == 0 ? kLookupCut : kLookupUnreadable;
  const char *begin, *stop;
  if (!NextLine(&at, end, &begin, &stop)) return kLookupCut;
  head->statusLine = begin;
  head->statusEnd = stop;
  const char* code = static_cast<const char*>(memchr(begin, ' ', static_cast<size_t>(stop - begin)));
  if (!code || stop - code < 4) return kLookupUnreadable;
  int value = 0;
  for (int i = 1; i <= 3; ++i) {
    if (code[i] < '0' || code[i] > '9') return kLookupUnreadable;
    value = value * 10 + (code[i] - '0');
  }
  if (stop - code > 4 && code[4] != ' ') return kLookupUnreadable;
  head->code = value;
  for (;;) {
    if (!NextLine(&at, end, &begin, &stop)) return kLookupCut;
    if (begin == stop) break;
    const char *value, *valueEnd;
    if (HeaderValue(begin, stop, "Content-Length", &value, &valueEnd)) {
      if (value == valueEnd) return kLookupUnreadable;
      size_t length = 0;
      bool tooLarge = false;
      for (const char* p = value; p < valueEnd; ++p) {
        if (*p < '0' || *p > '9') return kLookupUnreadable;
        if (!tooLarge) length = length * 10 + static_cast<size_t>(*p - '0');
        tooLarge = tooLarge || length > kHttpLengthBound;
      }
      // The same length twice is harmless; two that differ leave the body's
      // end unknown.
      if (head->sized && (tooLarge != head->tooLarge || (!tooLarge && length != head->length)))
        return kLookupUnreadable;
      head->sized = true;
      head->tooLarge = tooLarge;
      head->length = tooLarge ? 0 : length;
    } else if (HeaderValue(begin, stop, "Transfer-Encoding", &value, &valueEnd) &&
               !(valueEnd - value == 8 && memcmp(value, "identity", 8) == 0)) {
      return kLookupUnreadable;
    }
  }
  head->body = at;
  return kLookupOk;
}

}  // namespace

int ParseHttpAnswer(const char* data, size_t size, size_t limit, HttpAnswer* answer) {
  memset(answer, 0, sizeof *answer);
  Head head;
  int result = ReadHead(data, size, &head);
  answer->code = head.code;
  if (head.code > 0 && head.code != 200) {
    // Printable ASCII only, cut to the buffer.
    size_t n = static_cast<size_t>(head.statusEnd - head.statusLine);
    if (n > sizeof answer->line - 1) n = sizeof answer->line - 1;
    for (size_t i = 0; i < n; ++i) {
      char c = head.statusLine[i];
      answer->line[i] = c >= 0x20 && c < 0x7F ? c : '?';
    }
    answer->line[n] = '\0';
    if (result != kLookupUnreadable) return kLookupServerError;
  }
  if (result != kLookupOk) return result;
  if (head.tooLarge || (head.sized && head.length > limit)) return kLookupTooLarge;
  size_t left = static_cast<size_t>(data + size - head.body);
  if (head.sized) {
    if (head.length > left) return kLookupCut;
    left = head.length;
  }
  answer->body = head.body;
  answer->bodySize = left;
  return kLookupOk;
}

int HttpAnswerProgress(const char* data, size_t size, size_t limit) {
  Head head;
  if (ReadHead(data, size, &head) != kLookupOk || !head.sized) return kLookupCut;
  if (head.tooLarge || head.length > limit) return kLookupTooLarge;
  return head.length <= static_cast<size_t>(data + size - head.body) ? kLookupOk : kLookupCut;
}
