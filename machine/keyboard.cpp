#include "machine/keyboard.h"


// Row 0 to 7, each from bit 5 down to bit 0. Row 0 bit 2, row 3 bit 2 and
// row 4 bit 2 have no key.
const MatrixKey matrixKeyTable[MATRIX_KEY_COUNT] = {
    {DIK_R, 0, 5}, {DIK_Q, 0, 4}, {DIK_E, 0, 3}, {DIK_W, 0, 1}, {DIK_T, 0, 0},
    {DIK_F, 1, 5}, {DIK_A, 1, 4}, {DIK_D, 1, 3}, {DIK_LCONTROL, 1, 2}, {DIK_S, 1, 1}, {DIK_G, 1, 0},
    {DIK_V, 2, 5}, {DIK_Z, 2, 4}, {DIK_C, 2, 3}, {DIK_LSHIFT, 2, 2}, {DIK_X, 2, 1}, {DIK_B, 2, 0},
    {DIK_4, 3, 5}, {DIK_1, 3, 4}, {DIK_3, 3, 3}, {DIK_2, 3, 1}, {DIK_5, 3, 0},
    {DIK_M, 4, 5}, {DIK_SPACE, 4, 4}, {DIK_COMMA, 4, 3}, {DIK_PERIOD, 4, 1}, {DIK_N, 4, 0},
    {DIK_7, 5, 5}, {DIK_0, 5, 4}, {DIK_8, 5, 3}, {DIK_MINUS, 5, 2}, {DIK_9, 5, 1}, {DIK_6, 5, 0},
    {DIK_U, 6, 5}, {DIK_P, 6, 4}, {DIK_I, 6, 3}, {DIK_RETURN, 6, 2}, {DIK_O, 6, 1}, {DIK_Y, 6, 0},
    {DIK_J, 7, 5}, {DIK_SEMICOLON, 7, 4}, {DIK_K, 7, 3}, {DIK_APOSTROPHE, 7, 2}, {DIK_L, 7, 1}, {DIK_H, 7, 0},
};

// The host's cursor and editing keys, typed on the machine as Ctrl plus a key.
const ControlCombo controlComboTable[CONTROL_COMBO_COUNT] = {
    {DIK_LEFT, 4, 5},    // Ctrl+M
    {DIK_BACK, 4, 5},    // Ctrl+M
    {DIK_RIGHT, 4, 3},   // Ctrl+comma
    {DIK_UP, 4, 1},      // Ctrl+period
    {DIK_DOWN, 4, 4},    // Ctrl+space
    {DIK_INSERT, 7, 1},  // Ctrl+L
    {DIK_DELETE, 7, 4},  // Ctrl+semicolon
    {DIK_END, 7, 2},     // Ctrl+colon
};

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
    for (const MatrixKey& key : matrixKeyTable) rows.rows[key.row] = static_cast<uint8_t>(rows.rows[key.row] | 1u << key.bit);
    return rows;
}

void rebuildKeyboardMatrix(KeyboardMatrix& matrix, const uint8_t hostKeyState[HOST_KEY_COUNT])
{
    for (const MatrixKey& key : matrixKeyTable) {
        if (isDown(hostKeyState, key.keyCode)) {
            pressPosition(matrix, key.row, key.bit);
        } else {
            releasePosition(matrix, key.row, key.bit);
        }
    }
    // Only ever clearing: a position reads pressed while its plain key or
    // any combination aimed at it is down.
    for (const ControlCombo& combo : controlComboTable) {
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
    for (const MatrixKey& key : matrixKeyTable) {
        if (key.keyCode == keyCode) return true;
    }
    for (const ControlCombo& combo : controlComboTable) {
        if (combo.keyCode == keyCode) return true;
    }
    return false;
}
