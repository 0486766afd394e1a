// Frame pacing: every frame is held back until its deadline on the host
// clock, so frames reach the window at most fifty times a second.
#pragma once

#include <cstdint>

#include "machine/vz200.h"

constexpr uint32_t FALLBACK_TICKS_PER_FRAME = 1000 / FRAMES_PER_SECOND;  // milliseconds

struct FrameClock {
    bool perfCounterAvailable = false;
    uint32_t ticksPerFrame = FALLBACK_TICKS_PER_FRAME;
    int64_t nextFrameTime = 0;
    int64_t clockNow = 0;
    // The millisecond count wraps after 2^32 ms; carrying the wraps into
    // the high half keeps the readings rising, so a deadline set before a
    // wrap is still reached after it.
    uint32_t lastMilliseconds = 0;
    int64_t millisecondWraps = 0;
};

// Chooses the time source and makes "now" the first deadline.
void initFrameClock();
// Whether waitForFrame would return at its first reading: a host that
// cannot spin (a browser page) steps a frame only once this holds. Reads
// the clock without moving the deadline.
bool frameDeadlineReached();
// Clock ticks from now to the deadline; zero or less once it has come.
int64_t ticksToFrameDeadline();
// Spins until the deadline, then sets the next one a period after the
// reading that saw it: a late frame is never made up.
void waitForFrame();
