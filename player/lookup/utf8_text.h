// UTF-8 text in fixed buffers, for the look-up's answers: decoding and
// checking it, cutting it to whole characters, and reading the single-byte
// encoding of the CD database's older entries. Nothing here needs the
// platform.
#pragma once

#include <cstddef>
#include <cstdint>

// The valid UTF-8 sequence at p (before end): its length, with its code
// point in *code; 0 when the bytes there start none (a stray or missing
// continuation, an overlong form, a surrogate, past U+10FFFF, cut by end).
size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, uint32_t* code);
// Whether the n bytes of text are all valid UTF-8.
bool IsUtf8(const char* text, size_t n);
// The length of text[0..n) without a UTF-8 sequence that a cut left
// incomplete at its end.
size_t WholeUtf8(const char* text, size_t n);
// Copies n bytes of text into a buffer of size bytes, cut to whole
// characters within size - 1 bytes, and terminates it (size > 0).
void CopyUtf8(const char* text, size_t n, char* out, size_t size);
// Appends text to a terminated UTF-8 buffer, cut to whole characters within
// size - 1 bytes.
void AppendUtf8(char* out, size_t size, const char* text);
// Writes the UTF-8 form of a code point (at most 4 bytes); its length.
size_t EncodeUtf8(uint32_t code, char* out);
// The character of a byte of Windows-1252, the single-byte encoding that
// texts typed on Windows carry and that the web reads for every text
// labelled ISO-8859-1: ISO-8859-1 but for 0x80-0x9F, which hold the curly
// quotes, dashes, the ellipsis and the euro sign. 0 for the five bytes it
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint32_t Windows1252Char(unsigned char byte);
// Decodes UTF-8 into UTF-16 code units, terminated, cut to whole characters
// within count - 1 units. A byte that starts no valid sequence reads as
// U+FFFD. Returns the number of units written before the terminator.
size_t Utf8ToUtf16(const char* text, uint16_t* out, size_t count);
// Removes the outer blanks of a text, in place.
void TrimText(char* text);
