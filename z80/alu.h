// Arithmetic, logic and rotate rules shared by the instruction sets.
#pragma once

#include "z80/operands.h"
#include "z80/tables.h"

namespace z80 {

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

struct Rotated {
    uint8_t value;
    uint8_t carry;  // the bit shifted out, as FLAG_C
};

// The eight rotates and shifts by y, bits 3-5 of a CB opcode: RLC RRC RL RR
// SLA SRA SLL SRL. RLCA, RRCA, RLA and RRA are the first four on A.
constexpr Rotated rotate(int y, uint8_t v, int carryIn)
{
    uint8_t out = (y & 1) ? (v & 1) : static_cast<uint8_t>(v >> 7);
    switch (y) {
    case 0: return {static_cast<uint8_t>(v << 1 | v >> 7), out};
    case 1: return {static_cast<uint8_t>(v >> 1 | v << 7), out};
    case 2: return {static_cast<uint8_t>(v << 1 | carryIn), out};
    case 3: return {static_cast<uint8_t>(v >> 1 | carryIn << 7), out};
    case 4: return {static_cast<uint8_t>(v << 1), out};
    case 5: return {static_cast<uint8_t>((v & 0x80) | v >> 1), out};
    case 6: return {static_cast<uint8_t>(v << 1 | 1), out};
    default: return {static_cast<uint8_t>(v >> 1), out};
    }
}

// The CB forms replace F whole.
inline uint8_t rotateShift(Z80State& s, int y, uint8_t v)
{
    Rotated r = rotate(y, v, regF(s) & FLAG_C);
    setF(s, flagTableZSP[r.value] | r.carry);
    return r.value;
}

// BIT keeps S, P/V, C and bits 3 and 5; only Z follows the tested bit.
inline void testBit(Z80State& s, int bit, uint8_t v)
{
    uint8_t f = (regF(s) & 0xBD) | FLAG_H;
    if (!(v & (1 << bit))) f |= FLAG_Z;
    setF(s, f);
}

}  // namespace z80
