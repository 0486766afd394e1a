// The program icon as the desktop window shows it: the drawing of
// dist/tessel_icon.txt, turned into pixels by tools/make_icon at build time.
#pragma once

#include <cstdint>

constexpr int PROGRAM_ICON_SIZE = 32;  // pixels across and down
// R, G, B, A bytes a pixel, top row first; alpha 0 where the drawing is
// transparent.
constexpr int PROGRAM_ICON_BYTES = PROGRAM_ICON_SIZE * PROGRAM_ICON_SIZE * 4;
extern const uint8_t programIconPixels[PROGRAM_ICON_BYTES];
