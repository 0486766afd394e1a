// The desktop program's joysticks on Linux: the first two game controllers
// that SDL2 knows (its game-controller mapping makes any pad look like one),
// as stick 1 and stick 2: the D-pad or the left stick to move, A to fire,
// B the arm button. Controllers plugged in or out are taken at the next read.
#include <SDL.h>

#include "machine/joystick.h"
#include "shell/host.h"

namespace {


SDL_GameController* controllers[STICK_COUNT];
bool initialised;
bool unavailable;  // SDL's game controllers could not be started

bool startControllers()
{
    if (initialised) return !unavailable;
    initialised = true;
    // As for the sound: Ctrl+C and SIGTERM stay the program's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    unavailable = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0;
    if (unavailable) return false;
    // Nothing reads SDL's event queue: the states are polled instead.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    return true;
}

// Keeps controllers[] on the first two attached game controllers.
void attachControllers()
{
    for (SDL_GameController*& controller : controllers) {
        if (controller && !SDL_GameControllerGetAttached(controller)) {
            SDL_GameControllerClose(controller);
            controller = nullptr;
        }
    }
    int next = 0;
    for (int index = 0; index < SDL_NumJoysticks() && next < STICK_COUNT; ++index) {
        if (!SDL_IsGameController(index)) continue;
        SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        SDL_GameController* open = SDL_GameControllerFromInstanceID(id);
        if (!open) open = SDL_GameControllerOpen(index);
        if (open) controllers[next++] = open;
    }
    for (int stick = next; stick < STICK_COUNT; ++stick) controllers[stick] = nullptr;
}

uint8_t heldControls(SDL_GameController* controller)
{
    auto button = [&](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(controller, b) != 0; };
    Sint16 x = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    Sint16 y = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY);
    uint8_t held = stickAxesHeld(x, y, SDL_JOYSTICK_AXIS_MAX);
    if (button(SDL_CONTROLLER_BUTTON_DPAD_UP)) held |= stickBit(StickControl::Up);
    if (button(SDL_CONTROLLER_BUTTON_DPAD_DOWN)) held |= stickBit(StickControl::Down);
    if (button(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) held |= stickBit(StickControl::Left);
    if (button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) held |= stickBit(StickControl::Right);
    if (button(SDL_CONTROLLER_BUTTON_A)) held |= stickBit(StickControl::Fire);
    if (button(SDL_CONTROLLER_BUTTON_B)) held |= stickBit(StickControl::Arm);
    return held;
}

}  // namespace

void hostReadSticks(StickInput& sticks)
{
    sticks = StickInput{};
    if (!startControllers()) return;
    // No SDL event loop runs here: this brings the devices' state up to date.
    SDL_GameControllerUpdate();
    attachControllers();
    for (int stick = 0; stick < STICK_COUNT; ++stick) {
        if (controllers[stick]) sticks.held[stick] = heldControls(controllers[stick]);
    }
}
