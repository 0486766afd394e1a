// Arbitrary bytes as a program file, chosen through File > Load: the window
// procedure gets the Load command, the scripted Open dialog answers with a
// file holding the bytes, and the machine then runs on for two frames.
// A file of a header and a body must land exactly at its load address (up to
// the top of memory, no further); a shorter file changes nothing; only type
// 0xF1 moves PC.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "fuzz_machine.h"
#include "machine/bus.h"
#include "machine/vz200.h"
#include "machine/loaders.h"
#include "shell/emulator.h"
#include "hosts/headless/host_headless.h"
#include "shell/main_window.h"

namespace {

constexpr int FRAMES_AFTER_LOAD = 2;

const std::string& programFile()
{
    static const std::string path = "/tmp/tessel-fuzz-program-" + std::to_string(getpid()) + ".vz";
    static const bool removedAtExit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

[[noreturn]] void finding(const char* what, long detail)
{
    std::fprintf(stderr, "program_file: %s (%ld)\n", what, detail);
    std::abort();
}

// Only PC and the halt bit may change, and only for a program to run.
void checkProcessor(const Z80State& before, const Z80State& after, bool runs, uint16_t loadAddress)
{
    Z80State expected = before;
    if (runs) {
        expected.PC = loadAddress;
        expected.interruptFlags = static_cast<uint8_t>(expected.interruptFlags & ~HALTED);
    }
    if (std::memcmp(&expected, &after, sizeof expected) != 0) finding("processor state changed", after.PC);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    restoreBootedMachine();

    std::FILE* file = std::fopen(programFile().c_str(), "wb");
    if (!file) return 0;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    static MemoryImage before;
    std::memcpy(before, vz200.memoryImage, sizeof before);
    Z80State processorBefore = vz200.processor;
    uint8_t latchBefore = vz200.outputLatch;

    headlessAnswerChooser(programFile().c_str());
    headlessCommand(ID_FILE_LOAD);
    drainEvents();
    if (headless.chooser.shown != 1) finding("the file chooser did not come", headless.chooser.shown);

    bool hasHeader = size >= VZ_HEADER_SIZE;
    uint16_t loadAddress = 0;
    size_t bodySize = 0;
    if (hasHeader) {
        loadAddress = static_cast<uint16_t>(data[VZ_ADDRESS_OFFSET] | data[VZ_ADDRESS_OFFSET + 1] << 8);
        bodySize = size - VZ_HEADER_SIZE;
        size_t room = static_cast<size_t>(MEMORY_SIZE - loadAddress);
        if (bodySize > room) bodySize = room;
    }
    for (int address = 0; address < MEMORY_SIZE; ++address) {
        size_t offset = static_cast<size_t>(address - loadAddress);
        bool inBody = hasHeader && address >= loadAddress && offset < bodySize;
        uint8_t expected = inBody ? data[VZ_HEADER_SIZE + offset] : before[address];
        if (vz200.memoryImage[address] != expected) finding(inBody ? "body byte wrong" : "byte outside the body changed", address);
    }
    checkProcessor(processorBefore, vz200.processor, hasHeader && data[VZ_TYPE_OFFSET] == VZ_TYPE_MACHINE_CODE, loadAddress);
    if (vz200.outputLatch != latchBefore) finding("the load changed the latch", vz200.outputLatch);

    // Whatever landed where, the machine runs on.
    for (int frame = 0; frame < FRAMES_AFTER_LOAD; ++frame) frameStep();
    if (headless.screen.presents != FRAMES_AFTER_LOAD) finding("frames not presented", headless.screen.presents);
    return 0;
}
