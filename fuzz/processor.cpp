// The processor over the machine's bus: an arbitrary memory image and
// register state, then a few frames. Every frame must end within a bounded
// number of instructions (prefixed forms that cost nothing are held in check
// by the run loop), and the processor must never change memory below 0x6800.
//
// Input: a 40-byte state record (registers, budget, interrupt request,
// frame count, keyboard rows), then memory bytes from 0x0000; a short
// image is repeated to fill all 64 KB.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine/bus.h"
#include "machine/vz200.h"
#include "z80/control.h"
#include "z80/z80.h"

// Linked with --wrap on executeInstruction's symbol: the run loop's calls
// come to the wrapper, which counts them, stops a frame that would not end,
// and passes them on.
extern "C" uint16_t __real__Z18executeInstructionR8Z80State(Z80State& s);

namespace {

constexpr int32_t FRAME_CYCLES = CYCLES_PER_FRAME;
constexpr int MAX_FRAMES = 4;
constexpr size_t STATE_BYTES = 40;

// What one runFrame may execute: the zero-cost allowance, then at least
// four cycles per instruction until the budget is gone, plus the few that
// an EI delay or a last overdraft adds.
constexpr long INSTRUCTIONS_PER_FRAME_BOUND =
    FRAME_CYCLES + FRAME_CYCLES / z80::ZERO_COST_OVERDRAFT_CHARGE + 16;

long instructionsRun;

Z80State processor;
MemoryImage protectedBefore;

[[noreturn]] void finding(const char* what, long detail)
{
    std::fprintf(stderr, "processor: %s (%ld)\n", what, detail);
    std::abort();
}

uint16_t word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Any register values; the interrupt and budget fields only as the machine
// can hold them when a frame starts.
void takeState(const uint8_t* p)
{
    processor = Z80State{};
    processor.AF = word(p + 0);
    processor.BC = word(p + 2);
    processor.DE = word(p + 4);
    processor.HL = word(p + 6);
    processor.IX = word(p + 8);
    processor.IY = word(p + 10);
    processor.PC = word(p + 12);
    processor.SP = word(p + 14);
    processor.altAF = word(p + 16);
    processor.altBC = word(p + 18);
    processor.altDE = word(p + 20);
    processor.altHL = word(p + 22);
    // EI_PENDING lives only inside one runFrame call.
    processor.interruptFlags = static_cast<uint8_t>(p[24] & ~EI_PENDING);
    processor.I = p[25];
    processor.cyclesPerFrame = FRAME_CYCLES;
    processor.cyclesLeft = 1 + word(p + 26) % FRAME_CYCLES;
    processor.cyclesBeforeEi = word(p + 26) % FRAME_CYCLES;
    // The machine never requests an interrupt through EI; let half the
    // inputs do it anyway, so the EI delay runs too.
    processor.interruptRequest = (p[28] & 1) ? word(p + 29) : VECTOR_NONE;
    // Rows hold only the keys of the tables: bits 0-5, a few holes.
    const KeyboardMatrix idle = idleKeyboardRows();
    for (int row = 0; row < 8; ++row) vz200.keyboardMatrix.rows[row] = idle.rows[row] & p[32 + row];
}

}  // namespace

extern "C" uint16_t __wrap__Z18executeInstructionR8Z80State(Z80State& s)
{
    if (++instructionsRun > INSTRUCTIONS_PER_FRAME_BOUND) finding("a frame ran too many instructions", instructionsRun);
    return __real__Z18executeInstructionR8Z80State(s);
}

// The count is the guard's only witness, so make sure it counts: a budget of
// 4 over NOPs runs exactly two (the second from a budget of exactly zero).
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::memset(vz200.memoryImage, 0x00, sizeof vz200.memoryImage);
    bindMemoryImage(vz200.memoryImage);
    processor = Z80State{};
    processor.cyclesPerFrame = FRAME_CYCLES;
    processor.cyclesLeft = 4;
    processor.interruptRequest = VECTOR_NONE;
    instructionsRun = 0;
    runFrame(processor);
    if (instructionsRun != 2) finding("the instruction counter is not linked in", instructionsRun);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < STATE_BYTES + 1) return -1;  // not worth keeping
    takeState(data);
    const uint8_t* image = data + STATE_BYTES;
    size_t imageSize = size - STATE_BYTES;
    for (size_t a = 0; a < MEMORY_SIZE; ++a) vz200.memoryImage[a] = image[a % imageSize];
    bindMemoryImage(vz200.memoryImage);
    vz200.outputLatch = 0;
    processor.frameEndVector = FRAME_END_VECTOR;
    processor.zeroCostAllowance = FRAME_CYCLES;
    std::memcpy(protectedBefore, vz200.memoryImage, PROTECTED_END);

    int frames = 1 + data[31] % MAX_FRAMES;
    for (int frame = 0; frame < frames; ++frame) {
        instructionsRun = 0;
        runFrame(processor);
        if (processor.cyclesPerFrame != FRAME_CYCLES) finding("cyclesPerFrame changed", processor.cyclesPerFrame);
        if (processor.interruptFlags & EI_PENDING) finding("EI delay left pending", processor.interruptFlags);
    }
    for (int a = 0; a < PROTECTED_END; ++a) {
        if (vz200.memoryImage[a] != protectedBefore[a]) finding("protected memory changed", a);
    }
    return 0;
}
