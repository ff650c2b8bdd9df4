// Control functions of the virtual CD drive (vcdaudio.dll), for tests that
// run in the same process as the driver. A test that links the DLL shares
// the instance WINMM loads, so these act on the drive its MCI commands see.
#pragma once

#ifdef VDRIVE_BUILDING
#define VDRIVE_API extern "C" __declspec(dllexport)
#else
#define VDRIVE_API extern "C" __declspec(dllimport)
#endif

// Every drive empty, door closed, ready, real clock at virtual time 0, no
// faults, empty log, the first CD drive selected; the drive files (if any)
// are read afresh at the next command.
VDRIVE_API void VDriveReset(void);
// The functions below that set up a drive or read its clock act on the
// drive of this letter ('E'); 0, or the letter of the first CD drive,
// selects the first CD drive, which an open without a letter gets.
VDRIVE_API void VDriveSelect(int letter);
// Puts a disc in the drive and closes the door: trackCount absolute start
// frames (75 a second) and the lead-out. Returns 0 for an unusable table.
VDRIVE_API int VDriveLoadDisc(int trackCount, const unsigned* startFrames, unsigned leadOut,
                              int data);
// The same for a disc that mixes audio and data tracks (an enhanced CD):
// dataTracks[t] nonzero (when dataTracks is given) makes track t + 1 a data
// track. A data disc (data nonzero) reports one data track whatever they say.
VDRIVE_API int VDriveLoadMixedDisc(int trackCount, const unsigned* startFrames, unsigned leadOut,
                                   int data, const int* dataTracks);
VDRIVE_API void VDriveRemoveDisc(void);
VDRIVE_API void VDriveSetDoor(int open);
VDRIVE_API void VDriveSetReady(int ready);
// Manual clock, for every drive: virtual time moves only by VDriveAdvance;
// a play that reaches its end there posts its notification at once.
VDRIVE_API void VDriveUseManualClock(int manual);
VDRIVE_API void VDriveAdvance(unsigned milliseconds);
VDRIVE_API unsigned VDriveNow(void);
// The next command `command` (MCI_PLAY, MCI_STATUS, ...) whose status item
// (for MCI_STATUS) or flags (for the others) match `match` fails with `error`.
// match 0 matches any. Faults queue up in order.
VDRIVE_API void VDriveFailNext(unsigned command, unsigned long match, unsigned long error);
// Copies the command log of all drives (lines ending in "\n"; those of a
// drive other than the first CD drive name it, "drive=E") into buffer, cut
// to size - 1; returns the whole log's length.
VDRIVE_API int VDriveReadLog(char* buffer, int size);
VDRIVE_API void VDriveClearLog(void);
