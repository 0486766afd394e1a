#include "machine/joystick.h"

#include <cstring>

const StickControlEntry stickControlTable[STICK_TABLE_SIZE] = {
    {StickControl::Up, 0, 0, 0, "up", "Up"},
    {StickControl::Down, 0, 0, 1, "down", "Down"},
    {StickControl::Left, 0, 0, 2, "left", "Left"},
    {StickControl::Right, 0, 0, 3, "right", "Right"},
    {StickControl::Fire, 0, 0, 4, "fire", "Fire"},
    {StickControl::Arm, 0, 1, 4, "arm", "Arm"},
    {StickControl::Up, 1, 2, 0, "up", "Up"},
    {StickControl::Down, 1, 2, 1, "down", "Down"},
    {StickControl::Left, 1, 2, 2, "left", "Left"},
    {StickControl::Right, 1, 2, 3, "right", "Right"},
    {StickControl::Fire, 1, 2, 4, "fire", "Fire"},
    {StickControl::Arm, 1, 3, 4, "arm", "Arm"},
};

void applyStickInput(JoystickPorts& ports, const StickInput& input)
{
    ports = JoystickPorts{};
    for (const StickControlEntry& entry : stickControlTable) {
        if (input.held[entry.stick] & stickBit(entry.control)) ports.pressed[entry.line] |= static_cast<uint8_t>(1u << entry.bit);
    }
}

uint8_t readJoystickPort(const JoystickPorts& ports, uint8_t port)
{
    uint8_t result = 0xFF;
    for (int line = 0; line < STICK_PORT_LINES; ++line) {
        if (!(port & (1u << line))) result = static_cast<uint8_t>(result & ~ports.pressed[line]);
    }
    return result;
}

bool stickControlNamed(const char* name, size_t length, StickControl& control)
{
    for (const StickControlEntry& entry : stickControlTable) {
        if (std::strlen(entry.name) == length && std::strncmp(entry.name, name, length) == 0) {
            control = entry.control;
            return true;
        }
    }
    return false;
}
