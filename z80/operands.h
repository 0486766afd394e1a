// Registers and operands as the opcode map numbers them: r (B C D E H L (HL)
// A), p (BC DE HL SP, or AF for PUSH and POP) and cc (NZ Z NC C PO PE P M).
#pragma once

#include "z80/bus.h"
#include "z80/z80.h"

namespace z80 {

inline uint8_t regA(const Z80State& s) { return high(s.AF); }
inline uint8_t regF(const Z80State& s) { return low(s.AF); }
inline void setA(Z80State& s, uint8_t v) { setHigh(s.AF, v); }
inline void setF(Z80State& s, uint8_t v) { setLow(s.AF, v); }

// 6, the byte at HL, is read and written by the callers that allow it.
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

template <int p, bool withAF>
inline uint16_t& registerPair(Z80State& s)
{
    if constexpr (p == 0) return s.BC;
    if constexpr (p == 1) return s.DE;
    if constexpr (p == 2) return s.HL;
    if constexpr (p == 3 && withAF) return s.AF;
    if constexpr (p == 3 && !withAF) return s.SP;
}

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

}  // namespace z80
