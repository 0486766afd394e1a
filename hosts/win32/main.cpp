// tessel.exe: the emulator on Windows, over the Win32 host.
#define WIN32_LEAN_AND_MEAN
#include "hosts/win32/host_win32.h"
#include "shell/emulator.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    // The command line is not used.
    win32Start = Win32Start{instance, showCommand};
    return emulatorMain();
}
