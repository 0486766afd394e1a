// The unprefixed instructions, one template instance per opcode, decoded from
// the fields of Zilog's opcode map (x = bits 7-6, y = 5-3, z = 2-0, p = 5-4,
// q = 3). The index set runs the opcodes it does not change through the same
// code, without the extra cycles of a taken branch.
#pragma once

#include "z80/access.h"
#include "z80/alu.h"
#include "z80/control.h"

namespace z80 {

template <class S>
Z80_INLINE void jumpRelative(S& s)
{
    int8_t e = static_cast<int8_t>(fetchByte(s));
    s.PC = static_cast<uint16_t>(s.PC + e);
}

// RLCA, RRCA, RLA, RRA: S, Z and P/V keep their values.
template <class S>
Z80_INLINE void rotateAccumulator(S& s, int y)
{
    Rotated r = rotate(y, regA(s), regF(s) & FLAG_C);
    s.AF = static_cast<uint16_t>(r.value << 8 | (regF(s) & ALL_BUT_H_N_C) | r.carry);
}

template <class S>
Z80_INLINE void decimalAdjust(S& s)
{
    uint8_t f = regF(s);
    int index =
        regA(s) | ((f & FLAG_C) ? DAA_CARRY : 0) | ((f & FLAG_H) ? DAA_HALF : 0) | ((f & FLAG_N) ? DAA_SUBTRACT : 0);
    s.AF = daaTable[index];
}

template <int op, bool branchExtras, class S>
Z80_INLINE void unprefixedInstruction(S& s)
{
    constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    constexpr int extraJump = branchExtras ? 5 : 0;
    constexpr int extraCall = branchExtras ? 7 : 0;
    constexpr int extraReturn = branchExtras ? 6 : 0;

    if constexpr (x == 0) {
        if constexpr (z == 0) {
            if constexpr (y == 0) {
                // NOP
            } else if constexpr (y == 1) {
                Z80State& state = stateOf(s);
                uint16_t t = s.AF; s.AF = state.altAF; state.altAF = t;
            } else if constexpr (y == 2) {  // DJNZ
                setHigh(s.BC, static_cast<uint8_t>(high(s.BC) - 1));
                if (high(s.BC) != 0) { jumpRelative(s); s.cyclesLeft -= extraJump; }
                else ++s.PC;
            } else if constexpr (y == 3) {
                jumpRelative(s);
            } else {  // JR cc
                if (condition<y - 4>(s)) { jumpRelative(s); s.cyclesLeft -= extraJump; }
                else ++s.PC;
            }
        } else if constexpr (z == 1) {
            if constexpr (q == 0) registerPair<p, false>(s) = fetchWord(s);
            else s.HL = add16(s, s.HL, registerPair<p, false>(s));
        } else if constexpr (z == 2) {
            if constexpr (q == 0) {
                if constexpr (p == 0) writeByte(s, s.BC, regA(s));
                if constexpr (p == 1) writeByte(s, s.DE, regA(s));
                if constexpr (p == 2) writeWord(s, fetchWord(s), s.HL);
                if constexpr (p == 3) writeByte(s, fetchWord(s), regA(s));
            } else {
                if constexpr (p == 0) setA(s, readByte(s, s.BC));
                if constexpr (p == 1) setA(s, readByte(s, s.DE));
                if constexpr (p == 2) s.HL = readWord(fetchWord(s));
                if constexpr (p == 3) setA(s, readByte(s, fetchWord(s)));
            }
        } else if constexpr (z == 3) {
            uint16_t& rr = registerPair<p, false>(s);
            rr = static_cast<uint16_t>(q == 0 ? rr + 1 : rr - 1);
        } else if constexpr (z == 4) {
            writeOperand<y>(s, inc8(s, readOperand<y>(s)));
        } else if constexpr (z == 5) {
            writeOperand<y>(s, dec8(s, readOperand<y>(s)));
        } else if constexpr (z == 6) {
            writeOperand<y>(s, fetchByte(s));
        } else {
            if constexpr (y < 4) rotateAccumulator(s, y);
            if constexpr (y == 4) decimalAdjust(s);
            if constexpr (y == 5) { setA(s, static_cast<uint8_t>(~regA(s))); setF(s, regF(s) | FLAG_H | FLAG_N); }
            if constexpr (y == 6) setF(s, (regF(s) & ALL_BUT_H_N_C) | FLAG_C);
            if constexpr (y == 7) {
                uint8_t f = regF(s);
                setF(s, (f & ALL_BUT_H_N_C) | ((f & FLAG_C) ? FLAG_H : FLAG_C));
            }
        }
    } else if constexpr (x == 1) {
        if constexpr (op == 0x76) halt(s);
        else writeOperand<y>(s, readOperand<z>(s));
    } else if constexpr (x == 2) {
        accumulatorOp(s, y, readOperand<z>(s));
    } else {
        if constexpr (z == 0) {  // RET cc
            if (condition<y>(s)) { s.PC = pop(s); s.cyclesLeft -= extraReturn; }
        } else if constexpr (z == 1) {
            if constexpr (q == 0) registerPair<p, true>(s) = pop(s);
            else if constexpr (p == 0) s.PC = pop(s);
            else if constexpr (p == 1) {
                Z80State& state = stateOf(s);
                uint16_t t;
                t = s.BC; s.BC = state.altBC; state.altBC = t;
                t = s.DE; s.DE = state.altDE; state.altDE = t;
                t = s.HL; s.HL = state.altHL; state.altHL = t;
            } else if constexpr (p == 2) s.PC = s.HL;
            else s.SP = s.HL;
        } else if constexpr (z == 2) {  // JP cc: the address is read only when taken
            if (condition<y>(s)) s.PC = fetchWord(s);
            else s.PC = static_cast<uint16_t>(s.PC + 2);
        } else if constexpr (z == 3) {
            if constexpr (y == 0) s.PC = fetchWord(s);
            if constexpr (y == 2) writePort(s, fetchByte(s), regA(s));  // port high byte stays 0
            if constexpr (y == 3) setA(s, portIn(fetchByte(s)));
            if constexpr (y == 4) exchangeStackTop(s, s.HL);
            if constexpr (y == 5) { uint16_t t = s.DE; s.DE = s.HL; s.HL = t; }
            if constexpr (y == 6) stateOf(s).interruptFlags &= static_cast<uint8_t>(~IFF1);
            if constexpr (y == 7) enableInterrupts(s);
        } else if constexpr (z == 4) {  // CALL cc
            if (condition<y>(s)) {
                s.cyclesLeft -= extraCall;
                uint16_t target = fetchWord(s);
                push(s, s.PC);
                s.PC = target;
            } else {
                s.PC = static_cast<uint16_t>(s.PC + 2);
            }
        } else if constexpr (z == 5) {
            if constexpr (q == 0) push(s, registerPair<p, true>(s));
            else if constexpr (p == 0) {
                uint16_t target = fetchWord(s);
                push(s, s.PC);
                s.PC = target;
            }
        } else if constexpr (z == 6) {
            accumulatorOp(s, y, fetchByte(s));
        } else {
            push(s, s.PC);
            s.PC = static_cast<uint16_t>(y * 8);
        }
    }
}

}  // namespace z80
