// The spine of the program: start-up, the loop that takes one host event a
// pass or runs one frame when none waits, and shutdown.
#pragma once

// Process exit status.
constexpr int EXIT_AFTER_CLOSE = 1;
constexpr int EXIT_FAILED_START = -1;

// The whole program; each host's main calls it and returns its result.
int emulatorMain();

// emulatorMain in its three parts, for a host that cannot stay inside a
// loop (a browser page runs passes from its own callbacks). False after a
// failed start, which has then already shown its message and cleaned up.
bool startEmulator();
// After the loop has taken the quit event; the process exit status.
int stopEmulator();

void runMessageLoop();
// One pass of the loop: one event handled, or a frame step when none
// waits. False once the pass took the quit event.
bool messageLoopPass();
void frameStep();
