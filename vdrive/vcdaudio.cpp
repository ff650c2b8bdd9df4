// vcdaudio.dll: an MCI driver for the device type "cdaudio" that plays a
// virtual disc. It answers the player's real mciSendCommand calls the way a
// CD-ROM drive's driver does, so the player and its tests run where no drive
// exists. An open may name a drive letter ("E:"), as real cdaudio drivers
// take it: each letter is a drive of its own, and an open without one gets
// the first CD drive. A drive's contents come from its drive file or from
// the control API; every command and notification can be logged
// (VDRIVE_LOG).
#define VDRIVE_BUILDING
#include "vdrive_api.h"
#include "vdrive_core.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <cstdio>
#include <cstring>
#include <string>

// WINMM exports these to drivers, but mingw's headers do not declare them.
extern "C" {
DWORD_PTR WINAPI mciGetDriverData(MCIDEVICEID id);
BOOL WINAPI mciSetDriverData(MCIDEVICEID id, DWORD_PTR data);
BOOL WINAPI mciDriverNotify(HANDLE callback, MCIDEVICEID id, UINT status);
}

namespace {

enum {
  kFileTextSize = 16384,
  kMaxFaults = 16,
  // Slot 0 is the first CD drive, which an open without a letter gets;
  // slot n is the drive of the letter 'A' + n - 1 when that is another one.
  kDriveSlots = 27,
};

// What the first DRV_OPEN (the driver's session, without a device) returns;
// the loader hands it back with that session's DRV_CLOSE. MCI device ids are
// 16-bit, so it can never name a device: closing the session must not free
// the data of whatever device holds some small id.
const DWORD_PTR kSessionId = 0x10000;

struct Fault {
  UINT command;
  DWORD match;
  DWORD error;
};

// One drive. Each open of the device adds only its own time format and the
// drive it was opened on (Instance).
struct Drive {
  char letter;  // 0 for the first CD drive
  VDriveConfig config;
  VPlay play;
  char fileText[kFileTextSize];  // the drive file as last applied
  int fileSeen;
  uint64_t virtualMs;  // each drive's clock runs at its own speed
  uint64_t lastRealMs;
  int notifyPending;
  HWND notifyWindow;
  MCIDEVICEID notifyDevice;
  UINT_PTR timer;
};

struct Instance {
  MCIDEVICEID id;
  int format;
  Drive* drive;
};

// What the drives share: the clock's mode, the faults to inject, the log,
// and the drive the control API acts on. Zero until first used.
struct Shared {
  int ready;
  Drive drives[kDriveSlots];
  int manualClock;
  Fault faults[kMaxFaults];
  int faultCount;
  std::string log;
  Drive* selected;
};
Shared shared;

void ResetDrive(int slot) {
  Drive* d = &shared.drives[slot];
  *d = Drive{};
  d->letter = slot == 0 ? '\0' : static_cast<char>('A' + slot - 1);
  d->config.ready = 1;
  d->config.speed = 1;
}

// The drives, set up the first time they are needed.
Drive* Drives() {
  if (!shared.ready) {
    for (int i = 0; i < kDriveSlots; ++i) ResetDrive(i);
    shared.selected = &shared.drives[0];
    shared.ready = 1;
  }
  return shared.drives;
}

Drive* Selected() {
  Drives();
  return shared.selected;
}

// The letter of the first drive the system reports as a CD drive, or 0.
char FirstCdLetter() {
  DWORD drives = GetLogicalDrives();
  for (int n = 0; n < 26; ++n) {
    char root[] = {static_cast<char>('A' + n), ':', '\\', '\0'};
    if ((drives >> n & 1) && GetDriveTypeA(root) == DRIVE_CDROM) return root[0];
  }
  return '\0';
}

// The drive of a letter (any case); 0 or the first CD drive's letter give
// the first CD drive.
Drive* DriveOf(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z' || letter == FirstCdLetter()) return &Drives()[0];
  return &Drives()[letter - 'A' + 1];
}

void PollPlay(Drive* d);

uint64_t Now(Drive* d) {
  if (shared.manualClock) return d->virtualMs;
  uint64_t real = GetTickCount64();
  if (d->lastRealMs != 0) d->virtualMs += (real - d->lastRealMs) * d->config.speed;
  d->lastRealMs = real;
  return d->virtualMs;
}

// ---- command log ----------------------------------------------------------

const char* CommandName(UINT msg) {
  switch (msg) {
    case MCI_OPEN_DRIVER: return "MCI_OPEN";
    case MCI_CLOSE_DRIVER: return "MCI_CLOSE";
    case MCI_PLAY: return "MCI_PLAY";
    case MCI_SEEK: return "MCI_SEEK";
    case MCI_STOP: return "MCI_STOP";
    case MCI_PAUSE: return "MCI_PAUSE";
    case MCI_RESUME: return "MCI_RESUME";
    case MCI_SET: return "MCI_SET";
    case MCI_STATUS: return "MCI_STATUS";
    case MCI_GETDEVCAPS: return "MCI_GETDEVCAPS";
    case MCI_INFO: return "MCI_INFO";
    default: return nullptr;
  }
}

void AppendLine(const char* line) {
  shared.log += line;
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VDRIVE_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
  CloseHandle(file);
}

// One line per command: its name, flags, the parameters that apply, the
// error returned and the value returned.
// A value returned as a resource shows as the caller sees it (its low word).
// The lines of a drive other than the first CD drive name its letter.
int LogStart(Drive* d, char* line, size_t size) {
  if (d->letter) return snprintf(line, size, "t=%llu drive=%c", static_cast<unsigned long long>(Now(d)), d->letter);
  return snprintf(line, size, "t=%llu", static_cast<unsigned long long>(Now(d)));
}

void LogCommand(Drive* d, UINT msg, DWORD_PTR flags, DWORD_PTR parms, DWORD result, int hasReturn) {
  DWORD error = LOWORD(result);
  char line[256], name[16];
  const char* cmd = CommandName(msg);
  if (!cmd) {
    snprintf(name, sizeof name, "0x%X", msg);
    cmd = name;
  }
  int n = LogStart(d, line, sizeof line);
  n += snprintf(line + n, sizeof line - static_cast<size_t>(n), " cmd=%s flags=0x%lX", cmd,
                static_cast<unsigned long>(flags));
  auto add = [&](const char* key, unsigned long value) {
    n += snprintf(line + n, sizeof line - static_cast<size_t>(n), " %s=%lu", key, value);
  };
  if (parms) {
    if (msg == MCI_STATUS) {
      auto* p = reinterpret_cast<MCI_STATUS_PARMS*>(parms);
      if (flags & MCI_STATUS_ITEM) add("item", p->dwItem);
      if (flags & MCI_TRACK) add("track", p->dwTrack);
    } else if (msg == MCI_PLAY) {
      auto* p = reinterpret_cast<MCI_PLAY_PARMS*>(parms);
      if (flags & MCI_FROM) add("from", p->dwFrom);
      if (flags & MCI_TO) add("to", p->dwTo);
    } else if (msg == MCI_SEEK) {
      auto* p = reinterpret_cast<MCI_SEEK_PARMS*>(parms);
      if (flags & MCI_TO) add("to", p->dwTo);
    } else if (msg == MCI_SET) {
      auto* p = reinterpret_cast<MCI_SET_PARMS*>(parms);
      if (flags & MCI_SET_TIME_FORMAT) add("format", p->dwTimeFormat);
    } else if (msg == MCI_GETDEVCAPS) {
      add("item", reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(parms)->dwItem);
    }
  }
  add("err", error);
  if (hasReturn && error == 0 && parms) {
    DWORD_PTR ret = msg == MCI_STATUS ? reinterpret_cast<MCI_STATUS_PARMS*>(parms)->dwReturn
                                      : reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(parms)->dwReturn;
    if (result & MCI_RESOURCE_RETURNED) ret = LOWORD(ret);
    add("ret", static_cast<unsigned long>(ret));
  }
  snprintf(line + n, sizeof line - static_cast<size_t>(n), "\n");
  AppendLine(line);
}

// ---- notifications ----------------------------------------------------------

void SendNotify(Drive* d, HWND window, MCIDEVICEID id, UINT code) {
  char line[96];
  int n = LogStart(d, line, sizeof line);
  snprintf(line + n, sizeof line - static_cast<size_t>(n), " cmd=NOTIFY code=%u\n", code);
  AppendLine(line);
  mciDriverNotify(window, id, code);
}

// Ends the pending notification, if any, with the given code.
void EndPending(Drive* d, UINT code) {
  if (!d->notifyPending) return;
  d->notifyPending = 0;
  SendNotify(d, d->notifyWindow, d->notifyDevice, code);
}

// ---- play and clock ---------------------------------------------------------

void KillPlayTimer(Drive* d) {
  if (d->timer) KillTimer(nullptr, d->timer);
  d->timer = 0;
}

void CALLBACK PlayTimerProc(HWND, UINT, UINT_PTR timer, DWORD) {
  for (Drive& d : shared.drives) {
    if (d.timer == timer) PollPlay(&d);
  }
}

// In real time a thread timer wakes the driver when the play reaches its end,
// so the notification comes without any further command.
void ArmPlayTimer(Drive* d) {
  KillPlayTimer(d);
  if (shared.manualClock || d->play.mode != kVPlaying || d->config.speed == 0) return;
  uint64_t now = Now(d), end = VPlayEndMs(&d->play);
  uint64_t wait = end > now ? (end - now + d->config.speed - 1) / d->config.speed : 0;
  d->timer = SetTimer(nullptr, 0, static_cast<UINT>(wait < 1 ? 1 : wait), PlayTimerProc);
}

// Settles a play that has reached its end point by now.
void SettlePlay(Drive* d) {
  if (d->play.mode != kVPlaying) return;
  uint64_t now = Now(d);
  if (now < VPlayEndMs(&d->play)) return;
  d->play.frame = d->play.to;
  d->play.mode = kVStopped;
  KillPlayTimer(d);
  EndPending(d, MCI_NOTIFY_SUCCESSFUL);
}

uint32_t CurrentFrame(Drive* d) { return VPlayPosition(&d->play, Now(d)); }

// Stops whatever runs, leaving the position where it is.
void HaltPlay(Drive* d, int paused) {
  if (d->play.mode == kVPlaying) {
    d->play.frame = CurrentFrame(d);
    d->play.mode = paused ? kVPaused : kVStopped;
  } else if (!paused) {
    d->play.mode = kVStopped;
  }
  KillPlayTimer(d);
}

// ---- drive file ---------------------------------------------------------------

// The first CD drive's file is named by VDRIVE_FILE, else it is vdrive.ini
// in the Windows directory; the drive of letter X has VDRIVE_FILE_X, else
// vdrive-X.ini there.
int DriveFilePath(const Drive* d, char* path, DWORD size) {
  char variable[16] = "VDRIVE_FILE", name[16] = "\\vdrive.ini";
  if (d->letter) {
    snprintf(variable, sizeof variable, "VDRIVE_FILE_%c", d->letter);
    snprintf(name, sizeof name, "\\vdrive-%c.ini", d->letter);
  }
  DWORD n = GetEnvironmentVariableA(variable, path, size);
  if (n > 0 && n < size) return 1;
  UINT w = GetWindowsDirectoryA(path, size);
  if (w == 0 || w + strlen(name) >= size) return 0;
  strcat(path, name);
  return 1;
}

// Reads the drive file; 0 when it does not exist.
int ReadDriveFile(const Drive* d, char* text, DWORD size) {
  char path[MAX_PATH];
  if (!DriveFilePath(d, path, sizeof path)) return 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD got = 0;
  if (!ReadFile(file, text, size - 1, &got, nullptr)) got = 0;
  text[got] = '\0';
  CloseHandle(file);
  return 1;
}

void WriteDriveFile(const Drive* d, const char* text) {
  char path[MAX_PATH];
  if (!DriveFilePath(d, path, sizeof path)) return;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(file);
}

// Puts a new state into the drive. A play that cannot go on ends: aborted
// when the door opened, failed when the disc went away or the drive stopped
// being ready.
void ApplyConfig(Drive* d, const VDriveConfig& next) {
  SettlePlay(d);
  Now(d);  // time so far runs at the old speed
  int wasUsable = VMediaUsable(&d->config);
  int sameDisc = d->config.hasDisc == next.hasDisc &&
                 memcmp(&d->config.disc, &next.disc, sizeof next.disc) == 0;
  int doorOpened = next.doorOpen && !d->config.doorOpen;
  d->config = next;
  int usable = VMediaUsable(&d->config);
  if (wasUsable && !(usable && sameDisc)) {
    HaltPlay(d, 0);
    EndPending(d, doorOpened ? MCI_NOTIFY_ABORTED : MCI_NOTIFY_FAILURE);
  }
  if (!(wasUsable && usable && sameDisc)) {
    d->play.mode = kVStopped;
    d->play.frame = d->config.hasDisc ? d->config.disc.start[0] : 0;
  }
  ArmPlayTimer(d);
}

// Notices a changed drive file; called at every command.
void SyncDriveFile(Drive* d) {
  static char text[kFileTextSize];
  if (!ReadDriveFile(d, text, sizeof text)) {
    if (d->fileSeen) {
      d->fileSeen = 0;
      d->fileText[0] = '\0';
      VDriveConfig empty{};
      empty.ready = 1;
      empty.speed = 1;
      ApplyConfig(d, empty);
    }
    return;
  }
  if (d->fileSeen && strcmp(text, d->fileText) == 0) return;
  d->fileSeen = 1;
  memcpy(d->fileText, text, sizeof text);
  VDriveConfig next;
  VParseDriveFile(text, &next);
  ApplyConfig(d, next);
}

// An eject or a door close by command shows in the drive file, so a harness
// sees what the player did.
void SetDoor(Drive* d, int open) {
  VDriveConfig next = d->config;
  next.doorOpen = open;
  ApplyConfig(d, next);
  if (!d->fileSeen) return;
  static char text[kFileTextSize + 64];
  if (VSetDoorInText(d->fileText, open, text, sizeof text) == 0) return;
  WriteDriveFile(d, text);
  snprintf(d->fileText, sizeof d->fileText, "%s", text);
}

void PollPlay(Drive* d) {
  KillPlayTimer(d);
  SyncDriveFile(d);
  SettlePlay(d);
  ArmPlayTimer(d);
}

// ---- commands -------------------------------------------------------------------

DWORD TakeFault(UINT msg, DWORD_PTR flags, DWORD_PTR parms) {
  UINT command = msg == MCI_OPEN_DRIVER ? MCI_OPEN : msg == MCI_CLOSE_DRIVER ? MCI_CLOSE : msg;
  for (int i = 0; i < shared.faultCount; ++i) {
    const Fault& f = shared.faults[i];
    if (f.command != command) continue;
    DWORD_PTR value = flags;
    if (msg == MCI_STATUS && parms) value = reinterpret_cast<MCI_STATUS_PARMS*>(parms)->dwItem;
    int matches = msg == MCI_STATUS ? (f.match == 0 || value == f.match)
                                    : (f.match & value) == f.match;
    if (!matches) continue;
    DWORD error = f.error;
    memmove(&shared.faults[i], &shared.faults[i + 1],
            sizeof(Fault) * static_cast<size_t>(shared.faultCount - i - 1));
    --shared.faultCount;
    return error;
  }
  return 0;
}

// A new command that asks for a notification supersedes the pending one.
void TakeNotify(Drive* d, DWORD_PTR flags, HWND callback, MCIDEVICEID id, int untilPlayEnds) {
  if (!(flags & MCI_NOTIFY)) return;
  EndPending(d, MCI_NOTIFY_SUPERSEDED);
  if (untilPlayEnds) {
    d->notifyPending = 1;
    d->notifyWindow = callback;
    d->notifyDevice = id;
  } else {
    SendNotify(d, callback, id, MCI_NOTIFY_SUCCESSFUL);
  }
}

template <typename T>
DWORD Boolean(T* out, int value) {
  *out = value ? MAKEMCIRESOURCE(TRUE, MCI_TRUE) : MAKEMCIRESOURCE(FALSE, MCI_FALSE);
  return MCI_RESOURCE_RETURNED;
}

DWORD PositionReturn(int format) {
  return format == kVFormatTmsf  ? MCI_COLONIZED4_RETURN
         : format == kVFormatMsf ? MCI_COLONIZED3_RETURN
                                 : 0;
}

DWORD Status(Instance* inst, DWORD_PTR flags, MCI_STATUS_PARMS* p) {
  if (!p) return MCIERR_NULL_PARAMETER_BLOCK;
  if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
  Drive* d = inst->drive;
  const VDisc* disc = &d->config.disc;
  int usable = VMediaUsable(&d->config);
  switch (p->dwItem) {
    case MCI_STATUS_MODE: {
      WORD mode = d->play.mode == kVPlaying ? MCI_MODE_PLAY : MCI_MODE_STOP;
      if (!usable) mode = d->config.doorOpen ? MCI_MODE_OPEN : MCI_MODE_NOT_READY;
      p->dwReturn = MAKEMCIRESOURCE(mode, mode);
      return MCI_RESOURCE_RETURNED;
    }
    case MCI_STATUS_MEDIA_PRESENT:
    case MCI_STATUS_READY:
      return Boolean(&p->dwReturn, usable);
    case MCI_STATUS_TIME_FORMAT:
      p->dwReturn = MAKEMCIRESOURCE(inst->format, inst->format + MCI_FORMAT_RETURN_BASE);
      return MCI_RESOURCE_RETURNED;
  }
  if (!usable) return MCIERR_DEVICE_NOT_READY;
  int t = static_cast<int>(p->dwTrack);
  if ((flags & MCI_TRACK) && (t < 1 || t > VTrackCount(disc))) return MCIERR_OUTOFRANGE;
  switch (p->dwItem) {
    case MCI_STATUS_NUMBER_OF_TRACKS:
      p->dwReturn = static_cast<DWORD>(VTrackCount(disc));
      return 0;
    case MCI_STATUS_CURRENT_TRACK:
      p->dwReturn = static_cast<DWORD>(VTrackAt(disc, CurrentFrame(d)));
      return 0;
    case MCI_STATUS_POSITION: {
      uint32_t frame = CurrentFrame(d);
      if (flags & MCI_TRACK) frame = disc->start[t - 1];
      else if (flags & MCI_STATUS_START) frame = disc->start[0];
      p->dwReturn = VEncodePosition(disc, inst->format, frame);
      return PositionReturn(inst->format);
    }
    case MCI_STATUS_LENGTH: {
      uint32_t frames = flags & MCI_TRACK ? VTrackEnd(disc, t) - disc->start[t - 1]
                                          : disc->leadOut - disc->start[0];
      p->dwReturn = VEncodeLength(inst->format, frames);
      return inst->format == kVFormatMilliseconds ? 0 : MCI_COLONIZED3_RETURN;
    }
    case MCI_CDA_STATUS_TYPE_TRACK: {
      if (!(flags & MCI_TRACK)) return MCIERR_MISSING_PARAMETER;
      WORD type = VTrackIsData(disc, t) ? MCI_CDA_TRACK_OTHER : MCI_CDA_TRACK_AUDIO;
      p->dwReturn = MAKEMCIRESOURCE(type, type);
      return MCI_RESOURCE_RETURNED;
    }
  }
  return MCIERR_UNSUPPORTED_FUNCTION;
}

// Turns a position argument into a frame on the disc.
DWORD Decode(Instance* inst, DWORD value, uint32_t* frame) {
  const VDisc* disc = &inst->drive->config.disc;
  if (!VDecodePosition(disc, inst->format, value, frame)) return MCIERR_OUTOFRANGE;
  if (*frame < disc->start[0]) *frame = disc->start[0];
  return 0;
}

DWORD Play(Instance* inst, DWORD_PTR flags, MCI_PLAY_PARMS* p) {
  Drive* d = inst->drive;
  if (!VMediaUsable(&d->config)) return MCIERR_DEVICE_NOT_READY;
  if ((flags & (MCI_FROM | MCI_TO)) && !p) return MCIERR_NULL_PARAMETER_BLOCK;
  uint32_t from = CurrentFrame(d), to = d->config.disc.leadOut;
  DWORD err = 0;
  if (flags & MCI_FROM) err = Decode(inst, p->dwFrom, &from);
  if (!err && (flags & MCI_TO)) err = Decode(inst, p->dwTo, &to);
  if (!err && from > to) err = MCIERR_OUTOFRANGE;
  if (err) return err;
  // A play of a data track succeeds and plays nothing: it ends at once.
  VSkipDataTracks(&d->config.disc, &from, &to);
  if (flags & MCI_NOTIFY)
    TakeNotify(d, flags, reinterpret_cast<HWND>(p ? p->dwCallback : 0), inst->id, 1);
  else
    EndPending(d, MCI_NOTIFY_ABORTED);
  d->play.mode = kVPlaying;
  d->play.from = from;
  d->play.to = to;
  d->play.startMs = Now(d);
  SettlePlay(d);  // an empty play ends at once
  ArmPlayTimer(d);
  return 0;
}

DWORD Seek(Instance* inst, DWORD_PTR flags, MCI_SEEK_PARMS* p) {
  Drive* d = inst->drive;
  if (!VMediaUsable(&d->config)) return MCIERR_DEVICE_NOT_READY;
  DWORD_PTR targets = flags & (MCI_TO | MCI_SEEK_TO_START | MCI_SEEK_TO_END);
  if (targets == 0) return MCIERR_MISSING_PARAMETER;
  if (targets & (targets - 1)) return MCIERR_FLAGS_NOT_COMPATIBLE;
  uint32_t frame = d->config.disc.start[0];
  if (flags & MCI_SEEK_TO_END) frame = d->config.disc.leadOut;
  if (flags & MCI_TO) {
    if (!p) return MCIERR_NULL_PARAMETER_BLOCK;
    DWORD err = Decode(inst, p->dwTo, &frame);
    if (err) return err;
  }
  HaltPlay(d, 0);
  d->play.frame = frame;
  if (!(flags & MCI_NOTIFY)) EndPending(d, MCI_NOTIFY_ABORTED);
  return 0;
}

DWORD StopOrPause(Drive* d, DWORD_PTR flags, int pause) {
  if (!VMediaUsable(&d->config)) return MCIERR_DEVICE_NOT_READY;
  HaltPlay(d, pause);
  if (!(flags & MCI_NOTIFY)) EndPending(d, MCI_NOTIFY_ABORTED);
  return 0;
}

DWORD Set(Instance* inst, DWORD_PTR flags, MCI_SET_PARMS* p) {
  DWORD_PTR known = MCI_SET_TIME_FORMAT | MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED;
  if (flags & ~(known | MCI_NOTIFY | MCI_WAIT)) return MCIERR_UNSUPPORTED_FUNCTION;
  if (!(flags & known)) return MCIERR_MISSING_PARAMETER;
  if ((flags & MCI_SET_DOOR_OPEN) && (flags & MCI_SET_DOOR_CLOSED))
    return MCIERR_FLAGS_NOT_COMPATIBLE;
  if (flags & MCI_SET_TIME_FORMAT) {
    if (!p) return MCIERR_NULL_PARAMETER_BLOCK;
    DWORD f = p->dwTimeFormat;
    if (f != kVFormatMilliseconds && f != kVFormatMsf && f != kVFormatTmsf)
      return MCIERR_BAD_TIME_FORMAT;
    inst->format = static_cast<int>(f);
  }
  if (flags & MCI_SET_DOOR_OPEN) SetDoor(inst->drive, 1);
  if (flags & MCI_SET_DOOR_CLOSED) SetDoor(inst->drive, 0);
  return 0;
}

DWORD GetDevCaps(DWORD_PTR flags, MCI_GETDEVCAPS_PARMS* p) {
  if (!p) return MCIERR_NULL_PARAMETER_BLOCK;
  if (!(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
  switch (p->dwItem) {
    case MCI_GETDEVCAPS_HAS_AUDIO:
    case MCI_GETDEVCAPS_CAN_EJECT:
    case MCI_GETDEVCAPS_CAN_PLAY:
      return Boolean(&p->dwReturn, 1);
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_HAS_VIDEO:
    case MCI_GETDEVCAPS_USES_FILES:
    case MCI_GETDEVCAPS_COMPOUND_DEVICE:
    case MCI_GETDEVCAPS_CAN_SAVE:
      return Boolean(&p->dwReturn, 0);
    case MCI_GETDEVCAPS_DEVICE_TYPE:
      p->dwReturn = MAKEMCIRESOURCE(MCI_DEVTYPE_CD_AUDIO, MCI_DEVTYPE_CD_AUDIO);
      return MCI_RESOURCE_RETURNED;
  }
  return MCIERR_UNSUPPORTED_FUNCTION;
}

DWORD Info(DWORD_PTR flags, MCI_INFO_PARMSW* p) {
  static const WCHAR product[] = L"Virtual CD Audio Drive";
  if (!p || !p->lpstrReturn) return MCIERR_NULL_PARAMETER_BLOCK;
  if (!(flags & MCI_INFO_PRODUCT)) return MCIERR_UNSUPPORTED_FUNCTION;
  size_t n = wcslen(product);
  if (p->dwRetSize <= n) return MCIERR_PARAM_OVERFLOW;
  memcpy(p->lpstrReturn, product, (n + 1) * sizeof(WCHAR));
  return 0;
}

// The open takes the drive its element names, the way real cdaudio drivers
// take "D:" (only the letter counts); without an element, the first CD drive.
DWORD BindDrive(Instance* inst, DWORD_PTR flags, MCI_OPEN_PARMSW* p) {
  if (!(flags & MCI_OPEN_ELEMENT)) return 0;
  if (!p || !p->lpstrElementName) return MCIERR_NULL_PARAMETER_BLOCK;
  if (flags & MCI_OPEN_ELEMENT_ID) return MCIERR_FLAGS_NOT_COMPATIBLE;
  WCHAR letter = p->lpstrElementName[0];
  if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return MCIERR_INVALID_FILE;
  inst->drive = DriveOf(static_cast<char>(letter));
  return 0;
}

// Runs one MCI command; returns the error in the low word and the return
// type (MCI_RESOURCE_RETURNED, MCI_COLONIZED...) in the high word.
DWORD Command(Instance* inst, UINT msg, DWORD_PTR flags, DWORD_PTR parms) {
  auto* generic = reinterpret_cast<MCI_GENERIC_PARMS*>(parms);
  HWND callback = reinterpret_cast<HWND>(generic ? generic->dwCallback : 0);
  DWORD result = msg == MCI_OPEN_DRIVER ? BindDrive(inst, flags, reinterpret_cast<MCI_OPEN_PARMSW*>(parms)) : 0;
  Drive* d = inst->drive;
  SyncDriveFile(d);
  SettlePlay(d);
  if (result == 0) result = TakeFault(msg, flags, parms);
  if (result == 0) {
    switch (msg) {
      case MCI_OPEN_DRIVER: break;
      case MCI_CLOSE_DRIVER:
        if (d->notifyPending && d->notifyDevice == inst->id) EndPending(d, MCI_NOTIFY_ABORTED);
        break;
      case MCI_STATUS: result = Status(inst, flags, reinterpret_cast<MCI_STATUS_PARMS*>(parms)); break;
      case MCI_PLAY: result = Play(inst, flags, reinterpret_cast<MCI_PLAY_PARMS*>(parms)); break;
      case MCI_SEEK: result = Seek(inst, flags, reinterpret_cast<MCI_SEEK_PARMS*>(parms)); break;
      case MCI_STOP: result = StopOrPause(d, flags, 0); break;
      case MCI_PAUSE: result = StopOrPause(d, flags, 1); break;
      case MCI_SET: result = Set(inst, flags, reinterpret_cast<MCI_SET_PARMS*>(parms)); break;
      case MCI_GETDEVCAPS:
        result = GetDevCaps(flags, reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(parms));
        break;
      case MCI_INFO: result = Info(flags, reinterpret_cast<MCI_INFO_PARMSW*>(parms)); break;
      case MCI_RESUME: result = MCIERR_UNSUPPORTED_FUNCTION; break;
      default: result = MCIERR_UNRECOGNIZED_COMMAND; break;
    }
  }
  DWORD error = LOWORD(result);
  LogCommand(d, msg, flags, parms, result, msg == MCI_STATUS || msg == MCI_GETDEVCAPS);
  // Every successful command but a play (which notifies at its end) reports
  // at once to a caller that asked.
  if (error == 0 && msg != MCI_PLAY && msg != MCI_CLOSE_DRIVER)
    TakeNotify(d, flags, callback, inst->id, 0);
  if (error == 0 && msg == MCI_CLOSE_DRIVER && (flags & MCI_NOTIFY))
    SendNotify(d, callback, inst->id, MCI_NOTIFY_SUCCESSFUL);
  return result;
}

LRESULT OpenInstance(LPARAM p2) {
  auto* open = reinterpret_cast<MCI_OPEN_DRIVER_PARMS*>(p2);
  if (!open) return kSessionId;  // the first DRV_OPEN only asks whether the driver opens
  auto* inst = static_cast<Instance*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Instance)));
  if (!inst) return 0;
  inst->id = open->wDeviceID;
  inst->format = kVFormatMsf;  // a cdaudio device opens in MSF
  inst->drive = &Drives()[0];
  open->wType = MCI_DEVTYPE_CD_AUDIO;
  open->wCustomCommandTable = MCI_NO_COMMAND_TABLE;
  mciSetDriverData(open->wDeviceID, reinterpret_cast<DWORD_PTR>(inst));
  return open->wDeviceID;
}

void CloseInstance(DWORD_PTR id) {
  auto* inst = reinterpret_cast<Instance*>(mciGetDriverData(static_cast<MCIDEVICEID>(id)));
  if (!inst) return;
  mciSetDriverData(static_cast<MCIDEVICEID>(id), 0);
  HeapFree(GetProcessHeap(), 0, inst);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR driver, UINT msg,
                                                           LPARAM p1, LPARAM p2) {
  switch (msg) {
    case DRV_LOAD:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_QUERYCONFIGURE:
      return msg != DRV_QUERYCONFIGURE;
    case DRV_FREE:
      for (Drive& d : shared.drives) KillPlayTimer(&d);
      return 1;
    case DRV_OPEN: return OpenInstance(p2);
    case DRV_CLOSE:
      if (id != kSessionId) CloseInstance(id);
      return 1;
    case DRV_CONFIGURE:
    case DRV_INSTALL:
    case DRV_REMOVE:
      return DRVCNF_OK;
  }
  if (msg < DRV_MCI_FIRST || msg > DRV_MCI_LAST) return DefDriverProc(id, driver, msg, p1, p2);
  auto* inst = reinterpret_cast<Instance*>(mciGetDriverData(static_cast<MCIDEVICEID>(id)));
  if (!inst) return MCIERR_INVALID_DEVICE_ID;
  return Command(inst, msg, static_cast<DWORD_PTR>(p1), static_cast<DWORD_PTR>(p2));
}

// ---- control API -------------------------------------------------------------------

VDRIVE_API void VDriveReset(void) {
  for (int i = 0; i < kDriveSlots; ++i) {
    KillPlayTimer(&Drives()[i]);
    ResetDrive(i);  // the log of a reset drive starts at t=0
  }
  shared.selected = &shared.drives[0];
  shared.manualClock = 0;
  shared.faultCount = 0;
  shared.log.clear();
}

VDRIVE_API void VDriveSelect(int letter) { shared.selected = DriveOf(static_cast<char>(letter)); }

VDRIVE_API int VDriveLoadDisc(int trackCount, const unsigned* startFrames, unsigned leadOut,
                              int data) {
  return VDriveLoadMixedDisc(trackCount, startFrames, leadOut, data, nullptr);
}

VDRIVE_API int VDriveLoadMixedDisc(int trackCount, const unsigned* startFrames, unsigned leadOut,
                                   int data, const int* dataTracks) {
  if (trackCount < 1 || trackCount > kVMaxTracks || !startFrames) return 0;
  Drive* d = Selected();
  VDriveConfig next = d->config;
  memset(&next.disc, 0, sizeof next.disc);
  for (int t = 0; t < trackCount; ++t) {
    if (t > 0 && startFrames[t] <= startFrames[t - 1]) return 0;
    next.disc.start[t] = startFrames[t];
    next.disc.dataTrack[t] = dataTracks && dataTracks[t];
  }
  if (leadOut <= startFrames[trackCount - 1]) return 0;
  next.disc.trackCount = trackCount;
  next.disc.leadOut = leadOut;
  next.disc.data = data != 0;
  next.hasDisc = 1;
  next.doorOpen = 0;
  ApplyConfig(d, next);
  return 1;
}

VDRIVE_API void VDriveRemoveDisc(void) {
  VDriveConfig next = Selected()->config;
  next.hasDisc = 0;
  memset(&next.disc, 0, sizeof next.disc);
  ApplyConfig(Selected(), next);
}

VDRIVE_API void VDriveSetDoor(int open) {
  VDriveConfig next = Selected()->config;
  next.doorOpen = open != 0;
  ApplyConfig(Selected(), next);
}

VDRIVE_API void VDriveSetReady(int ready) {
  VDriveConfig next = Selected()->config;
  next.ready = ready != 0;
  ApplyConfig(Selected(), next);
}

VDRIVE_API void VDriveUseManualClock(int manual) {
  Drives();
  for (Drive& d : shared.drives) Now(&d);
  shared.manualClock = manual != 0;
  for (Drive& d : shared.drives) {
    d.lastRealMs = manual ? 0 : GetTickCount64();
    ArmPlayTimer(&d);
  }
}

VDRIVE_API void VDriveAdvance(unsigned milliseconds) {
  if (!shared.manualClock) return;
  Drives();
  for (Drive& d : shared.drives) {
    d.virtualMs += milliseconds;
    SettlePlay(&d);
  }
}

VDRIVE_API unsigned VDriveNow(void) { return static_cast<unsigned>(Now(Selected())); }

VDRIVE_API void VDriveFailNext(unsigned command, unsigned long match, unsigned long error) {
  if (shared.faultCount >= kMaxFaults) return;
  shared.faults[shared.faultCount++] = Fault{command, match, error};
}

VDRIVE_API int VDriveReadLog(char* buffer, int size) {
  if (buffer && size > 0) snprintf(buffer, static_cast<size_t>(size), "%s", shared.log.c_str());
  return static_cast<int>(shared.log.size());
}

VDRIVE_API void VDriveClearLog(void) { shared.log.clear(); }
