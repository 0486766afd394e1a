// The VZ200 memory map and its ports: the joystick interface and the
// printer; other ports read 0xFF and take nothing.
#pragma once

#include <cstdint>

#include "z80/bus.h"

constexpr uint16_t PROTECTED_END = 0x6800;       // writes below are ignored
constexpr uint16_t KEYBOARD_WINDOW_END = 0x6FFF; // 0x6800-0x6FFF: keyboard reads, latch writes
constexpr uint16_t VIDEO_MEMORY = 0x7000;

// A read of the keyboard window: the keys' rows in bits 0-5, and beside them
// the cassette input (machine/tape_deck.h) and the video chip's field
// sync (machine/field_sync.h).
constexpr uint8_t WINDOW_KEY_BITS = 0x3F;
constexpr uint8_t WINDOW_CASSETTE_INPUT = 0x40;
constexpr uint8_t WINDOW_FIELD_SYNC = 0x80;

// Bits of the output latch.
constexpr uint8_t LATCH_GRAPHICS = 0x08;
constexpr uint8_t LATCH_COLOR_SET = 0x10;

constexpr int MEMORY_SIZE = 65536;
using MemoryImage = uint8_t[MEMORY_SIZE];

