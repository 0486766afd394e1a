// The DD and FD sets: HL becomes the index register, H and L its halves and
// (HL) the byte at index + d. Opcodes that use none of them run unprefixed.
#pragma once

#include "z80/dispatch.h"
#include "z80/index_cb.h"
#include "z80/unprefixed.h"

namespace z80 {

constexpr bool usesIndexedMemory(int op)
{
    int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    if (op == 0x76) return false;
    if (x == 0) return y == 6 && (z == 4 || z == 5 || z == 6);
    if (x == 1) return y == 6 || z == 6;
    if (x == 2) return z == 6;
    return false;
}

constexpr bool isHalf(int r) { return r == 4 || r == 5; }

constexpr bool usesHalves(int op)
{
    int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    if (usesIndexedMemory(op)) return false;
    if (x == 0) return (z == 4 || z == 5 || z == 6) && isHalf(y);
    if (x == 1) return isHalf(y) || isHalf(z);
    if (x == 2) return isHalf(z);
    return false;
}

constexpr bool usesIndexPair(int op)
{
    switch (op) {
    case 0x09: case 0x19: case 0x29: case 0x39: case 0x21: case 0x22: case 0x2A: case 0x23:
    case 0x2B: case 0xE1: case 0xE3: case 0xE5: case 0xE9: case 0xF9:
        return true;
    default:
        return false;
    }
}

template <int r, class S>
Z80_INLINE uint8_t readHalfOperand(const S& s, uint16_t index)
{
    if constexpr (r == 4) return high(index);
    else if constexpr (r == 5) return low(index);
    else return readRegister<r>(s);
}

template <int r, class S>
Z80_INLINE void writeHalfOperand(S& s, uint16_t& index, uint8_t v)
{
    if constexpr (r == 4) setHigh(index, v);
    else if constexpr (r == 5) setLow(index, v);
    else writeRegister<r>(s, v);
}

template <int op, class S>
Z80_INLINE void pairInstruction(S& s, uint16_t& index)
{
    if constexpr (op == 0x09) index = add16(s, index, s.BC);
    if constexpr (op == 0x19) index = add16(s, index, s.DE);
    if constexpr (op == 0x29) index = add16(s, index, index);
    if constexpr (op == 0x39) index = add16(s, index, s.SP);
    if constexpr (op == 0x21) index = fetchWord(s);
    if constexpr (op == 0x22) writeWord(s, fetchWord(s), index);
    if constexpr (op == 0x2A) index = readWord(fetchWord(s));
    if constexpr (op == 0x23) ++index;
    if constexpr (op == 0x2B) --index;
    if constexpr (op == 0xE1) index = pop(s);
    if constexpr (op == 0xE5) push(s, index);
    if constexpr (op == 0xE9) s.PC = index;
    if constexpr (op == 0xF9) s.SP = index;
    if constexpr (op == 0xE3) exchangeStackTop(s, index);
}

template <int op, class S>
Z80_INLINE void halfInstruction(S& s, uint16_t& index)
{
    constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    if constexpr (x == 0 && z == 4) writeHalfOperand<y>(s, index, inc8(s, readHalfOperand<y>(s, index)));
    if constexpr (x == 0 && z == 5) writeHalfOperand<y>(s, index, dec8(s, readHalfOperand<y>(s, index)));
    if constexpr (x == 0 && z == 6) writeHalfOperand<y>(s, index, fetchByte(s));
    if constexpr (x == 1) writeHalfOperand<y>(s, index, readHalfOperand<z>(s, index));
    if constexpr (x == 2) accumulatorOp(s, y, readHalfOperand<z>(s, index));
}

// H and L keep their own meaning here: DD 66 loads H, DD 74 stores H.
template <int op, class S>
Z80_INLINE void indexedMemoryInstruction(S& s, uint16_t index)
{
    constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    uint16_t address = indexedAddress(s, index);
    if constexpr (x == 0 && z == 4) writeByte(s, address, inc8(s, readByte(s, address)));
    if constexpr (x == 0 && z == 5) writeByte(s, address, dec8(s, readByte(s, address)));
    if constexpr (x == 0 && z == 6) writeByte(s, address, fetchByte(s));
    if constexpr (x == 1 && y == 6) writeByte(s, address, readRegister<z>(s));
    if constexpr (x == 1 && z == 6) writeRegister<y>(s, readByte(s, address));
    if constexpr (x == 2) accumulatorOp(s, y, readByte(s, address));
}

template <int op, bool stepping, class S>
Z80_INLINE void indexInstruction(S& s, uint16_t& index)
{
    if constexpr (op == 0xCB && stepping) {
        onState(s, [index](Z80State& state) { executeIndexCB(state, index); });
    } else if constexpr (op == 0xCB) {
        runIndexCB(s, index);
    } else if constexpr (op == 0xDD || op == 0xFD) {
        --s.PC;  // the later prefix wins: read it again as the next instruction
        chargeZeroCost(s);
    } else if constexpr (op == 0xED) {
        chargeZeroCost(s);  // dropped with the prefix before it
    } else if constexpr (op == 0x76) {
        halt(s);
    } else if constexpr (usesIndexPair(op)) {
        pairInstruction<op>(s, index);
    } else if constexpr (usesHalves(op)) {
        halfInstruction<op>(s, index);
    } else if constexpr (usesIndexedMemory(op)) {
        indexedMemoryInstruction<op>(s, index);
    } else {
        unprefixedInstruction<op, false>(s);
        chargeZeroCost(s);
    }
}

// The instruction whose opcode is at PC, after the prefix that chose index.
// A single step hands DD CB and FD CB on to their named entry; the run loop
// runs them here.
template <bool stepping, class S>
Z80_INLINE void runIndex(S& s, uint16_t& index)
{
#define INDEX_INSTRUCTION(n) indexInstruction<n, stepping>(s, index)
    Z80_DISPATCH(s, cyclesIndex, INDEX_INSTRUCTION)
#undef INDEX_INSTRUCTION
}

}  // namespace z80
