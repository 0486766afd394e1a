// The Windows program's entry: a GUI process takes its instance and show
// command from WinMain; the command line is not used.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "shell/emulator.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return emulatorMain(reinterpret_cast<HostInstance>(instance), showCommand);
}
