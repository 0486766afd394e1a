// The spine's queue of host events: hosts post what their toolkit reports,
// and the loop takes one a pass, between frames. Texts are copied into the
// queue's own space, so a host can let its copy go at once.
#pragma once

#include <cstddef>

#include "shell/host.h"
#include "shell/key_typing.h"

constexpr int EVENT_QUEUE_SIZE = 64;
// Room for the longest text typing takes, and a path or two beside it.
constexpr size_t EVENT_TEXT_SPACE = TYPING_CAPACITY + 8192;

struct EventQueue {
    HostEvent events[EVENT_QUEUE_SIZE];
    int first, count;
    // The texts of the waiting events, one after the other; the space is
    // used again once a pass finds the queue empty.
    char text[EVENT_TEXT_SPACE];
    size_t textUsed;
    // As on Windows, the request to quit becomes the Quit event once no
    // other event waits.
    bool quitRequested;
};

// The next event, first in first out; false when none waits. The event's
// text stays valid until the next take.
bool takeHostEvent(HostEvent& event);
bool hostEventWaiting();
void requestQuit();
