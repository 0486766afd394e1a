// What the spine holds of the host between start-up and shutdown (the main
// window, its hold on the back buffer, the keyboard service and the sound
// stream), and the shutdown that lets them all go.
#pragma once

struct Surface;

// The back buffer's pixels are the machine's; the hold says whether the
// window still owns them. Releasing twice releases once.
void holdBackBuffer();
void releaseBackBuffer();
// The held back buffer, or null once released.
const Surface* heldBackBuffer();

// Releases the keyboard service, the back buffer and the sound stream. Runs
// when the window goes and again after the loop; the second run releases
// nothing.
void shutdownEmulator();
