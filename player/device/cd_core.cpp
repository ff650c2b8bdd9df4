#include "player/device/cd_core.h"

#include <cstdio>

uint32_t TrackSeekPosition(int track) {
  return (static_cast<uint32_t>(track) & 0xFF) | static_cast<uint32_t>(TrackSeekFrame) << 24;
}

uint32_t TrackPlayEnd(int track, uint32_t lengthMsf) {
  return (static_cast<uint32_t>(track) & 0xFF) | (lengthMsf & 0xFFFF) << 8;
}

uint32_t TrackIntroEnd(int track, uint32_t lengthMsf, int seconds) {
  const uint32_t whole = (lengthMsf & 0xFF) * 60 + (lengthMsf >> 8 & 0xFF);
  if (seconds < 0 || whole <= static_cast<uint32_t>(seconds)) return TrackPlayEnd(track, lengthMsf);
  const uint32_t m = static_cast<uint32_t>(seconds) / 60, s = static_cast<uint32_t>(seconds) % 60;
  return (static_cast<uint32_t>(track) & 0xFF) | (m & 0xFF) << 8 | s << 16;
}

uint32_t FramesFromMsf(uint32_t msf) {
  uint32_t m = msf & 0xFF, s = msf >> 8 & 0xFF, f = msf >> 16 & 0xFF;
  return (m * 60 + s) * kFramesPerSecond + f;
}

uint32_t MsfFromFrames(uint32_t frames) {
  const uint32_t m = frames / (60 * kFramesPerSecond), s = frames / kFramesPerSecond % 60;
  return (m & 0xFF) | s << 8 | (frames % kFramesPerSecond) << 16;
}

void FormatTrackLengthText(uint32_t lengthMsf, char* text, size_t size) {
  unsigned minutes = lengthMsf & 0xFF;
  unsigned seconds = lengthMsf >> 8 & 0xFF;
  snprintf(text, size, " (%u:%s%u)", minutes, seconds < 10 ? "0" : "", seconds);
}
