// The browser host's state, all of it, in one record, shared by the host and
// the web program's main; and the host's clock, by which main tells the page
// how long until the next frame is due.
#pragma once

#include <cstdint>

#include "hosts/web/page_joystick.h"
#include "machine/video.h"

// The host's clock counts microseconds (the page's clock has no finer grain).
constexpr int64_t WEB_CLOCK_TICKS_PER_SECOND = 1000000;
constexpr int64_t WEB_CLOCK_TICKS_PER_MILLISECOND = WEB_CLOCK_TICKS_PER_SECOND / 1000;

constexpr int WEB_CANVAS_PIXELS = BACK_BUFFER_WIDTH * BACK_BUFFER_HEIGHT;

// The page is the one window there is.
struct HostWindowRecord {
    bool exists;
};

// Web Audio has one stream, the page's.
struct HostAudioRecord {};

struct WebHost {
    HostWindowRecord window;
    HostAudioRecord audio;
    bool running = false;  // from a good start until the loop takes the quit
    // The page's Pause: the passes take the page's events, and no frame runs.
    bool paused = false;
    // The browser's file chooser is open: like a modal dialog, it holds the
    // frames back until it closes.
    bool chooserOpen = false;
    bool pageFocused = true;
    PageSticks sticks{};  // page_joystick.cpp's
    uint8_t canvasPixels[WEB_CANVAS_PIXELS * 4] = {};  // the picture as the canvas takes it
};

extern WebHost web;
