// The DD and FD sets and the indexed bit instructions: which register or
// memory byte each form really uses, its cost, and the prefix chains.
#include "tests/z80/processor_fixture.h"
#include "z80/tables.h"

namespace {

struct IndexPrefix {
    uint8_t prefix;
    uint16_t Z80State::*index;
    const char* name;
};

const IndexPrefix prefixes[] = {{0xDD, &Z80State::IX, "IX"}, {0xFD, &Z80State::IY, "IY"}};

class IndexSet : public ProcessorTest {
protected:
    uint16_t& index(const IndexPrefix& p) { return s.*p.index; }
};

using IndexBitSet = IndexSet;

TEST_F(IndexSet, DisplacementIsSignedAndWraps)
{
    for (const IndexPrefix& p : prefixes) {
        SetUp();
        index(p) = 0x0005;
        poke(0x0000, {0xAB});
        code({p.prefix, 0x7E, 0xFB});  // LD A,(index-5)
        EXPECT_EQ(step(), 19) << p.name;
        EXPECT_EQ(A(), 0xAB) << p.name;
        EXPECT_EQ(index(p), 0x0005) << p.name;

        SetUp();
        index(p) = 0xFFF0;
        poke(0x006F, {0xCD});
        code({p.prefix, 0x7E, 0x7F});
        step();
        EXPECT_EQ(A(), 0xCD) << p.name;
    }
}

TEST_F(IndexSet, LoadImmediateToMemoryTakesDisplacementThenValue)
{
    for (const IndexPrefix& p : prefixes) {
        SetUp();
        index(p) = 0x9000;
        code({p.prefix, 0x36, 0x05, 0xAA});
        EXPECT_EQ(step(), 19);
        EXPECT_EQ(recordedMemory[0x9005], 0xAA) << p.name;
        EXPECT_EQ(recordedMemory[0x90AA], 0x00) << p.name;
        EXPECT_EQ(s.PC, ORIGIN + 4);
    }
}

TEST_F(IndexSet, MemoryFormsUseTheRealHAndL)
{
    for (const IndexPrefix& p : prefixes) {
        SetUp();
        fillRegisters();
        index(p) = 0x9000;
        poke(0x9003, {0x5A, 0xA5});
        code({p.prefix, 0x66, 0x03, p.prefix, 0x6E, 0x04, p.prefix, 0x74, 0x10, p.prefix, 0x75, 0x11});
        EXPECT_EQ(step(), 19);
        EXPECT_EQ(s.HL, 0x5A77) << p.name << ": LD H,(index+d) loads H";
        EXPECT_EQ(index(p), 0x9000);
        EXPECT_EQ(step(), 19);
        EXPECT_EQ(s.HL, 0x5AA5);
        EXPECT_EQ(step(), 19);
        EXPECT_EQ(recordedMemory[0x9010], 0x5A) << p.name << ": LD (index+d),H stores H";
        EXPECT_EQ(step(), 19);
        EXPECT_EQ(recordedMemory[0x9011], 0xA5);
    }
}

TEST_F(IndexSet, HalfRegisterForms)
{
    for (const IndexPrefix& p : prefixes) {
        SetUp();
        fillRegisters();
        index(p) = 0x1234;
        code({p.prefix, 0x64, p.prefix, 0x6D});  // LD IXH,IXH; LD IXL,IXL
        Z80State before = s;
        EXPECT_EQ(step(), 9);
        EXPECT_EQ(step(), 9);
        before.PC = ORIGIN + 4;
        before.cyclesLeft -= 18;
        expectSameState(before, s);

        SetUp();
        index(p) = 0x1234;
        code({p.prefix, 0x65});  // LD IXH,IXL
        step();
        EXPECT_EQ(index(p), 0x3434) << p.name;

        SetUp();
        index(p) = 0x1234;
        code({p.prefix, 0x6C});  // LD IXL,IXH
        step();
        EXPECT_EQ(index(p), 0x1212) << p.name;

        SetUp();
        fillRegisters();
        index(p) = 0x12FF;
        code({p.prefix, 0x2C, p.prefix, 0x26, 0x7F, p.prefix, 0x24, p.prefix, 0x44, p.prefix, 0x84});
        EXPECT_EQ(step(), 9);  // INC IXL
        EXPECT_EQ(index(p), 0x1200);
        EXPECT_EQ(F(), FLAG_Z | FLAG_H) << "C kept clear";
        EXPECT_EQ(s.HL, 0x6677) << "HL untouched";
        EXPECT_EQ(step(), 9);  // LD IXH,n
        EXPECT_EQ(index(p), 0x7F00);
        EXPECT_EQ(step(), 9);  // INC IXH
        EXPECT_EQ(index(p), 0x8000);
        EXPECT_EQ(F(), FLAG_S | FLAG_H | FLAG_PV);
        EXPECT_EQ(step(), 9);  // LD B,IXH
        EXPECT_EQ(B(), 0x80);
        EXPECT_EQ(step(), 9);  // ADD A,IXH
        EXPECT_EQ(A(), 0x91);
        EXPECT_EQ(F(), FLAG_S);
    }
}

TEST_F(IndexSet, PairForms)
{
    for (const IndexPrefix& p : prefixes) {
        SetUp();
        fillRegisters();
        code({p.prefix, 0x21, 0x00, 0x48, p.prefix, 0x29, p.prefix, 0x01, 0x34, 0x12, p.prefix, 0xEB});
        EXPECT_EQ(step(), 14);  // LD IX,nn
        EXPECT_EQ(index(p), 0x4800);
        setAF(0, 0xFF & ~FLAG_C);
        EXPECT_EQ(step(), 15);  // ADD IX,IX
        EXPECT_EQ(index(p), 0x9000);
        EXPECT_EQ(F(), 0xEC | FLAG_H) << "flags as ADD HL,HL";
        EXPECT_EQ(step(), 0);  // LD BC,nn, unchanged by the prefix
        EXPECT_EQ(s.BC, 0x1234);
        EXPECT_EQ(index(p), 0x9000);
        EXPECT_EQ(step(), 0);  // EX DE,HL, not with the index register
        EXPECT_EQ(s.DE, 0x6677);
        EXPECT_EQ(s.HL, 0x4455);
        EXPECT_EQ(index(p), 0x9000);
    }
}

TEST_F(IndexSet, StackAndJumpForms)
{
    for (const IndexPrefix& p : prefixes) {
        SetUp();
        index(p) = 0x1234;
        s.SP = 0x9000;
        poke(0x9000, {0x78, 0x56});
        code({p.prefix, 0xE3});
        EXPECT_EQ(step(), 23);
        EXPECT_EQ(busLog, (std::vector<BusEvent>{readOf(ORIGIN, p.prefix), readOf(ORIGIN + 1, 0xE3),
                                                 readOf(0x9000, 0x78), writeOf(0x9000, 0x34), readOf(0x9001, 0x56),
                                                 writeOf(0x9001, 0x12)}))
            << p.name;
        EXPECT_EQ(index(p), 0x5678);

        s.PC = ORIGIN;
        code({p.prefix, 0xE9});
        EXPECT_EQ(step(), 8);
        EXPECT_EQ(s.PC, 0x5678);
        EXPECT_EQ(busLog.size(), 2u) << "JP (IX) reads no memory";
    }
}

TEST_F(IndexSet, IncrementOfIndexedMemoryReadsOnceWritesOnce)
{
    for (const IndexPrefix& p : prefixes) {
        SetUp();
        index(p) = 0x9000;
        poke(0x8FFF, {0x7F});
        code({p.prefix, 0x34, 0xFF});
        EXPECT_EQ(step(), 23);
        EXPECT_EQ(busLog, (std::vector<BusEvent>{readOf(ORIGIN, p.prefix), readOf(ORIGIN + 1, 0x34),
                                                 readOf(ORIGIN + 2, 0xFF), readOf(0x8FFF, 0x7F), writeOf(0x8FFF, 0x80)}))
            << p.name;
        EXPECT_EQ(F(), FLAG_S | FLAG_H | FLAG_PV);
    }
}

TEST_F(IndexSet, APrefixBeforeAnotherPrefixIsDropped)
{
    code({0xDD, 0xDD, 0x21, 0x34, 0x12});
    EXPECT_EQ(step(), 0);
    EXPECT_EQ(s.PC, ORIGIN + 1);
    EXPECT_EQ(step(), 14);
    EXPECT_EQ(s.IX, 0x1234);
    EXPECT_EQ(s.PC, ORIGIN + 5);

    SetUp();
    code({0xDD, 0xFD, 0x21, 0x34, 0x12});
    step();
    step();
    EXPECT_EQ(s.IY, 0x1234);
    EXPECT_EQ(s.IX, 0x0000);
    EXPECT_EQ(s.PC, ORIGIN + 5);

    SetUp();
    code({0xFD, 0xDD, 0x21, 0x34, 0x12});
    step();
    step();
    EXPECT_EQ(s.IX, 0x1234);
    EXPECT_EQ(s.IY, 0x0000);
}

TEST_F(IndexSet, EdAfterAPrefixIsDroppedWithIt)
{
    for (const IndexPrefix& p : prefixes) {
        SetUp();
        fillRegisters();
        code({p.prefix, 0xED, 0xB0});  // the B0 runs as OR B, not LDIR
        EXPECT_EQ(step(), 0);
        EXPECT_EQ(s.PC, ORIGIN + 2);
        EXPECT_EQ(step(), 4);
        EXPECT_EQ(A(), 0x11 | 0x22);
        EXPECT_EQ(F(), z80::flagTableZSP[0x33]);
        EXPECT_EQ(s.BC, 0x2233);
        EXPECT_EQ(s.HL, 0x6677);
        EXPECT_EQ(countAccesses(Access::WRITE), 0u);
        EXPECT_EQ(s.PC, ORIGIN + 3);
    }
}

TEST_F(IndexBitSet, RotateOfIndexedMemoryTakesDisplacementBeforeOpcode)
{
    s.IX = 0x9000;
    poke(0x9005, {0x81});
    code({0xDD, 0xCB, 0x05, 0x06});  // RLC (IX+5)
    EXPECT_EQ(step(), 23);
    EXPECT_EQ(recordedMemory[0x9005], 0x03);
    EXPECT_EQ(F(), 0x05);
    EXPECT_EQ(s.PC, ORIGIN + 4);
    EXPECT_EQ(countAccesses(Access::WRITE), 1u);
}

TEST_F(IndexBitSet, RotateRightThroughCarryWithNegativeDisplacement)
{
    s.IY = 0x9000;
    poke(0x8FFF, {0x01});
    code({0xFD, 0xCB, 0xFF, 0x1E});  // RR (IY-1)
    EXPECT_EQ(step(), 23);
    EXPECT_EQ(recordedMemory[0x8FFF], 0x00);
    EXPECT_EQ(F(), FLAG_Z | FLAG_PV | FLAG_C);

    s.PC = ORIGIN;
    setAF(0, FLAG_C);
    step();
    EXPECT_EQ(recordedMemory[0x8FFF], 0x80) << "the carry goes into bit 7";
}

TEST_F(IndexBitSet, ShiftLeftSettingBit0)
{
    s.IX = 0x9000;
    poke(0x9002, {0x80});
    code({0xDD, 0xCB, 0x02, 0x36});  // SLL (IX+2)
    step();
    EXPECT_EQ(recordedMemory[0x9002], 0x01);
    EXPECT_EQ(F(), FLAG_C);
}

TEST_F(IndexBitSet, EveryBitOpcodeTestsTheMemoryByte)
{
    for (int op = 0x40; op < 0x80; ++op) {
        const int bit = (op >> 3) & 7;
        for (bool bitSet : {false, true}) {
            SetUp();
            fillRegisters();
            s.IX = 0x9000;
            poke(0x9001, {static_cast<uint8_t>(bitSet ? 1 << bit : ~(1 << bit))});
            setAF(0x11, 0xA5);  // S, bit 5, P/V and C set
            code({0xDD, 0xCB, 0x01, static_cast<uint8_t>(op)});
            Z80State before = s;
            EXPECT_EQ(step(), 20) << op;
            EXPECT_EQ(F(), bitSet ? 0xB5 : 0xF5) << op << ": Z from the bit, H set, N cleared, the rest kept";
            before.AF = static_cast<uint16_t>((before.AF & 0xFF00) | F());
            before.PC = ORIGIN + 4;
            before.cyclesLeft -= 20;
            expectSameState(before, s);
            EXPECT_EQ(countAccesses(Access::WRITE), 0u) << op;
        }
    }
}

TEST_F(IndexBitSet, RegisterCopyFormsAreInert)
{
    int inert = 0;
    for (int op = 0; op < 256; ++op) {
        if ((op >= 0x40 && op < 0x80) || (op & 7) == 6) continue;
        ++inert;
        SetUp();
        fillRegisters();
        s.IX = 0x9000;
        poke(0x9001, {0x81});
        code({0xDD, 0xCB, 0x01, static_cast<uint8_t>(op)});
        Z80State before = s;
        EXPECT_EQ(step(), 0) << op;
        before.PC = ORIGIN + 4;
        expectSameState(before, s);
        EXPECT_EQ(busLog.size(), 4u) << op << ": only the four instruction bytes are read";
        EXPECT_EQ(recordedMemory[0x9001], 0x81) << op;
    }
    EXPECT_EQ(inert, 168);
}

TEST_F(IndexBitSet, ResetAndSetTouchOnlyTheMemoryByte)
{
    s.IX = 0x9000;
    poke(0x9010, {0xFF});
    setAF(0, 0x6A);
    code({0xDD, 0xCB, 0x10, 0xBE});  // RES 7,(IX+16)
    EXPECT_EQ(step(), 23);
    EXPECT_EQ(recordedMemory[0x9010], 0x7F);
    EXPECT_EQ(F(), 0x6A);
    EXPECT_EQ(countAccesses(Access::READ), 5u);
    EXPECT_EQ(countAccesses(Access::WRITE), 1u);

    s.PC = ORIGIN;
    s.IY = 0xFFF0;
    code({0xFD, 0xCB, 0x20, 0xC6});  // SET 0,(IY+32) wraps to 0x0010
    EXPECT_EQ(step(), 23);
    EXPECT_EQ(recordedMemory[0x0010], 0x01);
    EXPECT_EQ(F(), 0x6A);
}

}  // namespace
