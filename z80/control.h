// Instructions that steer the run loop: HALT, EI and its delay, and the
// prefixed forms that cost nothing.
#pragma once

#include "z80/loop_registers.h"

namespace z80 {

template <class S>
Z80_INLINE void halt(S& s)
{
    --s.PC;  // stay on the HALT opcode until an interrupt moves past it
    stateOf(s).interruptFlags |= HALTED;
    s.cyclesLeft = 0;
    stateOf(s).haltRan = true;
}

template <class S>
Z80_INLINE void enableInterrupts(S& s)
{
    Z80State& state = stateOf(s);
    state.interruptFlags |= IFF1;
    if (state.interruptRequest != VECTOR_NONE) {
        // Let exactly one more instruction run before the request is delivered.
        state.interruptFlags |= EI_PENDING;
        state.cyclesBeforeEi = s.cyclesLeft;
        s.cyclesLeft = 1;
    }
}

// Prefixed forms that cost nothing could otherwise spin a frame forever
// (DD 18 FD jumps back onto its own prefix). Each frame grants as many as it
// has cycles; once they are spent, each further one is charged as a NOP.
constexpr int32_t ZERO_COST_OVERDRAFT_CHARGE = 4;

template <class S>
Z80_INLINE void chargeZeroCost(S& s)
{
    if (--stateOf(s).zeroCostAllowance < 0) s.cyclesLeft -= ZERO_COST_OVERDRAFT_CHARGE;
}

}  // namespace z80
