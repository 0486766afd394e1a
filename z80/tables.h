// Cycle costs and flag results, built at compile time from their rules.
#pragma once

#include <array>
#include <cstdint>

#include "z80/z80.h"

namespace z80 {

using Table = std::array<uint8_t, 256>;

// Zilog's counts; conditional JR, DJNZ, CALL and RET hold the not-taken cost
// and add the rest when they branch. Prefix bytes cost nothing here.
inline constexpr Table cyclesUnprefixed = {
    4, 10, 7, 6, 4, 4, 7, 4, 4, 11, 7, 6, 4, 4, 7, 4,
    8, 10, 7, 6, 4, 4, 7, 4, 12, 11, 7, 6, 4, 4, 7, 4,
    7, 10, 16, 6, 4, 4, 7, 4, 7, 11, 16, 6, 4, 4, 7, 4,
    7, 10, 13, 6, 11, 11, 10, 4, 7, 11, 13, 6, 4, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,
    7, 7, 7, 7, 7, 7, 4, 7, 4, 4, 4, 4, 4, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4,
    5, 10, 10, 10, 10, 11, 7, 11, 5, 10, 10, 0, 10, 17, 7, 11,
    5, 10, 10, 11, 10, 11, 7, 11, 5, 4, 10, 11, 10, 0, 7, 11,
    5, 10, 10, 19, 10, 11, 7, 11, 5, 4, 10, 4, 10, 0, 7, 11,
    5, 10, 10, 4, 10, 11, 7, 11, 5, 6, 10, 4, 10, 0, 7, 11,
};

// Whole-instruction counts; 0 where the instruction does nothing, and for the
// repeating block instructions, which charge their own cycles.
inline constexpr Table cyclesED = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    12, 12, 15, 20, 8, 14, 8, 9, 12, 12, 15, 20, 0, 14, 0, 9,
    12, 12, 15, 20, 0, 0, 8, 9, 12, 12, 15, 20, 0, 0, 8, 9,
    12, 12, 15, 20, 0, 0, 0, 18, 12, 12, 15, 20, 0, 0, 0, 18,
    12, 0, 15, 20, 0, 0, 0, 0, 12, 12, 15, 20, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    16, 16, 16, 16, 0, 0, 0, 0, 16, 16, 16, 16, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// One table for DD and FD. Opcodes the prefix does not change cost nothing.
inline constexpr Table cyclesIndex = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0,
    0, 14, 20, 10, 9, 9, 9, 0, 0, 15, 20, 10, 9, 9, 9, 0,
    0, 0, 0, 0, 23, 23, 19, 0, 0, 15, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 9, 9, 19, 0, 0, 0, 0, 0, 9, 9, 19, 0,
    0, 0, 0, 0, 9, 9, 19, 0, 0, 0, 0, 0, 9, 9, 19, 0,
    9, 9, 9, 9, 9, 9, 19, 9, 9, 9, 9, 9, 9, 9, 19, 9,
    19, 19, 19, 19, 19, 19, 19, 19, 0, 0, 0, 0, 9, 9, 19, 0,
    0, 0, 0, 0, 9, 9, 19, 0, 0, 0, 0, 0, 9, 9, 19, 0,
    0, 0, 0, 0, 9, 9, 19, 0, 0, 0, 0, 0, 9, 9, 19, 0,
    0, 0, 0, 0, 9, 9, 19, 0, 0, 0, 0, 0, 9, 9, 19, 0,
    0, 0, 0, 0, 9, 9, 19, 0, 0, 0, 0, 0, 9, 9, 19, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 14, 0, 23, 0, 15, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0,
};

// CB space: 8 on a register; on (HL) 12 for BIT, 15 for everything else.
constexpr Table makeCyclesCB()
{
    Table table{};
    for (int op = 0; op < 256; ++op) {
        bool onMemory = (op & 7) == 6;
        bool isBit = op >= 0x40 && op < 0x80;
        table[op] = !onMemory ? 8 : isBit ? 12 : 15;
    }
    return table;
}

// DD CB d op: 20 for every BIT, 23 for the (IX+d) forms of the other groups,
// 0 for the register forms, which do nothing here.
constexpr Table makeCyclesIndexCB()
{
    Table table{};
    for (int op = 0; op < 256; ++op) {
        bool isBit = op >= 0x40 && op < 0x80;
        table[op] = isBit ? 20 : (op & 7) == 6 ? 23 : 0;
    }
    return table;
}

constexpr uint8_t signZero(int v) { return static_cast<uint8_t>((v & FLAG_S) | (v == 0 ? FLAG_Z : 0)); }

constexpr bool evenParity(int v)
{
    int ones = 0;
    for (int bit = 0; bit < 8; ++bit) ones += (v >> bit) & 1;
    return (ones & 1) == 0;
}

constexpr Table makeFlagTableZS()
{
    Table table{};
    for (int v = 0; v < 256; ++v) table[v] = signZero(v);
    return table;
}

constexpr Table makeFlagTableZSP()
{
    Table table{};
    for (int v = 0; v < 256; ++v) table[v] = static_cast<uint8_t>(signZero(v) | (evenParity(v) ? FLAG_PV : 0));
    return table;
}

// The DAA table's index is A with these bits for C, H and N above it; an
// entry is the whole new AF.
constexpr int DAA_CARRY = 0x100;
constexpr int DAA_HALF = 0x200;
constexpr int DAA_SUBTRACT = 0x400;
constexpr int DAA_ENTRIES = 0x800;

constexpr std::array<uint16_t, DAA_ENTRIES> makeDaaTable()
{
    std::array<uint16_t, DAA_ENTRIES> table{};
    for (int index = 0; index < DAA_ENTRIES; ++index) {
        int a = index & 0xFF;
        bool carry = index & DAA_CARRY, half = index & DAA_HALF, subtract = index & DAA_SUBTRACT;
        int correction = 0;
        if (half || (a & 0x0F) > 9) correction |= 0x06;
        bool newCarry = carry || a > 0x99;
        if (newCarry) correction |= 0x60;
        int result;
        bool newHalf;
        if (subtract) {
            result = (a - correction) & 0xFF;
            newHalf = half && (a & 0x0F) < 6;
        } else {
            result = (a + correction) & 0xFF;
            newHalf = (a & 0x0F) > 9;
        }
        int f = signZero(result) | (result & (FLAG_5 | FLAG_3)) | (newHalf ? FLAG_H : 0) |
                (evenParity(result) ? FLAG_PV : 0) | (subtract ? FLAG_N : 0) | (newCarry ? FLAG_C : 0);
        table[index] = static_cast<uint16_t>(result << 8 | f);
    }
    return table;
}

inline constexpr Table cyclesCB = makeCyclesCB();
inline constexpr Table cyclesIndexCB = makeCyclesIndexCB();
inline constexpr Table flagTableZS = makeFlagTableZS();
inline constexpr Table flagTableZSP = makeFlagTableZSP();
inline constexpr std::array<uint16_t, DAA_ENTRIES> daaTable = makeDaaTable();

}  // namespace z80
