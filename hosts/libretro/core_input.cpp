#include "hosts/libretro/core_input.h"

#include <cstdio>
#include <cstring>

#include "machine/dik.h"

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

// A pad's buttons that work the stick: the D-pad moves it, and B (the
// bottom face button, the one a RetroPad user presses most) fires, as the
// desktop program's pads do; A (the right one) is the arm button.
struct StickButton {
    unsigned id;
    StickControl control;
};

static const StickButton stickButtons[] = {
    {RETRO_DEVICE_ID_JOYPAD_UP, StickControl::Up},       {RETRO_DEVICE_ID_JOYPAD_DOWN, StickControl::Down},
    {RETRO_DEVICE_ID_JOYPAD_LEFT, StickControl::Left},   {RETRO_DEVICE_ID_JOYPAD_RIGHT, StickControl::Right},
    {RETRO_DEVICE_ID_JOYPAD_B, StickControl::Fire},      {RETRO_DEVICE_ID_JOYPAD_A, StickControl::Arm},
};

// The left analog stick moves it too, past a third of its travel.
struct StickAxis {
    unsigned id;
    StickControl toward, away;  // below and above the middle
};

static const StickAxis stickAxes[] = {
    {RETRO_DEVICE_ID_ANALOG_X, StickControl::Left, StickControl::Right},
    {RETRO_DEVICE_ID_ANALOG_Y, StickControl::Up, StickControl::Down},
};
constexpr int AXIS_COUNT = sizeof stickAxes / sizeof stickAxes[0];
constexpr int32_t AXIS_TRAVEL = 0x7FFF;

void readFrameKeys(retro_input_state_t inputState, const bool padPlugged[PAD_PORTS], const CoreOptions& options,
                   uint8_t keys[HOST_KEY_COUNT])
{
    std::memset(keys, 0, HOST_KEY_COUNT);
    for (const RetroKey& key : retroKeys) {
        if (inputState(0, RETRO_DEVICE_KEYBOARD, 0, key.retroKey)) keys[key.keyCode] = HOST_KEY_DOWN;
    }
    if (options.padDrives != PadDrives::Keys || !padPlugged[0]) return;
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
        uint8_t key = options.padKeys[b];
        if (key != NO_KEY && inputState(0, RETRO_DEVICE_JOYPAD, 0, padButtons[b].id)) keys[key] = HOST_KEY_DOWN;
    }
}

void readFrameSticks(retro_input_state_t inputState, const bool padPlugged[PAD_PORTS], const CoreOptions& options,
                     StickInput& sticks)
{
    sticks = StickInput{};
    if (options.padDrives != PadDrives::Sticks) return;
    for (unsigned port = 0; port < PAD_PORTS; ++port) {
        if (!padPlugged[port]) continue;
        uint8_t& held = sticks.held[port];
        for (const StickButton& button : stickButtons) {
            if (inputState(port, RETRO_DEVICE_JOYPAD, 0, button.id)) held |= stickBit(button.control);
        }
        auto axis = [&](unsigned id) { return inputState(port, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, id); };
        held |= stickAxesHeld(axis(RETRO_DEVICE_ID_ANALOG_X), axis(RETRO_DEVICE_ID_ANALOG_Y), AXIS_TRAVEL);
    }
}

// ---- Descriptions ---------------------------------------------------------------

constexpr int STICK_BUTTON_COUNT = sizeof stickButtons / sizeof stickButtons[0];
constexpr int STICK_INPUTS = STICK_BUTTON_COUNT + AXIS_COUNT;
constexpr int MOST_DESCRIPTORS = PAD_PORTS * STICK_INPUTS > PAD_BUTTON_COUNT ? PAD_PORTS * STICK_INPUTS : PAD_BUTTON_COUNT;

static retro_input_descriptor descriptors[MOST_DESCRIPTORS + 1];
static char stickLabels[PAD_PORTS * STICK_INPUTS][40];

// The machine's label of a stick's control: "Fire".
static const char* controlLabel(unsigned stick, StickControl control)
{
    for (const StickControlEntry& entry : stickControlTable) {
        if (entry.stick == stick && entry.control == control) return entry.label;
    }
    return "";
}

static int describeSticks()
{
    int n = 0;
    for (unsigned port = 0; port < PAD_PORTS; ++port) {
        for (const StickButton& button : stickButtons) {
            std::snprintf(stickLabels[n], sizeof stickLabels[n], "Joystick %u %s", port + 1,
                          controlLabel(port, button.control));
            descriptors[n] = {port, RETRO_DEVICE_JOYPAD, 0, button.id, stickLabels[n]};
            ++n;
        }
        for (const StickAxis& axis : stickAxes) {
            std::snprintf(stickLabels[n], sizeof stickLabels[n], "Joystick %u %s/%s", port + 1,
                          controlLabel(port, axis.toward), controlLabel(port, axis.away));
            descriptors[n] = {port, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, axis.id, stickLabels[n]};
            ++n;
        }
    }
    return n;
}

static int describeKeys(const CoreOptions& options)
{
    int n = 0;
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) {
        if (options.padKeys[b] == NO_KEY) continue;
        descriptors[n++] = {0, RETRO_DEVICE_JOYPAD, 0, padButtons[b].id, labelOfKey(options.padKeys[b])};
    }
    return n;
}

void describeInputs(retro_environment_t environment, const CoreOptions& options)
{
    int n = options.padDrives == PadDrives::Sticks ? describeSticks() : describeKeys(options);
    descriptors[n] = {0, 0, 0, 0, nullptr};
    environment(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, descriptors);
}
