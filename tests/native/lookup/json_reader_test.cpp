#include "player/lookup/json_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Reads a text holding one string value into a buffer of that size.
std::string ReadString(const std::string& text, size_t size = 64, bool* ok = nullptr) {
  JsonReader r = JsonStart(text.data(), text.size());
  char out[64];
  bool read = JsonReadString(&r, out, size);
  if (ok) *ok = read && JsonFinished(&r);
  return out;
}

// Whether a text is one whole JSON value, walked by passing over it.
bool Whole(const std::string& text) {
  JsonReader r = JsonStart(text.data(), text.size());
  JsonSkip(&r);
  return JsonFinished(&r);
}

TEST(JsonReader, ReadsStringsAsUtf8WithinTheirBuffers) {
  EXPECT_EQ("Kev\xC3\xA4t \xE6\x9D\xB1 \xF0\x9F\x8E\xB5", ReadString(R"("Kev\u00e4t \u6771 \ud83c\udfb5")"));
  EXPECT_EQ("\"q\" \\ / a b c d e", ReadString(R"("\"q\" \\ \/ a\bb\fc\nd\re")"));
  // A surrogate without its pair stands for a character that cannot be.
  EXPECT_EQ("\xEF\xBF\xBD x \xEF\xBF\xBD", ReadString(R"("\ud83c x \udfb5")"));
  // Raw UTF-8 passes; control characters read as blanks.
  EXPECT_EQ("Sigur R\xC3\xB3s a b", ReadString("\"Sigur R\xC3\xB3s a\\u0000b\""));
  // Cut to whole characters: "é" takes two bytes.
  EXPECT_EQ("ab", ReadString("\"ab\xC3\xA9\"", 4));
  EXPECT_EQ("ab\xC3\xA9", ReadString("\"ab\xC3\xA9\"", 5));

  bool ok = true;
  for (const char* bad : {"\"\xC3\x28\"", "\"\xED\xA0\x80\"", "\"a\x01\"", "\"\\x\"", "\"\\u12G4\"", "\"open",
                          "\"\\"}) {
    ReadString(bad, 64, &ok);
    EXPECT_FALSE(ok) << bad;
  }
  ReadString("17", 64, &ok);
  EXPECT_FALSE(ok);
}

TEST(JsonReader, WalksObjectsAndArraysAndRefusesWhatIsNotJson) {
  std::string text = R"( {"skip": [1, {"deep": [null, true, false, -2.5e3]}], "n": 2147483647,
                         "big": 2147483648, "real": 1.5, "s": "x", "list": [ 7 , -8 ] } )";
  JsonReader r = JsonStart(text.data(), text.size());
  ASSERT_TRUE(JsonEnterObject(&r));
  char key[8];
  std::string seen;
  long value;
  while (JsonNextKey(&r, key, sizeof key)) {
    seen += std::string(key) + ":";
    if (std::string(key) == "list") {
      ASSERT_TRUE(JsonEnterArray(&r));
      while (JsonNextItem(&r)) {
        EXPECT_TRUE(JsonReadInt(&r, &value));
        seen += std::to_string(value) + ",";
      }
    } else if (JsonPeek(&r) == kJsonNumber) {
      seen += JsonReadInt(&r, &value) ? std::to_string(value) + "," : "no,";
    } else {
      JsonSkip(&r);
    }
  }
  EXPECT_TRUE(JsonFinished(&r));
  EXPECT_EQ("skip:n:2147483647,big:no,real:no,s:list:7,-8,", seen);

  EXPECT_TRUE(Whole(std::string(kJsonMaxDepth, '[') + std::string(kJsonMaxDepth, ']')));
  EXPECT_FALSE(Whole(std::string(kJsonMaxDepth + 1, '[') + std::string(kJsonMaxDepth + 1, ']')));
  for (const char* bad : {"{\"a\":1,}", "[1 2]", "[1,]", "{\"a\" 1}", "[}", "{]", "01", "tru", "{} x", "{\"a\":1}}",
                          "[\"a\":1]", "{1:2}", ",", "]", "\"\xC3(\""})
    EXPECT_FALSE(Whole(bad)) << bad;
  // A text that ends inside its value is cut, which tells a dropped
  // connection from a wrong answer.
  for (const char* cut : {"", "{", "[1,", "{\"a\"", "{\"a\":", "\"ab", "\"ab\\", "\"\\u00", "\"\xE6\x9D", "1.", "-",
                          "[{\"a\":[]}"}) {
    JsonReader r = JsonStart(cut, strlen(cut));
    JsonSkip(&r);
    EXPECT_FALSE(JsonFinished(&r)) << cut;
    EXPECT_TRUE(r.cut) << cut;
  }
  for (const char* good : {"{}", "[]", " \"\" ", "0", "-0.5E+2", "null", "[{}, [], {\"a\": {\"b\": []}}]"})
    EXPECT_TRUE(Whole(good)) << good;
}

}  // namespace
