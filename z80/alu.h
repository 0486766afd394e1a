// Arithmetic, logic and rotate rules shared by the instruction sets.
#pragma once

#include "z80/operands.h"
#include "z80/tables.h"

namespace z80 {

// Masks of F for the instructions that replace only some flags, named by
// the flags they let through.
constexpr uint8_t allFlagsBut(uint8_t replaced) { return static_cast<uint8_t>(~replaced); }
// ADD HL,rr, the accumulator rotates, SCF and CCF.
constexpr uint8_t ALL_BUT_H_N_C = allFlagsBut(FLAG_H | FLAG_N | FLAG_C);
// BIT.
constexpr uint8_t ALL_BUT_Z_N = allFlagsBut(FLAG_Z | FLAG_N);
// LDI, LDD and their repeating forms.
constexpr uint8_t ALL_BUT_H_PV_N = allFlagsBut(FLAG_H | FLAG_PV | FLAG_N);

constexpr uint8_t SIGN_BIT = 0x80;

// The eight accumulator operations in opcode order: ADD ADC SUB SBC AND XOR OR CP.
// Flags are built whole, so bits 3 and 5 always end up clear.
template <class S>
Z80_INLINE void addA(S& s, uint8_t v, int carry)
{
    int a = regA(s);
    int sum = a + v + carry;
    uint8_t result = static_cast<uint8_t>(sum);
    uint8_t f = flagTableZS[result];
    f |= (a ^ v ^ sum) & FLAG_H;
    if (~(a ^ v) & (a ^ sum) & SIGN_BIT) f |= FLAG_PV;
    if (sum > 0xFF) f |= FLAG_C;
    s.AF = static_cast<uint16_t>(result << 8 | f);
}

Z80_INLINE uint8_t subtractFlags(int a, uint8_t v, int diff)
{
    uint8_t result = static_cast<uint8_t>(diff);
    uint8_t f = flagTableZS[result] | FLAG_N;
    f |= (a ^ v ^ diff) & FLAG_H;
    if ((a ^ v) & (a ^ diff) & SIGN_BIT) f |= FLAG_PV;
    if (diff < 0) f |= FLAG_C;
    return f;
}

template <class S>
Z80_INLINE void subA(S& s, uint8_t v, int carry)
{
    int a = regA(s);
    int diff = a - v - carry;
    s.AF = static_cast<uint16_t>((diff & 0xFF) << 8 | subtractFlags(a, v, diff));
}

template <class S>
Z80_INLINE void cpA(S& s, uint8_t v)
{
    int a = regA(s);
    setF(s, subtractFlags(a, v, a - v));
}

template <class S>
Z80_INLINE void andA(S& s, uint8_t v)
{
    uint8_t result = regA(s) & v;
    s.AF = static_cast<uint16_t>(result << 8 | flagTableZSP[result] | FLAG_H);
}

template <class S>
Z80_INLINE void xorA(S& s, uint8_t v)
{
    uint8_t result = regA(s) ^ v;
    s.AF = static_cast<uint16_t>(result << 8 | flagTableZSP[result]);
}

template <class S>
Z80_INLINE void orA(S& s, uint8_t v)
{
    uint8_t result = regA(s) | v;
    s.AF = static_cast<uint16_t>(result << 8 | flagTableZSP[result]);
}

// y = bits 3-5 of the opcode selects the operation.
template <class S>
Z80_INLINE void accumulatorOp(S& s, int y, uint8_t v)
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

template <class S>
Z80_INLINE uint8_t inc8(S& s, uint8_t v)
{
    uint8_t result = static_cast<uint8_t>(v + 1);
    uint8_t f = (regF(s) & FLAG_C) | flagTableZS[result];
    if ((result & 0x0F) == 0) f |= FLAG_H;
    if (result == 0x80) f |= FLAG_PV;
    setF(s, f);
    return result;
}

template <class S>
Z80_INLINE uint8_t dec8(S& s, uint8_t v)
{
    uint8_t result = static_cast<uint8_t>(v - 1);
    uint8_t f = (regF(s) & FLAG_C) | FLAG_N | flagTableZS[result];
    if ((result & 0x0F) == 0x0F) f |= FLAG_H;
    if (result == 0x7F) f |= FLAG_PV;
    setF(s, f);
    return result;
}

// ADD HL,rr and its index forms: S, Z, P/V and bits 3 and 5 keep their values.
template <class S>
Z80_INLINE uint16_t add16(S& s, uint16_t a, uint16_t b)
{
    uint32_t sum = uint32_t{a} + b;
    uint8_t f = regF(s) & ALL_BUT_H_N_C;
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
Z80_INLINE constexpr Rotated rotate(int y, uint8_t v, int carryIn)
{
    uint8_t out = (y & 1) ? (v & 1) : static_cast<uint8_t>(v >> 7);
    switch (y) {
    case 0: return {static_cast<uint8_t>(v << 1 | v >> 7), out};
    case 1: return {static_cast<uint8_t>(v >> 1 | v << 7), out};
    case 2: return {static_cast<uint8_t>(v << 1 | carryIn), out};
    case 3: return {static_cast<uint8_t>(v >> 1 | carryIn << 7), out};
    case 4: return {static_cast<uint8_t>(v << 1), out};
    case 5: return {static_cast<uint8_t>((v & SIGN_BIT) | v >> 1), out};
    case 6: return {static_cast<uint8_t>(v << 1 | 1), out};
    default: return {static_cast<uint8_t>(v >> 1), out};
    }
}

// The CB forms replace F whole.
template <class S>
Z80_INLINE uint8_t rotateShift(S& s, int y, uint8_t v)
{
    Rotated r = rotate(y, v, regF(s) & FLAG_C);
    setF(s, flagTableZSP[r.value] | r.carry);
    return r.value;
}

// BIT keeps S, P/V, C and bits 3 and 5; only Z follows the tested bit.
template <class S>
Z80_INLINE void testBit(S& s, int bit, uint8_t v)
{
    uint8_t f = (regF(s) & ALL_BUT_Z_N) | FLAG_H;
    if (!(v & (1 << bit))) f |= FLAG_Z;
    setF(s, f);
}

}  // namespace z80
