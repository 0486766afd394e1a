// The speaker's cost per frame: the latch writes of a frame and the 960
// samples made from them, for a silent speaker, a 1 kHz tone and a program
// that pushes it with nearly every instruction.
#include <chrono>
#include <cstdio>

#include "machine/speaker.h"
#include "machine/vz200.h"

namespace {

constexpr int FRAMES = 20000;

struct Workload {
    const char* name;
    int32_t cyclesBetweenWrites;  // 0: no write at all
};

double microsecondsPerFrame(const Workload& workload)
{
    static Speaker speaker;
    speaker = Speaker{};
    auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < FRAMES; ++frame) {
        if (workload.cyclesBetweenWrites > 0) {
            uint8_t latch = LATCH_SPEAKER_A;
            for (int32_t cycle = 0; cycle < CYCLES_PER_FRAME; cycle += workload.cyclesBetweenWrites) {
                speakerLatchWritten(speaker, latch, cycle);
                latch ^= LATCH_SPEAKER_A | LATCH_SPEAKER_B;
            }
        }
        finishSpeakerFrame(speaker);
    }
    std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / FRAMES;
}

}  // namespace

int main()
{
    const Workload workloads[] = {
        {"silent", 0},
        {"1 kHz tone (40 writes a frame)", 1790},
        {"a write every 7 cycles (10,229 a frame)", 7},
    };
    std::printf("(c) the speaker, per frame of 960 samples\n");
    for (const Workload& workload : workloads) {
        std::printf("  %-42s %8.2f us\n", workload.name, microsecondsPerFrame(workload));
    }
    return 0;
}
