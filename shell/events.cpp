#include "shell/events.h"

#include <algorithm>
#include <cstring>

#include "shell/shell.h"

void postHostEvent(const HostEvent& event)
{
    EventQueue& q = shell.events;
    if (q.count == EVENT_QUEUE_SIZE) return;
    // A text needs its NUL at least: with no room for that, the event goes
    // as a full queue's would.
    size_t room = EVENT_TEXT_SPACE - q.textUsed;
    if (event.text && room == 0) return;
    HostEvent& queued = q.events[(q.first + q.count) % EVENT_QUEUE_SIZE];
    queued = event;
    if (event.text) {
        // A text longer than the room left is cut there; typing cuts far
        // less, and no path is that long.
        size_t length = std::min(event.length, room - 1);
        char* copy = q.text + q.textUsed;
        std::memcpy(copy, event.text, length);
        copy[length] = '\0';
        q.textUsed += length + 1;
        queued.text = copy;
        queued.length = length;
    }
    ++q.count;
}

bool takeHostEvent(HostEvent& event)
{
    EventQueue& q = shell.events;
    if (q.count == 0) {
        // No event is being handled between passes, so no text is in use.
        q.textUsed = 0;
        if (!q.quitRequested) return false;
        q.quitRequested = false;
        event = HostEvent{.kind = HostEventKind::Quit};
        return true;
    }
    event = q.events[q.first];
    q.first = (q.first + 1) % EVENT_QUEUE_SIZE;
    --q.count;
    return true;
}

bool hostEventWaiting() { return shell.events.count > 0 || shell.events.quitRequested; }

void requestQuit() { shell.events.quitRequested = true; }
