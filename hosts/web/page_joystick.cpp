// The page's joysticks (page_joystick.h): what the page reports of the
// gamepads and of the pointers on the drawn stick, turned into the sticks
// the machine reads once a frame.
#include "hosts/web/page_joystick.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "hosts/web/host_web.h"
#include "shell/host.h"
#include "shell/key_typing.h"

namespace {

// The drawn pad moves the stick anywhere outside its middle quarter, in its
// radii.
constexpr double DRAWN_PAD_DEAD_ZONE = 0.25;
// A gamepad's axes, -1 to 1, in the steps stickAxesHeld counts.
constexpr int32_t GAMEPAD_TRAVEL = 1000;
// sin 22.5 degrees: the pad falls into eight sectors of 45 degrees, each
// diagonal's between the two directions it joins.
constexpr double SECTOR_EDGE = 0.38268343236508984;

// The buttons of a gamepad of the browser's standard layout, by their bit
// in what the page reports: A, B, and the D-pad.
constexpr int GAMEPAD_BUTTON_A = 0;
constexpr int GAMEPAD_BUTTON_B = 1;
constexpr int GAMEPAD_DPAD_UP = 12;
constexpr int GAMEPAD_DPAD_DOWN = 13;
constexpr int GAMEPAD_DPAD_LEFT = 14;
constexpr int GAMEPAD_DPAD_RIGHT = 15;

// The stick the page draws.
constexpr int DRAWN_STICK = 0;

uint8_t directionsAt(double x, double y, double deadZone)
{
    double distance = std::hypot(x, y);
    if (!(distance >= deadZone)) return 0;  // a NaN from the page too
    double edge = distance * SECTOR_EDGE;
    uint8_t held = 0;
    if (-y > edge) held |= stickBit(StickControl::Up);
    if (y > edge) held |= stickBit(StickControl::Down);
    if (-x > edge) held |= stickBit(StickControl::Left);
    if (x > edge) held |= stickBit(StickControl::Right);
    return held;
}

uint8_t heldByPointers()
{
    uint8_t held = 0;
    for (const StickPointer& pointer : web.sticks.pointers) held |= pointer.controls;
    return held;
}

// The pointer's slot, or a free one for a new pointer; null when every
// slot is taken.
StickPointer* pointerSlot(int id)
{
    StickPointer* free = nullptr;
    for (StickPointer& pointer : web.sticks.pointers) {
        if (pointer.down && pointer.id == id) return &pointer;
        if (!pointer.down && !free) free = &pointer;
    }
    return free;
}

// A control that goes down is new to the machine; one let go before the
// machine has seen it long enough waits until it has, so a quick tap
// counts as a typed key does.
void holdWithPointer(StickPointer& pointer, int id, uint8_t controls)
{
    PageSticks& s = web.sticks;
    uint8_t before = heldByPointers();
    pointer = StickPointer{.down = true, .id = id, .controls = controls};
    uint8_t after = heldByPointers();
    for (int control = 0; control < STICK_CONTROL_COUNT; ++control) {
        auto bit = static_cast<uint8_t>(1u << control);
        if ((after & ~before) & bit) {
            s.framesSeen[control] = 0;
            s.releaseWaiting &= static_cast<uint8_t>(~bit);
        } else if ((before & ~after) & bit && s.framesSeen[control] < KEY_HELD_FRAMES) {
            s.releaseWaiting |= bit;
        }
    }
}

}  // namespace

void forgetPageSticks() { web.sticks = PageSticks{}; }

// The sticks' controls, one a line, their fields separated by tabs: stick
// (1 or 2), control (its bit in what webStickLook gives), name, label.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webStickControls()
{
    static char list[512];
    int used = 0;
    for (const StickControlEntry& entry : stickControlTable) {
        used += std::snprintf(list + used, sizeof list - used, "%d\t%d\t%s\t%s\n", entry.stick + 1,
                              static_cast<int>(entry.control), entry.name, entry.label);
    }
    return list;
}

// Gamepad `stick` (0 or 1) as the page read it: its left stick's axes (x
// right, y down, -1 to 1) and its buttons pressed, bit b for button b of
// the standard layout.
extern "C" EMSCRIPTEN_KEEPALIVE void webGamepad(int stick, double x, double y, int buttons)
{
    if (stick < 0 || stick >= STICK_COUNT) return;
    auto pressed = [buttons](int button) { return (buttons >> button) & 1; };
    auto axis = [](double value) {
        return std::isfinite(value) ? static_cast<int32_t>(std::clamp(value, -1.0, 1.0) * GAMEPAD_TRAVEL) : 0;
    };
    uint8_t held = stickAxesHeld(axis(x), axis(y), GAMEPAD_TRAVEL);
    if (pressed(GAMEPAD_DPAD_UP)) held |= stickBit(StickControl::Up);
    if (pressed(GAMEPAD_DPAD_DOWN)) held |= stickBit(StickControl::Down);
    if (pressed(GAMEPAD_DPAD_LEFT)) held |= stickBit(StickControl::Left);
    if (pressed(GAMEPAD_DPAD_RIGHT)) held |= stickBit(StickControl::Right);
    if (pressed(GAMEPAD_BUTTON_A)) held |= stickBit(StickControl::Fire);
    if (pressed(GAMEPAD_BUTTON_B)) held |= stickBit(StickControl::Arm);
    web.sticks.gamepads[stick] = held;
}

// A pointer down on the drawn pad, or moved on it: (x, y) from the pad's
// middle in its radii, y down.
extern "C" EMSCRIPTEN_KEEPALIVE void webStickPadPointer(int pointer, double x, double y)
{
    if (StickPointer* slot = pointerSlot(pointer)) holdWithPointer(*slot, pointer, directionsAt(x, y, DRAWN_PAD_DEAD_ZONE));
}

// A pointer down on one control's button (its bit, as webStickControls lists it).
extern "C" EMSCRIPTEN_KEEPALIVE void webStickControlPointer(int pointer, int control)
{
    if (control < 0 || control >= STICK_CONTROL_COUNT) return;
    if (StickPointer* slot = pointerSlot(pointer)) holdWithPointer(*slot, pointer, static_cast<uint8_t>(1u << control));
}

extern "C" EMSCRIPTEN_KEEPALIVE void webStickPointerUp(int pointer)
{
    for (StickPointer& slot : web.sticks.pointers) {
        if (!slot.down || slot.id != pointer) continue;
        holdWithPointer(slot, pointer, 0);
        slot.down = false;
    }
}

// The drawn stick's controls down for the machine, by the page or by the
// first gamepad, as the page draws them.
extern "C" EMSCRIPTEN_KEEPALIVE int webStickLook()
{
    const PageSticks& s = web.sticks;
    return heldByPointers() | s.releaseWaiting | s.gamepads[DRAWN_STICK];
}

// Once a frame, while the page is in front: the gamepads, and the drawn
// stick for stick 1. Each control the page holds has been seen once more.
void hostReadSticks(StickInput& sticks)
{
    PageSticks& s = web.sticks;
    uint8_t drawn = heldByPointers() | s.releaseWaiting;
    for (int stick = 0; stick < STICK_COUNT; ++stick) sticks.held[stick] = s.gamepads[stick];
    sticks.held[DRAWN_STICK] |= drawn;
    for (int control = 0; control < STICK_CONTROL_COUNT; ++control) {
        auto bit = static_cast<uint8_t>(1u << control);
        if (!(drawn & bit)) continue;
        if (s.framesSeen[control] < KEY_HELD_FRAMES) ++s.framesSeen[control];
        if (s.framesSeen[control] >= KEY_HELD_FRAMES) s.releaseWaiting &= static_cast<uint8_t>(~bit);
    }
}
