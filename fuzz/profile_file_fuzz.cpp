// libFuzzer target for the file encodings: arbitrary bytes are read as a
// profile file (UTF-16 with either mark, or bytes), a section is written
// into the text, and the bytes written back must read as exactly that text
// again, whatever the lines the engine kept from the original.
#include "common/profile/profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::string section = input.ConsumeRandomLengthString(16);
  std::string key = input.ConsumeRandomLengthString(16);
  std::string value = input.ConsumeRandomLengthString(64);
  std::string bytes = input.ConsumeRemainingBytesAsString();
  ProfileFile file = {};
  ProfileDecode(bytes, &file);
  ProfileEntry entry = {key.c_str(), value.c_str()};
  ProfileWriteSection(&file.text, section.c_str(), &entry, 1);
  ProfileFile again = {};
  ProfileDecode(ProfileEncode(&file), &again);
  if (again.text != file.text || again.encoding != file.encoding) {
    fprintf(stderr, "profile_file_fuzz: the text did not survive its encoding\n");
    abort();
  }
  return 0;
}
