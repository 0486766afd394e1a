// The browser host's clock, shared by the host and the web program's main,
// which tells the page how long until the next frame is due.
#pragma once

#include <cstdint>

// The host's clock counts microseconds (the page's clock has no finer grain).
constexpr int64_t WEB_CLOCK_TICKS_PER_SECOND = 1000000;
constexpr int64_t WEB_CLOCK_TICKS_PER_MILLISECOND = WEB_CLOCK_TICKS_PER_SECOND / 1000;

// A program waiting for its frame (webLoadBeforeFrame) is not loaded after all.
void forgetScheduledLoad();
