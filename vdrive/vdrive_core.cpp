#include "vdrive_core.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
    char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b + 32) : *b;
    if (x != y) return 0;
  }
  return *a == *b;
}

// One "key=value" line of an INI text, with blanks and a trailing
// "; comment" removed from the value.
struct Line {
  const char* start;
  const char* end;  // past the line break
  char section[kVNameSize];
  char key[kVNameSize];
  char value[kVNameSize];
  int isSection;
  int isKey;
};

void CopyTrimmed(char* out, size_t size, const char* from, const char* to) {
  while (from < to && (*from == ' ' || *from == '\t')) ++from;
  while (to > from && (to[-1] == ' ' || to[-1] == '\t' || to[-1] == '\r')) --to;
  size_t n = static_cast<size_t>(to - from);
  if (n >= size) n = size - 1;
  memcpy(out, from, n);
  out[n] = '\0';
}

// Splits the next line starting at p; returns 0 at the end of the text.
int NextLine(const char* p, Line* line) {
  if (*p == '\0') return 0;
  const char* eol = p;
  while (*eol && *eol != '\n') ++eol;
  line->start = p;
  line->end = *eol ? eol + 1 : eol;
  line->isSection = line->isKey = 0;
  const char* s = p;
  // A file saved as UTF-8 by an editor may start with a byte-order mark.
  if (eol - s >= 3 && memcmp(s, "\xEF\xBB\xBF", 3) == 0) s += 3;
  while (s < eol && (*s == ' ' || *s == '\t')) ++s;
  if (s < eol && *s == '[') {
    const char* close = static_cast<const char*>(memchr(s, ']', static_cast<size_t>(eol - s)));
    if (close) {
      CopyTrimmed(line->section, sizeof line->section, s + 1, close);
      line->isSection = 1;
    }
    return 1;
  }
  if (s < eol && *s == ';') return 1;
  const char* eq = static_cast<const char*>(memchr(s, '=', static_cast<size_t>(eol - s)));
  if (!eq) return 1;
  const char* valueEnd = static_cast<const char*>(memchr(eq, ';', static_cast<size_t>(eol - eq)));
  CopyTrimmed(line->key, sizeof line->key, s, eq);
  CopyTrimmed(line->value, sizeof line->value, eq + 1, valueEnd ? valueEnd : eol);
  line->isKey = 1;
  return 1;
}

// Value of section/key, or nullptr. The first occurrence wins.
const char* Lookup(const char* text, const char* section, const char* key, char* out, size_t size) {
  Line line;
  int inSection = 0;
  for (const char* p = text; NextLine(p, &line); p = line.end) {
    if (line.isSection) {
      inSection = EqualNoCase(line.section, section);
    } else if (inSection && line.isKey && EqualNoCase(line.key, key)) {
      snprintf(out, size, "%s", line.value);
      return out;
    }
  }
  return nullptr;
}

// "m:ss:ff" to frames; 0 when malformed.
int ParseMsf(const char* s, uint32_t* frames) {
  unsigned m = 0, sec = 0, f = 0;
  char tail = 0;
  if (sscanf(s, "%u:%u:%u%c", &m, &sec, &f, &tail) != 3) return 0;
  if (sec > 59 || f >= kVFramesPerSecond || m > 99) return 0;
  *frames = (m * 60 + sec) * kVFramesPerSecond + f;
  return 1;
}

int ParseDisc(const char* text, const char* name, VDisc* disc) {
  char section[kVNameSize + 8], value[kVNameSize], key[16];
  snprintf(section, sizeof section, "Disc.%s", name);
  memset(disc, 0, sizeof *disc);
  if (!Lookup(text, section, "Tracks", value, sizeof value)) return 0;
  int n = atoi(value);
  if (n < 1 || n > kVMaxTracks) return 0;
  disc->trackCount = n;
  for (int t = 1; t <= n; ++t) {
    snprintf(key, sizeof key, "Track%d", t);
    if (!Lookup(text, section, key, value, sizeof value) || !ParseMsf(value, &disc->start[t - 1]))
      return 0;
    if (t > 1 && disc->start[t - 1] <= disc->start[t - 2]) return 0;
  }
  if (!Lookup(text, section, "LeadOut", value, sizeof value) || !ParseMsf(value, &disc->leadOut))
    return 0;
  if (disc->leadOut <= disc->start[n - 1]) return 0;
  if (Lookup(text, section, "Data", value, sizeof value)) disc->data = atoi(value) != 0;
  for (int t = 1; t <= n; ++t) {
    snprintf(key, sizeof key, "Type%d", t);
    if (!Lookup(text, section, key, value, sizeof value)) continue;
    if (EqualNoCase(value, "data"))
      disc->dataTrack[t - 1] = 1;
    else if (!EqualNoCase(value, "audio"))
      return 0;
  }
  return 1;
}

}  // namespace

void VParseDriveFile(const char* text, VDriveConfig* config) {
  char value[kVNameSize];
  memset(config, 0, sizeof *config);
  config->ready = 1;
  config->speed = 1;
  if (Lookup(text, "Drive", "Door", value, sizeof value)) config->doorOpen = EqualNoCase(value, "open");
  if (Lookup(text, "Drive", "Ready", value, sizeof value)) config->ready = atoi(value) != 0;
  if (Lookup(text, "Drive", "Speed", value, sizeof value)) {
    int speed = atoi(value);
    config->speed = speed < 0 ? 0 : speed;
  }
  if (Lookup(text, "Drive", "Disc", value, sizeof value) && value[0])
    config->hasDisc = ParseDisc(text, value, &config->disc);
}

size_t VSetDoorInText(const char* text, int open, char* out, size_t outSize) {
  const char* door = open ? "open" : "closed";
  size_t used = 0;
  int inDrive = 0, done = 0;
  Line line;
  auto put = [&](const char* from, size_t n) {
    if (used + n >= outSize) return 0;
    memcpy(out + used, from, n);
    used += n;
    out[used] = '\0';
    return 1;
  };
  auto putDoor = [&]() {
    char buffer[32];
    int n = snprintf(buffer, sizeof buffer, "Door=%s\r\n", door);
    done = 1;
    return put(buffer, static_cast<size_t>(n));
  };
  if (outSize == 0) return 0;
  out[0] = '\0';
  for (const char* p = text; NextLine(p, &line); p = line.end) {
    if (line.isSection) {
      if (inDrive && !done && !putDoor()) return 0;
      inDrive = EqualNoCase(line.section, "Drive");
      if (!put(line.start, static_cast<size_t>(line.end - line.start))) return 0;
      if (line.end[-1] != '\n' && !put("\r\n", 2)) return 0;
    } else if (inDrive && !done && line.isKey && EqualNoCase(line.key, "Door")) {
      if (!putDoor()) return 0;
    } else if (!put(line.start, static_cast<size_t>(line.end - line.start))) {
      return 0;
    }
  }
  if (!done) {
    if (used > 0 && out[used - 1] != '\n' && !put("\r\n", 2)) return 0;
    if (!inDrive && !put("[Drive]\r\n", 9)) return 0;
    if (!putDoor()) return 0;
  }
  return used;
}

int VMediaUsable(const VDriveConfig* config) {
  return config->hasDisc && !config->doorOpen && config->ready;
}

int VTrackCount(const VDisc* disc) { return disc->data ? 1 : disc->trackCount; }

uint32_t VTrackEnd(const VDisc* disc, int t) {
  return t < VTrackCount(disc) ? disc->start[t] : disc->leadOut;
}

int VTrackAt(const VDisc* disc, uint32_t frame) {
  int t = 1;
  while (t < VTrackCount(disc) && frame >= disc->start[t]) ++t;
  return t;
}

int VTrackIsData(const VDisc* disc, int t) {
  return disc->data || (t >= 1 && t <= VTrackCount(disc) && disc->dataTrack[t - 1]);
}

void VSkipDataTracks(const VDisc* disc, uint32_t* from, uint32_t* to) {
  int t = VTrackAt(disc, *from);
  if (VTrackIsData(disc, t)) {
    while (t <= VTrackCount(disc) && VTrackIsData(disc, t)) ++t;
    *from = t <= VTrackCount(disc) ? disc->start[t - 1] : disc->leadOut;
  }
  const int last = VTrackAt(disc, *to);
  if (VTrackIsData(disc, last)) *to = disc->start[last - 1];
  if (*to < *from) *to = *from;
}

uint32_t VPackMsf(uint32_t frames) {
  uint32_t m = frames / (60 * kVFramesPerSecond);
  uint32_t s = frames / kVFramesPerSecond % 60;
  uint32_t f = frames % kVFramesPerSecond;
  return m | s << 8 | f << 16;
}

uint32_t VPackTmsf(int track, uint32_t framesIntoTrack) {
  return static_cast<uint32_t>(track) | VPackMsf(framesIntoTrack) << 8;
}

// Rounded to the nearest frame, so a position the drive reports in
// milliseconds (rounded down) names the same frame when it comes back.
uint32_t VFramesFromMs(uint32_t ms) {
  return static_cast<uint32_t>((static_cast<uint64_t>(ms) * kVFramesPerSecond + 500) / 1000);
}

uint32_t VMsFromFrames(uint32_t frames) {
  return static_cast<uint32_t>(static_cast<uint64_t>(frames) * 1000 / kVFramesPerSecond);
}

uint32_t VEncodePosition(const VDisc* disc, int format, uint32_t frame) {
  switch (format) {
    case kVFormatTmsf: {
      int t = VTrackAt(disc, frame);
      uint32_t start = disc->start[t - 1];
      return VPackTmsf(t, frame > start ? frame - start : 0);
    }
    case kVFormatMsf: return VPackMsf(frame);
    default: return VMsFromFrames(frame);
  }
}

uint32_t VEncodeLength(int format, uint32_t frames) {
  return format == kVFormatMilliseconds ? VMsFromFrames(frames) : VPackMsf(frames);
}

int VDecodePosition(const VDisc* disc, int format, uint32_t value, uint32_t* frame) {
  uint32_t m = value & 0xFF, s = value >> 8 & 0xFF, f = value >> 16 & 0xFF;
  switch (format) {
    case kVFormatTmsf: {
      int t = static_cast<int>(value & 0xFF);
      if (t < 1 || t > VTrackCount(disc)) return 0;
      m = value >> 8 & 0xFF;
      s = value >> 16 & 0xFF;
      f = value >> 24 & 0xFF;
      if (s > 59 || f >= kVFramesPerSecond) return 0;
      *frame = disc->start[t - 1] + (m * 60 + s) * kVFramesPerSecond + f;
      break;
    }
    case kVFormatMsf:
      if (s > 59 || f >= kVFramesPerSecond) return 0;
      *frame = (m * 60 + s) * kVFramesPerSecond + f;
      break;
    default:
      *frame = VFramesFromMs(value);
      break;
  }
  return *frame <= disc->leadOut;
}

uint32_t VPlayPosition(const VPlay* play, uint64_t nowMs) {
  if (play->mode != kVPlaying) return play->frame;
  uint64_t elapsed = nowMs > play->startMs ? nowMs - play->startMs : 0;
  uint64_t frame = play->from + elapsed * kVFramesPerSecond / 1000;
  return frame < play->to ? static_cast<uint32_t>(frame) : play->to;
}

uint64_t VPlayEndMs(const VPlay* play) {
  uint64_t frames = play->to > play->from ? play->to - play->from : 0;
  // Rounded up, so the position has reached the end point at that time.
  return play->startMs + (frames * 1000 + kVFramesPerSecond - 1) / kVFramesPerSecond;
}
