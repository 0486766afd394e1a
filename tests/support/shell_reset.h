// Puts the program back to its state at start, for tests and fuzz targets
// that run it many times in one process: the spine's record, the machine's
// and the headless host's, and a key source that opens.
#pragma once

#include "hosts/headless/host_headless.h"
#include "machine/vz200.h"
#include "shell/main_window.h"
#include "shell/shell.h"

inline void resetProgram()
{
    resetShell();
    reportedKeysRefuseToOpen = false;
    clearMachine();
    headlessReset();
}

// Hands each waiting event to the spine's handler, as passes of the loop
// would, without the frames.
inline void handleWaitingEvents()
{
    HostEvent event;
    while (shell.events.count > 0 && takeHostEvent(event)) mainWindowProc(event);
}
