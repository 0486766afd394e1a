#include "machine/key_table.h"

#include "machine/dik.h"
#include "machine/keyboard.h"

// Row 0 bit 2, row 3 bit 2 and row 4 bit 2 have no key.
const MachineKey machineKeys[KEY_COUNT] = {
    {DIK_1, 3, 4, '1', '!', 2, "1", "1"},
    {DIK_2, 3, 1, '2', '"', 2, "2", "2"},
    {DIK_3, 3, 3, '3', '#', 2, "3", "3"},
    {DIK_4, 3, 5, '4', '$', 2, "4", "4"},
    {DIK_5, 3, 0, '5', '%', 2, "5", "5"},
    {DIK_6, 5, 0, '6', '&', 2, "6", "6"},
    {DIK_7, 5, 5, '7', '\'', 2, "7", "7"},
    {DIK_8, 5, 3, '8', '(', 2, "8", "8"},
    {DIK_9, 5, 1, '9', ')', 2, "9", "9"},
    {DIK_0, 5, 4, '0', '@', 2, "0", "0"},
    {DIK_MINUS, 5, 2, '-', '=', 2, "-", "Minus"},

    {DIK_Q, 0, 4, 'Q', 0, 2, "Q", "Q"},
    {DIK_W, 0, 1, 'W', 0, 2, "W", "W"},
    {DIK_E, 0, 3, 'E', 0, 2, "E", "E"},
    {DIK_R, 0, 5, 'R', 0, 2, "R", "R"},
    {DIK_T, 0, 0, 'T', 0, 2, "T", "T"},
    {DIK_Y, 6, 0, 'Y', 0, 2, "Y", "Y"},
    {DIK_U, 6, 5, 'U', 0, 2, "U", "U"},
    {DIK_I, 6, 3, 'I', 0, 2, "I", "I"},
    {DIK_O, 6, 1, 'O', 0, 2, "O", "O"},
    {DIK_P, 6, 4, 'P', 0, 2, "P", "P"},
    {DIK_RETURN, 6, 2, '\n', 0, 3, "RETURN", "Return"},

    {DIK_LCONTROL, CTRL_ROW, CTRL_BIT, 0, 0, 2, "CTRL", "Ctrl"},
    {DIK_A, 1, 4, 'A', 0, 2, "A", "A"},
    {DIK_S, 1, 1, 'S', 0, 2, "S", "S"},
    {DIK_D, 1, 3, 'D', 0, 2, "D", "D"},
    {DIK_F, 1, 5, 'F', 0, 2, "F", "F"},
    {DIK_G, 1, 0, 'G', 0, 2, "G", "G"},
    {DIK_H, 7, 0, 'H', 0, 2, "H", "H"},
    {DIK_J, 7, 5, 'J', 0, 2, "J", "J"},
    {DIK_K, 7, 3, 'K', 0, 2, "K", "K"},
    {DIK_L, 7, 1, 'L', 0, 2, "L", "L"},
    {DIK_SEMICOLON, 7, 4, ';', '+', 2, ";", "Semicolon"},
    {DIK_APOSTROPHE, 7, 2, ':', '*', 2, ":", "Colon"},

    {DIK_LSHIFT, SHIFT_ROW, SHIFT_BIT, 0, 0, 3, "SHIFT", "Shift"},
    {DIK_Z, 2, 4, 'Z', 0, 2, "Z", "Z"},
    {DIK_X, 2, 1, 'X', 0, 2, "X", "X"},
    {DIK_C, 2, 3, 'C', 0, 2, "C", "C"},
    {DIK_V, 2, 5, 'V', 0, 2, "V", "V"},
    {DIK_B, 2, 0, 'B', '?', 2, "B", "B"},
    {DIK_N, 4, 0, 'N', '/', 2, "N", "N"},
    {DIK_M, 4, 5, 'M', 0, 2, "M", "M"},
    {DIK_COMMA, 4, 3, ',', '<', 2, ",", "Comma"},
    {DIK_PERIOD, 4, 1, '.', '>', 2, ".", "Period"},
    {DIK_SPACE, 4, 4, ' ', 0, 3, "SPACE", "Space"},

    // The desktop's cursor and editing keys, each the machine's CTRL
    // combination that does the same, named and drawn as on the page.
    {DIK_LEFT, 4, 5, 0, 0, 3, "←", "Cursor left"},       // CTRL+M
    {DIK_RIGHT, 4, 3, 0, 0, 3, "→", "Cursor right"},     // CTRL+comma
    {DIK_UP, 4, 1, 0, 0, 3, "↑", "Cursor up"},           // CTRL+period
    {DIK_DOWN, 4, 4, 0, 0, 3, "↓", "Cursor down"},       // CTRL+SPACE
    {DIK_BACK, 4, 5, 0, 0, 3, "⌫", "Backspace"},         // CTRL+M
    {DIK_INSERT, 7, 1, 0, 0, 3, "INSERT", "Insert"},     // CTRL+L
    {DIK_DELETE, 7, 4, 0, 0, 3, "RUBOUT", "Rubout"},     // CTRL+semicolon
    {DIK_END, 7, 2, 0, 0, 3, "INVERSE", "Inverse"},      // CTRL+colon
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
