// The host keyboard service: a snapshot of the host keys once per frame,
// The host keyboard service: a snapshot of the host keys once per frame,
// with typed text pressed on top, while the application is in front; and
// beside it the snapshot of the joysticks. The keys of a screen keyboard
// (shell/screen_keyboard.h) count the snapshots they are in.
#pragma once

#include <cstdint>

#include "machine/joystick.h"
#include "machine/keyboard.h"
#include "shell/host.h"

struct KeyboardService {
    bool open = false;  // opened, or tried: a failed open may hold something too
    uint8_t hostKeyState[HOST_KEY_COUNT] = {};  // the last snapshot that could be read
    uint8_t frameKeys[HOST_KEY_COUNT] = {};     // the snapshot with the typed keys on top
    // The keys of a host that reports them one at a time.
    uint8_t reportedKeys[HOST_KEY_COUNT] = {};
};

// False when the host's keys cannot be read.
bool initHostKeyboard(HostWindow window);
// Safe to call again when already closed.
void releaseHostKeyboard();
// The frame's key snapshot: the host's keys, or the last ones that could be
// read, with typed text pressed on top.
const uint8_t* pollKeyboard();

// The frame's stick snapshot, as the host reads it.
const StickInput* pollSticks();
