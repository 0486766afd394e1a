// CP/M reduced to what the instruction exercisers use, on the flat bus: the
// program at 0x0100, console output through CALL 5 (answered by the trap
// opcode), and JP 0 at the end, which lands on a HALT.
#pragma once

#include <cstdint>

#include "z80/z80.h"

constexpr uint16_t CPM_PROGRAM_START = 0x0100;
constexpr uint16_t CPM_FINAL_HALT = 0x0000;

// Clears the flat memory and puts the program file there: its size, 0 when
// it does not fit below the trap, -1 when it cannot be read.
long loadCpmProgram(const char* path);

// The zero page and the trap, then the processor reset onto the program with
// no frame interrupt: the exercisers run EI between tests, and a frame-end
// RST 38 would land on nothing.
void startCpmProgram(Z80State& s, int32_t cyclesPerFrame);
