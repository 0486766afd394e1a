// What the front end's keyboard and RetroPad press on the VZ200: the
// keyboard by key identity, as the desktop program takes it, and each pad
// button on the key the user picks for it in the core's options.
#pragma once

#include <cstdint>

#include "hosts/libretro/libretro.h"
#include "machine/keyboard.h"

// A RetroPad button and its option.
struct PadButton {
    unsigned id;
    const char* optionKey;
    const char* name;
    const char* defaultValue;
};

constexpr int PAD_BUTTON_COUNT = 12;
extern const PadButton padButtons[PAD_BUTTON_COUNT];

constexpr uint8_t NO_KEY = 0;  // a button left unused; no DIK code is 0

// Each key of the machine's table (machine/key_table.h) is an option value:
// its name in lower case, '_' for a space. The key code an option value
// stands for, NO_KEY for "none" and for values the core does not know.
uint8_t keyForOptionValue(const char* value);
// Its name, with its legend where that is a sign, and a combination's key:
// "; (semicolon)", "Cursor left (CTRL+M)".
const char* labelOfKey(uint8_t keyCode);

// Announces the pad options to the front end: version 2 where it takes it,
// else the old variables.
void declarePadOptions(retro_environment_t environment);

// The key each button presses, as the front end's options now say (their
// defaults where it says nothing).
void readPadOptions(retro_environment_t environment, uint8_t padKeys[PAD_BUTTON_COUNT]);

// The frame's key snapshot: every keyboard key and pad button that is down.
// The pad counts only while a RetroPad is on port 1.
void readFrameKeys(retro_input_state_t inputState, bool padPlugged, const uint8_t padKeys[PAD_BUTTON_COUNT],
                   uint8_t keys[HOST_KEY_COUNT]);
