// The framing of an HTTP/1.0 answer, as both sources' servers send it: the
// status line, the headers and the body that a Content-Length bounds. What
// the server sends is untrusted: nothing here reads past the size it is
// given.
#pragma once

#include <cstddef>

#include "player/lookup/lookup_types.h"

enum {
  // A Content-Length is read exactly up to here, beyond every answer's
  // limit; a larger one is an answer too large, never a shorter one.
  kHttpLengthBound = 64 * 1024 * 1024,
};

// An answer's status and body.
struct HttpAnswer {
  int code;  // the status code, or 0 before it is known
  const char* body;
  size_t bodySize;
  char line[kLookupLineSize];  // the status line of an answer other than 200, to show
};

// Reads an answer that ended (the server closed, or its Content-Length is
// in). kLookupOk for 200 with its body; kLookupServerError for another
// status, with its code and line; kLookupCut for one shorter than its
// Content-Length or cut inside its headers; kLookupTooLarge for a
// Content-Length above limit; kLookupUnreadable for what is not HTTP, a
// length that cannot be, two lengths that differ, or a transfer encoding
// (an HTTP/1.0 request gets none).
int ParseHttpAnswer(const char* data, size_t size, size_t limit, HttpAnswer* answer);
// While the connection is still open: kLookupOk once the headers ended and
// all the bytes their Content-Length gives are in (without one only the
// server's close ends an answer), kLookupTooLarge as soon as the headers
// give a length above limit, kLookupCut while more is to come.
int HttpAnswerProgress(const char* data, size_t size, size_t limit);
