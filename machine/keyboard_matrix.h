// The machine's keyboard: eight rows read through the keyboard window.
#pragma once

#include <cstdint>

// Bit b of row r is 0 while the key at that row and bit is pressed.
struct KeyboardMatrix {
    uint8_t rows[8];
};

extern KeyboardMatrix keyboardMatrix;
