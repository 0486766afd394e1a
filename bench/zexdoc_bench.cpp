// Processor speed over the flat bus: the first instructions of zexdoc.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bench_common.h"
#include "tests/z80/flat_bus.h"

namespace {

constexpr uint64_t ZEXDOC_INSTRUCTIONS = 2'000'000'000;
constexpr uint16_t CPM_PROGRAM_START = 0x0100;
constexpr uint16_t BDOS_TRAP = 0xF000;

uint8_t program[FLAT_MEMORY_SIZE];
size_t programSize;

void quietConsole(char) {}

}  // namespace

// An instruction count may be given to shorten the run (for profilers).
int main(int argc, char** argv)
{
    uint64_t limit = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : ZEXDOC_INSTRUCTIONS;
    const char* path = TESSEL_TESTDATA "/zex/zexdoc.com";
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::printf("zexdoc bench skipped: %s not found\n", path);
        return 0;
    }
    programSize = std::fread(program, 1, FLAT_MEMORY_SIZE - CPM_PROGRAM_START, file);
    std::fclose(file);

    Z80State s{};
    s.cyclesPerFrame = BENCH_CYCLES_PER_FRAME;
    frameEndVector = VECTOR_NONE;  // CP/M has no frame interrupt
    auto prepare = [&] {
        std::memset(flatMemory, 0, sizeof flatMemory);
        std::memcpy(flatMemory + CPM_PROGRAM_START, program, programSize);
        flatMemory[0x0000] = 0x76;                                    // HALT when the program ends
        flatMemory[0x0005] = 0xC3;                                    // JP to the BDOS trap, whose
        flatMemory[0x0006] = static_cast<uint8_t>(BDOS_TRAP & 0xFF);  // address is also the stack top
        flatMemory[0x0007] = static_cast<uint8_t>(BDOS_TRAP >> 8);
        flatMemory[BDOS_TRAP] = 0xED;
        flatMemory[BDOS_TRAP + 1] = 0xFE;
        flatMemory[BDOS_TRAP + 2] = 0xC9;
        resetFlatBus();
        flatConsoleOut = quietConsole;
        resetProcessor(s);
        s.PC = CPM_PROGRAM_START;
    };
    printFigures("(a) zexdoc from its start, flat 64 KB bus",
                 medianOfRuns(prepare, s, limit));
    return 0;
}
