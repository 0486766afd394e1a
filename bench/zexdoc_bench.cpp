// Processor speed over the flat bus: the first instructions of zexdoc.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bench_common.h"
#include "tests/support/cpm.h"
#include "tests/support/flat_bus.h"

namespace {

constexpr uint64_t ZEXDOC_INSTRUCTIONS = 2'000'000'000;
// Real time is the VZ200's, 50 of these frames a second.
constexpr double REAL_TIME_TSTATES_PER_SECOND = double{FLAT_FRAME_CYCLES} * 50;

void quietConsole(char) {}

}  // namespace

// An instruction count may be given to shorten the run (for profilers).
int main(int argc, char** argv)
{
    uint64_t limit = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : ZEXDOC_INSTRUCTIONS;
    const char* path = TESSEL_TESTDATA "/zex/zexdoc.com";
    Z80State s{};
    auto prepare = [&] {
        loadCpmProgram(path);
        resetFlatBus();
        flatConsoleOut = quietConsole;
        startCpmProgram(s, FLAT_FRAME_CYCLES);
    };
    if (loadCpmProgram(path) <= 0) {
        std::printf("zexdoc bench skipped: %s not found\n", path);
        return 0;
    }
    BenchRun run;
    if (!medianOfRuns(prepare, s, limit, run)) return 1;
    printFigures("(a) zexdoc from its start, flat 64 KB bus", run, REAL_TIME_TSTATES_PER_SECOND);
    return 0;
}
