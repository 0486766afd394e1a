// The spine of the program: start-up, the message loop that runs one frame
// whenever no message waits, and shutdown.
#pragma once

#include "shell/host.h"

// Process exit status.
constexpr int EXIT_AFTER_CLOSE = 1;
constexpr int EXIT_FAILED_START = -1;

// The whole program; each host's main() calls it and returns its result.
int emulatorMain(HostInstance instance, int showCommand);

// emulatorMain in its three parts, for a host that cannot stay inside a
// loop (a browser page runs passes from its own callbacks). False after a
// failed start, which has then already shown its message and cleaned up.
bool startEmulator(HostInstance instance, int showCommand);
// After the loop has taken the quit message; the process exit status.
int stopEmulator();

void runMessageLoop();
// One pass of the loop: one message handled, or a frame step when none
// waits. False once the pass took the quit message.
bool messageLoopPass();
void frameStep();
