// The registers the run loop keeps in locals while it runs unprefixed
// instructions. Memory writes go through a byte pointer, which may alias
// anything, so fields of the state would be stored and reloaded around
// every one; locals stay in host registers.
#pragma once

#include "z80/z80.h"

// For the code that takes the loop's locals: a call that is not inlined
// would put them back in memory for the whole loop.
#define Z80_INLINE [[gnu::always_inline]] inline

namespace z80 {

struct LoopRegisters {
    uint16_t AF, BC, DE, HL, SP, PC;
    int32_t cyclesLeft;
    Z80State& state;  // holds everything else, and gets the locals back
};

Z80_INLINE LoopRegisters holdRegisters(Z80State& s) { return {s.AF, s.BC, s.DE, s.HL, s.SP, s.PC, s.cyclesLeft, s}; }

// Before anything else looks at the state: an interrupt, a prefixed set,
// the end of the run.
Z80_INLINE void writeBack(const LoopRegisters& r)
{
    Z80State& s = r.state;
    s.AF = r.AF;
    s.BC = r.BC;
    s.DE = r.DE;
    s.HL = r.HL;
    s.SP = r.SP;
    s.PC = r.PC;
    s.cyclesLeft = r.cyclesLeft;
}

Z80_INLINE void reload(LoopRegisters& r)
{
    const Z80State& s = r.state;
    r.AF = s.AF;
    r.BC = s.BC;
    r.DE = s.DE;
    r.HL = s.HL;
    r.SP = s.SP;
    r.PC = s.PC;
    r.cyclesLeft = s.cyclesLeft;
}

// The instruction code takes either the state or the loop's locals; the
// fields the locals leave out are reached through this.
Z80_INLINE Z80State& stateOf(Z80State& s) { return s; }
Z80_INLINE Z80State& stateOf(const LoopRegisters& r) { return r.state; }

// A bus may time a write by the budget (the machine's speaker does), so the
// state's budget is current whenever the processor writes.
Z80_INLINE void publishBudget(Z80State&) {}
Z80_INLINE void publishBudget(const LoopRegisters& r) { r.state.cyclesLeft = r.cyclesLeft; }

}  // namespace z80
