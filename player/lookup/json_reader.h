// A bounded reader of JSON text for the look-up's answers: it walks the text
// once, value by value, and builds nothing, so the caller takes exactly the
// fields it needs into its own fixed buffers and passes over the rest. It
// never reads past the size it was given, and no input can make it recurse:
// nesting is counted, not followed on the stack. Text that is not JSON, or is
// cut, sets failed; from then on every call reports nothing more.
#pragma once

#include <cstddef>

enum {
  kJsonMaxDepth = 32,  // objects and arrays entered at once
};

enum JsonKind { kJsonNone, kJsonObject, kJsonArray, kJsonString, kJsonNumber, kJsonLiteral };

struct JsonReader {
  const char* at;
  const char* end;
  bool failed;
  bool cut;  // it failed because the text ended inside a value
  int depth;                       // containers entered and not yet left
  bool first[kJsonMaxDepth];       // no item of that container read yet
};

JsonReader JsonStart(const char* text, size_t size);
// The kind of the value at the reader; kJsonNone after a failure.
int JsonPeek(JsonReader* r);
// Enters the object at the reader; false (the value passed over) when it is
// something else. Then each JsonNextKey reads a member's name, cut to
// size - 1 bytes, and leaves the reader at its value, which the caller must
// read or pass over; after the last member it returns false, the object left.
bool JsonEnterObject(JsonReader* r);
bool JsonNextKey(JsonReader* r, char* key, size_t size);
// The same for an array: JsonNextItem is true with the reader at the next item.
bool JsonEnterArray(JsonReader* r);
bool JsonNextItem(JsonReader* r);
// Reads a string as UTF-8: escapes decoded (a lone surrogate as U+FFFD),
// control characters as blanks, cut to whole characters within size - 1
// bytes and terminated. False, with the value passed over and out empty,
// when it is something else.
bool JsonReadString(JsonReader* r, char* out, size_t size);
// Reads a whole number from -2147483647 to 2147483647; false, with the value
// passed over, for anything else.
bool JsonReadInt(JsonReader* r, long* value);
// Passes over the value at the reader, however deep.
void JsonSkip(JsonReader* r);
// After the caller read the text's one value: true when only blanks follow
// and nothing failed.
bool JsonFinished(JsonReader* r);
