// A test with the main window open on the headless host and its keyboard
// opened, the processor at 0x1234 and 16 bytes of 0xEE at 0x8000, for tests
// of what the host's events do to the machine.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "machine/vz200.h"
#include "shell/keyboard_service.h"
#include "shell/main_window.h"
#include "tests/support/files.h"
#include "tests/support/shell_reset.h"

struct WindowTest : ::testing::Test {
    void SetUp() override
    {
        resetProgram();
        ASSERT_TRUE(createMainWindow());
        ASSERT_TRUE(initHostKeyboard(shell.mainWindow));
        dir = scratchDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
        vz200.processor = Z80State{};
        vz200.processor.PC = 0x1234;
        std::memset(vz200.memoryImage + 0x8000, 0xEE, 16);
    }
    void TearDown() override { releaseHostKeyboard(); }

    std::filesystem::path dir;
};
