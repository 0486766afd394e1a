// Memory as the instructions reach it through the bus: fetches, 16-bit
// words, the stack and indexed addresses.
#pragma once

#include "z80/bus.h"
#include "z80/z80.h"

namespace z80 {

inline uint8_t fetchByte(Z80State& s) { return memRead(s.PC++); }

inline uint16_t fetchWord(Z80State& s)
{
    uint8_t lo = memRead(s.PC++);
    return static_cast<uint16_t>(lo | memRead(s.PC++) << 8);
}

inline uint16_t readWord(uint16_t address)
{
    return static_cast<uint16_t>(memRead(address) | memRead(static_cast<uint16_t>(address + 1)) << 8);
}

inline void writeWord(uint16_t address, uint16_t value)
{
    memWrite(address, low(value));
    memWrite(static_cast<uint16_t>(address + 1), high(value));
}

inline void push(Z80State& s, uint16_t value)
{
    memWrite(--s.SP, high(value));
    memWrite(--s.SP, low(value));
}

inline uint16_t pop(Z80State& s)
{
    uint8_t lo = memRead(s.SP++);
    return static_cast<uint16_t>(lo | memRead(s.SP++) << 8);
}

// EX (SP),HL and its index forms, byte by byte in the processor's order.
inline void exchangeStackTop(Z80State& s, uint16_t& pair)
{
    uint8_t lo = memRead(s.SP);
    memWrite(s.SP, low(pair));
    uint16_t above = static_cast<uint16_t>(s.SP + 1);
    uint8_t hi = memRead(above);
    memWrite(above, high(pair));
    pair = static_cast<uint16_t>(hi << 8 | lo);
}

// Effective address of (index + d); the displacement is the next byte.
inline uint16_t indexedAddress(Z80State& s, uint16_t index)
{
    return static_cast<uint16_t>(index + static_cast<int8_t>(fetchByte(s)));
}

}  // namespace z80
