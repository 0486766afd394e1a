// The run loop: the instruction sets run on the loop's locals.
#include "z80/cb.h"
#include "z80/dispatch.h"
#include "z80/index.h"
#include "z80/unprefixed.h"

namespace z80 {

// The opcode read first: a prefix hands over to its set, which reads its own
// opcode bytes, and any other opcode is an unprefixed instruction. A single
// step hands each prefix to its set's named entry, which runs the same body
// on locals of its own; the loop runs that body on its locals. The ED set is
// rare and takes the state either way: its block instructions loop on locals
// of their own, with the host's registers to themselves.
template <int op, bool stepping>
Z80_INLINE void firstOpcode(LoopRegisters& r)
{
    if constexpr (op == 0xED) {
        onState(r, [](Z80State& s) { executeED(s); });
    } else if constexpr (op == 0xCB && stepping) {
        onState(r, [](Z80State& s) { executeCB(s); });
    } else if constexpr ((op == 0xDD || op == 0xFD) && stepping) {
        onState(r, [](Z80State& s) { executeIndex(s, op == 0xDD ? s.IX : s.IY); });
    } else if constexpr (op == 0xCB) {
        runCB(r);
    } else if constexpr (op == 0xDD) {
        runIndex<false>(r, r.state.IX);
    } else if constexpr (op == 0xFD) {
        runIndex<false>(r, r.state.IY);
    } else {
        unprefixedInstruction<op, true>(r);
    }
}

// One instruction, or instructions while the budget is above zero. Each
// opcode has a label and ends in a dispatch of its own (GCC's and Clang's
// label addresses), so the host predicts each opcode's successor apart. The
// costs sit next to the labels: one pointer reaches both.
#define UNPREFIXED_LABEL(n, unused) &&opcode_##n,
#define UNPREFIXED_COST(n, unused) cyclesUnprefixed[n],
#define UNPREFIXED_HANDLER(n, unused)                 \
    opcode_##n : firstOpcode<n, !whileBudgetLasts>(r); \
    NEXT_INSTRUCTION();
template <bool whileBudgetLasts>
void runInstructions(Z80State& s)
{
    static const struct {
        void* handlers[256];
        uint8_t costs[256];
    } unprefixedSet = {{Z80_OPCODES256(UNPREFIXED_LABEL, unused)}, {Z80_OPCODES256(UNPREFIXED_COST, unused)}};
    LoopRegisters r = holdRegisters(s);
    uint8_t opcode;
#define DISPATCH()                                         \
    Z80_FETCH_AND_CHARGE(opcode, r, unprefixedSet.costs); \
    goto* unprefixedSet.handlers[opcode];
#define NEXT_INSTRUCTION()                                     \
    if (!whileBudgetLasts || r.cyclesLeft <= 0) goto finished; \
    DISPATCH()
    DISPATCH()
    Z80_OPCODES256(UNPREFIXED_HANDLER, unused)
#undef NEXT_INSTRUCTION
#undef DISPATCH
finished:
    writeBack(r);
}
#undef UNPREFIXED_HANDLER
#undef UNPREFIXED_COST
#undef UNPREFIXED_LABEL

}  // namespace z80

uint16_t executeInstruction(Z80State& s)
{
    z80::runInstructions<false>(s);
    return s.PC;
}

void executeWhileBudgetLasts(Z80State& s) { z80::runInstructions<true>(s); }
