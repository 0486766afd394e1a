// Memory as the instructions reach it through the bus: fetches, 16-bit
// words, the stack and indexed addresses. S is the state or the run loop's
// locals (loop_registers.h).
#pragma once

#include "z80/bus.h"
#include "z80/loop_registers.h"

namespace z80 {

template <class S>
Z80_INLINE uint8_t fetchByte(S& s)
{
    return memRead(s.PC++);
}

template <class S>
Z80_INLINE uint16_t fetchWord(S& s)
{
    uint8_t lo = memRead(s.PC++);
    return static_cast<uint16_t>(lo | memRead(s.PC++) << 8);
}

// An operand's read; fetches and the stack's are not timed.
template <class S>
Z80_INLINE uint8_t readByte(const S& s, uint16_t address)
{
    publishBudget(s);
    return memRead(address);
}

template <class S>
Z80_INLINE void writeByte(S& s, uint16_t address, uint8_t value)
{
    publishBudget(s);
    memWrite(address, value);
}

template <class S>
Z80_INLINE void writePort(S& s, uint16_t port, uint8_t value)
{
    publishBudget(s);
    portOut(port, value);
}

Z80_INLINE uint16_t readWord(uint16_t address)
{
    return static_cast<uint16_t>(memRead(address) | memRead(static_cast<uint16_t>(address + 1)) << 8);
}

template <class S>
Z80_INLINE void writeWord(S& s, uint16_t address, uint16_t value)
{
    writeByte(s, address, low(value));
    writeByte(s, static_cast<uint16_t>(address + 1), high(value));
}

template <class S>
Z80_INLINE void push(S& s, uint16_t value)
{
    writeByte(s, --s.SP, high(value));
    writeByte(s, --s.SP, low(value));
}

template <class S>
Z80_INLINE uint16_t pop(S& s)
{
    uint8_t lo = memRead(s.SP++);
    return static_cast<uint16_t>(lo | memRead(s.SP++) << 8);
}

// EX (SP),HL and its index forms, byte by byte in the processor's order.
template <class S>
Z80_INLINE void exchangeStackTop(S& s, uint16_t& pair)
{
    uint8_t lo = memRead(s.SP);
    writeByte(s, s.SP, low(pair));
    uint16_t above = static_cast<uint16_t>(s.SP + 1);
    uint8_t hi = memRead(above);
    writeByte(s, above, high(pair));
    pair = static_cast<uint16_t>(hi << 8 | lo);
}

// Effective address of (index + d); the displacement is the next byte.
template <class S>
Z80_INLINE uint16_t indexedAddress(S& s, uint16_t index)
{
    return static_cast<uint16_t>(index + static_cast<int8_t>(fetchByte(s)));
}

}  // namespace z80
