// Filling the machine from files: the system ROM and the character
// generator at start, program files (".vz") on request.
#pragma once

#include <cstdint>

#include "z80/z80.h"

constexpr int ROM_SIZE = 16384;  // "vzrom.v20", placed at 0x0000
constexpr int FONT_SIZE = 3072;  // "vz200.fnt": 256 glyphs of 12 lines

// Glyph b, line k (0 = top) is byte 12 * b + k; bit 0 is the leftmost pixel.
extern uint8_t fontImage[FONT_SIZE];

// The .vz header; the body follows it.
constexpr int VZ_HEADER_SIZE = 24;
constexpr int VZ_TYPE_OFFSET = 21;
constexpr int VZ_ADDRESS_OFFSET = 22;  // little-endian load address
constexpr uint8_t VZ_TYPE_MACHINE_CODE = 0xF1;  // run from the load address

// Read the file byte by byte; bytes past the end of a short file read as
// 0xFF and the surplus of a long one is not read. False, with nothing
// changed, when the file cannot be opened or read (a directory).
bool loadRomImage(const char* path);
bool loadFontImage(const char* path);

// Copies the body of a .vz file into memory from its load address, ignoring
// the write protection, up to 0xFFFF at most; a machine-code program also
// moves PC to the load address. False, with nothing changed, when the file
// cannot be opened or read or is shorter than its header.
bool loadProgramFromPath(const char* path, Z80State& s);
