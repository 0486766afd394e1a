// Filling the machine from files: the system ROM and the character
// generator at start, program files (".vz") on request.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/bus.h"
#include "machine/vz_file.h"

struct Vz200;

// The machine files' names; which folder they are read from is the
// caller's choice.
constexpr const char* ROM_FILE = "vzrom.v20";
constexpr const char* FONT_FILE = "vz200.fnt";

constexpr int ROM_SIZE = 16384;  // placed at 0x0000
constexpr int FONT_SIZE = 3072;  // 256 glyphs of 12 lines

// Glyph b, line k (0 = top) is byte 12 * b + k; bit 0 is the leftmost pixel.
using FontImage = uint8_t[FONT_SIZE];

// Read the file byte by byte; bytes past the end of a short file read as
// 0xFF and the surplus of a long one is not read. False, with nothing
// changed, when the file cannot be opened or read (a directory).
bool loadRomImage(Vz200& machine, const char* path);
bool loadFontImage(Vz200& machine, const char* path);

// The longest .vz that means anything: its header and a body that fills
// the whole address space.
constexpr int PROGRAM_FILE_MAX = VZ_HEADER_SIZE + MEMORY_SIZE;

// A program named at the start (tessel-run --load, the libretro core's
// content, the page's ?load=) goes in before this frame, counted from 1:
// two seconds after power-on, when the ROM has long shown its prompt.
constexpr int PROGRAM_START_FRAME = 100;

// Copies the body of a .vz file into memory from its load address, ignoring
// the write protection, up to 0xFFFF at most; a machine-code program also
// moves PC to the load address. False, with nothing changed, when the file
// cannot be opened or read or is shorter than its header.
bool loadProgramFromPath(Vz200& machine, const char* path);

// The same for a .vz file's bytes already in memory.
bool loadProgramFromMemory(Vz200& machine, const uint8_t* file, size_t size);

// A tape file (.cvz or .wav) into the machine's tape deck, as insertTape
// takes its bytes; read in pieces, so that a long recording needs no room
// of its own. False with a reason, the deck and its tape as they were, when
// it cannot be opened or read or insertTape would refuse it.
bool insertTapeFromPath(Vz200& machine, const char* path, const char*& reason);
