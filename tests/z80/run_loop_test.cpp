// Reset, the frame-long run loop, the EI delay, HALT, interrupt delivery in
// each mode, the special vectors and the guard against frames that never end.
#include <cstring>

#include "tests/z80/processor_fixture.h"

namespace {

using RunLoop = ProcessorTest;
using Interrupts = ProcessorTest;

constexpr uint8_t NOP = 0x00, HALT = 0x76, EI = 0xFB, DI = 0xF3;

TEST_F(RunLoop, ResetPutsThePowerOnState)
{
    std::memset(&s, 0x5A, sizeof s);
    s.cyclesPerFrame = FRAME_CYCLES;
    s.cyclesBeforeEi = 1234;
    resetProcessor(s);

    EXPECT_EQ(s.PC, 0x0000);
    EXPECT_EQ(s.SP, 0xF000);
    for (uint16_t pair : {s.AF, s.BC, s.DE, s.HL, s.IX, s.IY, s.altAF, s.altBC, s.altDE, s.altHL}) EXPECT_EQ(pair, 0);
    EXPECT_EQ(s.I, 0);
    EXPECT_EQ(s.interruptFlags, 0);
    EXPECT_EQ(s.cyclesPerFrame, FRAME_CYCLES);
    EXPECT_EQ(s.cyclesLeft, FRAME_CYCLES);
    EXPECT_EQ(s.cyclesBeforeEi, 1234);
    EXPECT_EQ(s.interruptRequest, 0xFFFF);
    EXPECT_EQ(s.zeroCostAllowance, FRAME_CYCLES) << "a frame's worth of free forms";
    EXPECT_EQ(s.frameEndVector, 0x5A5A) << "the owner's choice, like the frame length";
    EXPECT_TRUE(busLog.empty()) << "reset touches no memory";
}

// 17,900 NOPs bring the budget to exactly 0, which still runs one more.
TEST_F(RunLoop, AFrameOfNopsRuns17901InstructionsAndRefills)
{
    s.frameEndVector = VECTOR_NONE;
    s.PC = 0x0000;
    s.cyclesLeft = FRAME_CYCLES;

    EXPECT_EQ(runFrame(s), 17901);
    EXPECT_EQ(countAccesses(Access::READ), 17901u);
    EXPECT_EQ(s.cyclesLeft, FRAME_CYCLES);

    busLog.clear();
    EXPECT_EQ(runFrame(s), 2 * 17901);
    EXPECT_EQ(countAccesses(Access::READ), 17901u);
    EXPECT_EQ(s.cyclesLeft, FRAME_CYCLES);
}

TEST_F(RunLoop, AFrameMatchesStepping)
{
    // LD BC,nn (10), INC B (4), JR back (12): 26 T-states a pass.
    poke(0x8000, {0x01, 0x00, 0x00, 0x04, 0x18, 0xFA});
    s.frameEndVector = VECTOR_NONE;
    Z80State stepped = s;
    stepped.cyclesLeft = s.cyclesLeft = FRAME_CYCLES;
    int instructions = 0;
    while (stepped.cyclesLeft >= 0) {
        executeInstruction(stepped);
        ++instructions;
    }
    EXPECT_EQ(instructions, 3 * 2754);  // 2753 passes leave 22, enough to start all three again

    runFrame(s);
    stepped.cyclesLeft = FRAME_CYCLES;
    expectSameState(stepped, s);
}

TEST_F(RunLoop, OvershootIsDroppedNotCarried)
{
    s.frameEndVector = VECTOR_NONE;
    code({0x01, 0x34, 0x12});  // LD BC,nn: 10 T-states from a budget of 3
    s.cyclesLeft = 3;
    EXPECT_EQ(runFrame(s), ORIGIN + 3);
    EXPECT_EQ(s.BC, 0x1234);
    EXPECT_EQ(s.cyclesLeft, FRAME_CYCLES);
}

TEST_F(RunLoop, AFrameEndsWithOneMaskableInterruptAtItsVector)
{
    s.frameEndVector = FRAME_INTERRUPT;
    s.PC = 0x0000;
    s.cyclesLeft = FRAME_CYCLES;
    s.interruptFlags = IFF1 | IM1;
    EXPECT_EQ(runFrame(s), 0x0038);
    EXPECT_EQ(s.SP, 0xEFFE);
    EXPECT_EQ(recordedMemory[0xEFFE] | recordedMemory[0xEFFF] << 8, 17901);
    EXPECT_EQ(s.interruptFlags, IM1 | IFF2);
}

TEST_F(RunLoop, EiDelaySavesTheBudgetAndStopsAfterOneInstruction)
{
    code({EI});
    s.interruptRequest = 0x1234;
    EXPECT_EQ(step(), STEP_BUDGET - 1);
    EXPECT_EQ(s.interruptFlags, IFF1 | EI_PENDING);
    EXPECT_EQ(s.cyclesBeforeEi, STEP_BUDGET - 4);
    EXPECT_EQ(s.cyclesLeft, 1);
}

TEST_F(RunLoop, EiWithoutARequestOnlySetsIff1)
{
    code({EI});
    s.cyclesBeforeEi = 77;
    EXPECT_EQ(step(), 4);
    EXPECT_EQ(s.interruptFlags, IFF1);
    EXPECT_EQ(s.cyclesBeforeEi, 77);
}

TEST_F(RunLoop, EiDelayDeliversTheRequestAfterTheNextInstruction)
{
    code({EI, 0x06, 0x05, NOP});  // EI; LD B,5 (7 T-states); NOP
    s.interruptRequest = 0x0010;  // mode 0: the vector is the new PC
    s.frameEndVector = VECTOR_NONE;

    EXPECT_EQ(runFrame(s), 0x0010);
    EXPECT_EQ(B(), 5) << "the instruction after EI ran";
    EXPECT_EQ(recordedMemory[0xEFFE] | recordedMemory[0xEFFF] << 8, ORIGIN + 3);
    EXPECT_EQ(s.interruptFlags, IFF2);
    EXPECT_EQ(s.cyclesLeft, STEP_BUDGET - 4 - 7) << "budget given back, frame not refilled";
}

TEST_F(RunLoop, EiDelayWaitsForAnInstructionThatCosts)
{
    code({EI, 0xDD, 0x01, 0x34, 0x12, NOP, NOP});  // DD 01 (LD BC,nn) costs nothing
    s.interruptRequest = 0x0010;
    s.frameEndVector = VECTOR_NONE;

    EXPECT_EQ(runFrame(s), 0x0010);
    EXPECT_EQ(s.BC, 0x1234);
    EXPECT_EQ(recordedMemory[0xEFFE] | recordedMemory[0xEFFF] << 8, ORIGIN + 6) << "one NOP ran";
    EXPECT_EQ(s.cyclesLeft, STEP_BUDGET - 4 - 4);
}

TEST_F(RunLoop, EiDelayOntoHaltWakesPastIt)
{
    code({EI, HALT, NOP});
    s.interruptRequest = 0x0010;
    s.frameEndVector = VECTOR_NONE;

    EXPECT_EQ(runFrame(s), 0x0010);
    EXPECT_EQ(recordedMemory[0xEFFE] | recordedMemory[0xEFFF] << 8, ORIGIN + 2);
    EXPECT_EQ(s.interruptFlags & HALTED, 0);
    EXPECT_EQ(s.cyclesLeft, STEP_BUDGET - 4 - 1) << "HALT emptied the budget before it was given back";
}

TEST_F(RunLoop, EiDelayWithTheLeaveVectorReturnsWithoutInterrupt)
{
    code({EI, NOP, NOP});
    s.interruptRequest = VECTOR_LEAVE;
    s.frameEndVector = VECTOR_NONE;

    EXPECT_EQ(runFrame(s), ORIGIN + 2);
    EXPECT_EQ(s.SP, 0xF000);
    EXPECT_EQ(s.interruptFlags, IFF1);
    EXPECT_EQ(s.cyclesLeft, STEP_BUDGET - 8);
}

TEST_F(RunLoop, HaltStaysOnItsOpcodeAndEmptiesTheBudget)
{
    s.PC = 0x1000;
    s.interruptFlags = IFF1 | IM1;
    code({HALT});
    executeInstruction(s);
    EXPECT_EQ(s.PC, 0x1000);
    EXPECT_EQ(s.interruptFlags, IFF1 | IM1 | HALTED);
    EXPECT_EQ(s.cyclesLeft, 0);
}

TEST_F(RunLoop, HaltEndsEveryFrameUntilAnInterruptIsAccepted)
{
    code({NOP, NOP, HALT, NOP});
    s.cyclesLeft = FRAME_CYCLES;
    s.interruptFlags = IM1;  // interrupts refused

    EXPECT_EQ(runFrame(s), ORIGIN + 2);
    EXPECT_EQ(countAccesses(Access::READ), 3u) << "nothing runs after HALT";
    EXPECT_EQ(s.interruptFlags, IM1 | HALTED) << "the refused interrupt leaves it halted";
    EXPECT_EQ(s.cyclesLeft, FRAME_CYCLES);

    busLog.clear();
    EXPECT_EQ(runFrame(s), ORIGIN + 2);
    EXPECT_EQ(busLog, std::vector<BusEvent>{readOf(ORIGIN + 2, HALT)});

    s.interruptFlags |= IFF1;
    busLog.clear();
    EXPECT_EQ(runFrame(s), 0x0038);
    EXPECT_EQ(s.interruptFlags, IM1 | IFF2);
    EXPECT_EQ(recordedMemory[0xEFFE] | recordedMemory[0xEFFF] << 8, ORIGIN + 3) << "returns past the HALT";
}

TEST_F(RunLoop, DdHaltStaysOnTheHaltByte)
{
    code({0xDD, HALT});
    executeInstruction(s);
    EXPECT_EQ(s.PC, ORIGIN + 1);
    EXPECT_EQ(s.interruptFlags, HALTED);
    EXPECT_EQ(s.cyclesLeft, 0);
}

// The loader may move PC while HALTED is still set (it leaves the flags
// alone); the frame that follows is an ordinary one.
TEST_F(RunLoop, AFrameAwayFromTheHaltStillRunsToBelowZero)
{
    s.frameEndVector = VECTOR_NONE;
    s.PC = 0x0000;  // NOPs everywhere
    s.cyclesLeft = FRAME_CYCLES;
    s.interruptFlags = HALTED;

    runFrame(s);
    EXPECT_EQ(countAccesses(Access::READ), 17901u);
}

TEST_F(Interrupts, RefusedWhileIff1IsClearEvenWhenHalted)
{
    for (uint8_t flags : {uint8_t{0}, uint8_t{HALTED | IM1 | IFF2}, uint8_t{IM2 | EI_PENDING}}) {
        s.interruptFlags = flags;
        s.PC = 0x1234;
        Z80State before = s;
        raiseInterrupt(s, 0x0038);
        expectSameState(before, s);
        EXPECT_TRUE(busLog.empty());
    }
}

TEST_F(Interrupts, ARefusedInterruptIsNotKeptForALaterEi)
{
    code({EI, NOP, NOP, NOP});
    s.interruptFlags = IM1;
    raiseInterrupt(s, 0x0038);
    s.frameEndVector = VECTOR_NONE;
    s.cyclesLeft = 12;
    EXPECT_EQ(runFrame(s), ORIGIN + 4);
    EXPECT_EQ(s.SP, 0xF000);
    EXPECT_EQ(s.interruptFlags, IM1 | IFF1);
    EXPECT_EQ(countAccesses(Access::WRITE), 0u);
}

TEST_F(Interrupts, Mode1PushesHighThenLowAndCalls0038)
{
    s.PC = 0x1234;
    s.interruptFlags = IFF1 | IM1;
    raiseInterrupt(s, 0x5678);  // the vector does not matter in mode 1
    EXPECT_EQ(busLog, (std::vector<BusEvent>{writeOf(0xEFFF, 0x12), writeOf(0xEFFE, 0x34)}));
    EXPECT_EQ(s.SP, 0xEFFE);
    EXPECT_EQ(s.PC, 0x0038);
    EXPECT_EQ(s.interruptFlags, IM1 | IFF2);
    EXPECT_EQ(s.cyclesLeft, STEP_BUDGET) << "accepting costs nothing";
}

TEST_F(Interrupts, Mode2ReadsTheTableAtIAndTheVectorLowByte)
{
    s.PC = 0x4321;
    s.I = 0x12;
    s.interruptFlags = IFF1 | IM2 | IM1;  // IM2 wins
    poke(0x12FF, {0x78, 0x56});
    raiseInterrupt(s, 0x34FF);
    EXPECT_EQ(s.PC, 0x5678);
    EXPECT_EQ(busLog, (std::vector<BusEvent>{writeOf(0xEFFF, 0x43), writeOf(0xEFFE, 0x21), readOf(0x12FF, 0x78),
                                             readOf(0x1300, 0x56)}));
    EXPECT_EQ(s.interruptFlags, IM2 | IM1 | IFF2);
}

TEST_F(Interrupts, Mode2TableAddressWrapsAtTheTopOfMemory)
{
    s.I = 0xFF;
    s.interruptFlags = IFF1 | IM2;
    poke(0xFFFF, {0xCD});
    poke(0x0000, {0xAB});
    raiseInterrupt(s, 0x00FF);
    EXPECT_EQ(s.PC, 0xABCD);
}

TEST_F(Interrupts, Mode0JumpsToTheVector)
{
    s.interruptFlags = IFF1;
    raiseInterrupt(s, 0x0010);
    EXPECT_EQ(s.PC, 0x0010);
    EXPECT_EQ(recordedMemory[0xEFFE] | recordedMemory[0xEFFF] << 8, ORIGIN);
}

TEST_F(Interrupts, TheStackPointerWrapsWhilePushing)
{
    s.SP = 0x0001;
    s.PC = 0xBEEF;
    s.interruptFlags = IFF1 | IM1;
    raiseInterrupt(s, 0x0038);
    EXPECT_EQ(busLog, (std::vector<BusEvent>{writeOf(0x0000, 0xBE), writeOf(0xFFFF, 0xEF)}));
    EXPECT_EQ(s.SP, 0xFFFF);
}

TEST_F(Interrupts, NmiIsAcceptedWithIff1Clear)
{
    s.interruptFlags = IFF2 | IM2 | HALTED;
    s.PC = 0x2000;
    raiseInterrupt(s, VECTOR_NMI);
    EXPECT_EQ(s.PC, 0x0066);
    EXPECT_EQ(s.interruptFlags, IM2) << "IFF2 takes the old IFF1, 0; HALTED cleared";
    EXPECT_EQ(recordedMemory[0xEFFE] | recordedMemory[0xEFFF] << 8, 0x2001);
}

TEST_F(Interrupts, NmiWithIff1SetKeepsItInIff2AndEndsTheEiDelay)
{
    s.interruptFlags = IFF1 | EI_PENDING | IM1;
    raiseInterrupt(s, VECTOR_NMI);
    EXPECT_EQ(s.PC, 0x0066);
    EXPECT_EQ(s.interruptFlags, IM1 | IFF2);
}

TEST_F(Interrupts, LeaveVectorAtFrameEndRaisesNothingButTheBudgetIsRefilled)
{
    s.frameEndVector = VECTOR_LEAVE;
    code({NOP});
    s.cyclesLeft = 2;
    s.interruptFlags = IFF1 | IM1;
    EXPECT_EQ(runFrame(s), ORIGIN + 1);
    EXPECT_EQ(s.cyclesLeft, FRAME_CYCLES);
    EXPECT_EQ(s.interruptFlags, IFF1 | IM1);
    EXPECT_EQ(s.SP, 0xF000);
}

TEST_F(Interrupts, NoneVectorAtFrameEndRaisesNothing)
{
    s.frameEndVector = VECTOR_NONE;
    code({NOP});
    s.cyclesLeft = 2;
    s.interruptFlags = IFF1 | IM1;
    EXPECT_EQ(runFrame(s), ORIGIN + 1);
    EXPECT_EQ(s.interruptFlags, IFF1 | IM1);
    EXPECT_EQ(countAccesses(Access::WRITE), 0u);
}

TEST_F(Interrupts, NmiVectorAtFrameEndIsTakenWithInterruptsOff)
{
    s.frameEndVector = VECTOR_NMI;
    code({DI});
    s.cyclesLeft = 2;
    s.interruptFlags = IFF1;
    EXPECT_EQ(runFrame(s), 0x0066);
    EXPECT_EQ(s.interruptFlags, 0);
}

// Prefixed forms that cost nothing must not keep a frame running forever.
TEST_F(RunLoop, ZeroCostLoopsStillEndTheirFrame)
{
    const std::vector<std::vector<uint8_t>> loops = {
        {0xDD, 0x18, 0xFD},        // JR back onto its own prefix
        {0xFD, 0x18, 0xFD},
        {0xDD, 0xDD},              // prefixes forever
        {0xED, 0xED},
        {0xED, 0x00},              // absent ED forms
        {0xDD, 0xCB, 0x00, 0x00},  // inert indexed bit forms
        {0xDD, 0x00},              // prefixed NOPs
    };
    for (const auto& loop : loops) {
        resetRecordingBus();
        for (int a = 0; a < RECORDED_MEMORY_SIZE; ++a) recordedMemory[a] = loop[a % loop.size()];
        s.PC = 0x0000;
        s.frameEndVector = VECTOR_NONE;
        for (int frame = 0; frame < 3; ++frame) {
            runFrame(s);
            EXPECT_EQ(s.cyclesLeft, FRAME_CYCLES) << "loop of " << loop.size() << " bytes";
        }
    }
}

TEST_F(RunLoop, TheJumpOntoItsOwnPrefixEndsEveryFrameWithItsInterrupt)
{
    s.frameEndVector = FRAME_INTERRUPT;
    code({0xDD, 0x18, 0xFD});
    s.interruptFlags = IFF1 | IM1;
    for (int frame = 0; frame < 3; ++frame) {
        s.cyclesLeft = FRAME_CYCLES;
        EXPECT_EQ(runFrame(s), 0x0038) << "frame " << frame;
        EXPECT_EQ(recordedMemory[0xEFFE] | recordedMemory[0xEFFF] << 8, ORIGIN);
        s.PC = ORIGIN;  // as the handler's RET would
        s.SP = 0xF000;
        s.interruptFlags |= IFF1;
    }
}

TEST_F(RunLoop, TheZeroCostGuardNeverChargesOrdinaryCode)
{
    s.zeroCostAllowance = 0;  // spent
    s.frameEndVector = VECTOR_NONE;
    s.PC = 0x0000;
    s.cyclesLeft = FRAME_CYCLES;
    runFrame(s);
    EXPECT_EQ(countAccesses(Access::READ), 17901u);

    // The allowance comes back with the new frame: a prefixed NOP is free again.
    s.PC = ORIGIN;
    code({0xDD, 0x00});
    EXPECT_EQ(step(), 0);
}

TEST_F(RunLoop, OnceTheAllowanceIsSpentAFreeFormCostsAsANop)
{
    s.zeroCostAllowance = 0;
    code({0xDD, 0x00, 0x00});
    EXPECT_EQ(step(), 4);
    EXPECT_EQ(step(), 4) << "an ordinary NOP is charged as always";
}

TEST_F(RunLoop, ResetRefillsTheZeroCostAllowance)
{
    s.zeroCostAllowance = 0;
    resetProcessor(s);
    s.PC = ORIGIN;
    code({0xDD, 0x01, 0x00, 0x00});
    EXPECT_EQ(step(), 0);
}

}  // namespace
