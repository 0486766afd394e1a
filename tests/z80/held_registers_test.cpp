// The run loop keeps registers in locals while it runs: whatever looks at
// the processor from outside (the bus during a write, the trap hook, the
// state after a frame) sees what stepping one instruction at a time shows.
#include <cstring>
#include <vector>

#include "tests/z80/processor_fixture.h"

namespace {

using HeldRegisters = ProcessorTest;

TEST_F(HeldRegisters, TheBusSeesTheBudgetAfterTheChargeOfEachWrite)
{
    s.frameEndVector = VECTOR_NONE;
    s.HL = 0x9000;
    s.DE = 0x9100;
    s.BC = 0x0001;
    s.IX = 0x9200;
    s.SP = 0xE000;
    code({
        0x77,              // LD (HL),A        7 -> 993
        0xC5,              // PUSH BC         11 -> 982, two writes
        0xDD, 0x77, 0x01,  // LD (IX+1),A     19 -> 963
        0xED, 0xA0,        // LDI             16 -> 947
        0xD3, 0x10,        // OUT (0x10),A    11 -> 936
    });
    budgetWatched = &s;
    runFrame(s);
    EXPECT_EQ(writeBudgets, (std::vector<int32_t>{993, 982, 982, 963, 947, 936}));
}

// A bus may time a read (the machine's keyboard window shows the field
// sync): each data read is handed the budget after its instruction's charge.
TEST_F(HeldRegisters, EachDataReadIsHandedTheBudgetAfterItsCharge)
{
    s.frameEndVector = VECTOR_NONE;
    s.HL = 0x9001;
    s.IX = 0x9100;
    s.SP = 0xE000;
    s.DE = 0x9300;
    code({
        0x3A, 0x00, 0x90,  // LD A,(0x9000)   13 -> 987
        0x46,              // LD B,(HL)        7 -> 980
        0xDD, 0x86, 0x02,  // ADD A,(IX+2)    19 -> 961
        0xD1,              // POP DE          10 -> 951, two reads
        0xED, 0xA0,        // LDI             16 -> 935, from (HL)
    });
    budgetWatched = &s;
    runFrame(s);
    std::vector<std::pair<uint16_t, int32_t>> data;
    for (const auto& read : readBudgets) {
        if (read.first >= 0x9000) data.push_back(read);
    }
    EXPECT_EQ(data, (std::vector<std::pair<uint16_t, int32_t>>{
                        {0x9000, 987}, {0x9001, 980}, {0x9102, 961}, {0xE000, 951}, {0xE001, 951}, {0x9001, 935}}));
}

TEST_F(HeldRegisters, TheTrapSeesTheFrameSoFarAndItsChangesCount)
{
    s.frameEndVector = VECTOR_NONE;
    code({
        0x3E, 0x5A,        // LD A,0x5A        7 -> 993
        0x21, 0x34, 0x12,  // LD HL,0x1234    10 -> 983
        0xED, 0xFE,        // the trap: free
        0x78,              // LD A,B
        0x76,              // HALT
    });
    patchHookAction = [](Z80State& hooked) { hooked.BC = 0xBE00; };
    runFrame(s);
    EXPECT_EQ(patchHookCalls, 1);
    EXPECT_EQ(high(patchHookState.AF), 0x5A);
    EXPECT_EQ(patchHookState.HL, 0x1234);
    EXPECT_EQ(patchHookState.PC, ORIGIN + 7);
    EXPECT_EQ(patchHookState.cyclesLeft, 983);
    EXPECT_EQ(A(), 0xBE) << "the loop went on with the hook's BC";
}

// A step hands each prefix to its set's entry; called directly with PC past
// the prefix, the entries do what the steps did.
TEST_F(HeldRegisters, TheEntriesRunTheirSetPastThePrefix)
{
    fillRegisters();
    code({0xDD, 0xCB, 0x01, 0xC6, 0xCB, 0x0F, 0xFD, 0x23, 0xED, 0x44});  // SET 0,(IX+1) RRC A INC IY NEG
    Z80State stepped = s;
    for (int i = 0; i < 4; ++i) executeInstruction(stepped);
    s.PC += 2; executeIndexCB(s, s.IX);
    s.PC += 1; executeCB(s);
    s.PC += 1; executeIndex(s, s.IY);
    s.PC += 1; executeED(s);
    expectSameState(stepped, s);
}

// A loop through every instruction set, with block moves, exchanges, calls
// and the stack, that writes into memory as it goes.
constexpr uint8_t EVERY_SET[] = {
    0x21, 0x00, 0x90,        // LD HL,0x9000
    0x11, 0x00, 0x91,        // LD DE,0x9100
    0x01, 0x20, 0x00,        // LD BC,32
    0xED, 0xB0,              // LDIR
    0xDD, 0x21, 0x00, 0x91,  // LD IX,0x9100
    0xFD, 0x21, 0x10, 0x91,  // LD IY,0x9110
    0x06, 0x08,              // LD B,8
    0xDD, 0x7E, 0x03,        // loop: LD A,(IX+3)
    0xFD, 0x86, 0xFE,        // ADD A,(IY-2)
    0xCB, 0x0F,              // RRC A
    0xDD, 0xCB, 0x01, 0xC6,  // SET 0,(IX+1)
    0xCB, 0x7F,              // BIT 7,A
    0x08,                    // EX AF,AF'
    0xD9,                    // EXX
    0xE5,                    // PUSH HL
    0xE3,                    // EX (SP),HL
    0xE1,                    // POP HL
    0xD9,                    // EXX
    0xCD, 0x40, 0x80,        // CALL 0x8040
    0xDD, 0x23,              // INC IX
    0xFD, 0x2B,              // DEC IY
    0x10, 0xE3,              // DJNZ loop
    0xC3, 0x00, 0x80,        // JP 0x8000
};
constexpr uint8_t SUBROUTINE[] = {
    0xED, 0x44,        // NEG
    0x27,              // DAA
    0x32, 0x00, 0x92,  // LD (0x9200),A
    0xC9,              // RET
};

TEST_F(HeldRegisters, AFrameOfEverySetReadsAndWritesAsStepping)
{
    std::memcpy(recordedMemory + ORIGIN, EVERY_SET, sizeof EVERY_SET);
    std::memcpy(recordedMemory + 0x8040, SUBROUTINE, sizeof SUBROUTINE);
    for (int i = 0; i < 0x100; ++i) recordedMemory[0x9000 + i] = static_cast<uint8_t>(i * 37 + 5);
    s.frameEndVector = VECTOR_NONE;
    s.SP = 0xE000;
    s.cyclesLeft = FRAME_CYCLES;
    fillRegisters();
    s.PC = ORIGIN;
    std::vector<uint8_t> memoryAtStart(recordedMemory, recordedMemory + RECORDED_MEMORY_SIZE);
    busLog.clear();

    Z80State stepped = s;
    while (stepped.cyclesLeft >= 0) executeInstruction(stepped);
    stepped.cyclesLeft = FRAME_CYCLES;
    std::vector<BusEvent> steppedLog = busLog;
    std::vector<uint8_t> steppedMemory(recordedMemory, recordedMemory + RECORDED_MEMORY_SIZE);

    std::memcpy(recordedMemory, memoryAtStart.data(), RECORDED_MEMORY_SIZE);
    busLog.clear();
    runFrame(s);

    expectSameState(stepped, s);
    EXPECT_EQ(s.zeroCostAllowance, stepped.zeroCostAllowance);
    EXPECT_EQ(busLog.size(), steppedLog.size());
    EXPECT_TRUE(busLog == steppedLog) << "the same accesses in the same order";
    EXPECT_TRUE(std::equal(steppedMemory.begin(), steppedMemory.end(), recordedMemory));
}

}  // namespace
