// The VZ200 memory map and its empty port space.
#pragma once

#include <cstdint>

#include "z80/bus.h"

constexpr uint16_t PROTECTED_END = 0x6800;       // writes below are ignored
constexpr uint16_t KEYBOARD_WINDOW_END = 0x6FFF; // 0x6800-0x6FFF: keyboard reads, latch writes
constexpr uint16_t VIDEO_MEMORY = 0x7000;

// Bits of the output latch.
constexpr uint8_t LATCH_GRAPHICS = 0x08;
constexpr uint8_t LATCH_COLOR_SET = 0x10;

constexpr int MEMORY_SIZE = 65536;
using MemoryImage = uint8_t[MEMORY_SIZE];

