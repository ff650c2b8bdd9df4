// The virtual drive's model: drive file parsing, the door rewrite, time
// packing and the play clock.
#include "vdrive_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kExampleFile[] =
    "[Drive]\r\n"
    "Door=closed        ; open or closed\r\n"
    "Ready=1            ; 0: the drive answers \"not ready\"\r\n"
    "Disc=demo          ; the section [Disc.demo] is in the drive; empty: no disc\r\n"
    "Speed=1            ; virtual seconds per real second\r\n"
    "[Disc.demo]\r\n"
    "Tracks=5\r\n"
    "Track1=0:02:00     ; start of each track, absolute m:ss:ff (75 frames a second)\r\n"
    "Track2=3:10:15\r\n"
    "Track3=7:30:40\r\n"
    "Track4=11:02:00\r\n"
    "Track5=15:45:70\r\n"
    "LeadOut=19:59:10   ; end of the last track\r\n"
    "Data=0             ; 1: a data disc (the device reports one track)\r\n";

// Absolute frames of the example disc.
const uint32_t kStarts[] = {150, 14265, 33790, 49650, 70945};
const uint32_t kLeadOut = 89935;

uint32_t Msf(uint32_t m, uint32_t s, uint32_t f) { return m | s << 8 | f << 16; }
uint32_t Tmsf(uint32_t t, uint32_t m, uint32_t s, uint32_t f) {
  return t | m << 8 | s << 16 | f << 24;
}

VDisc ExampleDisc() {
  VDriveConfig config;
  VParseDriveFile(kExampleFile, &config);
  return config.disc;
}

std::string SetDoor(const char* text, int open) {
  char out[512];
  size_t n = VSetDoorInText(text, open, out, sizeof out);
  EXPECT_EQ(n, std::string(out).size());
  return n ? std::string(out) : std::string("<refused>");
}

TEST(DriveFile, ReadsTheExampleFile) {
  VDriveConfig config;
  VParseDriveFile(kExampleFile, &config);
  EXPECT_EQ(config.doorOpen, 0);
  EXPECT_EQ(config.ready, 1);
  EXPECT_EQ(config.speed, 1);
  ASSERT_EQ(config.hasDisc, 1);
  EXPECT_EQ(config.disc.trackCount, 5);
  for (int t = 0; t < 5; ++t) EXPECT_EQ(config.disc.start[t], kStarts[t]) << "track " << t + 1;
  EXPECT_EQ(config.disc.leadOut, kLeadOut);
  EXPECT_EQ(config.disc.data, 0);
  EXPECT_EQ(VMediaUsable(&config), 1);
  EXPECT_EQ(VTrackCount(&config.disc), 5);
  EXPECT_EQ(VTrackEnd(&config.disc, 2), kStarts[2]);
  EXPECT_EQ(VTrackEnd(&config.disc, 5), kLeadOut);
  // The disc lasts 19:57:10, its track 2 4:20:25.
  EXPECT_EQ(VEncodeLength(kVFormatMsf, kLeadOut - kStarts[0]), Msf(19, 57, 10));
  EXPECT_EQ(VEncodeLength(kVFormatMsf, VTrackEnd(&config.disc, 2) - kStarts[1]), Msf(4, 20, 25));
}

TEST(DriveFile, AByteOrderMarkIsSkippedAndKeptOnRewrite) {
  std::string withMark = std::string("\xEF\xBB\xBF") + kExampleFile;
  VDriveConfig config;
  VParseDriveFile(withMark.c_str(), &config);
  EXPECT_EQ(config.hasDisc, 1);
  std::string rewritten = SetDoor(withMark.c_str(), 1);
  EXPECT_EQ(0u, rewritten.find("\xEF\xBB\xBF[Drive]\r\nDoor=open\r\n"));
}

TEST(DriveFile, KeysAndValuesIgnoreCaseAndComments) {
  VDriveConfig config;
  VParseDriveFile(
      "; a comment line\n[drive]\n  DOOR = OPEN ; ejected\nready=0\nSPEED=600\ndisc = Mixed ;x\n"
      "[DISC.MIXED]\ntracks=3\ntrack1=0:02:00\nTRACK2=1:00:00\ntrack3=2:00:00\nleadout=3:00:00\n"
      "DATA=1\n",
      &config);
  EXPECT_EQ(config.doorOpen, 1);
  EXPECT_EQ(config.ready, 0);
  EXPECT_EQ(config.speed, 600);
  ASSERT_EQ(config.hasDisc, 1);
  EXPECT_EQ(config.disc.trackCount, 3);
  EXPECT_EQ(config.disc.start[1], 4500u);
  EXPECT_EQ(config.disc.leadOut, 13500u);
  // A data disc reports one track that runs to the lead-out.
  EXPECT_EQ(config.disc.data, 1);
  EXPECT_EQ(VTrackCount(&config.disc), 1);
  EXPECT_EQ(VTrackEnd(&config.disc, 1), 13500u);
  EXPECT_EQ(VTrackAt(&config.disc, 13000), 1);
  EXPECT_EQ(VMediaUsable(&config), 0);  // door open and not ready

  // An empty file: door closed, ready, no disc, speed 1; a negative speed stops time.
  VParseDriveFile("", &config);
  EXPECT_EQ(config.doorOpen + config.hasDisc, 0);
  EXPECT_EQ(config.ready, 1);
  EXPECT_EQ(config.speed, 1);
  EXPECT_EQ(VMediaUsable(&config), 0);
  VParseDriveFile("[Drive]\nSpeed=-5\nDoor=ajar\n", &config);
  EXPECT_EQ(config.speed, 0);
  EXPECT_EQ(config.doorOpen, 0);
}

// An enhanced CD: three audio tracks, then a data track in a second
// session (11,400 frames after the audio's end).
const char kEnhancedFile[] =
    "[Drive]\nDisc=cdextra\n[Disc.cdextra]\nTracks=4\nTrack1=0:02:00\nTrack2=4:00:00\n"
    "Track3=8:00:00\nTrack4=14:32:00\nLeadOut=20:00:00\nType4=data\nType2=Audio\n";

TEST(DriveFile, TrackTypesMarkTheDataTracksOfAnEnhancedCd) {
  VDriveConfig config;
  VParseDriveFile(kEnhancedFile, &config);
  ASSERT_EQ(config.hasDisc, 1);
  EXPECT_EQ(VTrackCount(&config.disc), 4);
  for (int t = 1; t <= 4; ++t) EXPECT_EQ(VTrackIsData(&config.disc, t), t == 4) << t;
  // Without types every track is audio; a data disc's one track is data.
  VDisc data = ExampleDisc();
  EXPECT_EQ(VTrackIsData(&data, 5), 0);
  data.data = 1;
  EXPECT_EQ(VTrackIsData(&data, 1), 1);
}

TEST(Play, APlayNeverSoundsADataTrack) {
  VDriveConfig config;
  VParseDriveFile(kEnhancedFile, &config);
  const VDisc* disc = &config.disc;
  const uint32_t audio3 = 36000, data4 = 65400, leadOut = 90000;
  VDisc dataDisc = ExampleDisc();
  dataDisc.data = 1;
  const struct {
    const VDisc* disc;
    uint32_t from, to, playedFrom, playedTo;
  } plays[] = {
      {disc, 150, 18000, 150, 18000},            // audio to audio: as asked
      {disc, audio3, leadOut, audio3, data4},    // to the disc's end: up to the data
      {disc, audio3, data4 + 100, audio3, data4},
      {disc, data4, leadOut, leadOut, leadOut},  // the data track: nothing
      {disc, data4 + 75, data4 + 150, leadOut, leadOut},
      {&dataDisc, 150, kLeadOut, kLeadOut, kLeadOut},
  };
  for (const auto& p : plays) {
    uint32_t from = p.from, to = p.to;
    VSkipDataTracks(p.disc, &from, &to);
    EXPECT_EQ(from, p.playedFrom) << p.from << "-" << p.to;
    EXPECT_EQ(to, p.playedTo) << p.from << "-" << p.to;
  }
}

TEST(DriveFile, UnusableTrackTablesMeanNoDisc) {
  const char* tables[] = {
      "",                                                           // no section at all
      "Tracks=0\nTrack1=0:02:00\nLeadOut=1:00:00\n",                // no tracks
      "Tracks=100\nTrack1=0:02:00\nLeadOut=1:00:00\n",              // more than 99
      "Track1=0:02:00\nLeadOut=1:00:00\n",                          // no count
      "Tracks=2\nTrack1=0:02:00\nLeadOut=1:00:00\n",                // a start missing
      "Tracks=2\nTrack1=0:02:00\nTrack2=0:02:00\nLeadOut=1:00:00\n",  // starts not rising
      "Tracks=2\nTrack1=0:30:00\nTrack2=0:10:00\nLeadOut=1:00:00\n",  // starts falling
      "Tracks=1\nTrack1=0:02:00\nLeadOut=0:02:00\n",                // lead-out not after
      "Tracks=1\nTrack1=0:02:00\n",                                 // no lead-out
      "Tracks=1\nTrack1=0:60:00\nLeadOut=1:00:00\n",                // 60 seconds
      "Tracks=1\nTrack1=0:02:75\nLeadOut=1:00:00\n",                // 75 frames
      "Tracks=1\nTrack1=0:02\nLeadOut=1:00:00\n",                   // two fields
      "Tracks=1\nTrack1=0:02:00x\nLeadOut=1:00:00\n",               // trailing junk
      "Tracks=1\nTrack1=0:02:00\nLeadOut=1:00:00\nType1=video\n",   // no such type
  };
  for (const char* table : tables) {
    std::string text = std::string("[Drive]\nDisc=a\n[Disc.a]\n") + table;
    VDriveConfig config;
    VParseDriveFile(text.c_str(), &config);
    EXPECT_EQ(config.hasDisc, 0) << table;
    EXPECT_EQ(VMediaUsable(&config), 0) << table;
  }
  VDriveConfig config;
  VParseDriveFile("[Drive]\nDisc=   ; none\n[Disc.]\nTracks=1\nTrack1=0:02:00\nLeadOut=1:00:00\n",
                  &config);
  EXPECT_EQ(config.hasDisc, 0);
}

TEST(DriveFile, SetDoorReplacesOrAddsTheDoorLine) {
  const char oldLine[] = "Door=closed        ; open or closed";
  std::string expected = kExampleFile;
  expected.replace(expected.find(oldLine), sizeof oldLine - 1, "Door=open");
  EXPECT_EQ(SetDoor(kExampleFile, 1), expected);
  VDriveConfig config;
  VParseDriveFile(expected.c_str(), &config);
  EXPECT_EQ(config.doorOpen, 1);
  EXPECT_EQ(config.hasDisc, 1);

  // A Door key outside [Drive] stays; the one in [Drive] is replaced.
  EXPECT_EQ(SetDoor("[Disc.a]\nDoor=x\n[DRIVE]\ndoor = OPEN\n", 0),
            "[Disc.a]\nDoor=x\n[DRIVE]\nDoor=closed\r\n");
  // Missing in a [Drive] followed by another section: added at the end of [Drive].
  EXPECT_EQ(SetDoor("[Drive]\nReady=1\n[Disc.a]\nTracks=1\n", 1),
            "[Drive]\nReady=1\nDoor=open\r\n[Disc.a]\nTracks=1\n");
  // Missing in a last [Drive] whose last line has no line break.
  EXPECT_EQ(SetDoor("[Drive]\r\nReady=1", 1), "[Drive]\r\nReady=1\r\nDoor=open\r\n");
  // No [Drive] at all, and an empty file.
  EXPECT_EQ(SetDoor("[Disc.a]\nTracks=1", 1), "[Disc.a]\nTracks=1\r\n[Drive]\r\nDoor=open\r\n");
  EXPECT_EQ(SetDoor("", 0), "[Drive]\r\nDoor=closed\r\n");
}

TEST(DriveFile, SetDoorRefusesATooSmallBuffer) {
  const char text[] = "[Drive]\r\nDoor=closed\r\nReady=1\r\n";
  const char result[] = "[Drive]\r\nDoor=open\r\nReady=1\r\n";
  const size_t n = sizeof result - 1;
  char out[64];
  memset(out, 'x', sizeof out);
  EXPECT_EQ(VSetDoorInText(text, 1, out, n + 1), n);
  EXPECT_STREQ(out, result);
  memset(out, 'x', sizeof out);
  EXPECT_EQ(VSetDoorInText(text, 1, out, n), 0u);
  EXPECT_EQ(out[n], 'x');  // nothing written past the buffer
  out[0] = 'x';
  EXPECT_EQ(VSetDoorInText(text, 1, out, 0), 0u);
  EXPECT_EQ(out[0], 'x');
  // Cut while adding the missing line.
  EXPECT_EQ(VSetDoorInText("[Drive]\r\n", 1, out, 12), 0u);
}

TEST(Time, PacksTmsfMsfAndMilliseconds) {
  VDisc disc = ExampleDisc();
  EXPECT_EQ(VPackMsf(0), 0u);
  EXPECT_EQ(VPackMsf(kLeadOut), Msf(19, 59, 10));
  EXPECT_EQ(VPackTmsf(2, 19525), Tmsf(2, 4, 20, 25));
  EXPECT_EQ(VMsFromFrames(75), 1000u);
  EXPECT_EQ(VFramesFromMs(1000), 75u);
  EXPECT_EQ(VMsFromFrames(1), 13u);
  EXPECT_EQ(VFramesFromMs(13), 1u);  // the nearest frame
  EXPECT_EQ(VFramesFromMs(6), 0u);
  EXPECT_EQ(VFramesFromMs(7), 1u);

  EXPECT_EQ(VEncodePosition(&disc, kVFormatTmsf, kStarts[1] + 75), Tmsf(2, 0, 1, 0));
  EXPECT_EQ(VEncodePosition(&disc, kVFormatTmsf, kStarts[2] - 1), Tmsf(2, 4, 20, 24));
  EXPECT_EQ(VEncodePosition(&disc, kVFormatTmsf, 10), Tmsf(1, 0, 0, 0));  // before track 1
  EXPECT_EQ(VEncodePosition(&disc, kVFormatTmsf, kLeadOut), Tmsf(5, 4, 13, 15));
  EXPECT_EQ(VEncodePosition(&disc, kVFormatMsf, kStarts[1]), Msf(3, 10, 15));
  EXPECT_EQ(VEncodePosition(&disc, kVFormatMilliseconds, kStarts[1]), 190200u);
  // A length asked in TMSF answers in the MSF layout.
  EXPECT_EQ(VEncodeLength(kVFormatTmsf, 19525), Msf(4, 20, 25));
  EXPECT_EQ(VEncodeLength(kVFormatMilliseconds, 19525), 260333u);
}

TEST(Time, DecodeUndoesEncodeInEveryFormat) {
  VDisc disc = ExampleDisc();
  const uint32_t frames[] = {150, 151, 152, 14264, 14265, 14266, 33789, 50000, 89934, kLeadOut};
  for (int format : {kVFormatTmsf, kVFormatMsf, kVFormatMilliseconds}) {
    for (uint32_t frame : frames) {
      uint32_t value = VEncodePosition(&disc, format, frame), back = 0;
      ASSERT_EQ(VDecodePosition(&disc, format, value, &back), 1) << format << " " << frame;
      EXPECT_EQ(back, frame) << "format " << format << " value " << value;
    }
  }
  uint32_t frame = 0;
  EXPECT_EQ(VDecodePosition(&disc, kVFormatTmsf, Tmsf(2, 1, 0, 0), &frame), 1);
  EXPECT_EQ(frame, kStarts[1] + 4500);
  EXPECT_EQ(VDecodePosition(&disc, kVFormatMsf, Msf(0, 0, 0), &frame), 1);
  EXPECT_EQ(frame, 0u);
}

TEST(Time, DecodeRefusesPositionsOffTheDisc) {
  VDisc disc = ExampleDisc();
  uint32_t frame = 12345;
  const struct {
    int format;
    uint32_t value;
  } bad[] = {
      {kVFormatTmsf, Tmsf(0, 0, 0, 0)},   {kVFormatTmsf, Tmsf(6, 0, 0, 0)},
      {kVFormatTmsf, Tmsf(1, 0, 60, 0)},  {kVFormatTmsf, Tmsf(1, 0, 0, 75)},
      {kVFormatTmsf, Tmsf(5, 4, 13, 16)}, {kVFormatMsf, Msf(19, 59, 11)},
      {kVFormatMsf, Msf(0, 60, 0)},       {kVFormatMsf, Msf(0, 0, 75)},
      {kVFormatMilliseconds, 1199140},
  };
  for (const auto& b : bad)
    EXPECT_EQ(VDecodePosition(&disc, b.format, b.value, &frame), 0) << b.format << " " << b.value;
  EXPECT_EQ(VDecodePosition(&disc, kVFormatTmsf, Tmsf(5, 4, 13, 15), &frame), 1);
  EXPECT_EQ(VDecodePosition(&disc, kVFormatMilliseconds, 1199133, &frame), 1);
  EXPECT_EQ(frame, kLeadOut);
  // A data disc has only track 1.
  disc.data = 1;
  EXPECT_EQ(VDecodePosition(&disc, kVFormatTmsf, Tmsf(2, 0, 0, 0), &frame), 0);
}

TEST(Play, PositionAndEndFollowTheClock) {
  VPlay play = {kVPlaying, 0, 150, 225, 1000};  // one second from 0:02:00
  EXPECT_EQ(VPlayPosition(&play, 500), 150u);    // before the start
  EXPECT_EQ(VPlayPosition(&play, 1000), 150u);
  EXPECT_EQ(VPlayPosition(&play, 1500), 187u);
  EXPECT_EQ(VPlayPosition(&play, 1999), 224u);
  EXPECT_EQ(VPlayPosition(&play, 2000), 225u);
  EXPECT_EQ(VPlayPosition(&play, 90000), 225u);  // held at the end point
  EXPECT_EQ(VPlayEndMs(&play), 2000u);

  // One frame is 13.3 ms: the end is rounded up to when the position gets there.
  play.to = 151;
  EXPECT_EQ(VPlayEndMs(&play), 1014u);
  EXPECT_EQ(VPlayPosition(&play, 1013), 150u);
  EXPECT_EQ(VPlayPosition(&play, 1014), 151u);
  play.to = 150;
  EXPECT_EQ(VPlayEndMs(&play), 1000u);

  // Not playing: the stored position, whatever the time.
  VPlay paused = {kVPaused, 4000, 150, 225, 1000};
  EXPECT_EQ(VPlayPosition(&paused, 1500), 4000u);
  paused.mode = kVStopped;
  EXPECT_EQ(VPlayPosition(&paused, 1500), 4000u);
}

}  // namespace
