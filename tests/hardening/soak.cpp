// tessel-soak: the emulator on the headless host for a long run, as fast as
// it goes, with the user typing monitor commands and loading programs over
// and over. It reports the peak resident size and the frame rate as it goes,
// checks that the typed commands still work, and with --flat-after N fails
// when the peak resident size grew after frame N.
//
//   tessel-soak --frames N [--report-every N] [--flat-after N]
//
// Each cycle of 1,000 frames: a machine-code program that jumps back into
// the ROM's start (a reboot), "M 9000 <bytes>" typed and checked, a data
// file loaded at 0x9100 and checked, "D 9000" typed.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "hosts/headless/host_headless.h"
#include "machine/key_table.h"
#include "machine/vz200.h"
#include "shell/emulator.h"
#include "shell/key_typing.h"
#include "shell/main_window.h"
#include "tests/support/files.h"

namespace {

constexpr int CYCLE_FRAMES = 1000;
constexpr int REBOOT_AT = 0;
constexpr int MODIFY_AT = 100;
constexpr int MODIFY_CHECK_AT = 300;
constexpr int DATA_LOAD_AT = 400;
constexpr int DATA_CHECK_AT = 401;
constexpr int DUMP_AT = 500;

struct Options {
    long frames = 20000;
    long reportEvery = 0;
    long flatAfter = 0;
} options;

struct {
    std::string rebootFile, dataFile;
    std::vector<uint8_t> data;
    uint8_t modified[3];
    long failures = 0, checks = 0;
    long peakAtFlatCheck = -1;
    std::chrono::steady_clock::time_point windowStart;
    std::clock_t windowCpuStart = 0;
    long windowFrom = 0;
} soak;

long statusKilobytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    size_t keyLength = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, keyLength, key) == 0) return std::atol(line.c_str() + keyLength);
    }
    return -1;
}

// Typed as --type types, from the frame about to run.
void type(const std::string& text) { queueTypedText(text.data(), text.size()); }

void load(const std::string& path)
{
    headlessAnswerChooser(path.c_str());
    headlessCommand(ID_FILE_LOAD);
}

void check(bool good, const char* what, long frame)
{
    ++soak.checks;
    if (good) return;
    ++soak.failures;
    std::fprintf(stderr, "tessel-soak: frame %ld: %s\n", frame, what);
}

std::string hexByte(uint8_t b)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

void report(long frame)
{
    // Wall-clock and processor-time rates: on a shared machine the second
    // says more about a slowdown of our own.
    auto now = std::chrono::steady_clock::now();
    std::clock_t cpuNow = std::clock();
    double seconds = std::chrono::duration<double>(now - soak.windowStart).count();
    double cpuSeconds = static_cast<double>(cpuNow - soak.windowCpuStart) / CLOCKS_PER_SEC;
    auto frames = static_cast<double>(frame - soak.windowFrom);
    std::printf("frame %ld: VmHWM %ld kB, VmRSS %ld kB, %.0f frames/s, %.0f frames per CPU second\n", frame,
                statusKilobytes("VmHWM:"), statusKilobytes("VmRSS:"), seconds > 0 ? frames / seconds : 0.0,
                cpuSeconds > 0 ? frames / cpuSeconds : 0.0);
    std::fflush(stdout);
    soak.windowStart = now;
    soak.windowCpuStart = cpuNow;
    soak.windowFrom = frame;
}

// Sets up the user's side for the frame about to run (frames count from 1).
void scriptFrame(long frame)
{
    long phase = frame % CYCLE_FRAMES;
    long cycle = frame / CYCLE_FRAMES;
    if (phase == REBOOT_AT) load(soak.rebootFile);
    if (phase == MODIFY_AT) {
        for (int i = 0; i < 3; ++i) soak.modified[i] = static_cast<uint8_t>(cycle * 37 + i * 101);
        type("M 9000 " + hexByte(soak.modified[0]) + " " + hexByte(soak.modified[1]) + " " + hexByte(soak.modified[2]) +
             "\n");
    }
    if (phase == MODIFY_CHECK_AT) {
        check(std::memcmp(vz200.memoryImage + 0x9000, soak.modified, 3) == 0, "the typed M command did not write", frame);
    }
    if (phase == DATA_LOAD_AT) load(soak.dataFile);
    if (phase == DATA_CHECK_AT) {
        check(std::memcmp(vz200.memoryImage + 0x9100, soak.data.data(), soak.data.size()) == 0, "the data file did not land",
              frame);
    }
    if (phase == DUMP_AT) type("D 9000\n");
}

void framePresented(int presented)
{
    long frame = presented;
    if (options.reportEvery > 0 && frame % options.reportEvery == 0) report(frame);
    if (frame == options.flatAfter) soak.peakAtFlatCheck = statusKilobytes("VmHWM:");
    if (frame >= options.frames) {
        headlessClose();
        return;
    }
    scriptFrame(frame + 1);
}

bool number(const char* text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        long* target = !std::strcmp(argv[i], "--frames")         ? &options.frames
                       : !std::strcmp(argv[i], "--report-every") ? &options.reportEvery
                       : !std::strcmp(argv[i], "--flat-after")   ? &options.flatAfter
                                                                 : nullptr;
        if (!target || i + 1 >= argc || !number(argv[++i], *target)) {
            std::fprintf(stderr, "usage: tessel-soak --frames N [--report-every N] [--flat-after N]\n");
            return 2;
        }
    }

    std::string base = "/tmp/tessel-soak-" + std::to_string(getpid());
    soak.rebootFile = base + "-reboot.vz";
    soak.dataFile = base + "-data.vz";
    writeVz(soak.rebootFile, 0xF1, 0x8000, {0xC3, 0x00, 0x00});  // JP 0000
    for (int i = 0; i < 200; ++i) soak.data.push_back(static_cast<uint8_t>(i * 29 + 3));
    writeVz(soak.dataFile, 0xF0, 0x9100, soak.data);

    headless.onPresent = framePresented;
    soak.windowStart = std::chrono::steady_clock::now();
    soak.windowCpuStart = std::clock();
    scriptFrame(1);
    int status = emulatorMain();
    std::remove(soak.rebootFile.c_str());
    std::remove(soak.dataFile.c_str());

    long peak = statusKilobytes("VmHWM:");
    std::printf("frames %d, checks %ld, failed %ld, VmHWM %ld kB\n", headless.screen.presents, soak.checks,
                soak.failures, peak);
    if (status != EXIT_AFTER_CLOSE || headless.screen.presents != options.frames) return 1;
    if (soak.failures > 0 || soak.checks == 0) return 1;
    if (options.flatAfter > 0) {
        std::printf("VmHWM at frame %ld: %ld kB, at the end: %ld kB\n", options.flatAfter, soak.peakAtFlatCheck, peak);
        if (soak.peakAtFlatCheck < 0 || peak > soak.peakAtFlatCheck) return 1;
    }
    return 0;
}
