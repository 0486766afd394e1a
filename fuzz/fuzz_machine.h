// The whole emulator on the headless host, started once per fuzzing process
// and put back to the same booted state before every input, so that each
// input replays alone.
#pragma once

#include <cstdint>

// Starts the machine (open ROM unless the folder has the machine files) and
// runs it to its prompt; later calls only restore that state: the machine,
// the window, the keyboard and the headless host.
void restoreBootedMachine();

// Handles every waiting event without running a frame. False when one of
// them was the quit event.
bool drainEvents();
