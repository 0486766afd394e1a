// Shared set-up for the processor's unit tests: a freshly reset processor
// over the recording bus, with code placed at 0x8000 and a budget of 1000.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "tests/z80/recording_bus.h"
#include "z80/z80.h"

class ProcessorTest : public ::testing::Test {
protected:
    static constexpr int32_t FRAME_CYCLES = 71600;  // a VZ200's frame
    static constexpr uint16_t ORIGIN = 0x8000;
    static constexpr int32_t STEP_BUDGET = 1000;

    // A frame interrupt like a machine's: RST 38 in mode 0, 0x0038 in mode 1.
    static constexpr uint16_t FRAME_INTERRUPT = 0x0038;

    Z80State s{};

    void SetUp() override
    {
        resetRecordingBus();
        s = Z80State{};
        s.cyclesPerFrame = FRAME_CYCLES;
        s.frameEndVector = FRAME_INTERRUPT;
        resetProcessor(s);
        s.PC = ORIGIN;
        s.cyclesLeft = STEP_BUDGET;
    }

    static void poke(uint16_t address, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t b : bytes) recordedMemory[address++] = b;
    }

    // Places code at PC and forgets the accesses made so far.
    void code(std::initializer_list<uint8_t> bytes)
    {
        poke(s.PC, bytes);
        busLog.clear();
    }

    // Runs one instruction and returns the T-states it charged.
    int step()
    {
        int32_t before = s.cyclesLeft;
        executeInstruction(s);
        return before - s.cyclesLeft;
    }

    uint8_t A() const { return high(s.AF); }
    uint8_t F() const { return low(s.AF); }
    uint8_t B() const { return high(s.BC); }
    uint8_t C() const { return low(s.BC); }
    uint8_t H() const { return high(s.HL); }
    uint8_t L() const { return low(s.HL); }
    void setAF(uint8_t a, uint8_t f) { s.AF = static_cast<uint16_t>(a << 8 | f); }

    // Every register and interrupt field, so that "nothing else changed" can
    // be checked; the zero-cost allowance and the HALT flag are the run
    // loop's bookkeeping, checked by its own tests.
    static void expectSameState(const Z80State& expected, const Z80State& actual)
    {
        EXPECT_EQ(expected.AF, actual.AF) << "AF";
        EXPECT_EQ(expected.BC, actual.BC) << "BC";
        EXPECT_EQ(expected.DE, actual.DE) << "DE";
        EXPECT_EQ(expected.HL, actual.HL) << "HL";
        EXPECT_EQ(expected.IX, actual.IX) << "IX";
        EXPECT_EQ(expected.IY, actual.IY) << "IY";
        EXPECT_EQ(expected.PC, actual.PC) << "PC";
        EXPECT_EQ(expected.SP, actual.SP) << "SP";
        EXPECT_EQ(expected.altAF, actual.altAF) << "altAF";
        EXPECT_EQ(expected.altBC, actual.altBC) << "altBC";
        EXPECT_EQ(expected.altDE, actual.altDE) << "altDE";
        EXPECT_EQ(expected.altHL, actual.altHL) << "altHL";
        EXPECT_EQ(expected.interruptFlags, actual.interruptFlags) << "interruptFlags";
        EXPECT_EQ(expected.I, actual.I) << "I";
        EXPECT_EQ(expected.cyclesPerFrame, actual.cyclesPerFrame) << "cyclesPerFrame";
        EXPECT_EQ(expected.cyclesLeft, actual.cyclesLeft) << "cyclesLeft";
        EXPECT_EQ(expected.cyclesBeforeEi, actual.cyclesBeforeEi) << "cyclesBeforeEi";
        EXPECT_EQ(expected.interruptRequest, actual.interruptRequest) << "interruptRequest";
        EXPECT_EQ(expected.frameEndVector, actual.frameEndVector) << "frameEndVector";
    }

    // Distinct values in every register, so that a wrong operand shows.
    void fillRegisters()
    {
        s.AF = 0x1102;
        s.BC = 0x2233;
        s.DE = 0x4455;
        s.HL = 0x6677;
        s.IX = 0x8899;
        s.IY = 0xAABB;
        s.SP = 0xE000;
        s.altAF = 0xA1A2;
        s.altBC = 0xB1B2;
        s.altDE = 0xD1D2;
        s.altHL = 0xE1E2;
        s.I = 0x3C;
    }
};

inline BusEvent readOf(uint16_t address, uint8_t value) { return {Access::READ, address, value}; }
inline BusEvent writeOf(uint16_t address, uint8_t value) { return {Access::WRITE, address, value}; }
inline BusEvent portInOf(uint16_t port, uint8_t value) { return {Access::PORT_IN, port, value}; }
inline BusEvent portOutOf(uint16_t port, uint8_t value) { return {Access::PORT_OUT, port, value}; }

inline void PrintTo(const BusEvent& e, std::ostream* os)
{
    static const char* const names[] = {"read", "write", "in", "out"};
    *os << names[static_cast<int>(e.kind)] << "(0x" << std::hex << e.address << ", 0x" << int{e.value} << std::dec
        << ")";
}
