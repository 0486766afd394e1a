// What each instruction charges to the budget: branches taken and not, the
// free index forms, the repeating block instructions against the budget, the
// refresh register read from it, and the ED forms that cost nothing.
#include <set>

#include "tests/z80/processor_fixture.h"

namespace {

using Timing = ProcessorTest;
using BlockInstructions = ProcessorTest;
using EDFreeForms = ProcessorTest;

// NZ Z NC C PO PE P M: the flag each condition reads and whether it wants it set.
constexpr uint8_t conditionFlag[8] = {FLAG_Z, FLAG_Z, FLAG_C, FLAG_C, FLAG_PV, FLAG_PV, FLAG_S, FLAG_S};

// F that makes condition cc hold or fail, with every other flag the opposite
// way so that a condition reading the wrong flag shows.
uint8_t flagsFor(int cc, bool holds)
{
    bool wantSet = cc & 1;
    return wantSet == holds ? conditionFlag[cc] : static_cast<uint8_t>(~conditionFlag[cc]);
}

uint16_t word(uint16_t address)
{
    return static_cast<uint16_t>(recordedMemory[address] | recordedMemory[static_cast<uint16_t>(address + 1)] << 8);
}

TEST_F(Timing, RelativeJumpOnCondition)
{
    for (int cc = 0; cc < 4; ++cc) {
        for (bool holds : {true, false}) {
            SetUp();
            code({static_cast<uint8_t>(0x20 + cc * 8), 0x10});
            setAF(0, flagsFor(cc, holds));
            EXPECT_EQ(step(), holds ? 12 : 7) << "cc " << cc << " holds " << holds;
            EXPECT_EQ(s.PC, holds ? ORIGIN + 0x12 : ORIGIN + 2) << "cc " << cc;
        }
    }
}

TEST_F(Timing, DjnzCountsDownThroughZero)
{
    code({0x10, 0xFE});  // DJNZ onto itself
    s.BC = 0x0200;
    EXPECT_EQ(step(), 13);
    EXPECT_EQ(s.PC, ORIGIN);
    EXPECT_EQ(B(), 1);
    EXPECT_EQ(step(), 8);
    EXPECT_EQ(s.PC, ORIGIN + 2);
    EXPECT_EQ(B(), 0);
    s.PC = ORIGIN;
    EXPECT_EQ(step(), 13) << "B 0 wraps to 0xFF and jumps";
    EXPECT_EQ(B(), 0xFF);
    EXPECT_EQ(s.PC, ORIGIN);
}

TEST_F(Timing, AbsoluteJumpOnConditionCostsTenEitherWayAndReadsNoAddressWhenNotTaken)
{
    for (int cc = 0; cc < 8; ++cc) {
        for (bool holds : {true, false}) {
            SetUp();
            code({static_cast<uint8_t>(0xC2 + cc * 8), 0x34, 0x12});
            setAF(0, flagsFor(cc, holds));
            EXPECT_EQ(step(), 10) << "cc " << cc;
            EXPECT_EQ(s.PC, holds ? 0x1234 : ORIGIN + 3) << "cc " << cc << " holds " << holds;
            EXPECT_EQ(countAccesses(Access::READ), holds ? 3u : 1u) << "cc " << cc;
        }
    }
}

TEST_F(Timing, CallOnCondition)
{
    for (int cc = 0; cc < 8; ++cc) {
        for (bool holds : {true, false}) {
            SetUp();
            code({static_cast<uint8_t>(0xC4 + cc * 8), 0x34, 0x12});
            setAF(0, flagsFor(cc, holds));
            EXPECT_EQ(step(), holds ? 17 : 10) << "cc " << cc << " holds " << holds;
            EXPECT_EQ(s.PC, holds ? 0x1234 : ORIGIN + 3) << "cc " << cc;
            if (holds) {
                EXPECT_EQ(s.SP, 0xEFFE);
                EXPECT_EQ(word(0xEFFE), ORIGIN + 3);
            } else {
                EXPECT_EQ(s.SP, 0xF000);
                EXPECT_EQ(busLog.size(), 1u) << "only the opcode is read";
            }
        }
    }
}

TEST_F(Timing, ReturnOnCondition)
{
    for (int cc = 0; cc < 8; ++cc) {
        for (bool holds : {true, false}) {
            SetUp();
            code({static_cast<uint8_t>(0xC0 + cc * 8)});
            s.SP = 0x9000;
            poke(0x9000, {0x78, 0x56});
            setAF(0, flagsFor(cc, holds));
            EXPECT_EQ(step(), holds ? 11 : 5) << "cc " << cc << " holds " << holds;
            EXPECT_EQ(s.PC, holds ? 0x5678 : ORIGIN + 1) << "cc " << cc;
            EXPECT_EQ(s.SP, holds ? 0x9002 : 0x9000) << "cc " << cc;
        }
    }
}

TEST_F(Timing, IndexPrefixedUnchangedFormsCostNothingTakenOrNot)
{
    for (uint8_t prefix : {uint8_t{0xDD}, uint8_t{0xFD}}) {
        SetUp();
        code({prefix, 0x01, 0x34, 0x12});  // LD BC,nn
        EXPECT_EQ(step(), 0);
        EXPECT_EQ(s.BC, 0x1234);

        for (uint8_t f : {uint8_t{0x00}, uint8_t{FLAG_Z}}) {  // JR NZ taken, then not
            SetUp();
            code({prefix, 0x20, 0x10});
            setAF(0, f);
            EXPECT_EQ(step(), 0);
            EXPECT_EQ(s.PC, f ? ORIGIN + 3 : ORIGIN + 0x13);
        }

        SetUp();
        code({prefix, 0x10, 0xFD});  // DJNZ back onto the prefix
        s.BC = 0x0200;
        EXPECT_EQ(step(), 0);
        EXPECT_EQ(s.PC, ORIGIN);

        SetUp();
        code({prefix, 0xC4, 0x34, 0x12});  // CALL NZ taken
        EXPECT_EQ(step(), 0);
        EXPECT_EQ(s.PC, 0x1234);
        EXPECT_EQ(word(0xEFFE), ORIGIN + 4);

        SetUp();
        code({prefix, 0xC0});  // RET NZ taken
        EXPECT_EQ(step(), 0);
        EXPECT_EQ(s.SP, 0xF002);
    }
}

TEST_F(BlockInstructions, LdirToTheEndChargesTheLastStepSixteen)
{
    code({0xED, 0xB0});
    poke(0x9000, {0x11, 0x22, 0x33, 0x44});
    s.HL = 0x9000;
    s.DE = 0xA000;
    s.BC = 3;
    setAF(0, 0xFF);
    EXPECT_EQ(step(), 58);
    EXPECT_EQ(recordedMemory[0xA000], 0x11);
    EXPECT_EQ(recordedMemory[0xA002], 0x33);
    EXPECT_EQ(recordedMemory[0xA003], 0x00);
    EXPECT_EQ(s.BC, 0);
    EXPECT_EQ(s.HL, 0x9003);
    EXPECT_EQ(s.DE, 0xA003);
    EXPECT_EQ(s.PC, ORIGIN + 2);
    EXPECT_EQ(F(), 0xE9) << "H, P/V and N clear; S, Z, bits 5 and 3, C kept";
}

TEST_F(BlockInstructions, LdirOutOfBudgetStopsOnItselfWithBcLeft)
{
    code({0xED, 0xB0});
    s.HL = 0x9000;
    s.DE = 0xA000;
    s.BC = 100;
    s.cyclesLeft = 30;
    setAF(0, 0x02);
    executeInstruction(s);
    EXPECT_EQ(s.cyclesLeft, 30 - 42);
    EXPECT_EQ(s.BC, 98);
    EXPECT_EQ(countAccesses(Access::WRITE), 2u);
    EXPECT_EQ(s.PC, ORIGIN) << "back on the ED byte";
    EXPECT_EQ(F(), FLAG_PV);
}

TEST_F(BlockInstructions, LdirStopsWhenTheBudgetReachesExactlyZero)
{
    code({0xED, 0xB0});
    s.HL = 0x9000;
    s.DE = 0xA000;
    s.BC = 100;
    s.cyclesLeft = 42;
    executeInstruction(s);
    EXPECT_EQ(s.cyclesLeft, 0);
    EXPECT_EQ(s.BC, 98);
    EXPECT_EQ(s.PC, ORIGIN);
}

TEST_F(BlockInstructions, AnUnfinishedLdirIsInterruptedAtFrameEndAndResumed)
{
    code({0xED, 0xB0});
    s.HL = 0x9000;
    s.DE = 0xA000;
    s.BC = 100;
    s.cyclesLeft = 30;
    s.interruptFlags = IFF1 | IM1;
    s.frameEndVector = FRAME_INTERRUPT;
    poke(0x0038, {0xC9});  // RET
    EXPECT_EQ(runFrame(s), 0x0038);
    EXPECT_EQ(word(0xEFFE), ORIGIN) << "returns onto the LDIR";

    s.frameEndVector = VECTOR_NONE;
    runFrame(s);
    EXPECT_EQ(s.BC, 0);
    EXPECT_EQ(s.DE, 0xA000 + 100);
    EXPECT_EQ(countAccesses(Access::WRITE), 2u + 2u + 98u);  // before, the interrupt's push, after
}

TEST_F(BlockInstructions, LddrMovesDownwards)
{
    code({0xED, 0xB8});
    poke(0x9000, {0x11, 0x22, 0x33});
    s.HL = 0x9002;
    s.DE = 0xA002;
    s.BC = 3;
    EXPECT_EQ(step(), 58);
    EXPECT_EQ(recordedMemory[0xA000], 0x11);
    EXPECT_EQ(recordedMemory[0xA002], 0x33);
    EXPECT_EQ(s.HL, 0x8FFF);
    EXPECT_EQ(s.DE, 0x9FFF);
}

TEST_F(BlockInstructions, LdirWithBcZeroMoves65536Bytes)
{
    code({0xED, 0xB0});
    s.HL = 0x0000;
    s.DE = 0x0000;  // every byte onto itself
    s.BC = 0;
    s.cyclesLeft = 2'000'000;
    EXPECT_EQ(step(), 65536 * 21 - 5);
    EXPECT_EQ(countAccesses(Access::WRITE), 65536u);
    EXPECT_EQ(s.BC, 0);
    EXPECT_EQ(s.PC, ORIGIN + 2);
}

TEST_F(BlockInstructions, CpirStopsOnTheMatchBeforeBcRunsOut)
{
    code({0xED, 0xB1});
    poke(0x9000, {'a', 'b', 'x', 'd'});
    s.HL = 0x9000;
    s.BC = 10;
    setAF('x', FLAG_C | 0x28);
    EXPECT_EQ(step(), 21 + 21 + 16);
    EXPECT_EQ(s.HL, 0x9003);
    EXPECT_EQ(s.BC, 7);
    EXPECT_EQ(s.PC, ORIGIN + 2);
    EXPECT_EQ(A(), 'x');
    EXPECT_EQ(F(), FLAG_Z | FLAG_PV | FLAG_N | FLAG_C);
}

TEST_F(BlockInstructions, CpirThatRunsOutOfCountEndsWithoutZ)
{
    code({0xED, 0xB1});
    poke(0x9000, {0x01, 0x02});
    s.HL = 0x9000;
    s.BC = 2;
    setAF(0x10, 0x00);
    EXPECT_EQ(step(), 21 + 16);
    EXPECT_EQ(s.PC, ORIGIN + 2);
    // Last step: 0x10 - 0x02 = 0x0E, a borrow out of bit 3.
    EXPECT_EQ(F(), FLAG_H | FLAG_N);
}

TEST_F(BlockInstructions, CpirOutOfBudgetStopsOnItself)
{
    code({0xED, 0xB1});
    s.HL = 0x9000;
    s.BC = 10;
    setAF(0x55, 0);
    s.cyclesLeft = 30;
    executeInstruction(s);
    EXPECT_EQ(s.cyclesLeft, 30 - 42);
    EXPECT_EQ(s.BC, 8);
    EXPECT_EQ(s.PC, ORIGIN);
}

TEST_F(BlockInstructions, CpdrSearchesDownwards)
{
    code({0xED, 0xB9});
    poke(0x9000, {'x', 'b', 'c'});
    s.HL = 0x9002;
    s.BC = 5;
    setAF('x', 0);
    EXPECT_EQ(step(), 21 + 21 + 16);
    EXPECT_EQ(s.HL, 0x8FFF);
    EXPECT_EQ(s.BC, 2);
}

TEST_F(BlockInstructions, InirWithBOneTakesOneStep)
{
    code({0xED, 0xB2});
    s.BC = 0x01FE;
    s.HL = 0x9000;
    portInputValue = 0x5A;
    setAF(0, 0xFF);
    EXPECT_EQ(step(), 16);
    EXPECT_EQ(recordedMemory[0x9000], 0x5A);
    EXPECT_EQ(s.HL, 0x9001);
    EXPECT_EQ(B(), 0);
    EXPECT_EQ(F(), 0x42);
    EXPECT_EQ(s.PC, ORIGIN + 2);
    EXPECT_EQ(busLog[2], portInOf(0x00FE, 0x5A)) << "the port is C alone";
}

TEST_F(BlockInstructions, InirWithBZeroTakes256Steps)
{
    code({0xED, 0xB2});
    s.BC = 0x0010;
    s.HL = 0x9000;
    s.cyclesLeft = 10000;
    EXPECT_EQ(step(), 256 * 21 - 5);
    EXPECT_EQ(countAccesses(Access::PORT_IN), 256u);
    EXPECT_EQ(s.HL, 0x9100);
}

TEST_F(BlockInstructions, OtirWithBZeroSends256BytesToPortC)
{
    code({0xED, 0xB3});
    for (int i = 0; i < 256; ++i) recordedMemory[0x9000 + i] = static_cast<uint8_t>(i ^ 0xA5);
    s.BC = 0x0042;
    s.HL = 0x9000;
    s.cyclesLeft = 10000;
    setAF(0, 0x01);
    EXPECT_EQ(step(), 256 * 21 - 5);
    std::vector<BusEvent> sent;
    for (const BusEvent& e : busLog)
        if (e.kind == Access::PORT_OUT) sent.push_back(e);
    ASSERT_EQ(sent.size(), 256u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(sent[i], portOutOf(0x0042, static_cast<uint8_t>(i ^ 0xA5))) << i;
    EXPECT_EQ(B(), 0);
    EXPECT_EQ(F(), 0x42);
    EXPECT_EQ(s.PC, ORIGIN + 2);
}

TEST_F(BlockInstructions, OtirOutOfBudgetLeavesF02)
{
    code({0xED, 0xB3});
    s.BC = 0x0542;
    s.HL = 0x9000;
    s.cyclesLeft = 10;
    executeInstruction(s);
    EXPECT_EQ(B(), 4);
    EXPECT_EQ(F(), 0x02);
    EXPECT_EQ(s.PC, ORIGIN);
}

TEST_F(BlockInstructions, IndrAndOtdrMoveHlDownwards)
{
    code({0xED, 0xBA});  // INDR
    s.BC = 0x0210;
    s.HL = 0x9001;
    EXPECT_EQ(step(), 21 + 16);
    EXPECT_EQ(s.HL, 0x8FFF);

    s.PC = ORIGIN;
    code({0xED, 0xBB});  // OTDR
    s.BC = 0x0210;
    s.HL = 0x9001;
    EXPECT_EQ(step(), 21 + 16);
    EXPECT_EQ(s.HL, 0x8FFF);
}

TEST_F(Timing, LdAROfTheBudgetAfterItsOwnCycles)
{
    code({0xED, 0x5F});
    s.cyclesLeft = 1009;
    s.interruptFlags = IFF1;
    setAF(0, FLAG_C | 0x28);
    executeInstruction(s);
    EXPECT_EQ(A(), 0x18);
    EXPECT_EQ(F(), FLAG_PV | FLAG_C);
    EXPECT_EQ(s.cyclesLeft, 1000);
}

TEST_F(EDFreeForms, EdEdExecutesTheFollowingInstructionAtNoExtraCost)
{
    code({0xED, 0xED, 0x44});  // NEG behind a doubled prefix
    setAF(0x01, 0);
    Z80State before = s;
    EXPECT_EQ(step(), 0);
    before.PC = ORIGIN + 1;
    expectSameState(before, s);
    EXPECT_EQ(step(), 8);
    EXPECT_EQ(A(), 0xFF);
    EXPECT_EQ(s.PC, ORIGIN + 3);
}

TEST_F(EDFreeForms, TrapCallsThePatchHookAtNoCost)
{
    code({0xED, 0xFE});
    fillRegisters();
    Z80State before = s;
    EXPECT_EQ(step(), 0);
    EXPECT_EQ(patchHookCalls, 1);
    EXPECT_EQ(patchHookPC, ORIGIN + 2) << "PC already past FE";
    before.PC = ORIGIN + 2;
    expectSameState(before, s);
}

TEST_F(EDFreeForms, AbsentSecondBytesChangeNothingButPc)
{
    const std::set<int> implemented = {
        0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x41, 0x49, 0x51, 0x59, 0x61, 0x69, 0x79, 0x42, 0x52,
        0x62, 0x72, 0x4A, 0x5A, 0x6A, 0x7A, 0x43, 0x53, 0x63, 0x73, 0x4B, 0x5B, 0x6B, 0x7B, 0x44, 0x45, 0x4D,
        0x46, 0x56, 0x5E, 0x47, 0x4F, 0x57, 0x5F, 0x67, 0x6F, 0xA0, 0xA1, 0xA2, 0xA3, 0xA8, 0xA9, 0xAA, 0xAB,
        0xB0, 0xB1, 0xB2, 0xB3, 0xB8, 0xB9, 0xBA, 0xBB, 0xED, 0xFE};
    int absent = 0;
    for (int op = 0; op < 256; ++op) {
        if (implemented.count(op)) continue;
        ++absent;
        SetUp();
        fillRegisters();
        s.interruptFlags = IFF1 | IFF2 | IM1;
        code({0xED, static_cast<uint8_t>(op)});
        Z80State before = s;
        EXPECT_EQ(step(), 0) << "ED " << op;
        before.PC = ORIGIN + 2;
        expectSameState(before, s);
        EXPECT_EQ(busLog.size(), 2u) << "ED " << op << ": only the two bytes are read";
        EXPECT_EQ(patchHookCalls, 0);
    }
    EXPECT_EQ(absent, 256 - 61);
}

}  // namespace
