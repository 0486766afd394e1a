#include "tests/support/cpm.h"

#include <cstdio>
#include <cstring>

#include "tests/support/flat_bus.h"

namespace {

constexpr uint16_t BDOS_ENTRY = 0x0005;
// The trap sits high; JP to it also puts the stack top (0xFF00) at 0x0006,
// where the exercisers read it.
constexpr uint16_t BDOS_TRAP = 0xFF00;
constexpr uint8_t OP_HALT = 0x76;
constexpr uint8_t OP_JP = 0xC3;
constexpr uint8_t OP_RET = 0xC9;

}  // namespace

long loadCpmProgram(const char* path)
{
    std::memset(flatMemory, 0, sizeof flatMemory);
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return -1;
    size_t size = std::fread(flatMemory + CPM_PROGRAM_START, 1, BDOS_TRAP - CPM_PROGRAM_START, file);
    bool tooLong = std::fgetc(file) != EOF;
    std::fclose(file);
    return tooLong ? 0 : static_cast<long>(size);
}

void startCpmProgram(Z80State& s, int32_t cyclesPerFrame)
{
    flatMemory[CPM_FINAL_HALT] = OP_HALT;
    flatMemory[BDOS_ENTRY] = OP_JP;
    flatMemory[BDOS_ENTRY + 1] = low(BDOS_TRAP);
    flatMemory[BDOS_ENTRY + 2] = high(BDOS_TRAP);
    flatMemory[BDOS_TRAP] = 0xED;  // ED FE: the trap answers the call ...
    flatMemory[BDOS_TRAP + 1] = 0xFE;
    flatMemory[BDOS_TRAP + 2] = OP_RET;  // ... and RET goes back to the caller

    s.cyclesPerFrame = cyclesPerFrame;
    s.frameEndVector = VECTOR_NONE;
    resetProcessor(s);
    s.PC = CPM_PROGRAM_START;
}
