// The joystick interface: two sticks at I/O ports 0x20-0x2F. Address lines
// A0-A3 each select one group of switches, active low, and a read with
// several of them low ANDs their groups:
//   A0 (port 0x2E) stick 1's directions and fire, A1 (0x2D) its arm button,
//   A2 (0x2B) stick 2's directions and fire, A3 (0x27) its arm button.
// A pressed switch reads 0: bit 0 up, 1 down, 2 left, 3 right, 4 fire, and
// an arm button on bit 4 of its own port; bits 5-7 are not driven and read
// 1, as the bus reads where nothing answers. (VZ200/VZ300 joystick interface:
// a 74LS138 decodes ports 0x20-0x2F, the switches pull the data lines low
// through 74LS09 gates selected by A0-A3.)
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int STICK_COUNT = 2;
constexpr int STICK_PORT_LINES = 4;  // A0-A3

enum class StickControl : uint8_t { Up, Down, Left, Right, Fire, Arm };
constexpr int STICK_CONTROL_COUNT = 6;

// What a host holds down in one frame: bit c of held[s] is control c of
// stick s (0 for stick 1).
struct StickInput {
    uint8_t held[STICK_COUNT];
};

constexpr uint8_t stickBit(StickControl control) { return static_cast<uint8_t>(1u << static_cast<int>(control)); }

// Which switches the interface sees closed, by port line: bit b of
// pressed[l] pulls data bit b low when line l is selected. All zero, no
// switch closed, is the power-on state.
struct JoystickPorts {
    uint8_t pressed[STICK_PORT_LINES];
};

// Every control of both sticks, stick 1's first: where it reads, its name
// on tessel-run's command line, and its label for a front end.
struct StickControlEntry {
    StickControl control;
    uint8_t stick;  // 0 or 1
    uint8_t line;   // the address line that selects it
    uint8_t bit;    // the data bit it pulls low
    const char* name;
    const char* label;
};

constexpr int STICK_TABLE_SIZE = STICK_COUNT * STICK_CONTROL_COUNT;
extern const StickControlEntry stickControlTable[STICK_TABLE_SIZE];

// An analogue stick as the directions it pushes: x right and y down, each
// from the middle, where an end lies travel away. An axis pushes past a
// third of its travel, on every front end alike.
constexpr uint8_t stickAxesHeld(int32_t x, int32_t y, int32_t travel)
{
    int32_t pushed = travel / 3;
    uint8_t held = 0;
    if (y < -pushed) held |= stickBit(StickControl::Up);
    if (y > pushed) held |= stickBit(StickControl::Down);
    if (x < -pushed) held |= stickBit(StickControl::Left);
    if (x > pushed) held |= stickBit(StickControl::Right);
    return held;
}

// The interface's switches from the frame's stick snapshot.
void applyStickInput(JoystickPorts& ports, const StickInput& input);

// Whether the interface answers a read of this port (the low byte of the
// port the processor forms).
constexpr bool isJoystickPort(uint8_t port) { return (port & 0xF0) == 0x20; }

// What a read of a joystick port gives.
uint8_t readJoystickPort(const JoystickPorts& ports, uint8_t port);

// The control named name ("up", ... "arm"); false for another word.
bool stickControlNamed(const char* name, size_t length, StickControl& control);
