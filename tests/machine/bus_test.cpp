#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "machine/bus.h"
#include "machine/vz200.h"
#include "z80/z80.h"

namespace {

class BusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int a = 0; a < MEMORY_SIZE; ++a) vz200.memoryImage[a] = static_cast<uint8_t>(a * 7 + 1);
        vz200.outputLatch = 0x42;
        // Row r has only bit r clear, so every row is told apart.
        for (int r = 0; r < 8; ++r) vz200.keyboardMatrix.rows[r] = static_cast<uint8_t>(~(1u << r));
    }

    void expectMachineUnchanged()
    {
        std::vector<uint8_t> memory(vz200.memoryImage, vz200.memoryImage + MEMORY_SIZE);
        SetUp();
        EXPECT_TRUE(std::equal(memory.begin(), memory.end(), vz200.memoryImage)) << "memory changed";
        EXPECT_EQ(vz200.outputLatch, 0x42);
        for (int r = 0; r < 8; ++r) EXPECT_EQ(vz200.keyboardMatrix.rows[r], static_cast<uint8_t>(~(1u << r)));
    }
};

TEST_F(BusTest, WritesBelowTheWindowAreIgnored)
{
    for (uint16_t address : {0x0000, 0x1234, 0x3FFF, 0x4000, 0x5000, 0x67FF}) memWrite(address, 0xAA);
    expectMachineUnchanged();
}

TEST_F(BusTest, RamReadsBackWhatWasWritten)
{
    for (uint16_t address : {0x7000, 0x77FF, 0x7800, 0xFFFF}) {
        memWrite(address, 0x5C);
        EXPECT_EQ(memRead(address), 0x5C) << std::hex << address;
        memWrite(address, 0xA3);
        EXPECT_EQ(memRead(address), 0xA3) << std::hex << address;
    }
    EXPECT_EQ(vz200.outputLatch, 0x42);
}

TEST_F(BusTest, WindowWritesSetTheLatchButReadTheKeyboard)
{
    memWrite(0x6FFF, 0x18);
    EXPECT_EQ(vz200.outputLatch, 0x18);
    EXPECT_EQ(memRead(0x6FFF), 0xFF);  // low byte 0xFF selects no row
    memWrite(0x6800, 0x08);
    EXPECT_EQ(vz200.outputLatch, 0x08);
    EXPECT_EQ(memRead(0x6800), CASSETTE_INPUT);  // no key; the cassette lead at rest
}

TEST_F(BusTest, EachLowAddressBitAtZeroSelectsItsRow)
{
    // Bit 6 of every read is the cassette input, here at rest.
    const uint16_t singleRow[8] = {0x68FE, 0x68FD, 0x68FB, 0x68F7, 0x68EF, 0x68DF, 0x68BF, 0x687F};
    for (int r = 0; r < 8; ++r) {
        EXPECT_EQ(memRead(singleRow[r]), vz200.keyboardMatrix.rows[r] | CASSETTE_INPUT) << "row " << r;
        EXPECT_EQ(readKeyboardWindow(vz200.keyboardMatrix, singleRow[r]), vz200.keyboardMatrix.rows[r]) << "row " << r;
    }
    EXPECT_EQ(memRead(0x6AFE), vz200.keyboardMatrix.rows[0] | CASSETTE_INPUT);  // bits 8-15 play no part
    EXPECT_EQ(memRead(0x68FC), (vz200.keyboardMatrix.rows[0] & vz200.keyboardMatrix.rows[1]) | CASSETTE_INPUT);
    EXPECT_EQ(memRead(0x6800), CASSETTE_INPUT);  // all rows ANDed
    EXPECT_EQ(memRead(0x68FF), 0xFF);
    EXPECT_EQ(memRead(0x6FFF), 0xFF);
}

TEST_F(BusTest, PortsAreEmpty)
{
    for (int port = 0; port <= 0xFFFF; ++port) ASSERT_EQ(portIn(static_cast<uint16_t>(port)), 0xFF) << port;
    for (uint16_t port : {0x00, 0xFE, 0x6800, 0xFFFF}) portOut(port, 0x18);
    expectMachineUnchanged();
}

TEST_F(BusTest, PatchHookChangesNoRegister)
{
    Z80State state;
    std::memset(&state, 0x5A, sizeof state);
    Z80State before;
    std::memcpy(&before, &state, sizeof state);
    patchHook(state);
    EXPECT_EQ(std::memcmp(&before, &state, sizeof state), 0);
    expectMachineUnchanged();
}

}  // namespace
