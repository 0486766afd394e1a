// What the shell holds of the host between start-up and shutdown: the main
// window's handle and its hold on the back buffer (the keyboard service and
// the sound hold their own), and the shutdown that lets them all go.
#pragma once

#include "shell/host.h"

struct Surface;

extern HostWindow mainWindow;  // null until created

// The back buffer's pixels are static; the hold says whether the window
// still owns them. Releasing twice releases once.
void holdBackBuffer();
void releaseBackBuffer();
// The held back buffer, or null once released.
const Surface* heldBackBuffer();

// Releases the keyboard service, the back buffer and the sound stream. Runs
// at WM_DESTROY and again after the loop; the second run releases nothing.
void shutdownEmulator();
