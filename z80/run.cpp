// Reset, the frame and interrupt delivery.
#include "z80/access.h"

void resetProcessor(Z80State& s)
{
    s.PC = 0x0000;
    s.SP = 0xF000;
    s.AF = s.BC = s.DE = s.HL = 0;
    s.altAF = s.altBC = s.altDE = s.altHL = 0;
    s.IX = s.IY = 0;
    s.I = 0;
    s.interruptFlags = 0;
    s.cyclesLeft = s.cyclesPerFrame;
    s.interruptRequest = VECTOR_NONE;
    s.zeroCostAllowance = s.cyclesPerFrame;
}

uint16_t runFrame(Z80State& s)
{
    // The common path tests one sign per instruction. A budget of exactly
    // zero means either that a HALT just ran or that the frame has one more
    // instruction to run.
    s.haltRan = false;
    for (;;) {
        if (s.cyclesLeft > 0) executeWhileBudgetLasts(s);
        if (s.cyclesLeft < 0 || s.haltRan) break;
        executeInstruction(s);
    }

    uint16_t vector;
    if (s.interruptFlags & EI_PENDING) {
        // The instruction after EI has run: give back the saved budget and
        // deliver the requested interrupt without ending the frame.
        vector = s.interruptRequest;
        s.cyclesLeft = s.cyclesLeft + s.cyclesBeforeEi - 1;
        s.interruptFlags &= ~EI_PENDING;
    } else {
        s.cyclesLeft = s.cyclesPerFrame;  // overshoot is dropped, not carried
        s.zeroCostAllowance = s.cyclesPerFrame;
        vector = s.frameEndVector;
    }

    if (vector == VECTOR_LEAVE) return s.PC;
    if (vector != VECTOR_NONE) raiseInterrupt(s, vector);
    return s.PC;
}

void raiseInterrupt(Z80State& s, uint16_t vector)
{
    uint8_t flags = s.interruptFlags;
    if (!(flags & IFF1) && vector != VECTOR_NMI) return;  // refused and forgotten

    flags &= static_cast<uint8_t>(~(IFF1 | EI_PENDING | IFF2));
    if (s.interruptFlags & IFF1) flags |= IFF2;
    if (flags & HALTED) {
        ++s.PC;  // past the HALT it waited on
        flags &= static_cast<uint8_t>(~HALTED);
    }
    s.interruptFlags = flags;
    z80::push(s, s.PC);

    if (vector == VECTOR_NMI) {
        s.PC = VECTOR_NMI;
    } else if (flags & IM2) {
        uint16_t address = static_cast<uint16_t>(s.I << 8 | (vector & 0xFF));
        s.PC = z80::readWord(s, address);
    } else if (flags & IM1) {
        s.PC = 0x0038;
    } else {
        s.PC = vector;
    }
}
