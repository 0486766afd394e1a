// The desktop program's joysticks on SDL's virtual game controllers: the
// first two controllers are the two sticks, the D-pad or the left stick
// moves, A fires, B arms, and a controller pulled out holds nothing.
#include <gtest/gtest.h>

#include <SDL.h>

#include "machine/joystick.h"
#include "shell/host.h"

namespace {

constexpr int VIRTUAL_AXES = SDL_CONTROLLER_AXIS_MAX;
constexpr int VIRTUAL_BUTTONS = SDL_CONTROLLER_BUTTON_MAX;

SDL_Joystick* attach()
{
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, VIRTUAL_AXES, VIRTUAL_BUTTONS, 0);
    return index < 0 ? nullptr : SDL_JoystickOpen(index);
}

TEST(DesktopSticks, TwoControllersAreTheTwoSticks)
{
    StickInput sticks{};
    hostReadSticks(sticks);  // starts SDL's game controllers
    SDL_Joystick* first = attach();
    SDL_Joystick* second = attach();
    if (!first || !second) GTEST_SKIP() << "SDL has no virtual controllers here: " << SDL_GetError();

    hostReadSticks(sticks);
    EXPECT_EQ(sticks.held[0], 0);
    EXPECT_EQ(sticks.held[1], 0);

    SDL_JoystickSetVirtualButton(first, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    SDL_JoystickSetVirtualButton(first, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MAX);
    SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_B, 1);
    hostReadSticks(sticks);
    EXPECT_EQ(sticks.held[0], stickBit(StickControl::Left) | stickBit(StickControl::Fire));
    EXPECT_EQ(sticks.held[1], stickBit(StickControl::Down) | stickBit(StickControl::Arm));

    // A small push of the stick is no push.
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MAX / 8);
    hostReadSticks(sticks);
    EXPECT_EQ(sticks.held[1], stickBit(StickControl::Arm));

    // Pulled out: the other one becomes stick 1.
    SDL_JoystickClose(first);
    SDL_JoystickDetachVirtual(0);
    hostReadSticks(sticks);
    EXPECT_EQ(sticks.held[0], stickBit(StickControl::Arm));
    EXPECT_EQ(sticks.held[1], 0);
    SDL_JoystickClose(second);
}

}  // namespace
