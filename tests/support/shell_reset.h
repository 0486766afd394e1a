// Puts the shell, the machine and the headless host back to their state at
// program start, for tests and fuzz targets that run the program many times
// in one process.
#pragma once

#include <cstring>

#include "machine/vz200.h"
#include "hosts/headless/host_headless.h"
#include "shell/key_typing.h"
#include "shell/keyboard_service.h"
#include "shell/load_command.h"
#include "shell/resources.h"

inline void resetShell()
{
    headlessReset();
    clearMachine();
    isActive = true;
    mainWindow = nullptr;
    keyboardDevice = nullptr;
    releaseBackBuffer();
    programPath[0] = '\0';
    clearTypedText();
    std::memset(hostKeyState, 0, sizeof hostKeyState);
}
