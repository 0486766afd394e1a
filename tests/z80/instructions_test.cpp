// Results and exact flag bytes of the unprefixed, CB and ED sets where this
// processor has rules of its own: bits 5 and 3, BIT, the port numbers, the
// interrupt flip-flops, the stack and memory access order.
#include "tests/z80/processor_fixture.h"

namespace {

using Arithmetic = ProcessorTest;
using UnprefixedSet = ProcessorTest;
using CBSet = ProcessorTest;
using EDSet = ProcessorTest;

// One instruction from the given A and F; the other operand, if any, is in B.
struct FlagCase {
    const char* name;
    std::vector<uint8_t> code;
    uint8_t a, f, b;
    uint8_t expectedA, expectedF;
    int cycles;
};

TEST_F(Arithmetic, ExactFlagBytes)
{
    const FlagCase cases[] = {
        {"ADD A,B overflow", {0x80}, 0x7F, 0x00, 0x01, 0x80, 0x94, 4},
        {"SUB B borrow", {0x90}, 0x00, 0x00, 0x01, 0xFF, 0x93, 4},
        {"CP B equal", {0xB8}, 0x40, 0x00, 0x40, 0x40, 0x42, 4},
        {"AND B zero", {0xA0}, 0x0F, 0x00, 0xF0, 0x00, 0x54, 4},
        {"XOR B", {0xA8}, 0xFF, 0xFF, 0x0F, 0xF0, 0x84, 4},
        {"OR B", {0xB0}, 0x00, 0xFF, 0x01, 0x01, 0x00, 4},
        {"ADC A,B carry in", {0x88}, 0x7F, 0x01, 0x00, 0x80, 0x94, 4},
        {"SBC A,B carry in", {0x98}, 0x80, 0x01, 0x00, 0x7F, 0x16, 4},
        {"ADD A,n bits 5 and 3 cleared", {0xC6, 0x00}, 0x01, 0x28, 0, 0x01, 0x00, 7},
        {"CP n keeps A, clears 5 and 3", {0xFE, 0x28}, 0x28, 0xFF, 0, 0x28, 0x42, 7},
        {"INC A keeps C", {0x3C}, 0xFF, 0x01, 0, 0x00, 0x51, 4},
        {"INC A clears 5 and 3", {0x3C}, 0x7F, 0x28, 0, 0x80, 0x94, 4},
        {"DEC A", {0x3D}, 0x80, 0x00, 0, 0x7F, 0x16, 4},
        {"DEC A keeps C", {0x3D}, 0x01, 0x29, 0, 0x00, 0x43, 4},
        {"RLCA keeps 5 and 3", {0x07}, 0x80, 0x28, 0, 0x01, 0x29, 4},
        {"RRCA keeps S Z P/V", {0x0F}, 0x01, 0xC4 | 0x12, 0, 0x80, 0xC5, 4},
        {"RLA takes old carry", {0x17}, 0x00, 0x01, 0, 0x01, 0x00, 4},
        {"RRA takes old carry", {0x1F}, 0x01, 0x00, 0, 0x00, 0x01, 4},
        {"RRA carry into bit 7", {0x1F}, 0x00, 0x01, 0, 0x80, 0x00, 4},
        {"CPL", {0x2F}, 0x55, 0x00, 0, 0xAA, 0x12, 4},
        {"CPL keeps 5 and 3", {0x2F}, 0x00, 0x28, 0, 0xFF, 0x3A, 4},
        {"CCF", {0x3F}, 0x00, 0x01, 0, 0x00, 0x10, 4},
        {"CCF from clear", {0x3F}, 0x00, 0xFA, 0, 0x00, 0xE9, 4},
        {"SCF", {0x37}, 0x00, 0x12, 0, 0x00, 0x01, 4},
        {"SCF keeps 5 and 3", {0x37}, 0x00, 0xFA, 0, 0x00, 0xE9, 4},
        {"DAA after 0x15 + 0x27", {0x27}, 0x3C, 0x00, 0, 0x42, 0x14, 4},
        {"DAA bits 5 and 3 from A", {0x27}, 0x28, 0x00, 0, 0x28, 0x2C, 4},
    };
    for (const FlagCase& c : cases) {
        SetUp();
        s.PC = ORIGIN;
        for (size_t i = 0; i < c.code.size(); ++i) recordedMemory[ORIGIN + i] = c.code[i];
        setAF(c.a, c.f);
        s.BC = static_cast<uint16_t>(c.b << 8);
        EXPECT_EQ(step(), c.cycles) << c.name;
        EXPECT_EQ(A(), c.expectedA) << c.name;
        EXPECT_EQ(F(), c.expectedF) << c.name;
        EXPECT_EQ(s.PC, ORIGIN + c.code.size()) << c.name;
    }
}

TEST_F(Arithmetic, DaaAfterARealAddition)
{
    code({0x3E, 0x15, 0xC6, 0x27, 0x27});  // LD A,0x15; ADD A,0x27; DAA
    step();
    step();
    EXPECT_EQ(A(), 0x3C);
    step();
    EXPECT_EQ(A(), 0x42);
    EXPECT_EQ(F(), 0x14);
}

TEST_F(Arithmetic, AddHlKeepsSZPvAndBits5And3)
{
    code({0x09});
    s.HL = 0x0FFF;
    s.BC = 0x0001;
    setAF(0, 0x00);
    EXPECT_EQ(step(), 11);
    EXPECT_EQ(s.HL, 0x1000);
    EXPECT_EQ(F(), 0x10);

    s.PC = ORIGIN;
    s.HL = 0xFFFF;
    setAF(0, 0xFF & ~FLAG_C);
    step();
    EXPECT_EQ(s.HL, 0x0000);
    EXPECT_EQ(F(), 0xEC | FLAG_H | FLAG_C) << "N cleared, the rest kept";
}

TEST_F(Arithmetic, IncAndDecOfMemoryReadOnceWriteOnce)
{
    code({0x34});  // INC (HL)
    s.HL = 0x9000;
    poke(0x9000, {0x0F});
    EXPECT_EQ(step(), 11);
    EXPECT_EQ(busLog, (std::vector<BusEvent>{readOf(ORIGIN, 0x34), readOf(0x9000, 0x0F), writeOf(0x9000, 0x10)}));
    EXPECT_EQ(F(), FLAG_H);
}

TEST_F(UnprefixedSet, RegisterLoadsDecodeBothFields)
{
    for (int y = 0; y < 8; ++y) {
        for (int z = 0; z < 8; ++z) {
            if (y == 6 && z == 6) continue;
            SetUp();
            fillRegisters();
            s.HL = 0x9123;
            poke(0x9123, {0xC7});
            code({static_cast<uint8_t>(0x40 | y << 3 | z)});
            const uint8_t values[8] = {B(), C(), high(s.DE), low(s.DE), H(), L(), 0xC7, A()};
            step();
            uint8_t got;
            switch (y) {
            case 0: got = B(); break;
            case 1: got = C(); break;
            case 2: got = high(s.DE); break;
            case 3: got = low(s.DE); break;
            case 4: got = H(); break;
            case 5: got = L(); break;
            case 6: got = recordedMemory[0x9123]; break;
            default: got = A(); break;
            }
            EXPECT_EQ(got, values[z]) << "LD " << y << "," << z;
            EXPECT_EQ(F(), 0x02) << "flags untouched";
        }
    }
}

TEST_F(UnprefixedSet, StackOrderOfPushPopAndRst)
{
    code({0xC5, 0xF1});  // PUSH BC; POP AF
    s.BC = 0x12FF;
    EXPECT_EQ(step(), 11);
    EXPECT_EQ(busLog, (std::vector<BusEvent>{readOf(ORIGIN, 0xC5), writeOf(0xEFFF, 0x12), writeOf(0xEFFE, 0xFF)}));
    EXPECT_EQ(step(), 10);
    EXPECT_EQ(s.AF, 0x12FF) << "POP AF loads every bit of F";
    EXPECT_EQ(s.SP, 0xF000);

    s.PC = ORIGIN;
    s.SP = 0x9000;
    code({0xFF});  // RST 38
    EXPECT_EQ(step(), 11);
    EXPECT_EQ(recordedMemory[0x8FFF], 0x80);
    EXPECT_EQ(recordedMemory[0x8FFE], 0x01);
    EXPECT_EQ(s.SP, 0x8FFE);
    EXPECT_EQ(s.PC, 0x0038);
}

TEST_F(UnprefixedSet, ExchangeWithTheStackTopReadsAndWritesInOrder)
{
    code({0xE3});
    s.SP = 0x9000;
    s.HL = 0x1234;
    poke(0x9000, {0x78, 0x56});
    EXPECT_EQ(step(), 19);
    EXPECT_EQ(busLog, (std::vector<BusEvent>{readOf(ORIGIN, 0xE3), readOf(0x9000, 0x78), writeOf(0x9000, 0x34),
                                             readOf(0x9001, 0x56), writeOf(0x9001, 0x12)}));
    EXPECT_EQ(s.HL, 0x5678);
    EXPECT_EQ(s.SP, 0x9000);
}

TEST_F(UnprefixedSet, ExchangesSwapTheRightPairs)
{
    fillRegisters();
    code({0x08, 0xD9, 0xEB});
    step();
    EXPECT_EQ(s.AF, 0xA1A2);
    EXPECT_EQ(s.altAF, 0x1102);
    step();
    EXPECT_EQ(s.BC, 0xB1B2);
    EXPECT_EQ(s.DE, 0xD1D2);
    EXPECT_EQ(s.HL, 0xE1E2);
    EXPECT_EQ(s.altBC, 0x2233);
    EXPECT_EQ(s.altDE, 0x4455);
    EXPECT_EQ(s.altHL, 0x6677);
    step();
    EXPECT_EQ(s.DE, 0xE1E2);
    EXPECT_EQ(s.HL, 0xD1D2);
}

TEST_F(UnprefixedSet, WordsWrapAtTheTopOfMemory)
{
    code({0x22, 0xFF, 0xFF, 0x33});  // LD (0xFFFF),HL; INC SP
    s.HL = 0xBEEF;
    s.SP = 0xFFFF;
    EXPECT_EQ(step(), 16);
    EXPECT_EQ(recordedMemory[0xFFFF], 0xEF);
    EXPECT_EQ(recordedMemory[0x0000], 0xBE);
    EXPECT_EQ(step(), 6);
    EXPECT_EQ(s.SP, 0x0000);
}

TEST_F(UnprefixedSet, RelativeJumpsWrapAroundMemory)
{
    s.PC = 0xFFF0;
    code({0x18, 0x7F});
    EXPECT_EQ(step(), 12);
    EXPECT_EQ(s.PC, 0x0071);

    s.PC = 0x0002;
    code({0x18, 0x80});  // -128
    step();
    EXPECT_EQ(s.PC, 0xFF84);
}

TEST_F(UnprefixedSet, PortNumbersCarryNoHighByte)
{
    code({0xD3, 0xFE, 0xDB, 0xFE});
    setAF(0x12, 0xD7);
    EXPECT_EQ(step(), 11);
    EXPECT_EQ(busLog.back(), portOutOf(0x00FE, 0x12));
    portInputValue = 0x00;
    EXPECT_EQ(step(), 11);
    EXPECT_EQ(busLog.back(), portInOf(0x00FE, 0x00));
    EXPECT_EQ(A(), 0x00);
    EXPECT_EQ(F(), 0xD7) << "IN A,(n) changes no flag";
}

TEST_F(UnprefixedSet, DiAndEiTouchIff1Only)
{
    code({0xF3, 0xFB, 0xF3});
    s.interruptFlags = IFF1 | IFF2 | IM2;
    step();
    EXPECT_EQ(s.interruptFlags, IFF2 | IM2);
    s.interruptFlags = IM1;
    step();
    EXPECT_EQ(s.interruptFlags, IFF1 | IM1);
    step();
    EXPECT_EQ(s.interruptFlags, IM1);
}

TEST_F(CBSet, RotatesAndShiftsReplaceFWhole)
{
    const FlagCase cases[] = {
        // The operand is B unless the opcode names A (low bits 7).
        {"RLC B", {0xCB, 0x00}, 0x00, 0xFF, 0x81, 0x03, 0x05, 8},
        {"SLL A", {0xCB, 0x37}, 0x80, 0x00, 0, 0x01, 0x01, 8},
        {"SRA B", {0xCB, 0x28}, 0x00, 0x00, 0x80, 0xC0, 0x84, 8},
        {"SRL B", {0xCB, 0x38}, 0x00, 0x28, 0x01, 0x00, 0x45, 8},
        {"RL B takes carry", {0xCB, 0x10}, 0x00, 0x01, 0x80, 0x01, 0x01, 8},
        {"RR B takes carry", {0xCB, 0x18}, 0x00, 0x01, 0x01, 0x80, 0x81, 8},
        {"RRC B", {0xCB, 0x08}, 0x00, 0x00, 0x01, 0x80, 0x81, 8},
        {"SLA B", {0xCB, 0x20}, 0x00, 0x01, 0x40, 0x80, 0x80, 8},
    };
    for (const FlagCase& c : cases) {
        SetUp();
        for (size_t i = 0; i < c.code.size(); ++i) recordedMemory[ORIGIN + i] = c.code[i];
        setAF(c.a, c.f);
        s.BC = static_cast<uint16_t>(c.b << 8);
        EXPECT_EQ(step(), c.cycles) << c.name;
        uint8_t result = (c.code[1] & 7) == 7 ? A() : B();
        EXPECT_EQ(result, c.expectedA) << c.name;
        EXPECT_EQ(F(), c.expectedF) << c.name;
    }
}

TEST_F(CBSet, BitChangesOnlyZHAndN)
{
    code({0xCB, 0x7F});  // BIT 7,A
    setAF(0x80, 0x00);
    EXPECT_EQ(step(), 8);
    EXPECT_EQ(F(), 0x10) << "S not taken from bit 7";

    s.PC = ORIGIN;
    code({0xCB, 0x40});  // BIT 0,B
    s.BC = 0x0000;
    setAF(0, 0xFF);
    step();
    EXPECT_EQ(F(), 0xFD);

    s.PC = ORIGIN;
    code({0xCB, 0x40});
    setAF(0, 0x00);
    step();
    EXPECT_EQ(F(), 0x50) << "P/V not set with Z";
}

TEST_F(CBSet, MemoryFormsAccessMemoryOnceEach)
{
    s.HL = 0x9000;
    poke(0x9000, {0x01});
    code({0xCB, 0x46});  // BIT 0,(HL)
    EXPECT_EQ(step(), 12);
    EXPECT_EQ(countAccesses(Access::READ), 3u);
    EXPECT_EQ(countAccesses(Access::WRITE), 0u);

    s.PC = ORIGIN;
    code({0xCB, 0xFE});  // SET 7,(HL)
    setAF(0, 0xA5);
    EXPECT_EQ(step(), 15);
    EXPECT_EQ(busLog,
              (std::vector<BusEvent>{readOf(ORIGIN, 0xCB), readOf(ORIGIN + 1, 0xFE), readOf(0x9000, 0x01),
                                     writeOf(0x9000, 0x81)}));
    EXPECT_EQ(F(), 0xA5);

    s.PC = ORIGIN;
    code({0xCB, 0x86});  // RES 0,(HL)
    EXPECT_EQ(step(), 15);
    EXPECT_EQ(recordedMemory[0x9000], 0x80);
    EXPECT_EQ(countAccesses(Access::WRITE), 1u);

    s.PC = ORIGIN;
    code({0xCB, 0x06});  // RLC (HL)
    EXPECT_EQ(step(), 15);
    EXPECT_EQ(recordedMemory[0x9000], 0x01);
    EXPECT_EQ(F(), 0x01);
}

TEST_F(CBSet, NoCBInstructionTouchesAnythingButItsOperandFAndPc)
{
    for (int op = 0; op < 256; ++op) {
        SetUp();
        fillRegisters();
        s.HL = 0x9000;
        s.interruptFlags = IFF1 | IM2;
        poke(0x9000, {0x5A});
        code({0xCB, static_cast<uint8_t>(op)});
        Z80State before = s;
        step();
        Z80State expected = before;
        expected.PC = ORIGIN + 2;
        expected.cyclesLeft = s.cyclesLeft;
        expected.AF = static_cast<uint16_t>((op & 7) == 7 ? s.AF : (before.AF & 0xFF00) | low(s.AF));
        switch (op & 7) {
        case 0: case 1: expected.BC = s.BC; break;
        case 2: case 3: expected.DE = s.DE; break;
        case 4: case 5: expected.HL = s.HL; break;
        default: break;
        }
        expectSameState(expected, s);
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "CB " << op;
            return;
        }
    }
}

TEST_F(EDSet, NegAndSixteenBitArithmetic)
{
    struct Case {
        const char* name;
        uint8_t op;
        uint8_t a, f;
        uint16_t hl, bc;
        uint8_t expectedA, expectedF;
        uint16_t expectedHL;
    };
    const Case cases[] = {
        {"NEG 0x80", 0x44, 0x80, 0x28, 0, 0, 0x80, 0x87, 0},
        {"NEG 0", 0x44, 0x00, 0xFF, 0, 0, 0x00, 0x42, 0},
        {"NEG 1", 0x44, 0x01, 0x00, 0, 0, 0xFF, 0x93, 0},
        {"NEG 0x10", 0x44, 0x10, 0x00, 0, 0, 0xF0, 0x83, 0},
        {"SBC HL,HL no carry", 0x62, 0, 0x28, 0x1234, 0, 0, 0x42, 0x0000},
        {"SBC HL,HL carry", 0x62, 0, 0x01, 0x1234, 0, 0, 0x93, 0xFFFF},
        {"SBC HL,BC overflow", 0x42, 0, 0x00, 0x8000, 0x0001, 0, 0x16, 0x7FFF},
        {"ADC HL,BC overflow", 0x4A, 0, 0x00, 0x7FFF, 0x0001, 0, 0x94, 0x8000},
        {"ADC HL,BC carry in to zero", 0x4A, 0, 0x29, 0xFFFF, 0x0000, 0, 0x51, 0x0000},
        {"ADC HL,HL", 0x6A, 0, 0x00, 0x8000, 0, 0, 0x45, 0x0000},
    };
    for (const Case& c : cases) {
        SetUp();
        code({0xED, c.op});
        setAF(c.a, c.f);
        s.HL = c.hl;
        s.BC = c.bc;
        EXPECT_EQ(step(), c.op == 0x44 ? 8 : 15) << c.name;
        EXPECT_EQ(A(), c.expectedA) << c.name;
        EXPECT_EQ(F(), c.expectedF) << c.name;
        EXPECT_EQ(s.HL, c.expectedHL) << c.name;
    }
}

TEST_F(EDSet, InputThroughCUsesCAloneAndSetsParityFlags)
{
    const uint8_t inputs[] = {0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x78};
    for (int r = 0; r < 7; ++r) {
        SetUp();
        fillRegisters();
        s.BC = 0x12FE;
        setAF(0x11, 0x29);
        portInputValue = 0x00;
        code({0xED, inputs[r]});
        EXPECT_EQ(step(), 12);
        EXPECT_EQ(busLog.back(), portInOf(0x00FE, 0x00)) << "IN r,(C) " << r;
        EXPECT_EQ(F(), 0x45) << "Z, P/V and the old C; 5 and 3 cleared";
    }
    EXPECT_EQ(A(), 0x00);

    SetUp();
    code({0xED, 0x70});  // IN F,(C): flags only
    fillRegisters();
    portInputValue = 0x81;
    Z80State before = s;
    step();
    EXPECT_EQ(F(), 0x84);
    before.AF = static_cast<uint16_t>((before.AF & 0xFF00) | 0x84);
    before.PC = ORIGIN + 2;
    before.cyclesLeft -= 12;
    expectSameState(before, s);
}

TEST_F(EDSet, OutputThroughCUsesCAlone)
{
    const uint8_t outputs[] = {0x41, 0x49, 0x51, 0x59, 0x61, 0x69, 0x79};
    const uint8_t expected[] = {0x12, 0xFE, 0x44, 0x55, 0x66, 0x77, 0x11};
    for (int r = 0; r < 7; ++r) {
        SetUp();
        fillRegisters();
        s.BC = 0x12FE;
        code({0xED, outputs[r]});
        EXPECT_EQ(step(), 12);
        EXPECT_EQ(busLog.back(), portOutOf(0x00FE, expected[r])) << "OUT (C),r " << r;
    }
}

TEST_F(EDSet, ReturnsFromInterrupts)
{
    for (uint8_t flags : {uint8_t{IFF1 | IM1}, uint8_t{IFF2 | IM1}}) {
        SetUp();
        code({0xED, 0x45});  // RETN
        s.SP = 0x9000;
        poke(0x9000, {0x34, 0x12});
        s.interruptFlags = flags;
        EXPECT_EQ(step(), 14);
        EXPECT_EQ(s.PC, 0x1234);
        EXPECT_EQ(s.SP, 0x9002);
        EXPECT_EQ(s.interruptFlags, (flags & IFF2) ? (IFF1 | IFF2 | IM1) : IM1) << "IFF1 := IFF2";
    }
    for (uint8_t flags : {uint8_t{IFF1 | IM1}, uint8_t{IFF2 | IM1}}) {
        SetUp();
        code({0xED, 0x4D});  // RETI
        s.SP = 0x9000;
        poke(0x9000, {0x34, 0x12});
        s.interruptFlags = flags;
        EXPECT_EQ(step(), 14);
        EXPECT_EQ(s.PC, 0x1234);
        EXPECT_EQ(s.interruptFlags, flags);
    }
}

TEST_F(EDSet, InterruptModesAndTheIRegister)
{
    code({0xED, 0x5E, 0xED, 0x56, 0xED, 0x46, 0xED, 0x47, 0xED, 0x57, 0xED, 0x4F});
    s.interruptFlags = IFF2 | HALTED | IM1;
    step();
    EXPECT_EQ(s.interruptFlags, IFF2 | HALTED | IM2);
    step();
    EXPECT_EQ(s.interruptFlags, IFF2 | HALTED | IM1);
    step();
    EXPECT_EQ(s.interruptFlags, IFF2 | HALTED);

    setAF(0x80, 0x29);
    EXPECT_EQ(step(), 9);  // LD I,A
    EXPECT_EQ(s.I, 0x80);
    EXPECT_EQ(step(), 9);  // LD A,I: P/V from IFF1 (clear), not IFF2
    EXPECT_EQ(A(), 0x80);
    EXPECT_EQ(F(), FLAG_S | FLAG_C);
    setAF(0x55, 0x00);
    Z80State before = s;
    EXPECT_EQ(step(), 9);  // LD R,A: nothing to store
    before.PC += 2;
    before.cyclesLeft -= 9;
    expectSameState(before, s);

    s.PC = ORIGIN + 8;
    s.interruptFlags = IFF1;
    s.I = 0;
    setAF(0x55, FLAG_C);
    step();
    EXPECT_EQ(F(), FLAG_Z | FLAG_PV | FLAG_C);
}

TEST_F(EDSet, DigitRotates)
{
    code({0xED, 0x6F});  // RLD
    s.HL = 0x9000;
    poke(0x9000, {0x34});
    setAF(0x12, 0x29);
    EXPECT_EQ(step(), 18);
    EXPECT_EQ(recordedMemory[0x9000], 0x42);
    EXPECT_EQ(A(), 0x13);
    EXPECT_EQ(F(), 0x01);

    s.PC = ORIGIN;
    code({0xED, 0x67});  // RRD
    poke(0x9000, {0x34});
    setAF(0x12, 0x00);
    EXPECT_EQ(step(), 18);
    EXPECT_EQ(recordedMemory[0x9000], 0x23);
    EXPECT_EQ(A(), 0x14);
    EXPECT_EQ(F(), 0x04);
    EXPECT_EQ(countAccesses(Access::WRITE), 1u);
}

TEST_F(EDSet, WordLoadsWriteLowByteFirst)
{
    code({0xED, 0x43, 0x00, 0x90, 0xED, 0x7B, 0x00, 0x90});  // LD (0x9000),BC; LD SP,(0x9000)
    s.BC = 0xBEEF;
    EXPECT_EQ(step(), 20);
    EXPECT_EQ(busLog[4], writeOf(0x9000, 0xEF));
    EXPECT_EQ(busLog[5], writeOf(0x9001, 0xBE));
    EXPECT_EQ(step(), 20);
    EXPECT_EQ(s.SP, 0xBEEF);
}

TEST_F(EDSet, SingleBlockStepsAndTheirFlags)
{
    // LDI with BC 2 keeps S, Z, 5, 3 and C and sets P/V; the last one clears it.
    code({0xED, 0xA0, 0xED, 0xA0});
    s.HL = 0x9000;
    s.DE = 0xA000;
    s.BC = 2;
    poke(0x9000, {0x77, 0x66});
    setAF(0, 0xFF);
    EXPECT_EQ(step(), 16);
    EXPECT_EQ(F(), 0xED);
    step();
    EXPECT_EQ(F(), 0xE9);
    EXPECT_EQ(recordedMemory[0xA001], 0x66);

    // CPI: a borrow out of bit 3, carry kept.
    SetUp();
    code({0xED, 0xA1});
    s.HL = 0x9000;
    s.BC = 2;
    poke(0x9000, {0x01});
    setAF(0x10, 0x29);
    EXPECT_EQ(step(), 16);
    EXPECT_EQ(A(), 0x10);
    EXPECT_EQ(F(), FLAG_H | FLAG_PV | FLAG_N | FLAG_C);

    // INI and OUTI replace F by N, plus Z when B reaches 0.
    SetUp();
    code({0xED, 0xA2, 0xED, 0xA3});
    s.BC = 0x0234;
    s.HL = 0x9000;
    setAF(0, 0xFF);
    EXPECT_EQ(step(), 16);
    EXPECT_EQ(F(), 0x02);
    EXPECT_EQ(step(), 16);
    EXPECT_EQ(F(), 0x42);
    EXPECT_EQ(busLog[2].address, 0x0034);
    EXPECT_EQ(busLog.back().address, 0x0034);
}

}  // namespace
