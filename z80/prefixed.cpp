// The prefixed sets for callers that hold the state itself, a single step's
// among them: the run loop's bodies, on locals taken from the state and
// given back.
#include "z80/cb.h"
#include "z80/index.h"

void executeCB(Z80State& s)
{
    z80::onLocals(s, [](z80::LoopRegisters& r) { z80::runCB(r); });
}

void executeIndex(Z80State& s, uint16_t& index)
{
    z80::onLocals(s, [&index](z80::LoopRegisters& r) { z80::runIndex<true>(r, index); });
}

void executeIndexCB(Z80State& s, uint16_t index)
{
    z80::onLocals(s, [index](z80::LoopRegisters& r) { z80::runIndexCB(r, index); });
}
