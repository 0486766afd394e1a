// The machine's keyboard matrix, rebuilt once per frame from a snapshot of
// the host keys.
#pragma once

#include <cstdint>

#include "machine/dik.h"

constexpr int KEYBOARD_ROWS = 8;

// Bit b of row r is 0 while the key at that row and bit is pressed; only
// bits 0-5 carry keys.
struct KeyboardMatrix {
    uint8_t rows[KEYBOARD_ROWS];
};

constexpr int HOST_KEY_COUNT = 256;  // one byte per host key code
constexpr uint8_t HOST_KEY_DOWN = 0x80;

// The machine's Ctrl key; every combination key presses it too.
constexpr uint8_t CTRL_ROW = 1;
constexpr uint8_t CTRL_BIT = 2;
// The machine's Shift key.
constexpr uint8_t SHIFT_ROW = 2;
constexpr uint8_t SHIFT_BIT = 2;

// The rows with no key down: every position with a host key released (1),
// the positions without one and bits 6 and 7 at 0.
KeyboardMatrix idleKeyboardRows();

// Every position of the machine's keys (machine/key_table.h) follows its
// host key; then the combination keys that are down press their position
// and Ctrl. Bits without a key keep their value.
void rebuildKeyboardMatrix(KeyboardMatrix& matrix, const uint8_t hostKeyState[HOST_KEY_COUNT]);

// What a read of the keyboard window at address gives: the rows whose
// address bit is 0, ANDed.
uint8_t readKeyboardWindow(const KeyboardMatrix& matrix, uint16_t address);

// Whether the machine reads the host key: one of the matrix keys or a
// combination key. A host keeps the other keys for their own meaning.
bool machineReadsKey(uint8_t keyCode);
