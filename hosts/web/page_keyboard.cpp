// The machine's keyboard drawn on the page: the keys and their places, from
// the machine's table of keys, and the pointers on them, which the shell's
// screen keyboard (shell/screen_keyboard.h) turns into key presses.
#include <emscripten/emscripten.h>

#include <cstdio>

#include "machine/key_table.h"
#include "shell/screen_keyboard.h"

// The keys, one a line, their fields separated by tabs: key code; kind
// (key, latching or combination); column on a grid of half keys, from 1;
// width in half keys; legend; shifted legend; name. The machine's rows come
// first, each starting left of where the one before ended, then the
// combinations in a row of their own.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webKeyboardLayout()
{
    static char layout[4096];
    int used = 0;
    auto add = [&](const MachineKey& key, const char* kind, int column) {
        const char shifted[2] = {key.shifted, '\0'};
        used += std::snprintf(layout + used, sizeof layout - used, "%d\t%s\t%d\t%d\t%s\t%s\t%s\n", key.keyCode, kind,
                              column, key.width, key.legend, shifted, key.name);
    };
    const MachineKey* key = machineKeys;
    for (const KeyboardRow& row : keyboardRows) {
        int column = 1 + row.indent;
        for (int i = 0; i < row.keyCount; ++i, ++key) {
            add(*key, screenKeyLatches(key->keyCode) ? "latching" : "key", column);
            column += key->width;
        }
    }
    int column = 1;
    for (const MachineKey& combination : combinationKeys()) {
        add(combination, "combination", column);
        column += combination.width;
    }
    return layout;
}

extern "C" EMSCRIPTEN_KEEPALIVE void webScreenPointerDown(int pointer, int keyCode)
{
    if (keyCode > 0 && keyCode < HOST_KEY_COUNT) screenPointerDown(pointer, static_cast<uint8_t>(keyCode));
}

extern "C" EMSCRIPTEN_KEEPALIVE void webScreenPointerUp(int pointer) { screenPointerUp(pointer); }

// SCREEN_KEY_HELD and SCREEN_KEY_LATCHED, as the page draws the key.
extern "C" EMSCRIPTEN_KEEPALIVE int webScreenKeyLook(int keyCode)
{
    return keyCode > 0 && keyCode < HOST_KEY_COUNT ? screenKeyLook(static_cast<uint8_t>(keyCode)) : 0;
}

// How many of the page's keys the machine still sees down.
extern "C" EMSCRIPTEN_KEEPALIVE int webScreenKeysDown() { return screenKeysDown(); }
