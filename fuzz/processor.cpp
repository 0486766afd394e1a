// The processor over the machine's bus: an arbitrary memory image and
// register state, then a few frames. Every frame must end within the bound
// below, every instruction must pay for itself one of the ways the run loop
// counts on, runFrame's inner loop must end exactly where stepping the same
// instructions does, and the processor must never change memory below 0x6800.
//
// Input: a 40-byte state record (registers, budget, interrupt request,
// frame count, keyboard rows), then memory bytes from 0x0000; a short
// image is repeated to fill all 64 KB.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine/bus.h"
#include "machine/vz200.h"
#include "z80/control.h"
#include "z80/z80.h"

// Linked with --wrap on executeInstruction and executeWhileBudgetLasts
// (both of C linkage): runFrame's calls come to the wrappers below, which
// count them, stop a frame that would not end, and pass them on.
extern "C" uint16_t __real_executeInstruction(Z80State& s);
extern "C" void __real_executeWhileBudgetLasts(Z80State& s);

namespace {

constexpr int32_t FRAME_CYCLES = CYCLES_PER_FRAME;
constexpr int MAX_FRAMES = 4;
constexpr size_t STATE_BYTES = 40;
constexpr int32_t CHEAPEST_INSTRUCTION = 4;

// How many instructions one runFrame call may execute, from the budget b and
// the zero-cost allowance a it starts with. Every instruction is one of:
// - ordinary: it costs at least 4 cycles (or is a HALT, which ends the loop).
//   The loop runs while the budget is 0 or more: at most b / 4 + 1 of them.
// - zero-cost (prefixed forms the prefix does not change, and the like): it
//   takes one from the allowance, and costs 4 once that is spent: at most a.
// - an EI while an interrupt is requested: it keeps the budget at 1 until
//   the next instruction. After the first one, only EIs and zero-cost forms
//   keep the loop running, and the first other instruction ends it. EIs in a
//   row run straight through memory, and only a zero-cost form can send the
//   processor back (a prefixed jump, RST or call): so between two zero-cost
//   forms there are at most as many EIs as there are bytes that read as EI
//   in a row. The keyboard window can read as EI (keys 0x3B with the
//   cassette input and the field sync high), but not where its low address
//   byte is 0xFF: that selects no row, and the keys read 0x3F, never the EI's
//   0x3B. Those eight addresses, 0x68FF to 0x6FFF, break every row; the
//   longest lies between the last and the first of them, round the top of
//   memory: 65,536 - 1,793 bytes.
// The machine never requests an interrupt this way, but a state of the
// harness may, so its bound grows with the allowance times memory.
constexpr long FIRST_ROWLESS_ADDRESS = PROTECTED_END | 0xFF;
constexpr long LONGEST_EI_RUN = MEMORY_SIZE - (KEYBOARD_WINDOW_END + 1 - FIRST_ROWLESS_ADDRESS);

struct FrameLimits {
    long ordinary, zeroCost, eiRun, total;
};

FrameLimits limitsFor(const Z80State& s)
{
    long ordinary = std::max(0L, long{s.cyclesLeft} / CHEAPEST_INSTRUCTION + 1);
    long zeroCost = std::max(0L, long{s.zeroCostAllowance});
    long eiRun = s.interruptRequest == VECTOR_NONE ? 0 : LONGEST_EI_RUN;
    return {ordinary, zeroCost, eiRun, ordinary + zeroCost + (zeroCost + 1) * eiRun + 1};
}

// What the run loop has executed in the current runFrame call.
struct FrameCount {
    FrameLimits limits;
    long instructions, ordinary, zeroCost;
    long eiRun;  // EIs that held the budget at 1 since the last zero-cost form
};

FrameCount counted;

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

void startCounting(const Z80State& s) { counted = FrameCount{limitsFor(s), 0, 0, 0, 0}; }

// Sorts the instruction just run into the kinds of the bound, from what it
// did to the budget and the allowance, and holds each kind to its limit.
void countInstruction(int32_t budgetBefore, int32_t allowanceBefore, const Z80State& s)
{
    FrameCount& c = counted;
    ++c.instructions;
    bool tookAllowance = s.zeroCostAllowance == allowanceBefore - 1;
    bool allowanceKept = s.zeroCostAllowance == allowanceBefore;
    bool heldAtOne = s.cyclesLeft == 1 && (s.interruptFlags & EI_PENDING);
    bool paid = s.cyclesLeft <= budgetBefore - CHEAPEST_INSTRUCTION || s.haltRan;
    if (tookAllowance && s.zeroCostAllowance >= 0) {
        ++c.zeroCost;
        c.eiRun = 0;
    } else if (heldAtOne && (allowanceKept || tookAllowance)) {
        if (++c.eiRun > c.limits.eiRun) finding("a row of EIs longer than memory allows", c.eiRun);
    } else if (paid && (allowanceKept || tookAllowance)) {
        ++c.ordinary;
    } else {
        finding("an instruction neither paid cycles nor took from the allowance", s.PC);
    }
    if (c.ordinary > c.limits.ordinary) finding("more instructions than the budget pays for", c.ordinary);
    if (c.zeroCost > c.limits.zeroCost) finding("more zero-cost forms than the allowance", c.zeroCost);
    if (c.instructions > c.limits.total) finding("a frame ran too many instructions", c.instructions);
}

}  // namespace

extern "C" uint16_t __wrap_executeInstruction(Z80State& s)
{
    int32_t budgetBefore = s.cyclesLeft;
    int32_t allowanceBefore = s.zeroCostAllowance;
    uint16_t pc = __real_executeInstruction(s);
    countInstruction(budgetBefore, allowanceBefore, s);
    return pc;
}

namespace {

// What the processor can change besides its state: memory, the latch and the
// speaker's record of this frame.
struct MachineSide {
    MemoryImage memory;
    uint8_t latch;
    Speaker speaker;
};

MachineSide before, stepped;

void keep(MachineSide& side)
{
    std::memcpy(side.memory, vz200.memoryImage, sizeof side.memory);
    side.latch = vz200.outputLatch;
    side.speaker = vz200.speaker;
}

void putBack(const MachineSide& side)
{
    std::memcpy(vz200.memoryImage, side.memory, sizeof side.memory);
    vz200.outputLatch = side.latch;
    vz200.speaker = side.speaker;
}

bool sameAsStepped()
{
    const Speaker& a = vz200.speaker;
    const Speaker& b = stepped.speaker;
    return std::memcmp(vz200.memoryImage, stepped.memory, sizeof stepped.memory) == 0 &&
           vz200.outputLatch == stepped.latch && a.level == b.level && a.position == b.position &&
           std::equal(a.sampleSums, a.sampleSums + SAMPLES_PER_FRAME, b.sampleSums);
}

}  // namespace

// runFrame's inner loop keeps registers in locals and calls nothing per
// instruction, so nothing could count it. The same stretch is first stepped
// through the counted executeInstruction, which hands each prefix to its
// set's entry; then the loop runs it from the same start and must end
// exactly where stepping did.
extern "C" void __wrap_executeWhileBudgetLasts(Z80State& s)
{
    const Z80State start = s;
    keep(before);
    while (s.cyclesLeft > 0) executeInstruction(s);
    const Z80State end = s;
    keep(stepped);

    s = start;
    putBack(before);
    __real_executeWhileBudgetLasts(s);
    if (!(s == end)) finding("the run loop ended elsewhere than stepping, at PC", s.PC);
    if (!sameAsStepped()) finding("the run loop left the machine otherwise than stepping, at PC", s.PC);
}

// The count is the guard's only witness, so make sure it counts: a budget of
// 4 over NOPs runs exactly two (the second from a budget of exactly zero).
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::memset(vz200.memoryImage, 0x00, sizeof vz200.memoryImage);
    processor = Z80State{};
    processor.cyclesPerFrame = FRAME_CYCLES;
    processor.cyclesLeft = 4;
    processor.interruptRequest = VECTOR_NONE;
    startCounting(processor);
    runFrame(processor);
    if (counted.instructions != 2) finding("the instruction counter is not linked in", counted.instructions);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < STATE_BYTES + 1) return -1;  // not worth keeping
    takeState(data);
    const uint8_t* image = data + STATE_BYTES;
    size_t imageSize = size - STATE_BYTES;
    for (size_t a = 0; a < MEMORY_SIZE; ++a) vz200.memoryImage[a] = image[a % imageSize];
    vz200.outputLatch = 0;
    processor.frameEndVector = FRAME_END_VECTOR;
    processor.zeroCostAllowance = FRAME_CYCLES;
    std::memcpy(protectedBefore, vz200.memoryImage, PROTECTED_END);

    int frames = 1 + data[31] % MAX_FRAMES;
    for (int frame = 0; frame < frames; ++frame) {
        startCounting(processor);
        runFrame(processor);
        if (processor.cyclesPerFrame != FRAME_CYCLES) finding("cyclesPerFrame changed", processor.cyclesPerFrame);
        if (processor.interruptFlags & EI_PENDING) finding("EI delay left pending", processor.interruptFlags);
    }
    for (int a = 0; a < PROTECTED_END; ++a) {
        if (vz200.memoryImage[a] != protectedBefore[a]) finding("protected memory changed", a);
    }
    return 0;
}
