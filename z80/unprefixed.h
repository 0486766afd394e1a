// The unprefixed instructions, one template instance per opcode, decoded from
// the fields of Zilog's opcode map (x = bits 7-6, y = 5-3, z = 2-0, p = 5-4,
// q = 3). The index set runs the opcodes it does not change through the same
// code, without the extra cycles of a taken branch.
#pragma once

#include "z80/alu.h"

namespace z80 {

// Registers by their code in the opcode map; 6, the byte at HL, is read and
// written by the callers that allow it.
template <int r>
inline uint8_t readRegister(const Z80State& s)
{
    static_assert(r != 6);
    if constexpr (r == 0) return high(s.BC);
    if constexpr (r == 1) return low(s.BC);
    if constexpr (r == 2) return high(s.DE);
    if constexpr (r == 3) return low(s.DE);
    if constexpr (r == 4) return high(s.HL);
    if constexpr (r == 5) return low(s.HL);
    if constexpr (r == 7) return high(s.AF);
}

template <int r>
inline void writeRegister(Z80State& s, uint8_t v)
{
    static_assert(r != 6);
    if constexpr (r == 0) setHigh(s.BC, v);
    if constexpr (r == 1) setLow(s.BC, v);
    if constexpr (r == 2) setHigh(s.DE, v);
    if constexpr (r == 3) setLow(s.DE, v);
    if constexpr (r == 4) setHigh(s.HL, v);
    if constexpr (r == 5) setLow(s.HL, v);
    if constexpr (r == 7) setHigh(s.AF, v);
}

template <int r>
inline uint8_t readOperand(const Z80State& s)
{
    if constexpr (r == 6) return memRead(s.HL);
    else return readRegister<r>(s);
}

template <int r>
inline void writeOperand(Z80State& s, uint8_t v)
{
    if constexpr (r == 6) memWrite(s.HL, v);
    else writeRegister<r>(s, v);
}

// Pairs by p: BC DE HL SP, or BC DE HL AF for PUSH and POP.
template <int p, bool withAF>
inline uint16_t& registerPair(Z80State& s)
{
    if constexpr (p == 0) return s.BC;
    if constexpr (p == 1) return s.DE;
    if constexpr (p == 2) return s.HL;
    if constexpr (p == 3 && withAF) return s.AF;
    if constexpr (p == 3 && !withAF) return s.SP;
}

// NZ Z NC C PO PE P M
template <int cc>
inline bool condition(const Z80State& s)
{
    uint8_t f = regF(s);
    if constexpr (cc == 0) return !(f & FLAG_Z);
    if constexpr (cc == 1) return f & FLAG_Z;
    if constexpr (cc == 2) return !(f & FLAG_C);
    if constexpr (cc == 3) return f & FLAG_C;
    if constexpr (cc == 4) return !(f & FLAG_PV);
    if constexpr (cc == 5) return f & FLAG_PV;
    if constexpr (cc == 6) return !(f & FLAG_S);
    if constexpr (cc == 7) return f & FLAG_S;
}

inline void jumpRelative(Z80State& s)
{
    int8_t e = static_cast<int8_t>(fetchByte(s));
    s.PC = static_cast<uint16_t>(s.PC + e);
}

// Tells the run loop that the empty budget comes from a HALT, which ends the
// frame, and not from instructions that happened to spend it exactly.
extern bool haltRan;

inline void halt(Z80State& s)
{
    --s.PC;  // stay on the HALT opcode until an interrupt moves past it
    s.interruptFlags |= HALTED;
    s.cyclesLeft = 0;
    haltRan = true;
}

inline void enableInterrupts(Z80State& s)
{
    s.interruptFlags |= IFF1;
    if (s.interruptRequest != VECTOR_NONE) {
        // Let exactly one more instruction run before the request is delivered.
        s.interruptFlags |= EI_PENDING;
        s.cyclesBeforeEi = s.cyclesLeft;
        s.cyclesLeft = 1;
    }
}

inline void rotateAccumulator(Z80State& s, int y)
{
    uint8_t a = regA(s);
    int carryIn = regF(s) & FLAG_C;
    uint8_t result;
    uint8_t carry;
    switch (y) {
    case 0: result = static_cast<uint8_t>(a << 1 | a >> 7); carry = a >> 7; break;        // RLCA
    case 1: result = static_cast<uint8_t>(a >> 1 | a << 7); carry = a & 1; break;         // RRCA
    case 2: result = static_cast<uint8_t>(a << 1 | carryIn); carry = a >> 7; break;       // RLA
    default: result = static_cast<uint8_t>(a >> 1 | carryIn << 7); carry = a & 1; break;  // RRA
    }
    s.AF = static_cast<uint16_t>(result << 8 | (regF(s) & 0xEC) | carry);
}

inline void decimalAdjust(Z80State& s)
{
    uint8_t f = regF(s);
    int index = regA(s) | (f & FLAG_C) << 8 | ((f & FLAG_H) ? 0x200 : 0) | ((f & FLAG_N) ? 0x400 : 0);
    s.AF = daaTable[index];
}

template <int op, bool branchExtras>
inline void unprefixed(Z80State& s)
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
                uint16_t t = s.AF; s.AF = s.altAF; s.altAF = t;
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
                if constexpr (p == 0) memWrite(s.BC, regA(s));
                if constexpr (p == 1) memWrite(s.DE, regA(s));
                if constexpr (p == 2) writeWord(fetchWord(s), s.HL);
                if constexpr (p == 3) memWrite(fetchWord(s), regA(s));
            } else {
                if constexpr (p == 0) setA(s, memRead(s.BC));
                if constexpr (p == 1) setA(s, memRead(s.DE));
                if constexpr (p == 2) s.HL = readWord(fetchWord(s));
                if constexpr (p == 3) setA(s, memRead(fetchWord(s)));
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
            if constexpr (y == 6) setF(s, (regF(s) & 0xEC) | FLAG_C);
            if constexpr (y == 7) {
                uint8_t f = regF(s);
                setF(s, (f & 0xEC) | ((f & FLAG_C) ? FLAG_H : FLAG_C));
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
                uint16_t t;
                t = s.BC; s.BC = s.altBC; s.altBC = t;
                t = s.DE; s.DE = s.altDE; s.altDE = t;
                t = s.HL; s.HL = s.altHL; s.altHL = t;
            } else if constexpr (p == 2) s.PC = s.HL;
            else s.SP = s.HL;
        } else if constexpr (z == 2) {  // JP cc: the address is read only when taken
            if (condition<y>(s)) s.PC = fetchWord(s);
            else s.PC = static_cast<uint16_t>(s.PC + 2);
        } else if constexpr (z == 3) {
            if constexpr (y == 0) s.PC = fetchWord(s);
            if constexpr (y == 2) portOut(fetchByte(s), regA(s));  // port high byte stays 0
            if constexpr (y == 3) setA(s, portIn(fetchByte(s)));
            if constexpr (y == 4) {
                uint8_t lo = memRead(s.SP);
                memWrite(s.SP, low(s.HL));
                uint16_t above = static_cast<uint16_t>(s.SP + 1);
                uint8_t hi = memRead(above);
                memWrite(above, high(s.HL));
                s.HL = static_cast<uint16_t>(hi << 8 | lo);
            }
            if constexpr (y == 5) { uint16_t t = s.DE; s.DE = s.HL; s.HL = t; }
            if constexpr (y == 6) s.interruptFlags &= static_cast<uint8_t>(~IFF1);
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

// 256 case labels, each running the template instance of its opcode.
#define Z80_CASE(n, call) case (n): call(n); break;
#define Z80_CASES8(n, call)                                                                        \
    Z80_CASE(n, call) Z80_CASE(n + 1, call) Z80_CASE(n + 2, call) Z80_CASE(n + 3, call)             \
    Z80_CASE(n + 4, call) Z80_CASE(n + 5, call) Z80_CASE(n + 6, call) Z80_CASE(n + 7, call)
#define Z80_CASES64(n, call)                                                                       \
    Z80_CASES8(n, call) Z80_CASES8(n + 8, call) Z80_CASES8(n + 16, call) Z80_CASES8(n + 24, call)   \
    Z80_CASES8(n + 32, call) Z80_CASES8(n + 40, call) Z80_CASES8(n + 48, call) Z80_CASES8(n + 56, call)
#define Z80_CASES256(call) Z80_CASES64(0, call) Z80_CASES64(64, call) Z80_CASES64(128, call) Z80_CASES64(192, call)
