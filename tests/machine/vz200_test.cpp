// The machine as one unit: power-on from the machine files or the open
// ones, and back to the program's start.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "machine/vz200.h"
#include "rom/open_rom.h"
#include "tests/support/files.h"

namespace {

struct MachineStart : ::testing::Test {
    void SetUp() override
    {
        clearMachine();
        startDirectory = std::filesystem::current_path();
    }
    void TearDown() override { std::filesystem::current_path(startDirectory); }
    std::filesystem::path startDirectory;
};

TEST_F(MachineStart, StartMachineFallsBackToTheOpenRomAndFontAndSaysSoOnce)
{
    std::filesystem::current_path(scratchDirectory("fallback"));
    ::testing::internal::CaptureStderr();
    startMachine();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said,
              "tessel: no vzrom.v20 here, running the built-in open ROM\n"
              "tessel: no vz200.fnt here, using the built-in open font\n");
    EXPECT_EQ(std::memcmp(vz200.memoryImage, openRomImage, sizeof openRomImage), 0);
    EXPECT_EQ(std::memcmp(vz200.fontImage, openFontImage, sizeof openFontImage), 0);
    EXPECT_EQ(vz200.processor.cyclesPerFrame, 71600);
    EXPECT_EQ(vz200.processor.cyclesLeft, 71600);  // the reset saw the frame length
}

TEST_F(MachineStart, StartMachineReadsTheMachineFilesOfTheCurrentDirectory)
{
    std::filesystem::path dir = scratchDirectory("machine-files");
    std::ofstream(dir / "vzrom.v20", std::ios::binary) << std::string(100, '\xC3');
    std::ofstream(dir / "vz200.fnt", std::ios::binary) << std::string(3072, '\x55');
    std::filesystem::current_path(dir);
    ::testing::internal::CaptureStderr();
    startMachine();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(vz200.memoryImage[99], 0xC3);
    EXPECT_EQ(vz200.memoryImage[100], 0xFF);  // a short file leaves 0xFF
    EXPECT_EQ(vz200.fontImage[3071], 0x55);
}

// The libretro core powers on from its front end's system folder and says
// itself what stood in: power-on reports, and prints nothing.
TEST_F(MachineStart, PowerOnReadsTheGivenPathsAndReportsWhatStoodIn)
{
    std::filesystem::path dir = scratchDirectory("power-on");
    std::ofstream(dir / "rom", std::ios::binary) << std::string(20000, '\xC3');
    ::testing::internal::CaptureStderr();
    MachineFiles files = powerOnMachine((dir / "rom").c_str(), (dir / "missing.fnt").c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(files.romRead);
    EXPECT_FALSE(files.fontRead);
    EXPECT_EQ(vz200.memoryImage[ROM_SIZE - 1], 0xC3);
    EXPECT_EQ(vz200.memoryImage[ROM_SIZE], 0x00);  // a long file stops at the ROM's size
    EXPECT_EQ(std::memcmp(vz200.fontImage, openFontImage, sizeof openFontImage), 0);

    files = powerOnMachine(nullptr, nullptr);
    EXPECT_FALSE(files.romRead || files.fontRead);
    EXPECT_EQ(std::memcmp(vz200.memoryImage, openRomImage, sizeof openRomImage), 0);
}

// A machine started, run and cleared runs again exactly as it did the first
// time after its start.
TEST_F(MachineStart, ClearingPutsTheMachineBackToTheProgramStart)
{
    std::filesystem::current_path(scratchDirectory("clear"));
    static Vz200 firstRun;
    const KeyboardMatrix idle = idleKeyboardRows();
    uint8_t keys[HOST_KEY_COUNT] = {};
    auto startAndRun = [&] {
        ::testing::internal::CaptureStderr();
        startMachine();
        ::testing::internal::GetCapturedStderr();
        for (int frame = 0; frame < 10; ++frame) runMachineFrame(keys);
    };
    startAndRun();
    EXPECT_EQ(std::memcmp(&vz200.keyboardMatrix, &idle, sizeof idle), 0);
    std::memcpy(&firstRun, &vz200, sizeof vz200);
    vz200.outputLatch = LATCH_GRAPHICS;
    memWrite(0x8000, 0x55);

    clearMachine();
    // Before the first keyboard update every key reads as pressed.
    EXPECT_EQ(memRead(0x6800), CASSETTE_INPUT);
    EXPECT_EQ(vz200.processor.cyclesPerFrame, 0);
    startAndRun();
    EXPECT_EQ(std::memcmp(&vz200, &firstRun, sizeof vz200), 0);
}

TEST_F(MachineStart, TheFrameEndsInTheFrameInterrupt)
{
    std::filesystem::current_path(scratchDirectory("frame"));
    ::testing::internal::CaptureStderr();
    startMachine();
    ::testing::internal::GetCapturedStderr();
    // DI, IM 1, EI, then a loop: every frame ends in a call of 0x0038.
    const uint8_t program[] = {0xF3, 0xED, 0x56, 0xFB, 0x18, 0xFE};
    std::memcpy(vz200.memoryImage + 0x8000, program, sizeof program);
    vz200.processor.PC = 0x8000;
    runMachineFrame(nullptr);
    EXPECT_EQ(vz200.processor.PC, 0x0038);
    EXPECT_EQ(vz200.processor.cyclesLeft, CYCLES_PER_FRAME);
}

}  // namespace
