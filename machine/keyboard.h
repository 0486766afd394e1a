// The machine's keyboard matrix, rebuilt once per frame from a snapshot of
// the host keys.
#pragma once

#include <cstdint>

#include "machine/dik.h"

constexpr int HOST_KEY_COUNT = 256;  // one byte per host key code
constexpr uint8_t HOST_KEY_DOWN = 0x80;

// The machine's Ctrl key; every combination key presses it too.
constexpr uint8_t CTRL_ROW = 1;
constexpr uint8_t CTRL_BIT = 2;

// A host key wired to one matrix position.
struct MatrixKey {
    uint8_t keyCode, row, bit;
};

// A host key that presses a matrix position together with Ctrl.
struct ControlCombo {
    uint8_t keyCode, row, bit;
};

constexpr int MATRIX_KEY_COUNT = 45;
constexpr int CONTROL_COMBO_COUNT = 8;

extern const MatrixKey matrixKeyTable[MATRIX_KEY_COUNT];
extern const ControlCombo controlComboTable[CONTROL_COMBO_COUNT];

// Every mapped position follows its host key; then the combination keys that
// are down press their position and Ctrl. Bits without a host key keep their
// value.
void rebuildKeyboardMatrix(const uint8_t hostKeyState[HOST_KEY_COUNT]);
