#include "player/panel/media_keys_core.h"

#include "resources/player/resource.h"

MediaKey MediaKeyOfAppCommand(unsigned command) {
  switch (command) {
    case kAppCommandPlayPause: return kMediaPlayPause;
    case kAppCommandPlay: return kMediaPlay;
    case kAppCommandPause: return kMediaPause;
    case kAppCommandStop: return kMediaStop;
    case kAppCommandNextTrack: return kMediaNext;
    case kAppCommandPreviousTrack: return kMediaPrevious;
  }
  return kNoMediaKey;
}

MediaKey MediaKeyOfVirtualKey(unsigned key) {
  switch (key) {
    case kKeyPlayPause: return kMediaPlayPause;
    case kKeyStop: return kMediaStop;
    case kKeyNextTrack: return kMediaNext;
    case kKeyPreviousTrack: return kMediaPrevious;
  }
  return kNoMediaKey;
}

int MediaKeyButton(MediaKey key, const TransportState* state) {
  // Stopped, Play is enabled; playing or paused, Pause is, and it pauses or
  // resumes.
  switch (key) {
    case kMediaPlayPause: return state->play ? IDC_PLAY : state->pause ? IDC_PAUSE : 0;
    case kMediaPlay: return state->play ? IDC_PLAY : state->pause && state->paused ? IDC_PAUSE : 0;
    case kMediaPause: return !state->play && state->pause && !state->paused ? IDC_PAUSE : 0;
    case kMediaStop: return state->stop ? IDC_STOP : 0;
    case kMediaNext: return state->forward ? IDC_FORWARD_SKIP : 0;
    case kMediaPrevious: return state->reverse ? IDC_REVERSE_SKIP : 0;
    case kNoMediaKey: break;
  }
  return 0;
}
