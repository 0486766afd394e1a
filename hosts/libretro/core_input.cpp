#include "hosts/libretro/core_input.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "machine/dik.h"
#include "machine/key_table.h"

// The front end's keys, by their place on a PC keyboard, as the host key
// codes of the same places.
struct RetroKey {
    unsigned retroKey;
    uint8_t keyCode;
};

static const RetroKey retroKeys[] = {
    {RETROK_a + 0, DIK_A},  {RETROK_a + 1, DIK_B},  {RETROK_a + 2, DIK_C},  {RETROK_a + 3, DIK_D},
    {RETROK_a + 4, DIK_E},  {RETROK_a + 5, DIK_F},  {RETROK_a + 6, DIK_G},  {RETROK_a + 7, DIK_H},
    {RETROK_a + 8, DIK_I},  {RETROK_a + 9, DIK_J},  {RETROK_a + 10, DIK_K}, {RETROK_a + 11, DIK_L},
    {RETROK_a + 12, DIK_M}, {RETROK_a + 13, DIK_N}, {RETROK_a + 14, DIK_O}, {RETROK_a + 15, DIK_P},
    {RETROK_a + 16, DIK_Q}, {RETROK_a + 17, DIK_R}, {RETROK_a + 18, DIK_S}, {RETROK_a + 19, DIK_T},
    {RETROK_a + 20, DIK_U}, {RETROK_a + 21, DIK_V}, {RETROK_a + 22, DIK_W}, {RETROK_a + 23, DIK_X},
    {RETROK_a + 24, DIK_Y}, {RETROK_a + 25, DIK_Z},
    {RETROK_0 + 0, DIK_0},  {RETROK_0 + 1, DIK_1},  {RETROK_0 + 2, DIK_2},  {RETROK_0 + 3, DIK_3},
    {RETROK_0 + 4, DIK_4},  {RETROK_0 + 5, DIK_5},  {RETROK_0 + 6, DIK_6},  {RETROK_0 + 7, DIK_7},
    {RETROK_0 + 8, DIK_8},  {RETROK_0 + 9, DIK_9},
    {RETROK_SPACE, DIK_SPACE},         {RETROK_RETURN, DIK_RETURN},   {RETROK_COMMA, DIK_COMMA},
    {RETROK_PERIOD, DIK_PERIOD},       {RETROK_SEMICOLON, DIK_SEMICOLON}, {RETROK_MINUS, DIK_MINUS},
    {RETROK_QUOTE, DIK_APOSTROPHE},    {RETROK_LSHIFT, DIK_LSHIFT},   {RETROK_RSHIFT, DIK_RSHIFT},
    {RETROK_LCTRL, DIK_LCONTROL},      {RETROK_RCTRL, DIK_RCONTROL},  {RETROK_LEFT, DIK_LEFT},
    {RETROK_RIGHT, DIK_RIGHT},         {RETROK_UP, DIK_UP},           {RETROK_DOWN, DIK_DOWN},
    {RETROK_BACKSPACE, DIK_BACK},      {RETROK_INSERT, DIK_INSERT},   {RETROK_DELETE, DIK_DELETE},
    {RETROK_HOME, DIK_HOME},           {RETROK_END, DIK_END},
};

// Each key's option value and label, written out when the options are
// declared (from retro_set_environment, the front end's first call).
struct KeyOption {
    char value[16];
    char label[40];
};

static KeyOption keyOptions[KEY_COUNT];

static bool isSign(const char* legend) { return legend[1] == '\0' && !std::isalnum(static_cast<unsigned char>(legend[0])); }

static const char* legendAt(uint8_t row, uint8_t bit)
{
    for (const MachineKey& key : matrixKeys()) {
        if (key.row == row && key.bit == bit) return key.legend;
    }
    return "";
}

static void nameKeyOptions()
{
    for (int k = 0; k < KEY_COUNT; ++k) {
        const MachineKey& key = machineKeys[k];
        KeyOption& option = keyOptions[k];
        size_t i = 0;
        for (; key.name[i] && i + 1 < sizeof option.value; ++i) {
            option.value[i] = key.name[i] == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(key.name[i])));
        }
        option.value[i] = '\0';
        if (k >= MATRIX_KEY_COUNT) {
            std::snprintf(option.label, sizeof option.label, "%s (CTRL+%s)", key.name, legendAt(key.row, key.bit));
        } else if (isSign(key.legend)) {
            std::snprintf(option.label, sizeof option.label, "%s (%s)", key.legend, option.value);
        } else {
            std::snprintf(option.label, sizeof option.label, "%s", key.name);
        }
    }
}

const PadButton padButtons[PAD_BUTTON_COUNT] = {
    {RETRO_DEVICE_ID_JOYPAD_UP, "tessel_pad_up", "D-pad up", "cursor_up"},
    {RETRO_DEVICE_ID_JOYPAD_DOWN, "tessel_pad_down", "D-pad down", "cursor_down"},
    {RETRO_DEVICE_ID_JOYPAD_LEFT, "tessel_pad_left", "D-pad left", "cursor_left"},
    {RETRO_DEVICE_ID_JOYPAD_RIGHT, "tessel_pad_right", "D-pad right", "cursor_right"},
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
    for (int k = 0; k < KEY_COUNT; ++k) {
        if (std::strcmp(keyOptions[k].value, value) == 0) return machineKeys[k].keyCode;
    }
    return NO_KEY;
}

const char* labelOfKey(uint8_t keyCode)
{
    for (int k = 0; k < KEY_COUNT; ++k) {
        if (machineKeys[k].keyCode == keyCode) return keyOptions[k].label;
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
    nameKeyOptions();
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
        for (int k = 0; k < KEY_COUNT; ++k) d.values[k + 1] = {keyOptions[k].value, keyOptions[k].label};
        d.default_value = button.defaultValue;

        char* text = variableTexts[b];
        std::snprintf(text, sizeof variableTexts[b], "%s; %s", optionNames[b], button.defaultValue);
        if (std::strcmp(button.defaultValue, "none") != 0) appendValue(text, sizeof variableTexts[b], "none");
        for (const KeyOption& key : keyOptions) {
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
    for (const RetroKey& key : retroKeys) {
        if (inputState(0, RETRO_DEVICE_KEYBOARD, 0, key.retroKey)) keys[key.keyCode] = HOST_KEY_DOWN;
    }
    if (!padPlugged) return;
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
        if (padKeys[b] != NO_KEY && inputState(0, RETRO_DEVICE_JOYPAD, 0, padButtons[b].id)) {
            keys[padKeys[b]] = HOST_KEY_DOWN;
        }
    }
}
