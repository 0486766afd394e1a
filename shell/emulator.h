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
// A frame step without its sound, its wait and its picture, for a host that
// runs frames as fast as it can (the page while a tape plays): the host
// presents the last one itself. Nothing is queued meanwhile, so the paced
// steps after it find the sound run dry and start it again from silence,
// and their first deadline long gone, so none is made up.
void unpacedFrameStep();
