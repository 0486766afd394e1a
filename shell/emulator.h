// The spine of the program: start-up, the message loop that runs one frame
// whenever no message waits, and shutdown.
#pragma once

#include <cstdint>

#include "shell/host.h"
#include "z80/z80.h"

constexpr int32_t CYCLES_PER_FRAME = 71600;  // a fiftieth of a second at 3.58 MHz

// Process exit status.
constexpr int EXIT_AFTER_CLOSE = 1;
constexpr int EXIT_FAILED_START = -1;

// The machine files, read from the current directory; the open replacements
// built into the program stand in for missing ones.
constexpr const char* ROM_FILE = "vzrom.v20";
constexpr const char* FONT_FILE = "vz200.fnt";

extern Z80State z80;
extern bool isActive;  // the application is in front; the keyboard is read only then

// The whole program; each host's main() calls it and returns its result.
int emulatorMain(HostInstance instance, int showCommand);

void startMachine();
void runMessageLoop();
void frameStep();
// Runs at WM_DESTROY and again after the loop; the second run releases nothing.
void shutdownEmulator();
