// What the front end's keyboard and RetroPads press on the VZ200: the
// keyboard by key identity, as the desktop program takes it; the pads on
// ports 1 and 2 as the machine's two joysticks, or port 1's pad as keys, each
// button the key the options pick for it.
#pragma once

#include <cstdint>

#include "hosts/libretro/core_options.h"
#include "hosts/libretro/libretro.h"
#include "machine/joystick.h"
#include "machine/keyboard.h"

// A pad on each of the first ports, one for each stick.
constexpr int PAD_PORTS = STICK_COUNT;

// The frame's key snapshot: every keyboard key that is down, and when the
// pads drive keys, every button of port 1's pad that is down.
void readFrameKeys(retro_input_state_t inputState, const bool padPlugged[PAD_PORTS], const CoreOptions& options,
                   uint8_t keys[HOST_KEY_COUNT]);

// The frame's stick snapshot: when the pads drive the joysticks, what each
// port's pad holds of its stick; else nothing.
void readFrameSticks(retro_input_state_t inputState, const bool padPlugged[PAD_PORTS], const CoreOptions& options,
                     StickInput& sticks);

// Tells the front end what each input of the pads does under these options.
void describeInputs(retro_environment_t environment, const CoreOptions& options);
