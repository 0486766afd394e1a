// The core's options: what the RetroPads drive (the VZ200's joysticks, or
// keys), the key each button of the pad on port 1 presses when they drive
// keys, and fast tape loading.
#pragma once

#include <cstdint>

#include "hosts/libretro/libretro.h"

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

enum class PadDrives : uint8_t { Sticks, Keys };

struct CoreOptions {
    PadDrives padDrives;
    bool fastTape;  // a playing tape runs several machine frames a frame
    uint8_t padKeys[PAD_BUTTON_COUNT];
};

// Announces the options to the front end: version 2 where it takes it,
// else the old variables.
void declareCoreOptions(retro_environment_t environment);

// The options as the front end now says (their defaults where it says
// nothing).
void readCoreOptions(retro_environment_t environment, CoreOptions& options);
