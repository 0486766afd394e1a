// The unprefixed instruction set and the hand-over of the four prefixes.
#include "z80/unprefixed.h"

#include "z80/dispatch.h"

using namespace z80;

namespace {

template <int op>
inline void baseInstruction(Z80State& s)
{
    if constexpr (op == 0xCB) executeCB(s);
    else if constexpr (op == 0xDD) executeIndex(s, s.IX);
    else if constexpr (op == 0xED) executeED(s);
    else if constexpr (op == 0xFD) executeIndex(s, s.IY);
    else unprefixed<op, true>(s);
}

}  // namespace

uint16_t executeInstruction(Z80State& s)
{
    uint8_t opcode = fetchByte(s);
    s.cyclesLeft -= cyclesMain[opcode];
#define BASE_INSTRUCTION(n) baseInstruction<n>(s)
    Z80_DISPATCH(opcode, BASE_INSTRUCTION)
#undef BASE_INSTRUCTION
    return s.PC;
}
