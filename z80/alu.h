// Arithmetic, logic and rotate rules shared by the instruction sets.
#pragma once

#include "z80/bus.h"
#include "z80/tables.h"
#include "z80/z80.h"

namespace z80 {

inline uint8_t regA(const Z80State& s) { return high(s.AF); }
inline uint8_t regF(const Z80State& s) { return low(s.AF); }
inline void setA(Z80State& s, uint8_t v) { setHigh(s.AF, v); }
inline void setF(Z80State& s, uint8_t v) { setLow(s.AF, v); }

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

// Effective address of (index + d); the displacement is the next byte.
inline uint16_t indexedAddress(Z80State& s, uint16_t index)
{
    return static_cast<uint16_t>(index + static_cast<int8_t>(fetchByte(s)));
}

// The eight accumulator operations in opcode order: ADD ADC SUB SBC AND XOR OR CP.
// Flags are built whole, so bits 3 and 5 always end up clear.
inline void addA(Z80State& s, uint8_t v, int carry)
{
    int a = regA(s);
    int sum = a + v + carry;
    uint8_t result = static_cast<uint8_t>(sum);
    uint8_t f = flagTableZS[result];
    f |= (a ^ v ^ sum) & FLAG_H;
    if (~(a ^ v) & (a ^ sum) & 0x80) f |= FLAG_PV;
    if (sum > 0xFF) f |= FLAG_C;
    s.AF = static_cast<uint16_t>(result << 8 | f);
}

inline uint8_t subtractFlags(int a, uint8_t v, int diff)
{
    uint8_t result = static_cast<uint8_t>(diff);
    uint8_t f = flagTableZS[result] | FLAG_N;
    f |= (a ^ v ^ diff) & FLAG_H;
    if ((a ^ v) & (a ^ diff) & 0x80) f |= FLAG_PV;
    if (diff < 0) f |= FLAG_C;
    return f;
}

inline void subA(Z80State& s, uint8_t v, int carry)
{
    int a = regA(s);
    int diff = a - v - carry;
    s.AF = static_cast<uint16_t>((diff & 0xFF) << 8 | subtractFlags(a, v, diff));
}

inline void cpA(Z80State& s, uint8_t v)
{
    int a = regA(s);
    setF(s, subtractFlags(a, v, a - v));
}

inline void andA(Z80State& s, uint8_t v)
{
    uint8_t result = regA(s) & v;
    s.AF = static_cast<uint16_t>(result << 8 | flagTableZSP[result] | FLAG_H);
}

inline void xorA(Z80State& s, uint8_t v)
{
    uint8_t result = regA(s) ^ v;
    s.AF = static_cast<uint16_t>(result << 8 | flagTableZSP[result]);
}

inline void orA(Z80State& s, uint8_t v)
{
    uint8_t result = regA(s) | v;
    s.AF = static_cast<uint16_t>(result << 8 | flagTableZSP[result]);
}

// y = bits 3-5 of the opcode selects the operation.
inline void accumulatorOp(Z80State& s, int y, uint8_t v)
{
    switch (y) {
    case 0: addA(s, v, 0); break;
    case 1: addA(s, v, regF(s) & FLAG_C); break;
    case 2: subA(s, v, 0); break;
    case 3: subA(s, v, regF(s) & FLAG_C); break;
    case 4: andA(s, v); break;
    case 5: xorA(s, v); break;
    case 6: orA(s, v); break;
    default: cpA(s, v); break;
    }
}

inline uint8_t inc8(Z80State& s, uint8_t v)
{
    uint8_t result = static_cast<uint8_t>(v + 1);
    uint8_t f = (regF(s) & FLAG_C) | flagTableZS[result];
    if ((result & 0x0F) == 0) f |= FLAG_H;
    if (result == 0x80) f |= FLAG_PV;
    setF(s, f);
    return result;
}

inline uint8_t dec8(Z80State& s, uint8_t v)
{
    uint8_t result = static_cast<uint8_t>(v - 1);
    uint8_t f = (regF(s) & FLAG_C) | FLAG_N | flagTableZS[result];
    if ((result & 0x0F) == 0x0F) f |= FLAG_H;
    if (result == 0x7F) f |= FLAG_PV;
    setF(s, f);
    return result;
}

// ADD HL,rr and its index forms: S, Z, P/V and bits 3 and 5 keep their values.
inline uint16_t add16(Z80State& s, uint16_t a, uint16_t b)
{
    uint32_t sum = uint32_t{a} + b;
    uint8_t f = regF(s) & 0xEC;
    if ((a ^ b ^ sum) & 0x1000) f |= FLAG_H;
    if (sum > 0xFFFF) f |= FLAG_C;
    setF(s, f);
    return static_cast<uint16_t>(sum);
}

// The eight CB rotates and shifts, by bits 3-5 of the opcode; F is replaced whole.
inline uint8_t rotateShift(Z80State& s, int y, uint8_t v)
{
    int carryIn = regF(s) & FLAG_C;
    uint8_t result;
    uint8_t carryOut;
    switch (y) {
    case 0: result = static_cast<uint8_t>(v << 1 | v >> 7); carryOut = v >> 7; break;     // RLC
    case 1: result = static_cast<uint8_t>(v >> 1 | v << 7); carryOut = v & 1; break;      // RRC
    case 2: result = static_cast<uint8_t>(v << 1 | carryIn); carryOut = v >> 7; break;    // RL
    case 3: result = static_cast<uint8_t>(v >> 1 | carryIn << 7); carryOut = v & 1; break; // RR
    case 4: result = static_cast<uint8_t>(v << 1); carryOut = v >> 7; break;              // SLA
    case 5: result = static_cast<uint8_t>((v & 0x80) | v >> 1); carryOut = v & 1; break;  // SRA
    case 6: result = static_cast<uint8_t>(v << 1 | 1); carryOut = v >> 7; break;          // SLL
    default: result = static_cast<uint8_t>(v >> 1); carryOut = v & 1; break;             // SRL
    }
    setF(s, flagTableZSP[result] | carryOut);
    return result;
}

// BIT keeps S, P/V, C and bits 3 and 5; only Z follows the tested bit.
inline void testBit(Z80State& s, int bit, uint8_t v)
{
    uint8_t f = (regF(s) & 0xBD) | FLAG_H;
    if (!(v & (1 << bit))) f |= FLAG_Z;
    setF(s, f);
}

// Prefixed forms that cost nothing could otherwise spin a frame forever
// (DD 18 FD jumps back onto its own prefix). Each frame grants a number of
// them; once it is spent, each further one is charged as a NOP.
extern int32_t zeroCostAllowance;
constexpr int32_t ZERO_COST_ALLOWANCE_PER_FRAME = 71600;
constexpr int32_t ZERO_COST_OVERDRAFT_CHARGE = 4;

inline void chargeZeroCost(Z80State& s)
{
    if (--zeroCostAllowance < 0) s.cyclesLeft -= ZERO_COST_OVERDRAFT_CHARGE;
}

}  // namespace z80
