// The Z80 processor: its one state record and the operations that run it.
#pragma once

#include <cstdint>

struct Z80State {
    uint16_t AF, BC, DE, HL, IX, IY, PC, SP;
    uint16_t altAF, altBC, altDE, altHL;
    uint8_t interruptFlags;
    uint8_t I;
    int32_t cyclesPerFrame;  // set by the owner before the reset
    int32_t cyclesLeft;      // budget of the current frame, counting down
    int32_t cyclesBeforeEi;  // budget saved while the EI delay runs
    uint16_t interruptRequest;  // vector delivered after an EI delay
    // The vector raised when a frame ends, set by the owner: a machine's
    // frame interrupt, or VECTOR_NONE where there is none.
    uint16_t frameEndVector;
    // Prefixed forms that cost nothing, still free in this frame; refilled
    // to cyclesPerFrame at the reset and at every frame's end.
    int32_t zeroCostAllowance;
    // The budget ran out on a HALT, which ends the frame, rather than on
    // instructions that happened to spend it exactly.
    bool haltRan;

    friend bool operator==(const Z80State&, const Z80State&) = default;
};

// Bits of interruptFlags.
constexpr uint8_t IFF1 = 0x01;
constexpr uint8_t IM1 = 0x02;
constexpr uint8_t IM2 = 0x04;
constexpr uint8_t EI_PENDING = 0x20;
constexpr uint8_t IFF2 = 0x40;
constexpr uint8_t HALTED = 0x80;

// Bits of F.
constexpr uint8_t FLAG_S = 0x80;
constexpr uint8_t FLAG_Z = 0x40;
constexpr uint8_t FLAG_5 = 0x20;
constexpr uint8_t FLAG_H = 0x10;
constexpr uint8_t FLAG_3 = 0x08;
constexpr uint8_t FLAG_PV = 0x04;
constexpr uint8_t FLAG_N = 0x02;
constexpr uint8_t FLAG_C = 0x01;

// Interrupt vectors with a meaning of their own.
constexpr uint16_t VECTOR_NMI = 0x0066;
constexpr uint16_t VECTOR_NONE = 0xFFFF;
constexpr uint16_t VECTOR_LEAVE = 0xFFFE;

// Register pairs hold the high half in bits 8-15 and the low half in bits 0-7.
// Always inlined: the run loop keeps pairs in locals, which a call would
// take the address of.
[[gnu::always_inline]] inline uint8_t high(uint16_t pair) { return static_cast<uint8_t>(pair >> 8); }
[[gnu::always_inline]] inline uint8_t low(uint16_t pair) { return static_cast<uint8_t>(pair); }
[[gnu::always_inline]] inline void setHigh(uint16_t& pair, uint8_t value)
{
    pair = static_cast<uint16_t>((pair & 0x00FF) | (value << 8));
}
[[gnu::always_inline]] inline void setLow(uint16_t& pair, uint8_t value)
{
    pair = static_cast<uint16_t>((pair & 0xFF00) | value);
}

void resetProcessor(Z80State& s);
uint16_t runFrame(Z80State& s);
void raiseInterrupt(Z80State& s, uint16_t vector);

// C linkage: the processor's fuzz target wraps runFrame's calls of these
// two at link time (--wrap), by their plain names.
extern "C" {
uint16_t executeInstruction(Z80State& s);
// Instructions until the budget is zero or below; runFrame's inner loop.
void executeWhileBudgetLasts(Z80State& s);
}
// One instruction of a prefixed set, PC on the byte after its prefix (after
// DD CB or FD CB, on the displacement); executeInstruction hands each prefix
// to these.
void executeCB(Z80State& s);
// ED keeps its own switch on the state rather than a body per opcode on the
// loop's locals: its instructions are rare and irregular, and its block
// instructions loop on locals of their own.
void executeED(Z80State& s);
void executeIndex(Z80State& s, uint16_t& index);
void executeIndexCB(Z80State& s, uint16_t index);
