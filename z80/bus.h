// The processor's only way to memory and ports. The machine links its own
// implementation; test programs may link a flat 64 KB one instead.
//
// While the processor runs, it keeps registers in locals: during memWrite,
// portOut and the memRead of an operand, of its state only the budget
// (cyclesLeft, already charged for the instruction) is sure to be current;
// patchHook gets the whole state, and what it changes there counts.
#pragma once

#include <cstdint>

struct Z80State;

uint8_t memRead(uint16_t address);
void memWrite(uint16_t address, uint8_t value);
uint8_t portIn(uint16_t port);
void portOut(uint16_t port, uint8_t value);
void patchHook(Z80State& s);  // called by the trap opcode ED FE
