#include "machine/key_table.h"

#include "machine/dik.h"
#include "machine/keyboard.h"

// Row 0 bit 2, row 3 bit 2 and row 4 bit 2 have no key.
const MachineKey machineKeys[KEY_COUNT] = {
    {DIK_1, 3, 4, "1", '1', '!', "1", 2},
    {DIK_2, 3, 1, "2", '2', '"', "2", 2},
    {DIK_3, 3, 3, "3", '3', '#', "3", 2},
    {DIK_4, 3, 5, "4", '4', '$', "4", 2},
    {DIK_5, 3, 0, "5", '5', '%', "5", 2},
    {DIK_6, 5, 0, "6", '6', '&', "6", 2},
    {DIK_7, 5, 5, "7", '7', '\'', "7", 2},
    {DIK_8, 5, 3, "8", '8', '(', "8", 2},
    {DIK_9, 5, 1, "9", '9', ')', "9", 2},
    {DIK_0, 5, 4, "0", '0', '@', "0", 2},
    {DIK_MINUS, 5, 2, "-", '-', '=', "Minus", 2},

    {DIK_Q, 0, 4, "Q", 'Q', 0, "Q", 2},
    {DIK_W, 0, 1, "W", 'W', 0, "W", 2},
    {DIK_E, 0, 3, "E", 'E', 0, "E", 2},
    {DIK_R, 0, 5, "R", 'R', 0, "R", 2},
    {DIK_T, 0, 0, "T", 'T', 0, "T", 2},
    {DIK_Y, 6, 0, "Y", 'Y', 0, "Y", 2},
    {DIK_U, 6, 5, "U", 'U', 0, "U", 2},
    {DIK_I, 6, 3, "I", 'I', 0, "I", 2},
    {DIK_O, 6, 1, "O", 'O', 0, "O", 2},
    {DIK_P, 6, 4, "P", 'P', 0, "P", 2},
    {DIK_RETURN, 6, 2, "RETURN", '\n', 0, "Return", 3},

    {DIK_LCONTROL, CTRL_ROW, CTRL_BIT, "CTRL", 0, 0, "Ctrl", 2},
    {DIK_A, 1, 4, "A", 'A', 0, "A", 2},
    {DIK_S, 1, 1, "S", 'S', 0, "S", 2},
    {DIK_D, 1, 3, "D", 'D', 0, "D", 2},
    {DIK_F, 1, 5, "F", 'F', 0, "F", 2},
    {DIK_G, 1, 0, "G", 'G', 0, "G", 2},
    {DIK_H, 7, 0, "H", 'H', 0, "H", 2},
    {DIK_J, 7, 5, "J", 'J', 0, "J", 2},
    {DIK_K, 7, 3, "K", 'K', 0, "K", 2},
    {DIK_L, 7, 1, "L", 'L', 0, "L", 2},
    {DIK_SEMICOLON, 7, 4, ";", ';', '+', "Semicolon", 2},
    {DIK_APOSTROPHE, 7, 2, ":", ':', '*', "Colon", 2},

    {DIK_LSHIFT, SHIFT_ROW, SHIFT_BIT, "SHIFT", 0, 0, "Shift", 3},
    {DIK_Z, 2, 4, "Z", 'Z', 0, "Z", 2},
    {DIK_X, 2, 1, "X", 'X', 0, "X", 2},
    {DIK_C, 2, 3, "C", 'C', 0, "C", 2},
    {DIK_V, 2, 5, "V", 'V', 0, "V", 2},
    {DIK_B, 2, 0, "B", 'B', '?', "B", 2},
    {DIK_N, 4, 0, "N", 'N', '/', "N", 2},
    {DIK_M, 4, 5, "M", 'M', 0, "M", 2},
    {DIK_COMMA, 4, 3, ",", ',', '<', "Comma", 2},
    {DIK_PERIOD, 4, 1, ".", '.', '>', "Period", 2},
    {DIK_SPACE, 4, 4, "SPACE", ' ', 0, "Space", 3},

    // The desktop's cursor and editing keys, as the machine's own CTRL
    // combinations (the legends above its keys say what they do).
    {DIK_LEFT, 4, 5, "←", 0, 0, "Cursor left", 3},       // CTRL+M
    {DIK_RIGHT, 4, 3, "→", 0, 0, "Cursor right", 3},     // CTRL+comma
    {DIK_UP, 4, 1, "↑", 0, 0, "Cursor up", 3},           // CTRL+period
    {DIK_DOWN, 4, 4, "↓", 0, 0, "Cursor down", 3},       // CTRL+SPACE
    {DIK_BACK, 4, 5, "⌫", 0, 0, "Backspace", 3},         // CTRL+M
    {DIK_INSERT, 7, 1, "INSERT", 0, 0, "Insert", 3},     // CTRL+L
    {DIK_DELETE, 7, 4, "RUBOUT", 0, 0, "Rubout", 3},     // CTRL+semicolon
    {DIK_END, 7, 2, "INVERSE", 0, 0, "Inverse", 3},      // CTRL+colon
};

static_assert([] {
    int keys = 0;
    for (const KeyboardRow& row : keyboardRows) keys += row.keyCount;
    return keys == MATRIX_KEY_COUNT;
}());

bool keyForCharacter(char c, TypedKey& typed)
{
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == 0) return false;
    for (const MachineKey& key : matrixKeys()) {
        if (key.character == c || key.shifted == c) {
            typed = {key.keyCode, key.shifted == c};
            return true;
        }
    }
    return false;
}
