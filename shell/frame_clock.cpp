#include "shell/frame_clock.h"

#include "shell/host.h"

bool perfCounterAvailable = false;
uint32_t ticksPerFrame = FALLBACK_TICKS_PER_FRAME;
int64_t nextFrameTime = 0;
int64_t clockNow = 0;

// The millisecond count wraps after 2^32 ms; carrying the wraps into the high
// half keeps the readings rising, so a deadline set before a wrap is still
// reached after it.
static uint32_t lastMilliseconds = 0;
static int64_t millisecondWraps = 0;

static int64_t readMilliseconds()
{
    uint32_t now = hostMilliseconds();
    if (now < lastMilliseconds) millisecondWraps += int64_t{1} << 32;
    lastMilliseconds = now;
    return millisecondWraps + now;
}

static int64_t readClock() { return perfCounterAvailable ? hostPerformanceCounter() : readMilliseconds(); }

void initFrameClock()
{
    int64_t frequency = 0;
    clockNow = 0;
    if (hostPerformanceFrequency(frequency)) {
        perfCounterAvailable = true;
        ticksPerFrame = static_cast<uint32_t>(frequency / FRAMES_PER_SECOND);
        nextFrameTime = hostPerformanceCounter();
    } else {
        perfCounterAvailable = false;
        ticksPerFrame = FALLBACK_TICKS_PER_FRAME;
        lastMilliseconds = 0;
        millisecondWraps = 0;
        nextFrameTime = readMilliseconds();
    }
}

bool frameDeadlineReached() { return readClock() >= nextFrameTime; }

void waitForFrame()
{
    // clockNow is the reading that ended the previous wait, a period before
    // this deadline, so the clock is always read at least once.
    while (clockNow < nextFrameTime) clockNow = readClock();
    nextFrameTime = clockNow + int64_t{ticksPerFrame};
}
