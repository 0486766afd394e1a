// Registers and operands as the opcode map numbers them: r (B C D E H L (HL)
// A), p (BC DE HL SP, or AF for PUSH and POP) and cc (NZ Z NC C PO PE P M).
#pragma once

#include "z80/access.h"

namespace z80 {

template <class S>
Z80_INLINE uint8_t regA(const S& s)
{
    return high(s.AF);
}

template <class S>
Z80_INLINE uint8_t regF(const S& s)
{
    return low(s.AF);
}

template <class S>
Z80_INLINE void setA(S& s, uint8_t v)
{
    setHigh(s.AF, v);
}

template <class S>
Z80_INLINE void setF(S& s, uint8_t v)
{
    setLow(s.AF, v);
}

// 6, the byte at HL, is read and written by the callers that allow it.
template <int r, class S>
Z80_INLINE uint8_t readRegister(const S& s)
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

template <int r, class S>
Z80_INLINE void writeRegister(S& s, uint8_t v)
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

template <int r, class S>
Z80_INLINE uint8_t readOperand(const S& s)
{
    if constexpr (r == 6) return readByte(s, s.HL);
    else return readRegister<r>(s);
}

template <int r, class S>
Z80_INLINE void writeOperand(S& s, uint8_t v)
{
    if constexpr (r == 6) writeByte(s, s.HL, v);
    else writeRegister<r>(s, v);
}

template <int p, bool withAF, class S>
Z80_INLINE uint16_t& registerPair(S& s)
{
    if constexpr (p == 0) return s.BC;
    if constexpr (p == 1) return s.DE;
    if constexpr (p == 2) return s.HL;
    if constexpr (p == 3 && withAF) return s.AF;
    if constexpr (p == 3 && !withAF) return s.SP;
}

template <int cc, class S>
Z80_INLINE bool condition(const S& s)
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
