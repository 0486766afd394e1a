#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "machine/bus.h"
#include "machine/field_sync.h"
#include "machine/vz200.h"
#include "z80/z80.h"

namespace {

// A budget late in the frame, where the field sync is high; with the
// cassette input at rest, both bits above the keys read 1.
constexpr int32_t IN_THE_PICTURE = 1;
constexpr uint8_t BESIDE_THE_KEYS = WINDOW_CASSETTE_INPUT | WINDOW_FIELD_SYNC;

uint8_t readAt(uint16_t address) { return memRead(address, IN_THE_PICTURE); }

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
        EXPECT_EQ(readAt(address), 0x5C) << std::hex << address;
        memWrite(address, 0xA3);
        EXPECT_EQ(readAt(address), 0xA3) << std::hex << address;
    }
    EXPECT_EQ(vz200.outputLatch, 0x42);
}

TEST_F(BusTest, WindowWritesSetTheLatchButReadTheKeyboard)
{
    memWrite(0x6FFF, 0x18);
    EXPECT_EQ(vz200.outputLatch, 0x18);
    EXPECT_EQ(readAt(0x6FFF), 0xFF);  // low byte 0xFF selects no row
    memWrite(0x6800, 0x08);
    EXPECT_EQ(vz200.outputLatch, 0x08);
    EXPECT_EQ(readAt(0x6800), BESIDE_THE_KEYS);
}

TEST_F(BusTest, EachLowAddressBitAtZeroSelectsItsRow)
{
    const uint16_t singleRow[8] = {0x68FE, 0x68FD, 0x68FB, 0x68F7, 0x68EF, 0x68DF, 0x68BF, 0x687F};
    for (int r = 0; r < 8; ++r) {
        EXPECT_EQ(readAt(singleRow[r]), (vz200.keyboardMatrix.rows[r] & WINDOW_KEY_BITS) | BESIDE_THE_KEYS) << "row " << r;
        EXPECT_EQ(readKeyboardWindow(vz200.keyboardMatrix, singleRow[r]), vz200.keyboardMatrix.rows[r]) << "row " << r;
    }
    EXPECT_EQ(readAt(0x6AFE), readAt(0x68FE));  // bits 8-15 play no part
    EXPECT_EQ(readAt(0x68FC), (vz200.keyboardMatrix.rows[0] & vz200.keyboardMatrix.rows[1] & WINDOW_KEY_BITS) | BESIDE_THE_KEYS);
    EXPECT_EQ(readAt(0x6800), BESIDE_THE_KEYS);  // all rows ANDed
    EXPECT_EQ(readAt(0x68FF), 0xFF);
    EXPECT_EQ(readAt(0x6FFF), 0xFF);
}

// The frame interrupt is the field sync's fall: low through the vertical
// blanking at the frame's start, high from there to the frame's end, and
// from the first instruction to the last of a frame that ran over.
TEST_F(BusTest, FieldSyncFollowsTheProcessorThroughTheFrame)
{
    const struct {
        int32_t cycle;
        bool high;
    } moments[] = {{0, false}, {FIELD_SYNC_LOW_CYCLES - 1, false}, {FIELD_SYNC_LOW_CYCLES, true},
                   {CYCLES_PER_FRAME - 1, true}, {CYCLES_PER_FRAME + 20, true}};
    for (const auto& moment : moments) {
        uint8_t value = memRead(0x68FF, CYCLES_PER_FRAME - moment.cycle);
        EXPECT_EQ((value & WINDOW_FIELD_SYNC) != 0, moment.high) << "cycle " << moment.cycle;
        EXPECT_EQ(value & static_cast<uint8_t>(~WINDOW_FIELD_SYNC), 0x7F) << "cycle " << moment.cycle;
    }
}

// Only the low byte decodes: the printer's ready line at 0x00, the idle
// joysticks at 0x20-0x2F; every other port reads 0xFF.
TEST_F(BusTest, PortsOtherThanTheDevicesAreEmpty)
{
    for (int port = 0; port <= 0xFFFF; ++port) {
        uint8_t line = static_cast<uint8_t>(port);
        ASSERT_EQ(portIn(static_cast<uint16_t>(port)), line == PRINTER_STATUS_PORT ? 0xFE : 0xFF) << port;
    }
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
