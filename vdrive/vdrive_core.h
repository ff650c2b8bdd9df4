// The virtual CD drive's model, free of the platform: the drive file, the
// disc's track table, time-format packing and the position of a play at a
// given virtual time. The MCI driver (vcdaudio.cpp) is glue around this.
#pragma once

#include <cstddef>
#include <cstdint>

enum {
  kVFramesPerSecond = 75,
  kVMaxTracks = 99,
  kVNameSize = 64,
};

// Time formats, with the MCI values.
enum {
  kVFormatMilliseconds = 0,
  kVFormatMsf = 2,
  kVFormatTmsf = 10,
};

// A disc: absolute start frames of its tracks, and the lead-out (the end of
// the last track). A data disc reports a single track, of data; a disc that
// mixes audio and data tracks (an enhanced CD) marks its data tracks.
struct VDisc {
  int trackCount;
  uint32_t start[kVMaxTracks];
  uint32_t leadOut;
  int data;
  uint8_t dataTrack[kVMaxTracks];  // 1: track t + 1 holds data
};

// What the drive file (or the control API) says the drive holds.
struct VDriveConfig {
  int doorOpen;
  int ready;
  int hasDisc;  // a disc sits in the tray (whether or not the door is closed)
  VDisc disc;
  int speed;    // virtual seconds per real second
};

// Reads a drive file's text. Missing keys keep their defaults (door closed,
// ready, no disc, speed 1); a disc whose table is unusable (no tracks, starts
// not rising, lead-out not after the last start) counts as no disc.
void VParseDriveFile(const char* text, VDriveConfig* config);

// Rewrites a drive file's text with [Drive] Door set to "open" or "closed",
// keeping every other line. Returns the length written, or 0 when out is too
// small.
size_t VSetDoorInText(const char* text, int open, char* out, size_t outSize);

// A disc is in the drive and can be read.
int VMediaUsable(const VDriveConfig* config);

// Reported track count (a data disc reports one).
int VTrackCount(const VDisc* disc);
// End of track t (1-based): the next start, or the lead-out.
uint32_t VTrackEnd(const VDisc* disc, int t);
// Track holding the absolute frame (the first track before its start).
int VTrackAt(const VDisc* disc, uint32_t frame);
// Whether track t (1-based) holds data rather than audio.
int VTrackIsData(const VDisc* disc, int t);
// Moves a play's end points off data tracks, as cdaudio drivers do, so a
// play never sounds one: a play from a data track starts at the next audio
// track (the lead-out when none follows), one that would end inside a data
// track ends where it begins, and one left with nothing to play is empty
// (to = from).
void VSkipDataTracks(const VDisc* disc, uint32_t* from, uint32_t* to);

uint32_t VPackMsf(uint32_t frames);
uint32_t VPackTmsf(int track, uint32_t framesIntoTrack);
// The frame nearest to ms.
uint32_t VFramesFromMs(uint32_t ms);
// When a frame starts, in whole milliseconds (rounded down).
uint32_t VMsFromFrames(uint32_t frames);

// A position of the disc in the given format.
uint32_t VEncodePosition(const VDisc* disc, int format, uint32_t frame);
// A length in the given format: TMSF answers in the MSF layout.
uint32_t VEncodeLength(int format, uint32_t frames);
// Turns a position argument into an absolute frame. Returns 0 for a track
// outside the disc or a position beyond the lead-out.
int VDecodePosition(const VDisc* disc, int format, uint32_t value, uint32_t* frame);

// Play state. A play runs from `from` to `to` starting at virtual time
// `startMs`; a paused drive reports itself stopped.
enum { kVStopped = 0, kVPlaying = 1, kVPaused = 2 };
struct VPlay {
  int mode;
  uint32_t frame;     // position while not playing
  uint32_t from, to;  // the running play
  uint64_t startMs;
};

// Position of the play at virtual time now.
uint32_t VPlayPosition(const VPlay* play, uint64_t nowMs);
// Virtual time at which the running play reaches its end point.
uint64_t VPlayEndMs(const VPlay* play);
