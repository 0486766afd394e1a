// The Windows program's joysticks: the system's first two joysticks through
// winmm's joyGetPosEx, as stick 1 and stick 2: the point-of-view hat or the
// X and Y axes to move, button 1 to fire, button 2 the arm button. Not tied
// to the window's focus, but the spine reads it only while Tessel is in front.
#include <windows.h>
#include <mmsystem.h>

#include "machine/joystick.h"
#include "shell/host.h"

namespace {

// The range of each axis, from the device's capabilities; looked up again
// whenever a stick comes back after a failed read.
struct AxisRange {
    bool known;
    DWORD xMin, xMax, yMin, yMax;
};

AxisRange ranges[STICK_COUNT];

// An axis's position from its middle, in halves of its range.
int32_t fromMiddle(DWORD value, DWORD low, DWORD high)
{
    return static_cast<int32_t>(2 * static_cast<int64_t>(value) - static_cast<int64_t>(low) - static_cast<int64_t>(high));
}

// The hat's angle in hundredths of a degree, clockwise from up, as pushes.
uint8_t hatControls(DWORD pov)
{
    if (LOWORD(pov) == JOY_POVCENTERED) return 0;
    constexpr DWORD EIGHTH = 4500;
    auto within = [&](DWORD centre) {
        DWORD distance = (pov + 36000 - centre) % 36000;
        return distance <= EIGHTH || distance >= 36000 - EIGHTH;
    };
    uint8_t held = 0;
    if (within(JOY_POVFORWARD)) held |= stickBit(StickControl::Up);
    if (within(JOY_POVRIGHT)) held |= stickBit(StickControl::Right);
    if (within(JOY_POVBACKWARD)) held |= stickBit(StickControl::Down);
    if (within(JOY_POVLEFT)) held |= stickBit(StickControl::Left);
    return held;
}

uint8_t readStick(int stick)
{
    UINT id = JOYSTICKID1 + static_cast<UINT>(stick);
    AxisRange& range = ranges[stick];
    if (!range.known) {
        JOYCAPSA caps{};
        if (joyGetDevCapsA(id, &caps, sizeof caps) != JOYERR_NOERROR) return 0;
        range = {true, caps.wXmin, caps.wXmax, caps.wYmin, caps.wYmax};
    }
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    if (joyGetPosEx(id, &info) != JOYERR_NOERROR) {
        range.known = false;
        return 0;
    }
    uint8_t held = (info.dwFlags & JOY_RETURNPOV) ? hatControls(info.dwPOV) : 0;
    // Each axis against its own range.
    held |= stickAxesHeld(fromMiddle(info.dwXpos, range.xMin, range.xMax), 0, static_cast<int32_t>(range.xMax - range.xMin));
    held |= stickAxesHeld(0, fromMiddle(info.dwYpos, range.yMin, range.yMax), static_cast<int32_t>(range.yMax - range.yMin));
    if (info.dwButtons & JOY_BUTTON1) held |= stickBit(StickControl::Fire);
    if (info.dwButtons & JOY_BUTTON2) held |= stickBit(StickControl::Arm);
    return held;
}

}  // namespace

void hostReadSticks(StickInput& sticks)
{
    for (int stick = 0; stick < STICK_COUNT; ++stick) sticks.held[stick] = readStick(stick);
}
