#include "hosts/libretro/core_input.h"

#include <cstdio>
#include <cstring>

#include "machine/dik.h"

// The machine's 45 keys, then the 8 cursor and editing keys that press a key
// with CTRL, each at the place of the desktop program's key.
const CoreKey coreKeys[CORE_KEY_COUNT] = {
    {DIK_A, RETROK_a + 0, "a", "A"}, {DIK_B, RETROK_a + 1, "b", "B"}, {DIK_C, RETROK_a + 2, "c", "C"},
    {DIK_D, RETROK_a + 3, "d", "D"}, {DIK_E, RETROK_a + 4, "e", "E"}, {DIK_F, RETROK_a + 5, "f", "F"},
    {DIK_G, RETROK_a + 6, "g", "G"}, {DIK_H, RETROK_a + 7, "h", "H"}, {DIK_I, RETROK_a + 8, "i", "I"},
    {DIK_J, RETROK_a + 9, "j", "J"}, {DIK_K, RETROK_a + 10, "k", "K"}, {DIK_L, RETROK_a + 11, "l", "L"},
    {DIK_M, RETROK_a + 12, "m", "M"}, {DIK_N, RETROK_a + 13, "n", "N"}, {DIK_O, RETROK_a + 14, "o", "O"},
    {DIK_P, RETROK_a + 15, "p", "P"}, {DIK_Q, RETROK_a + 16, "q", "Q"}, {DIK_R, RETROK_a + 17, "r", "R"},
    {DIK_S, RETROK_a + 18, "s", "S"}, {DIK_T, RETROK_a + 19, "t", "T"}, {DIK_U, RETROK_a + 20, "u", "U"},
    {DIK_V, RETROK_a + 21, "v", "V"}, {DIK_W, RETROK_a + 22, "w", "W"}, {DIK_X, RETROK_a + 23, "x", "X"},
    {DIK_Y, RETROK_a + 24, "y", "Y"}, {DIK_Z, RETROK_a + 25, "z", "Z"},
    {DIK_0, RETROK_0 + 0, "0", "0"}, {DIK_1, RETROK_0 + 1, "1", "1"}, {DIK_2, RETROK_0 + 2, "2", "2"},
    {DIK_3, RETROK_0 + 3, "3", "3"}, {DIK_4, RETROK_0 + 4, "4", "4"}, {DIK_5, RETROK_0 + 5, "5", "5"},
    {DIK_6, RETROK_0 + 6, "6", "6"}, {DIK_7, RETROK_0 + 7, "7", "7"}, {DIK_8, RETROK_0 + 8, "8", "8"},
    {DIK_9, RETROK_0 + 9, "9", "9"},
    {DIK_SPACE, RETROK_SPACE, "space", "Space"},
    {DIK_RETURN, RETROK_RETURN, "return", "Return"},
    {DIK_COMMA, RETROK_COMMA, "comma", ", (comma)"},
    {DIK_PERIOD, RETROK_PERIOD, "period", ". (period)"},
    {DIK_SEMICOLON, RETROK_SEMICOLON, "semicolon", "; (semicolon)"},
    {DIK_MINUS, RETROK_MINUS, "minus", "- (minus)"},
    {DIK_APOSTROPHE, RETROK_QUOTE, "colon", ": (colon, the ' key)"},
    {DIK_LSHIFT, RETROK_LSHIFT, "shift", "SHIFT"},
    {DIK_LCONTROL, RETROK_LCTRL, "ctrl", "CTRL"},
    {DIK_LEFT, RETROK_LEFT, "left", "Left arrow (CTRL+M)"},
    {DIK_BACK, RETROK_BACKSPACE, "backspace", "Backspace (CTRL+M)"},
    {DIK_RIGHT, RETROK_RIGHT, "right", "Right arrow (CTRL+,)"},
    {DIK_UP, RETROK_UP, "up", "Up arrow (CTRL+.)"},
    {DIK_DOWN, RETROK_DOWN, "down", "Down arrow (CTRL+Space)"},
    {DIK_INSERT, RETROK_INSERT, "insert", "Insert (CTRL+L)"},
    {DIK_DELETE, RETROK_DELETE, "delete", "Delete (CTRL+;)"},
    {DIK_END, RETROK_END, "end", "End (CTRL+:)"},
};

const PadButton padButtons[PAD_BUTTON_COUNT] = {
    {RETRO_DEVICE_ID_JOYPAD_UP, "tessel_pad_up", "D-pad up", "up"},
    {RETRO_DEVICE_ID_JOYPAD_DOWN, "tessel_pad_down", "D-pad down", "down"},
    {RETRO_DEVICE_ID_JOYPAD_LEFT, "tessel_pad_left", "D-pad left", "left"},
    {RETRO_DEVICE_ID_JOYPAD_RIGHT, "tessel_pad_right", "D-pad right", "right"},
    {RETRO_DEVICE_ID_JOYPAD_A, "tessel_pad_a", "A", "space"},
    {RETRO_DEVICE_ID_JOYPAD_B, "tessel_pad_b", "B", "m"},
    {RETRO_DEVICE_ID_JOYPAD_X, "tessel_pad_x", "X", "none"},
    {RETRO_DEVICE_ID_JOYPAD_Y, "tessel_pad_y", "Y", "none"},
    {RETRO_DEVICE_ID_JOYPAD_L, "tessel_pad_l", "L", "none"},
    {RETRO_DEVICE_ID_JOYPAD_R, "tessel_pad_r", "R", "none"},
    {RETRO_DEVICE_ID_JOYPAD_SELECT, "tessel_pad_select", "Select", "none"},
    {RETRO_DEVICE_ID_JOYPAD_START, "tessel_pad_start", "Start", "return"},
};

uint8_t keyForOptionValue(const char* value)
{
    if (!value) return NO_KEY;
    for (const CoreKey& key : coreKeys) {
        if (std::strcmp(key.value, value) == 0) return key.keyCode;
    }
    return NO_KEY;
}

const char* labelOfKey(uint8_t keyCode)
{
    for (const CoreKey& key : coreKeys) {
        if (key.keyCode == keyCode) return key.label;
    }
    return "none";
}

// ---- Declaring the options ---------------------------------------------------

static retro_core_option_v2_category optionCategories[] = {
    {"pad", "RetroPad", "The VZ200 key each button of the RetroPad on port 1 presses."},
    {nullptr, nullptr, nullptr},
};

static retro_core_option_v2_definition optionDefinitions[PAD_BUTTON_COUNT + 1];
static char optionNames[PAD_BUTTON_COUNT][48];

// The old interface: "Pad Start; return|none|a|..." with the default first.
static retro_variable variables[PAD_BUTTON_COUNT + 1];
static char variableTexts[PAD_BUTTON_COUNT][1024];

static void appendValue(char* text, size_t size, const char* value)
{
    size_t used = std::strlen(text);
    std::snprintf(text + used, size - used, "%s%s", text[used - 1] == ' ' ? "" : "|", value);
}

void declarePadOptions(retro_environment_t environment)
{
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
        const PadButton& button = padButtons[b];
        std::snprintf(optionNames[b], sizeof optionNames[b], "RetroPad %s", button.name);
        retro_core_option_v2_definition& d = optionDefinitions[b];
        d = {};
        d.key = button.optionKey;
        d.desc = optionNames[b];
        d.desc_categorized = button.name;
        d.info = "The VZ200 key this button presses.";
        d.category_key = "pad";
        d.values[0] = {"none", "None"};
        for (int k = 0; k < CORE_KEY_COUNT; ++k) d.values[k + 1] = {coreKeys[k].value, coreKeys[k].label};
        d.default_value = button.defaultValue;

        char* text = variableTexts[b];
        std::snprintf(text, sizeof variableTexts[b], "%s; %s", optionNames[b], button.defaultValue);
        if (std::strcmp(button.defaultValue, "none") != 0) appendValue(text, sizeof variableTexts[b], "none");
        for (const CoreKey& key : coreKeys) {
            if (std::strcmp(key.value, button.defaultValue) != 0) appendValue(text, sizeof variableTexts[b], key.value);
        }
        variables[b] = {button.optionKey, text};
    }
    optionDefinitions[PAD_BUTTON_COUNT] = {};
    variables[PAD_BUTTON_COUNT] = {nullptr, nullptr};

    unsigned version = 0;
    if (!environment(RETRO_ENVIRONMENT_GET_CORE_OPTIONS_VERSION, &version)) version = 0;
    retro_core_options_v2 options = {optionCategories, optionDefinitions};
    if (version >= 2 && environment(RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, &options)) return;
    environment(RETRO_ENVIRONMENT_SET_VARIABLES, variables);
}

void readPadOptions(retro_environment_t environment, uint8_t padKeys[PAD_BUTTON_COUNT])
{
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
        retro_variable variable = {padButtons[b].optionKey, nullptr};
        bool answered = environment(RETRO_ENVIRONMENT_GET_VARIABLE, &variable) && variable.value;
        padKeys[b] = keyForOptionValue(answered ? variable.value : padButtons[b].defaultValue);
    }
}

void readFrameKeys(retro_input_state_t inputState, bool padPlugged, const uint8_t padKeys[PAD_BUTTON_COUNT],
                   uint8_t keys[HOST_KEY_COUNT])
{
    std::memset(keys, 0, HOST_KEY_COUNT);
    for (const CoreKey& key : coreKeys) {
        if (inputState(0, RETRO_DEVICE_KEYBOARD, 0, key.retroKey)) keys[key.keyCode] = HOST_KEY_DOWN;
    }
    if (!padPlugged) return;
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
        if (padKeys[b] != NO_KEY && inputState(0, RETRO_DEVICE_JOYPAD, 0, padButtons[b].id)) {
            keys[padKeys[b]] = HOST_KEY_DOWN;
        }
    }
}
