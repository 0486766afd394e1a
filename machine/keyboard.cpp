#include "machine/keyboard.h"

#include "machine/key_table.h"

static bool isDown(const uint8_t hostKeyState[HOST_KEY_COUNT], uint8_t keyCode)
{
    return (hostKeyState[keyCode] & HOST_KEY_DOWN) != 0;
}

static void pressPosition(KeyboardMatrix& matrix, uint8_t row, uint8_t bit)
{
    uint8_t& bits = matrix.rows[row];
    bits = static_cast<uint8_t>(bits & ~(1u << bit));
}

static void releasePosition(KeyboardMatrix& matrix, uint8_t row, uint8_t bit)
{
    uint8_t& bits = matrix.rows[row];
    bits = static_cast<uint8_t>(bits | (1u << bit));
}

KeyboardMatrix idleKeyboardRows()
{
    KeyboardMatrix rows{};
    for (const MachineKey& key : matrixKeys()) releasePosition(rows, key.row, key.bit);
    return rows;
}

void rebuildKeyboardMatrix(KeyboardMatrix& matrix, const uint8_t hostKeyState[HOST_KEY_COUNT])
{
    for (const MachineKey& key : matrixKeys()) {
        if (isDown(hostKeyState, key.keyCode)) {
            pressPosition(matrix, key.row, key.bit);
        } else {
            releasePosition(matrix, key.row, key.bit);
        }
    }
    // Only ever clearing: a position reads pressed while its plain key or
    // any combination aimed at it is down.
    for (const MachineKey& combo : combinationKeys()) {
        if (isDown(hostKeyState, combo.keyCode)) {
            pressPosition(matrix, combo.row, combo.bit);
            pressPosition(matrix, CTRL_ROW, CTRL_BIT);
        }
    }
}

// Out of line, so that the bus's memRead stays small enough to inline into
// the processor's loop.
[[gnu::noinline]] uint8_t readKeyboardWindow(const KeyboardMatrix& matrix, uint16_t address)
{
    uint8_t result = 0xFF;
    for (int row = 0; row < KEYBOARD_ROWS; ++row) {
        if (!(address & (1u << row))) result &= matrix.rows[row];
    }
    return result;
}

bool machineReadsKey(uint8_t keyCode)
{
    for (const MachineKey& key : machineKeys) {
        if (key.keyCode == keyCode) return true;
    }
    return false;
}
