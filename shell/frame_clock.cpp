#include "shell/frame_clock.h"

#include "shell/host.h"
#include "shell/shell.h"

static int64_t readMilliseconds()
{
    FrameClock& c = shell.frameClock;
    uint32_t now = hostMilliseconds();
    if (now < c.lastMilliseconds) c.millisecondWraps += int64_t{1} << 32;
    c.lastMilliseconds = now;
    return c.millisecondWraps + now;
}

static int64_t readClock()
{
    return shell.frameClock.perfCounterAvailable ? hostPerformanceCounter() : readMilliseconds();
}

void initFrameClock()
{
    FrameClock& c = shell.frameClock;
    int64_t frequency = 0;
    c.clockNow = 0;
    if (hostPerformanceFrequency(frequency)) {
        c.perfCounterAvailable = true;
        c.ticksPerFrame = static_cast<uint32_t>(frequency / FRAMES_PER_SECOND);
        c.nextFrameTime = hostPerformanceCounter();
    } else {
        c.perfCounterAvailable = false;
        c.ticksPerFrame = FALLBACK_TICKS_PER_FRAME;
        c.lastMilliseconds = 0;
        c.millisecondWraps = 0;
        c.nextFrameTime = readMilliseconds();
    }
}

bool frameDeadlineReached() { return ticksToFrameDeadline() <= 0; }

int64_t ticksToFrameDeadline() { return shell.frameClock.nextFrameTime - readClock(); }

void waitForFrame()
{
    FrameClock& c = shell.frameClock;
    // clockNow is the reading that ended the previous wait, a period before
    // this deadline, so the clock is always read at least once.
    while (c.clockNow < c.nextFrameTime) c.clockNow = readClock();
    c.nextFrameTime = c.clockNow + int64_t{c.ticksPerFrame};
}
