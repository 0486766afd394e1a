// The CB set: rotates, shifts, BIT, RES and SET on a register or on (HL).
#pragma once

#include "z80/alu.h"
#include "z80/dispatch.h"

namespace z80 {

template <int op, class S>
Z80_INLINE void cbInstruction(S& s)
{
    constexpr int group = op >> 6, y = (op >> 3) & 7, r = op & 7;
    uint8_t v = readOperand<r>(s);
    if constexpr (group == 0) writeOperand<r>(s, rotateShift(s, y, v));
    if constexpr (group == 1) testBit(s, y, v);
    if constexpr (group == 2) writeOperand<r>(s, static_cast<uint8_t>(v & ~(1 << y)));
    if constexpr (group == 3) writeOperand<r>(s, static_cast<uint8_t>(v | (1 << y)));
}

// The instruction whose second byte is at PC.
template <class S>
Z80_INLINE void runCB(S& s)
{
#define CB_INSTRUCTION(n) cbInstruction<n>(s)
    Z80_DISPATCH(s, cyclesCB, CB_INSTRUCTION)
#undef CB_INSTRUCTION
}

}  // namespace z80
