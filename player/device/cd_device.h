// The CD audio device layer: every command the player sends to the "cdaudio"
// device. Each function takes the 16-bit device id CDOpen returned (only its
// low 16 bits are used) and, where a failure is shown, the window that owns
// the error box. The layer keeps no state of its own: every command whose
// arguments or answers depend on the time format sets the format first, so
// none depends on the format another left the device in.
#pragma once

#include <windows.h>

#include "player/device/cd_core.h"

// Opens the device, sets TMSF and seeks to track 1. Returns the device id,
// or 0 (silently) when the open fails or there is no playable disc. A drive
// ("E:") opens that drive; none (or "") the first CD drive.
UINT CDOpen(HWND owner, const char* drive = nullptr);
// Closes the device. 1, or 0 after an error box.
int CDClose(HWND owner, UINT deviceId);
// Ejects the disc.
void CDOpenDoor(HWND owner, UINT deviceId);
// 1 while the device plays.
int CDIsPlaying(HWND owner, UINT deviceId);
// Plays the current track from its start to its length in whole seconds,
// or only its first introSeconds when that is shorter and not 0, notifying
// notifyWindow at the end. Error boxes are owned by notifyWindow.
int CDPlayTrack(HWND notifyWindow, UINT deviceId, int introSeconds = 0);
// Plays on from where the disc stands to the end of the current track (in
// whole seconds), notifying notifyWindow there; the new end replaces the
// end of the play that runs.
int CDPlayOn(HWND notifyWindow, UINT deviceId);
// Stops and seeks back to the start of the current track.
int CDStopRewind(HWND owner, UINT deviceId);
// Resumes a stopped (paused) disc and returns 0, or pauses and returns 1.
int CDPauseResume(HWND owner, UINT deviceId);
// Seeks to the start of track; silent, always 1.
int CDSeekTrack(HWND owner, int track, UINT deviceId);
// The current track and the position (TMSF), for the LED displays: 1, or
// 0 when the drive is not ready or holds no disc (silently, also when the
// disc goes out between the ready answer and the position) or after an
// error box (track and position untouched).
int CDPollPosition(HWND owner, UINT deviceId, int* track, DWORD* positionTmsf);
// Nonzero when a disc is in the drive; silent.
DWORD CDMediaPresent(HWND owner, UINT deviceId);
// 1 unless the device reports "not ready".
int CDIsReady(HWND owner, UINT deviceId);
// The length of a track, and of the whole disc, in the MSF layout: 1, or
// 0 after an error box (the length untouched).
int CDTrackLength(HWND owner, UINT deviceId, int track, DWORD* lengthMsf);
int CDDiscLength(HWND owner, UINT deviceId, DWORD* lengthMsf);
// Writes " (m:ss)" for the track's length into text (at least 20 chars).
int CDTrackLengthText(HWND owner, UINT deviceId, int track, char* text);
// Number of tracks; 0 for device id 0 or a failed query.
int CDTrackCount(UINT deviceId);
// The disc's table of contents, for the disc's identities: each track's
// start and type and the lead-out, in frames from the start of the disc.
// 1, or 0 silently when the device cannot tell any of it or the disc has
// more than kTocMaxTracks tracks (toc->trackCount is then 0).
int CDReadTableOfContents(UINT deviceId, DiscToc* toc);
// The disc's length as the device gives it in milliseconds: 1, or 0
// silently.
int CDDiscLengthMs(UINT deviceId, DWORD* lengthMs);
// Shows the device error box for an MCI error code.
int CDShowError(HWND owner, DWORD error);
