#include "hosts/libretro/core_options.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "machine/key_table.h"

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
            std::snprintf(option.label, sizeof option.label, "%.20s (CTRL+%.8s)", key.name, legendAt(key.row, key.bit));
        } else if (isSign(key.legend)) {
            std::snprintf(option.label, sizeof option.label, "%.8s (%.15s)", key.legend, option.value);
        } else {
            std::snprintf(option.label, sizeof option.label, "%.39s", key.name);
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

// An option with a few fixed values, the default first.
struct ChoiceOption {
    const char* key;
    const char* desc;
    const char* info;
    retro_core_option_value values[3];  // ends with a null value
};

constexpr int CHOICE_OPTION_COUNT = 2;
static const ChoiceOption choiceOptions[CHOICE_OPTION_COUNT] = {
    {"tessel_pad_drives", "Pad drives",
     "What the RetroPads drive: the VZ200's two joysticks (the pad on port 1 stick 1, on port 2 stick 2: "
     "D-pad or left analog stick to move, B fire, A arm), or the VZ200 keys of the RetroPad options (port 1).",
     {{"joystick", "Joysticks"}, {"keys", "Keys"}, {nullptr, nullptr}}},
    {"tessel_fast_tape", "Fast tape",
     "While a tape plays the machine runs many times as fast, silent, each frame showing its last picture; "
     "off, a tape takes as long as on the machine.",
     {{"enabled", nullptr}, {"disabled", nullptr}, {nullptr, nullptr}}},
};
enum : int { PAD_DRIVES_OPTION, FAST_TAPE_OPTION };

constexpr int OPTION_COUNT = CHOICE_OPTION_COUNT + PAD_BUTTON_COUNT;

static retro_core_option_v2_category optionCategories[] = {
    {"pad", "RetroPad", "The VZ200 key each button of the RetroPad on port 1 presses when the pads drive keys."},
    {nullptr, nullptr, nullptr},
};

static retro_core_option_v2_definition optionDefinitions[OPTION_COUNT + 1];
static char optionNames[PAD_BUTTON_COUNT][48];

// The old interface: "Pad Start; return|none|a|..." with the default first.
static retro_variable variables[OPTION_COUNT + 1];
static char variableTexts[OPTION_COUNT][1024];

static void appendValue(char* text, size_t size, const char* value)
{
    size_t used = std::strlen(text);
    std::snprintf(text + used, size - used, "%s%s", text[used - 1] == ' ' ? "" : "|", value);
}

static void declareChoice(int o)
{
    const ChoiceOption& option = choiceOptions[o];
    retro_core_option_v2_definition& d = optionDefinitions[o];
    d = {};
    d.key = option.key;
    d.desc = option.desc;
    d.info = option.info;
    for (int v = 0; option.values[v].value; ++v) d.values[v] = option.values[v];
    d.default_value = option.values[0].value;

    char* text = variableTexts[o];
    std::snprintf(text, sizeof variableTexts[o], "%s; ", option.desc);
    for (int v = 0; option.values[v].value; ++v) appendValue(text, sizeof variableTexts[o], option.values[v].value);
    variables[o] = {option.key, text};
}

static void declarePadButton(int b)
{
    const PadButton& button = padButtons[b];
    int o = CHOICE_OPTION_COUNT + b;
    std::snprintf(optionNames[b], sizeof optionNames[b], "RetroPad %s", button.name);
    retro_core_option_v2_definition& d = optionDefinitions[o];
    d = {};
    d.key = button.optionKey;
    d.desc = optionNames[b];
    d.desc_categorized = button.name;
    d.info = "The VZ200 key this button presses when the pads drive keys.";
    d.category_key = "pad";
    d.values[0] = {"none", "None"};
    for (int k = 0; k < KEY_COUNT; ++k) d.values[k + 1] = {keyOptions[k].value, keyOptions[k].label};
    d.default_value = button.defaultValue;

    char* text = variableTexts[o];
    std::snprintf(text, sizeof variableTexts[o], "%s; %s", optionNames[b], button.defaultValue);
    if (std::strcmp(button.defaultValue, "none") != 0) appendValue(text, sizeof variableTexts[o], "none");
    for (const KeyOption& key : keyOptions) {
        if (std::strcmp(key.value, button.defaultValue) != 0) appendValue(text, sizeof variableTexts[o], key.value);
    }
    variables[o] = {button.optionKey, text};
}

void declareCoreOptions(retro_environment_t environment)
{
    nameKeyOptions();
    for (int o = 0; o < CHOICE_OPTION_COUNT; ++o) declareChoice(o);
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) declarePadButton(b);
    optionDefinitions[OPTION_COUNT] = {};
    variables[OPTION_COUNT] = {nullptr, nullptr};

    unsigned version = 0;
    if (!environment(RETRO_ENVIRONMENT_GET_CORE_OPTIONS_VERSION, &version)) version = 0;
    retro_core_options_v2 options = {optionCategories, optionDefinitions};
    if (version >= 2 && environment(RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, &options)) return;
    environment(RETRO_ENVIRONMENT_SET_VARIABLES, variables);
}

// The option's value in force, or its default.
static const char* optionValue(retro_environment_t environment, const char* key, const char* defaultValue)
{
    retro_variable variable = {key, nullptr};
    return environment(RETRO_ENVIRONMENT_GET_VARIABLE, &variable) && variable.value ? variable.value : defaultValue;
}

static bool choiceIs(retro_environment_t environment, int o, int v)
{
    const ChoiceOption& option = choiceOptions[o];
    return std::strcmp(optionValue(environment, option.key, option.values[0].value), option.values[v].value) == 0;
}

void readCoreOptions(retro_environment_t environment, CoreOptions& options)
{
    options.padDrives = choiceIs(environment, PAD_DRIVES_OPTION, 1) ? PadDrives::Keys : PadDrives::Sticks;
    options.fastTape = !choiceIs(environment, FAST_TAPE_OPTION, 1);
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
        options.padKeys[b] = keyForOptionValue(optionValue(environment, padButtons[b].optionKey, padButtons[b].defaultValue));
    }
}
