// The registers the run loop keeps in locals while it runs. Memory writes go
// through a byte pointer, which may alias anything, so fields of the state
// would be stored and reloaded around every one; locals stay in host
// registers.
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

template <class To, class From>
Z80_INLINE void copyHeldRegisters(To& to, const From& from)
{
    to.AF = from.AF;
    to.BC = from.BC;
    to.DE = from.DE;
    to.HL = from.HL;
    to.SP = from.SP;
    to.PC = from.PC;
    to.cyclesLeft = from.cyclesLeft;
}

// Before anything else looks at the state: the ED set and its trap hook,
// and the end of the run (then runFrame's interrupt).
Z80_INLINE void writeBack(const LoopRegisters& r) { copyHeldRegisters(r.state, r); }

Z80_INLINE void reload(LoopRegisters& r) { copyHeldRegisters(r, r.state); }

// A body written for the locals, run for a caller that holds the state.
template <class Body>
Z80_INLINE void onLocals(Z80State& s, Body body)
{
    LoopRegisters r = holdRegisters(s);
    body(r);
    writeBack(r);
}

// An entry that takes the state, called from code on the locals.
template <class Entry>
Z80_INLINE void onState(LoopRegisters& r, Entry entry)
{
    writeBack(r);
    entry(r.state);
    reload(r);
}

// The instruction code takes either the state or the loop's locals; the
// fields the locals leave out are reached through this.
Z80_INLINE Z80State& stateOf(Z80State& s) { return s; }
Z80_INLINE Z80State& stateOf(const LoopRegisters& r) { return r.state; }

// A bus may time a write or a data read by the budget (the machine's speaker
// and cassette input do), so the state's budget is current whenever the
// processor writes or reads an operand.
Z80_INLINE void publishBudget(const Z80State&) {}
Z80_INLINE void publishBudget(const LoopRegisters& r) { r.state.cyclesLeft = r.cyclesLeft; }

}  // namespace z80
