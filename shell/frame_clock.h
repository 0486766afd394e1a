// Frame pacing: every frame is held back until its deadline on the host
// clock, so frames reach the window at most fifty times a second.
#pragma once

#include <cstdint>

#include "machine/vz200.h"
constexpr uint32_t FALLBACK_TICKS_PER_FRAME = 1000 / FRAMES_PER_SECOND;  // milliseconds

extern bool perfCounterAvailable;
extern uint32_t ticksPerFrame;
extern int64_t nextFrameTime;
extern int64_t clockNow;

// Chooses the time source and makes "now" the first deadline.
void initFrameClock();
// Whether waitForFrame would return at its first reading: a host that
// cannot spin (a browser page) steps a frame only once this holds. Reads
// the clock without moving the deadline.
bool frameDeadlineReached();
// Spins until the deadline, then sets the next one a period after the
// reading that saw it: a late frame is never made up.
void waitForFrame();
