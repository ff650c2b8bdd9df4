// The keyboard's media keys, free of the platform: which front-panel button
// a key presses in the state at hand.
#pragma once

#include <cstdint>

// The platform's published values. They are newer than the headers the
// player is built against, so they are spelled out here.
enum : unsigned {
  kAppCommandMessage = 0x0319,  // WM_APPCOMMAND
  kAppCommandNextTrack = 11,
  kAppCommandPreviousTrack = 12,
  kAppCommandStop = 13,
  kAppCommandPlayPause = 14,
  kAppCommandPlay = 46,
  kAppCommandPause = 47,
  kKeyNextTrack = 0xB0,  // VK_MEDIA_NEXT_TRACK
  kKeyPreviousTrack = 0xB1,
  kKeyStop = 0xB2,
  kKeyPlayPause = 0xB3,
};

// The command of an application-command message: the high word of its
// lParam without the device bits (the top four).
inline unsigned AppCommandOf(uint32_t lParam) { return lParam >> 16 & 0x0FFF; }

enum MediaKey {
  kNoMediaKey,
  kMediaPlayPause,  // plays, pauses or resumes, as the state asks
  kMediaPlay,       // plays or resumes; nothing while playing
  kMediaPause,      // pauses; nothing unless playing
  kMediaStop,
  kMediaNext,
  kMediaPrevious,
};

MediaKey MediaKeyOfAppCommand(unsigned command);
MediaKey MediaKeyOfVirtualKey(unsigned key);

// The transport buttons' enabled states, and whether the disc is paused.
struct TransportState {
  bool play;
  bool pause;
  bool stop;
  bool forward;
  bool reverse;
  bool paused;
};

// The id of the button the key presses, or 0 when its button is disabled
// (no disc, a data disc) or the state asks for nothing.
int MediaKeyButton(MediaKey key, const TransportState* state);
