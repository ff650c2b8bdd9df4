#include "player/shell/player_state.h"

HINSTANCE appInstance;
PlayerSettings playerSettings;
DiscInfo discInfo;
HWND mainWindow;
HWND callbackWindow;
uint16_t deviceId;
int deviceOpen;
int setupDone;
int viewRecreated;
int savedOrderIndex;
int doorOpen;
int paused;
int propertiesOpen;
int trackEndPending;
