// Timing shared by the processor's benchmarks: frames run through runFrame,
// three timed runs reported as medians. The instructions and T-states of
// those frames come from an untimed pass that steps the same frames one
// instruction at a time.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "z80/z80.h"

constexpr int BENCH_RUNS = 3;

struct FrameCount {
    uint64_t frames;
    uint64_t instructions;
    uint64_t tstates;
    Z80State end;  // the processor after the last frame
};

// Steps whole frames until instructionLimit instructions have run or the
// processor halts. runFrame closes each frame after the steps: with the
// budget spent its loop runs nothing more.
inline FrameCount countFrames(Z80State& s, uint64_t instructionLimit)
{
    FrameCount count{0, 0, 0, {}};
    while (count.instructions < instructionLimit && !(s.interruptFlags & HALTED)) {
        int32_t budget = s.cyclesLeft;
        while (s.cyclesLeft >= 0 && !(s.interruptFlags & HALTED)) {
            executeInstruction(s);
            ++count.instructions;
        }
        count.tstates += static_cast<uint64_t>(budget - s.cyclesLeft);
        runFrame(s);
        ++count.frames;
    }
    count.end = s;
    return count;
}

struct BenchRun {
    double seconds;
    FrameCount count;
};

// Counts once, then times BENCH_RUNS runs of the same frames through runFrame
// and keeps the median. prepare() puts the workload back at its start. A run
// that ends elsewhere than the count did is reported and fails the bench.
template <typename Prepare>
inline bool medianOfRuns(Prepare prepare, Z80State& s, uint64_t instructionLimit, BenchRun& median)
{
    prepare();
    FrameCount count = countFrames(s, instructionLimit);
    double seconds[BENCH_RUNS];
    for (double& run : seconds) {
        prepare();
        auto start = std::chrono::steady_clock::now();
        for (uint64_t frame = 0; frame < count.frames; ++frame) runFrame(s);
        run = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!(s == count.end)) {
            std::printf("bench: runFrame ended at PC %04X, stepping at %04X\n", s.PC, count.end.PC);
            return false;
        }
    }
    std::sort(seconds, seconds + BENCH_RUNS);
    median = {seconds[BENCH_RUNS / 2], count};
    return true;
}

// realTime: the T-states a second of the machine being modelled.
inline void printFigures(const char* name, const BenchRun& run, double realTime)
{
    double instructionsPerSecond = run.count.instructions / run.seconds;
    double tstatesPerSecond = run.count.tstates / run.seconds;
    std::printf("%s\n", name);
    std::printf("  instructions        %14llu in %.3f s (median of %d)\n",
                static_cast<unsigned long long>(run.count.instructions), run.seconds, BENCH_RUNS);
    std::printf("  instructions/s      %10.1f M\n", instructionsPerSecond / 1e6);
    std::printf("  T-states/s          %10.1f M\n", tstatesPerSecond / 1e6);
    std::printf("  ratio to real time  %10.1f x\n", tstatesPerSecond / realTime);
}
