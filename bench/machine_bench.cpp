// Processor speed over the machine's bus: a program of ours at 0x8000 doing
// screen writes, block moves, keyboard scans and index-register work.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bench_common.h"
#include "machine/bus.h"
#include "machine/vz200.h"

namespace {

constexpr uint64_t WORKLOAD_INSTRUCTIONS = 1'000'000'000;
constexpr uint16_t WORKLOAD_START = 0x8000;

}  // namespace

// An instruction count may be given to shorten the run (for profilers).
int main(int argc, char** argv)
{
    uint64_t limit = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : WORKLOAD_INSTRUCTIONS;
    uint8_t program[0x1000];
    std::FILE* file = std::fopen(TESSEL_WORKLOAD, "rb");
    if (!file) {
        std::printf("machine bench: %s not found\n", TESSEL_WORKLOAD);
        return 1;
    }
    size_t size = std::fread(program, 1, sizeof program, file);
    std::fclose(file);

    Z80State s{};
    s.cyclesPerFrame = CYCLES_PER_FRAME;
    // As in the machine; the workload keeps interrupts off, so it is refused.
    s.frameEndVector = FRAME_END_VECTOR;
    auto prepare = [&] {
        std::memset(vz200.memoryImage, 0, sizeof vz200.memoryImage);
        std::memcpy(vz200.memoryImage + WORKLOAD_START, program, size);
        vz200.keyboardMatrix = idleKeyboardRows();
        resetProcessor(s);
        s.PC = WORKLOAD_START;
    };
    BenchRun run;
    if (!medianOfRuns(prepare, s, limit, run)) return 1;
    printFigures("(b) VZ200 workload at 0x8000, the machine's bus", run, double{CYCLES_PER_FRAME} * FRAMES_PER_SECOND);
    return 0;
}
