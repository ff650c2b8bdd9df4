// The parts of the CD audio device layer that need no device: the disc's
// time units, the table of contents, the play and seek points and the track
// length text.
#pragma once

#include <cstddef>
#include <cstdint>

enum {
  kFramesPerSecond = 75,  // of a disc's time, the unit of its positions
  kTocMaxTracks = 99,     // the most tracks an audio disc can hold
  TrackSeekFrame = 50,    // a seek to a track goes to its frame 50
};

// A disc's table of contents as the device reports it: each track's start
// and the lead-out in frames from the start of the disc (a normal disc's
// first track starts at 150, after the 2-second lead-in), and each track's
// type. An enhanced CD ends in a data track after its audio tracks.
struct DiscToc {
  int trackCount;  // 1 to kTocMaxTracks
  uint32_t starts[kTocMaxTracks];
  uint8_t audio[kTocMaxTracks];  // 1: an audio track; 0: data
  uint32_t leadOut;
};

// TMSF position of track t's seek point: the track in the lowest byte,
// TrackSeekFrame in the highest.
uint32_t TrackSeekPosition(int track);

// TMSF end point of a one-track play: track t, the length's minutes and
// seconds, frame 0 (the length's frames are dropped).
uint32_t TrackPlayEnd(int track, uint32_t lengthMsf);

// TMSF end point of a play of a track's first `seconds` seconds (its
// intro): track t at 0:seconds, frame 0; a track no longer than that plays
// to TrackPlayEnd.
uint32_t TrackIntroEnd(int track, uint32_t lengthMsf, int seconds);

// Frames of a packed minute/second/frame value (minutes in the lowest
// byte), kFramesPerSecond to the second; and back (minutes above 255 do not
// fit and are cut to their low byte, as the device's own answers would be).
uint32_t FramesFromMsf(uint32_t msf);
uint32_t MsfFromFrames(uint32_t frames);

// " (m:ss)" for an MSF length, e.g. " (5:07)". Writes at most size bytes.
void FormatTrackLengthText(uint32_t lengthMsf, char* text, size_t size);
