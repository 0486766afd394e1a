// A flat 64 KB bus for running test programs on the processor alone: every
// address is RAM, there is no protected area and no keyboard window, and the
// trap opcode ED FE answers CP/M's console calls.
#pragma once

#include <cstdint>

#include "z80/bus.h"

constexpr int FLAT_MEMORY_SIZE = 65536;

// The frame of the programs run on this bus: a VZ200's 71,600 T-states, so
// that a frame holds as many instructions and free prefixed forms as the
// machine's does.
constexpr int32_t FLAT_FRAME_CYCLES = 71600;

extern uint8_t flatMemory[FLAT_MEMORY_SIZE];

// What every port read returns while no handler is installed.
extern uint8_t flatPortValue;

// Hooks for harnesses that answer or watch port traffic, take over the trap,
// or capture the console. Each starts out with the default behaviour; a
// harness may put its own function in and restore the default afterwards.
extern uint8_t (*flatPortIn)(uint16_t port);
extern void (*flatPortOut)(uint16_t port, uint8_t value);
extern void (*flatTrap)(Z80State& s);
extern void (*flatConsoleOut)(char c);

uint8_t flatDefaultPortIn(uint16_t port);
void flatDefaultPortOut(uint16_t port, uint8_t value);
void flatDefaultConsoleOut(char c);

// CP/M BDOS console functions, called with the registers of a CALL 5:
// C = 2 prints the character in E, C = 9 the '$'-terminated string at DE.
// Other functions are ignored.
void bdosTrap(Z80State& s);

// Puts every hook back to its default and the port value to 0xFF.
void resetFlatBus();
