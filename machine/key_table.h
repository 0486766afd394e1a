// What each key of the VZ200 is, written once: the host key that presses
// it, its place in the keyboard matrix, its legend, what it types and its
// name. The matrix, typed text, the libretro core's options and the page's
// keyboard all read this table; a host keeps only the map from its own
// toolkit's keys to the host key codes (machine/dik.h).
#pragma once

#include <cstdint>
#include <span>

// A key of the machine, or a host key that presses one of them with CTRL
// (a combination: the desktop's cursor and editing keys).
struct MachineKey {
    uint8_t keyCode;     // the host key at the same place on a PC keyboard
    uint8_t row, bit;    // in the matrix; a combination's is the key it presses with CTRL
    char character;      // what it types alone; 0 for none
    char shifted;        // what it types with SHIFT; 0 for none
    uint8_t width;       // on the keyboard as drawn, in half keys
    const char* legend;  // as the key shows it
    const char* name;    // what the page and the core's options call it
};

// The machine's own keys first, as they sit on its keyboard: row by row,
// each from left to right; then the combinations.
constexpr int MATRIX_KEY_COUNT = 45;
constexpr int COMBINATION_KEY_COUNT = 8;
constexpr int KEY_COUNT = MATRIX_KEY_COUNT + COMBINATION_KEY_COUNT;
extern const MachineKey machineKeys[KEY_COUNT];

inline std::span<const MachineKey, MATRIX_KEY_COUNT> matrixKeys()
{
    return std::span(machineKeys).first<MATRIX_KEY_COUNT>();
}
inline std::span<const MachineKey, COMBINATION_KEY_COUNT> combinationKeys()
{
    return std::span(machineKeys).last<COMBINATION_KEY_COUNT>();
}

// The keyboard's rows as drawn: each indented by so many half keys, holding
// the next so many keys of the table.
struct KeyboardRow {
    uint8_t indent, keyCount;
};

constexpr int KEYBOARD_ROW_COUNT = 4;
constexpr KeyboardRow keyboardRows[KEYBOARD_ROW_COUNT] = {{0, 11}, {1, 11}, {0, 12}, {0, 11}};

// The key that types a character, and whether SHIFT goes with it.
struct TypedKey {
    uint8_t keyCode;
    bool shift;
};

// Letters type the same key in either case; '\n' is RETURN. False for a
// character that no key of the machine types.
bool keyForCharacter(char c, TypedKey& typed);
