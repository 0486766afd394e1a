// The cost of one frame's picture: renderScreen in text and in graphics
// mode, over the open font and a screen where neighbouring bytes differ.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine/vz200.h"
#include "rom/open_rom.h"

namespace {

constexpr int RENDER_FRAMES = 20000;
constexpr int RENDER_RUNS = 3;
constexpr int VIDEO_BYTES = 2048;

// Microseconds per frame, the median of RENDER_RUNS runs.
double microsecondsPerFrame(uint8_t latch, int frames)
{
    vz200.outputLatch = latch;
    double runs[RENDER_RUNS];
    for (double& run : runs) {
        auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < frames; ++frame) renderScreen(vz200);
        run = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / frames;
    }
    std::sort(runs, runs + RENDER_RUNS);
    return runs[RENDER_RUNS / 2];
}

}  // namespace

// A frame count may be given to shorten the run (for profilers).
int main(int argc, char** argv)
{
    int frames = argc > 1 ? std::atoi(argv[1]) : RENDER_FRAMES;
    if (frames < 1) frames = RENDER_FRAMES;
    std::memcpy(vz200.fontImage, openFontImage, sizeof openFontImage);
    buildGlyphAtlas(vz200);
    for (int i = 0; i < VIDEO_BYTES; ++i) vz200.memoryImage[VIDEO_MEMORY + i] = static_cast<uint8_t>(i * 7 + i / 32);

    std::printf("(c) renderScreen, every video byte different\n");
    std::printf("  text frame          %10.2f us (median of %d runs of %d)\n", microsecondsPerFrame(0, frames),
                RENDER_RUNS, frames);
    std::printf("  graphics frame      %10.2f us\n", microsecondsPerFrame(LATCH_GRAPHICS, frames));
    return 0;
}
