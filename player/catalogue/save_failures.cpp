#include "player/catalogue/save_failures.h"

#include <cstdio>

#include "common/profile/profile.h"
#include "resources/player/resource.h"

namespace {

struct SaveOutcome {
  char path[MAX_PATH];
  int status;
  int told;
};

SaveOutcome outcomes[kSavedFileKinds];

// Shows a failure's message (with the file and the reason) with the buttons
// given; returns the button chosen.
int ShowFailure(HWND owner, UINT messageId, const SaveOutcome* outcome, UINT buttons) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  char message[400], reason[200], text[MAX_PATH + 600], caption[80];
  LoadStringA(instance, messageId, message, sizeof message);
  LoadStringA(instance, IDS_SAVE_FAILED + static_cast<UINT>(outcome->status - kProfileFailed), reason,
              sizeof reason);
  snprintf(text, sizeof text, message, outcome->path, reason);
  LoadStringA(instance, IDS_SAVE_CAPTION, caption, sizeof caption);
  return MessageBoxA(owner, text, caption, buttons | MB_ICONEXCLAMATION);
}

}  // namespace

void NoteSave(int kind, const char* path, int status) {
  if (kind < 0 || kind >= kSavedFileKinds) return;
  SaveOutcome* outcome = &outcomes[kind];
  if (status < kProfileOk || status > kProfileUnreadable) status = kProfileFailed;
  // The same failure again, with no save between that succeeded, was told.
  const int same = status == outcome->status && lstrcmpiA(path, outcome->path) == 0;
  lstrcpynA(outcome->path, path, sizeof outcome->path);
  if (!same) outcome->told = 0;
  outcome->status = status;
}

void TellSaveFailures(HWND owner) {
  const UINT messages[kSavedFileKinds] = {IDS_CATALOGUE_NOT_SAVED, IDS_SETTINGS_NOT_SAVED};
  for (int kind = 0; kind < kSavedFileKinds; ++kind) {
    SaveOutcome* outcome = &outcomes[kind];
    if (outcome->status == kProfileOk || outcome->told) continue;
    // Marked first: a save the box's own message loop brings about must not
    // tell the same failure again.
    outcome->told = 1;
    ShowFailure(owner, messages[kind], outcome, MB_OK);
  }
}

int AskRetryUnsavedTitles(HWND owner) {
  SaveOutcome* outcome = &outcomes[kCatalogueSave];
  if (outcome->status == kProfileOk) outcome->status = kProfileFailed;
  outcome->told = 1;
  if (ShowFailure(owner, IDS_RETRY_TITLES, outcome, MB_RETRYCANCEL) == IDRETRY) return 1;
  char text[200], caption[80];
  LoadStringA(GetModuleHandleA(nullptr), IDS_TITLES_NOT_SAVED, text, sizeof text);
  LoadStringA(GetModuleHandleA(nullptr), IDS_SAVE_CAPTION, caption, sizeof caption);
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
  return 0;
}
