// The installer's entry point. It reads no arguments.
#include <windows.h>

#include "install/install.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunInstaller(instance); }
