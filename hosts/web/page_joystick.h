// The page's joysticks: the first two gamepads the browser knows, as the
// page reads them once per frame, and the stick drawn on the page (stick 1),
// held by pointers as the page's keys are. The page reports; the rules
// (dead zones, which directions a place on the drawn pad means, a quick tap
// held until the machine has seen it) are page_joystick.cpp's.
#pragma once

#include <cstdint>

#include "machine/joystick.h"
#include "shell/screen_keyboard.h"

// A pointer on the drawn stick: on its pad, where the place under it
// decides the directions, or on one control's button.
struct StickPointer {
    bool down;
    int id;
    uint8_t controls;  // the bits of machine/joystick.h it holds
};

struct PageSticks {
    uint8_t gamepads[STICK_COUNT];  // the controls each gamepad held at its last reading
    StickPointer pointers[SCREEN_POINTER_COUNT];
    // Stick 1's controls on the page let go before the machine had seen
    // them for KEY_HELD_FRAMES frames: still down for it until it has.
    uint8_t releaseWaiting;
    uint8_t framesSeen[STICK_CONTROL_COUNT];  // since each went down
};

// Every pointer off the drawn stick, as when the page goes behind.
void forgetPageSticks();
