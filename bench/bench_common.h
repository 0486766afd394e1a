// Timing shared by the benchmarks: frames of the machine's length, one call
// and one budget test per instruction (plus the count the figures need),
// repeated three times and reported as medians.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "machine/vz200.h"
#include "z80/z80.h"

constexpr double REAL_TIME_TSTATES_PER_SECOND = double{CYCLES_PER_FRAME} * FRAMES_PER_SECOND;
constexpr int BENCH_RUNS = 3;

struct BenchRun {
    double seconds;
    uint64_t instructions;
    uint64_t tstates;
};

// Runs until instructionLimit instructions have run or the processor halts.
inline BenchRun runCounted(Z80State& s, uint64_t instructionLimit)
{
    BenchRun run{0, 0, 0};
    auto start = std::chrono::steady_clock::now();
    while (run.instructions < instructionLimit && !(s.interruptFlags & HALTED)) {
        s.cyclesLeft = s.cyclesPerFrame;
        uint64_t executed = 0;
        while (s.cyclesLeft > 0) {
            executeInstruction(s);
            ++executed;
        }
        run.instructions += executed;
        run.tstates += static_cast<uint64_t>(s.cyclesPerFrame - s.cyclesLeft);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

template <typename Prepare>
inline BenchRun medianOfRuns(Prepare prepare, Z80State& s, uint64_t instructionLimit)
{
    BenchRun runs[BENCH_RUNS];
    for (BenchRun& run : runs) {
        prepare();
        run = runCounted(s, instructionLimit);
    }
    std::sort(runs, runs + BENCH_RUNS, [](const BenchRun& a, const BenchRun& b) { return a.seconds < b.seconds; });
    return runs[BENCH_RUNS / 2];
}

inline void printFigures(const char* name, const BenchRun& run)
{
    double instructionsPerSecond = run.instructions / run.seconds;
    double tstatesPerSecond = run.tstates / run.seconds;
    std::printf("%s\n", name);
    std::printf("  instructions        %14llu in %.3f s (median of %d)\n",
                static_cast<unsigned long long>(run.instructions), run.seconds, BENCH_RUNS);
    std::printf("  instructions/s      %10.1f M\n", instructionsPerSecond / 1e6);
    std::printf("  T-states/s          %10.1f M\n", tstatesPerSecond / 1e6);
    std::printf("  ratio to real time  %10.1f x\n", tstatesPerSecond / REAL_TIME_TSTATES_PER_SECOND);
}
