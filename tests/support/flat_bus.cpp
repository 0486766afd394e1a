#include "tests/support/flat_bus.h"

#include <cstdio>

#include "z80/z80.h"

uint8_t flatMemory[FLAT_MEMORY_SIZE];
uint8_t flatPortValue = 0xFF;

uint8_t (*flatPortIn)(uint16_t port) = flatDefaultPortIn;
void (*flatPortOut)(uint16_t port, uint8_t value) = flatDefaultPortOut;
void (*flatTrap)(Z80State& s) = bdosTrap;
void (*flatConsoleOut)(char c) = flatDefaultConsoleOut;

// The processor's fetches and data accesses: kept trivial so that link-time
// optimisation can inline them into the instruction sets.
uint8_t memRead(uint16_t address, int32_t) { return flatMemory[address]; }
void memWrite(uint16_t address, uint8_t value) { flatMemory[address] = value; }

uint8_t portIn(uint16_t port) { return flatPortIn(port); }
void portOut(uint16_t port, uint8_t value) { flatPortOut(port, value); }
void patchHook(Z80State& s) { flatTrap(s); }

uint8_t flatDefaultPortIn(uint16_t) { return flatPortValue; }
void flatDefaultPortOut(uint16_t, uint8_t) {}

void flatDefaultConsoleOut(char c)
{
    std::fputc(c, stdout);
    // The exercisers print a dot line per test minutes apart: show it now.
    if (c == '\n') std::fflush(stdout);
}

constexpr uint8_t BDOS_PUT_CHAR = 2;
constexpr uint8_t BDOS_PUT_STRING = 9;

void bdosTrap(Z80State& s)
{
    const uint8_t function = low(s.BC);
    if (function == BDOS_PUT_CHAR) {
        flatConsoleOut(static_cast<char>(low(s.DE)));
    } else if (function == BDOS_PUT_STRING) {
        // A string without its '$' stops after one trip round memory.
        uint16_t address = s.DE;
        for (int n = 0; n < FLAT_MEMORY_SIZE && flatMemory[address] != '$'; ++n, ++address)
            flatConsoleOut(static_cast<char>(flatMemory[address]));
    }
}

void resetFlatBus()
{
    flatPortValue = 0xFF;
    flatPortIn = flatDefaultPortIn;
    flatPortOut = flatDefaultPortOut;
    flatTrap = bdosTrap;
    flatConsoleOut = flatDefaultConsoleOut;
}
