// The spine's commands on the whole machine: the start with the machine
// files of the current directory, and the reset and the restored snapshot
// that forget what waited for the machine that was there.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "rom/open_rom.h"
#include "shell/load_command.h"
#include "shell/machine_commands.h"
#include "tests/support/window_test.h"

namespace {

struct MachineCommands : WindowTest {
    void SetUp() override
    {
        WindowTest::SetUp();
        startDirectory = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override
    {
        std::filesystem::current_path(startDirectory);
        WindowTest::TearDown();
    }
    std::filesystem::path startDirectory;
};

// What startMachine says of the missing machine files is another test's.
template <class Command>
void quietly(Command command)
{
    ::testing::internal::CaptureStderr();
    command();
    ::testing::internal::GetCapturedStderr();
}

TEST_F(MachineCommands, StartMachineFallsBackToTheOpenRomAndFontAndSaysSoOnce)
{
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

TEST_F(MachineCommands, StartMachineReadsTheMachineFilesOfTheCurrentDirectory)
{
    std::ofstream("vzrom.v20", std::ios::binary) << std::string(100, '\xC3');
    std::ofstream("vz200.fnt", std::ios::binary) << std::string(3072, '\x55');
    ::testing::internal::CaptureStderr();
    startMachine();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(vz200.memoryImage[99], 0xC3);
    EXPECT_EQ(vz200.memoryImage[100], 0xFF);  // a short file leaves 0xFF
    EXPECT_EQ(vz200.fontImage[3071], 0x55);
}

// Text still to type and a program waiting for its frame go with the
// machine they were meant for; a refused snapshot keeps them.
TEST_F(MachineCommands, ResetAndRestoreForgetWhatWaitedForTheMachine)
{
    quietly(startMachine);
    ASSERT_TRUE(saveState("saved.tstate"));
    const char* reason = nullptr;
    auto wait = [] {
        queueTypedText("RUN", 3);
        scheduleProgramLoad("program.vz", 100);
    };
    auto waiting = [] { return shell.typing.count > 0 && shell.scheduledLoad.beforeFrame > 0; };
    wait();
    EXPECT_FALSE(restoreState("missing.tstate", reason));
    EXPECT_TRUE(waiting());
    EXPECT_TRUE(restoreState("saved.tstate", reason)) << reason;
    EXPECT_FALSE(shell.typing.count || shell.scheduledLoad.beforeFrame);
    wait();
    quietly(resetMachine);
    EXPECT_FALSE(shell.typing.count || shell.scheduledLoad.beforeFrame);
}

}  // namespace
