// DD CB d op and FD CB d op: the CB operations on the byte at index + d.
#pragma once

#include "z80/alu.h"
#include "z80/control.h"
#include "z80/dispatch.h"

namespace z80 {

template <int op, class S>
Z80_INLINE void indexBitInstruction(S& s, uint16_t address)
{
    constexpr int group = op >> 6, y = (op >> 3) & 7, z = op & 7;
    if constexpr (group == 1) {
        testBit(s, y, readByte(s, address));  // every operand field tests (index + d)
    } else if constexpr (z != 6) {
        chargeZeroCost(s);  // the register-copy forms do nothing on this processor
    } else {
        uint8_t v = readByte(s, address);
        if constexpr (group == 0) writeByte(s, address, rotateShift(s, y, v));
        if constexpr (group == 2) writeByte(s, address, static_cast<uint8_t>(v & ~(1 << y)));
        if constexpr (group == 3) writeByte(s, address, static_cast<uint8_t>(v | (1 << y)));
    }
}

// The instruction whose displacement is at PC, its opcode after it.
template <class S>
Z80_INLINE void runIndexCB(S& s, uint16_t index)
{
    uint16_t address = indexedAddress(s, index);
#define INDEX_BIT_INSTRUCTION(n) indexBitInstruction<n>(s, address)
    Z80_DISPATCH(s, cyclesIndexCB, INDEX_BIT_INSTRUCTION)
#undef INDEX_BIT_INSTRUCTION
}

}  // namespace z80
