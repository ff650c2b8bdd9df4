#include "player/device/cd_device.h"

#include <mmsystem.h>

namespace {

const char kErrorCaption[] = "Corvane CD Player - Error";
const char kUnknownError[] = "Unknown Error!";

MCIDEVICEID Device(UINT deviceId) { return LOWORD(deviceId); }

MCIERROR SetTimeFormat(UINT deviceId, DWORD format, DWORD flags) {
  MCI_SET_PARMS set = {};
  set.dwTimeFormat = format;
  return mciSendCommandA(Device(deviceId), MCI_SET, MCI_SET_TIME_FORMAT | flags,
                         reinterpret_cast<DWORD_PTR>(&set));
}

// Asks for the time format every time-dependent command needs: the table
// of contents leaves the device in MSF, the disc's length in milliseconds.
MCIERROR SetTmsf(UINT deviceId, DWORD flags) { return SetTimeFormat(deviceId, MCI_FORMAT_TMSF, flags); }

MCIERROR StatusItem(UINT deviceId, DWORD item, DWORD* value) {
  MCI_STATUS_PARMS status = {};
  status.dwItem = item;
  MCIERROR err = mciSendCommandA(Device(deviceId), MCI_STATUS, MCI_STATUS_ITEM,
                                 reinterpret_cast<DWORD_PTR>(&status));
  if (err == 0) *value = static_cast<DWORD>(status.dwReturn);
  return err;
}

// The length of track t, or of the whole disc for t = 0.
MCIERROR TrackLength(UINT deviceId, int track, DWORD* lengthMsf) {
  MCI_STATUS_PARMS status = {};
  status.dwItem = MCI_STATUS_LENGTH;
  status.dwTrack = static_cast<DWORD>(track);
  MCIERROR err = mciSendCommandA(Device(deviceId), MCI_STATUS, MCI_STATUS_ITEM | (track ? MCI_TRACK : 0),
                                 reinterpret_cast<DWORD_PTR>(&status));
  if (err == 0) *lengthMsf = static_cast<DWORD>(status.dwReturn);
  return err;
}

// An item of one track (MCI_STATUS_POSITION, MCI_CDA_STATUS_TYPE_TRACK).
MCIERROR TrackItem(UINT deviceId, DWORD item, DWORD track, DWORD* value) {
  MCI_STATUS_PARMS status = {};
  status.dwItem = item;
  status.dwTrack = track;
  MCIERROR err = mciSendCommandA(Device(deviceId), MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK,
                                 reinterpret_cast<DWORD_PTR>(&status));
  if (err == 0) *value = static_cast<DWORD>(status.dwReturn);
  return err;
}

MCIERROR SeekTo(UINT deviceId, DWORD flags, DWORD position) {
  MCI_SEEK_PARMS seek = {};
  seek.dwTo = position;
  return mciSendCommandA(Device(deviceId), MCI_SEEK, MCI_TO | flags,
                         reinterpret_cast<DWORD_PTR>(&seek));
}

// Shows the box for a failed command; returns whether it failed.
int Failed(HWND owner, MCIERROR err) {
  if (err == 0) return 0;
  CDShowError(owner, err);
  return 1;
}

// Whether a failed query failed for want of a ready drive with a disc in
// it: the disc went out, or the drive stopped being ready, after the ready
// answer. Such a failure is no error to show: the disc watch tells it.
int DriveLeft(UINT deviceId, MCIERROR err) {
  DWORD present = 1;
  return LOWORD(err) == MCIERR_DEVICE_NOT_READY ||
         (StatusItem(deviceId, MCI_STATUS_MEDIA_PRESENT, &present) == 0 && LOWORD(present) == 0);
}

// Shows the box for a failed query unless the disc has left; returns
// whether it failed.
int QueryFailed(HWND owner, UINT deviceId, MCIERROR err) {
  if (err == 0) return 0;
  if (!DriveLeft(deviceId, err)) CDShowError(owner, err);
  return 1;
}

// The length of track t (or of the disc for t = 0) in the MSF layout: 1, or
// 0 after an error box.
int AskLength(HWND owner, UINT deviceId, int track, DWORD* lengthMsf) {
  if (Failed(owner, SetTmsf(deviceId, 0))) return 0;
  return Failed(owner, TrackLength(deviceId, track, lengthMsf)) ? 0 : 1;
}

// A play of the current track with a notification at its end: from its
// start (or from where the disc stands) to the end its length gives, or to
// the end of its intro.
void PlayToTrackEnd(HWND notifyWindow, UINT deviceId, int fromStart, int introSeconds) {
  DWORD track = 0, length = 0;
  if (Failed(notifyWindow, SetTmsf(deviceId, 0))) return;
  if (Failed(notifyWindow, StatusItem(deviceId, MCI_STATUS_CURRENT_TRACK, &track))) return;
  if (Failed(notifyWindow, TrackLength(deviceId, static_cast<int>(track), &length))) return;
  MCI_PLAY_PARMS play = {};
  play.dwCallback = reinterpret_cast<DWORD_PTR>(notifyWindow);
  play.dwFrom = track & 0xFF;
  play.dwTo = introSeconds > 0 ? TrackIntroEnd(static_cast<int>(track), length, introSeconds)
                               : TrackPlayEnd(static_cast<int>(track), length);
  const DWORD from = fromStart ? MCI_FROM : 0;
  Failed(notifyWindow, mciSendCommandA(Device(deviceId), MCI_PLAY, MCI_NOTIFY | from | MCI_TO,
                                       reinterpret_cast<DWORD_PTR>(&play)));
}

}  // namespace

UINT CDOpen(HWND owner, const char* drive) {
  MCI_OPEN_PARMSA open = {};
  open.lpstrDeviceType = "cdaudio";
  // The cdaudio drivers take the drive as the element: "E:".
  DWORD element = drive && *drive ? MCI_OPEN_ELEMENT : 0;
  open.lpstrElementName = element ? drive : nullptr;
  if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | element | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)))
    return 0;
  UINT id = open.wDeviceID;
  SetTmsf(id, 0);  // a failure to set the format is ignored
  if (SeekTo(id, 0, 1) != 0) {
    CDClose(owner, id);
    return 0;
  }
  return id;
}

int CDClose(HWND owner, UINT deviceId) {
  return Failed(owner, mciSendCommandA(Device(deviceId), MCI_CLOSE, 0, 0)) ? 0 : 1;
}

void CDOpenDoor(HWND owner, UINT deviceId) {
  MCI_SET_PARMS set = {};
  Failed(owner, mciSendCommandA(Device(deviceId), MCI_SET, MCI_SET_DOOR_OPEN,
                                reinterpret_cast<DWORD_PTR>(&set)));
}

int CDIsPlaying(HWND owner, UINT deviceId) {
  DWORD mode = 0;
  if (Failed(owner, SetTmsf(deviceId, 0))) return 0;
  if (Failed(owner, StatusItem(deviceId, MCI_STATUS_MODE, &mode))) return 0;
  return mode == MCI_MODE_PLAY;
}

int CDPlayTrack(HWND notifyWindow, UINT deviceId, int introSeconds) {
  PlayToTrackEnd(notifyWindow, deviceId, 1, introSeconds);
  return 0;
}

int CDPlayOn(HWND notifyWindow, UINT deviceId) {
  PlayToTrackEnd(notifyWindow, deviceId, 0, 0);
  return 0;
}

int CDStopRewind(HWND owner, UINT deviceId) {
  DWORD track = 0;
  if (Failed(owner, StatusItem(deviceId, MCI_STATUS_CURRENT_TRACK, &track))) return 0;
  MCI_GENERIC_PARMS stop = {};
  if (Failed(owner, mciSendCommandA(Device(deviceId), MCI_STOP, 0,
                                    reinterpret_cast<DWORD_PTR>(&stop))))
    return 0;
  SetTmsf(deviceId, MCI_WAIT);
  Failed(owner, SeekTo(deviceId, MCI_WAIT, TrackSeekPosition(static_cast<int>(track))));
  return 0;
}

int CDPauseResume(HWND owner, UINT deviceId) {
  DWORD mode = 0;
  if (Failed(owner, StatusItem(deviceId, MCI_STATUS_MODE, &mode))) return 0;
  if (mode == MCI_MODE_STOP) {
    // A paused disc reports itself stopped: play on from where it stands,
    // with no end point and no notification.
    MCI_PLAY_PARMS play = {};
    Failed(owner, mciSendCommandA(Device(deviceId), MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play)));
    return 0;
  }
  MCI_GENERIC_PARMS pause = {};
  if (Failed(owner, mciSendCommandA(Device(deviceId), MCI_PAUSE, 0,
                                    reinterpret_cast<DWORD_PTR>(&pause))))
    return 0;
  return 1;
}

int CDSeekTrack(HWND, int track, UINT deviceId) {
  SetTmsf(deviceId, 0);
  SeekTo(deviceId, MCI_WAIT, TrackSeekPosition(track));
  return 1;
}

int CDPollPosition(HWND owner, UINT deviceId, int* track, DWORD* positionTmsf) {
  DWORD current = 0, position = 0;
  if (!CDIsReady(owner, deviceId)) return 0;
  if (QueryFailed(owner, deviceId, StatusItem(deviceId, MCI_STATUS_CURRENT_TRACK, &current))) return 0;
  SetTmsf(deviceId, MCI_WAIT);
  if (QueryFailed(owner, deviceId, StatusItem(deviceId, MCI_STATUS_POSITION, &position))) return 0;
  *track = static_cast<int>(current);
  *positionTmsf = position;
  return 1;
}

DWORD CDMediaPresent(HWND, UINT deviceId) {
  DWORD present = 0;
  return StatusItem(deviceId, MCI_STATUS_MEDIA_PRESENT, &present) == 0 ? present : 0;
}

int CDIsReady(HWND owner, UINT deviceId) {
  DWORD mode = 0;
  if (Failed(owner, StatusItem(deviceId, MCI_STATUS_MODE, &mode))) return 0;
  return mode != MCI_MODE_NOT_READY;
}

int CDTrackLength(HWND owner, UINT deviceId, int track, DWORD* lengthMsf) {
  return AskLength(owner, deviceId, track, lengthMsf);
}

int CDDiscLength(HWND owner, UINT deviceId, DWORD* lengthMsf) { return AskLength(owner, deviceId, 0, lengthMsf); }

int CDTrackLengthText(HWND owner, UINT deviceId, int track, char* text) {
  DWORD length = 0;
  if (!CDTrackLength(owner, deviceId, track, &length)) return 0;
  FormatTrackLengthText(length, text, 20);
  return 1;
}

int CDTrackCount(UINT deviceId) {
  DWORD count = 0;
  if (Device(deviceId) == 0) return 0;
  return StatusItem(deviceId, MCI_STATUS_NUMBER_OF_TRACKS, &count) == 0 ? static_cast<int>(count) : 0;
}

int CDReadTableOfContents(UINT deviceId, DiscToc* toc) {
  DWORD count = 0, length = 0;
  toc->trackCount = 0;
  if (Device(deviceId) == 0 || StatusItem(deviceId, MCI_STATUS_NUMBER_OF_TRACKS, &count) != 0 || count < 1 ||
      count > kTocMaxTracks)
    return 0;
  if (SetTimeFormat(deviceId, MCI_FORMAT_MSF, MCI_WAIT) != 0) return 0;
  for (DWORD t = 1; t <= count; ++t) {
    DWORD start = 0, type = 0;
    if (TrackItem(deviceId, MCI_STATUS_POSITION, t, &start) != 0 ||
        TrackItem(deviceId, MCI_CDA_STATUS_TYPE_TRACK, t, &type) != 0)
      return 0;
    toc->starts[t - 1] = FramesFromMsf(start);
    // Drivers answer the type as a resource (the type in the low word, a
    // string for it in the high word) or as the bare type.
    toc->audio[t - 1] = LOWORD(type) == MCI_CDA_TRACK_AUDIO;
  }
  if (TrackLength(deviceId, 0, &length) != 0) return 0;
  // The cdaudio device reports a disc one frame short of its lead-out, as
  // the CD database's notes for clients say.
  toc->leadOut = toc->starts[0] + FramesFromMsf(length) + 1;
  toc->trackCount = static_cast<int>(count);
  return 1;
}

int CDDiscLengthMs(UINT deviceId, DWORD* lengthMs) {
  if (Device(deviceId) == 0 || SetTimeFormat(deviceId, MCI_FORMAT_MILLISECONDS, MCI_WAIT) != 0) return 0;
  return TrackLength(deviceId, 0, lengthMs) == 0;
}

int CDShowError(HWND owner, DWORD error) {
  char text[256];
  if (!mciGetErrorStringA(error, text, sizeof text)) lstrcpynA(text, kUnknownError, sizeof text);
  return MessageBoxA(owner, text, kErrorCaption, MB_ICONERROR | MB_OK);
}
