// Instructions that steer the run loop: HALT, EI and its delay, and the
// prefixed forms that cost nothing.
#pragma once

#include "z80/z80.h"

namespace z80 {

inline void halt(Z80State& s)
{
    --s.PC;  // stay on the HALT opcode until an interrupt moves past it
    s.interruptFlags |= HALTED;
    s.cyclesLeft = 0;
    s.haltRan = true;
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

// Prefixed forms that cost nothing could otherwise spin a frame forever
// (DD 18 FD jumps back onto its own prefix). Each frame grants as many as it
// has cycles; once they are spent, each further one is charged as a NOP.
constexpr int32_t ZERO_COST_OVERDRAFT_CHARGE = 4;

inline void chargeZeroCost(Z80State& s)
{
    if (--s.zeroCostAllowance < 0) s.cyclesLeft -= ZERO_COST_OVERDRAFT_CHARGE;
}

}  // namespace z80
