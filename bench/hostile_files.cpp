#include "bench/hostile_files.h"

#include <cstdio>
#include <random>

#include "common/profile/profile.h"

using namespace std::string_literals;

namespace {

std::string Name(uint32_t id) {
  char name[16];
  snprintf(name, sizeof name, "%lu", static_cast<unsigned long>(id));
  return name;
}

// A plain record as the player writes it.
std::string Record(const std::string& section, int tracks, const std::string& tag) {
  std::string text = "[" + section + "]\r\nDiscTitle=Title " + tag + "\r\nDiscArtist=Artist " + tag +
                     "\r\nRepeat=0\r\nShuffle=0\r\n";
  std::string order;
  for (int t = 1; t <= tracks; ++t) {
    text += "Track" + std::to_string(t) + "=Song " + std::to_string(t) + " of " + tag + "\r\n";
    order += (t > 1 ? " " : "") + std::to_string(t);
  }
  return text + "PlayList=" + order + "\r\n";
}

const char kSettings[] = "[Window]\r\nWindowXPosn=40\r\nWindowYPosn=30\r\nTemplate=101\r\nStayOnTop=0\r\n";

// Many sections of others around the disc's own, to the given size.
std::string Crowd(const std::string& disc, size_t bytes, int tracks) {
  std::string text;
  for (uint32_t n = 1; text.size() < bytes; ++n) {
    if (n == 50000) text += Record(disc, 5, "mine");
    text += Record(Name(n * 7919u), tracks, std::to_string(n));
  }
  return text;
}

std::string Noise(size_t bytes, unsigned seed, bool withNul) {
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < bytes) {
    char c = static_cast<char>(0x80 + random() % 0x80);
    if (random() % 50 == 0) c = '\n';
    if (withNul && random() % 40 == 0) c = '\0';
    text.push_back(c);
  }
  return text;
}

}  // namespace

std::vector<HostileCase> HostileCases(uint32_t discId) {
  const std::string disc = Name(discId);
  std::vector<HostileCase> cases;

  cases.push_back({"50 MB files", Crowd(disc, 50u << 20, 12),
                   std::string(kSettings) + Crowd("Other", 50u << 20, 12)});

  std::string many;
  for (uint32_t n = 0; n < 200000; ++n) {
    if (n == 150000) many += Record(disc, 5, "mine");
    many += "[" + Name(n) + "]\r\nDiscTitle=" + std::to_string(n) + "\r\n";
  }
  cases.push_back({"200,000 sections", many, many + kSettings});

  const std::string megabyte(1u << 20, 'M');
  cases.push_back({"a line of 1 MB",
                   "[1]\r\nDiscTitle=" + megabyte + "\r\n[" + disc + "]\r\nDiscTitle=" + megabyte +
                       "\r\nPlayList=" + megabyte + "\r\nTrack2=" + megabyte + "\r\n" + megabyte + "\r\n",
                   "[Window]\r\nWindowXPosn=" + megabyte + "\r\n" + megabyte + "\r\nTemplate=122\r\n"});

  std::string nul = "[1]\r\nDisc\0Title=x\r\n["s + disc + "]\r\nDiscTitle=Nul\0Title\r\nTrack1\0=a\r\n"s +
                    "Track2=b\0c\r\nPlayList=5 \0 4\r\n[2\0]\r\nk=v\r\n"s + Noise(1u << 20, 1, true);
  cases.push_back({"NUL bytes", nul,
                   "[Window]\r\nWindowXPosn=1\0" "2\r\nTemplate=1\0" "22\r\n"s + Noise(1u << 20, 2, true)});

  std::string bad = "\xEF\xBB\xBF[\xC0\xAF]\r\nk=\xFF\xFE\r\n[" + disc +
                    "]\r\nDiscTitle=\xE2\x82\r\nDiscArtist=\xED\xA0\x80\xF8\x88\r\nTrack1=\xC3\x28\xA0\xA1\r\n" +
                    Noise(1u << 20, 3, false) + "\r\n";
  cases.push_back({"invalid UTF-8", bad, "\xEF\xBB\xBF[Window]\r\nWindowXPosn=\xC3\x28\r\n" + Noise(1u << 20, 4, false)});

  // The disc's keys 2,000 times over in its section, then 2,000 more
  // sections of the same name.
  std::string repeated = "[" + disc + "]\r\n";
  for (int i = 0; i < 2000; ++i) {
    std::string record = Record(disc, 5, std::to_string(i));
    repeated += record.substr(record.find("\r\n") + 2);
  }
  for (int i = 0; i < 2000; ++i) repeated += Record(disc, 5, "again " + std::to_string(i));
  std::string settings;
  for (int i = 0; i < 2000; ++i) settings += kSettings;
  cases.push_back({"every key repeated", repeated, settings});

  cases.push_back({"numbers out of range",
                   "[" + disc + "]\r\nRepeat=-2147483649\r\nShuffle=99999999999\r\n" +
                       "PlayList=99999999999 -2147483649 2 4294967298 3\r\nTrack99999999999=x\r\n",
                   "[Window]\r\nWindowXPosn=-2147483649\r\nWindowYPosn=99999999999\r\n"
                   "Template=99999999999\r\nStayOnTop=-2147483649\r\n"});
  return cases;
}

bool OnlySectionChanged(const std::string& before, const std::string& after, const char* section) {
  ProfileSection was = ProfileFindSection(before, section), now = ProfileFindSection(after, section);
  if (!now.found) return false;
  if (!was.found) {
    // Added at the end, after a line break the old text may have lacked.
    return after.compare(0, before.size(), before) == 0;
  }
  // The lines before the section's body and after its end stay as they were.
  size_t head = static_cast<size_t>(was.begin - before.data());
  size_t tail = static_cast<size_t>(before.data() + before.size() - was.end);
  return head == static_cast<size_t>(now.begin - after.data()) &&
         tail == static_cast<size_t>(after.data() + after.size() - now.end) &&
         after.compare(0, head, before, 0, head) == 0 &&
         after.compare(after.size() - tail, tail, before, before.size() - tail, tail) == 0;
}
