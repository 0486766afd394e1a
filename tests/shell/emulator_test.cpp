#include <gtest/gtest.h>

#include "machine/dik.h"
#include "shell/emulator.h"
#include "shell/main_window.h"
#include "shell/resources.h"
#include "tests/support/shell_reset.h"

namespace {

struct EmulatorTest : ::testing::Test {
    void SetUp() override { resetProgram(); }
};

// One event a pass, a frame only in a pass that finds none, and nothing
// after the close but the quit; the shutdown after the loop releases nothing
// the close released already.
TEST_F(EmulatorTest, OneEventAPassFramesOnlyWhenNoneWaitsAndNoFrameAfterTheClose)
{
    ASSERT_TRUE(startEmulator());
    for (int i = 0; i < 3; ++i) headlessCommand(ID_HELP_ABOUT);
    std::string passes;  // per pass: E an event handled, F a frame
    auto pass = [&] {
        int presents = headless.screen.presents;
        bool goesOn = messageLoopPass();
        passes += headless.screen.presents > presents ? 'F' : 'E';
        return goesOn;
    };
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(pass());
    headlessClose();
    EXPECT_TRUE(pass());
    EXPECT_FALSE(headless.window.exists);
    EXPECT_EQ(headless.keyboard.closes, 1);
    EXPECT_EQ(heldBackBuffer(), nullptr);
    EXPECT_FALSE(pass());  // the quit ends the loop
    EXPECT_EQ(passes, "EEEFFEE");
    EXPECT_EQ(stopEmulator(), EXIT_AFTER_CLOSE);
    EXPECT_EQ(headless.keyboard.closes, 1);
    EXPECT_EQ(headless.audio.closes, 1);
}

TEST_F(EmulatorTest, AFailedKeyboardStartShowsTheBoxCleansUpAndNeverEntersTheLoop)
{
    reportedKeysRefuseToOpen = true;
    EXPECT_EQ(emulatorMain(), EXIT_FAILED_START);
    EXPECT_EQ(headless.errorBox.shown, 1);
    EXPECT_EQ(headless.errorBox.text, "Error Initializing DirectInput");
    EXPECT_EQ(headless.errorBox.caption, "Tessel");
    EXPECT_EQ(headless.window.destroyed, 1);
    EXPECT_EQ(shell.mainWindow, nullptr);
    EXPECT_EQ(headless.keyboard.closes, 1);
    EXPECT_EQ(heldBackBuffer(), nullptr);
    EXPECT_EQ(headless.polls, 0);
    EXPECT_EQ(headless.screen.presents, 0);
}

TEST_F(EmulatorTest, NoWindowNoStart)
{
    headless.window.createFails = true;
    EXPECT_EQ(emulatorMain(), EXIT_FAILED_START);
    EXPECT_EQ(headless.errorBox.shown, 0);
    EXPECT_EQ(headless.keyboard.opens, 0);
}

TEST_F(EmulatorTest, KeysHeldAtDeactivationStayPressedUntilTheNextPollInFront)
{
    constexpr uint8_t ROW1_A = 0x10;
    static int readsWhileInactive;
    static std::string pressed;  // one letter per frame: A held in the matrix or not
    readsWhileInactive = 0;
    pressed.clear();
    headlessSetKey(DIK_A, true);
    headless.onPresent = [](int frame) {
        pressed += (vz200.keyboardMatrix.rows[1] & ROW1_A) ? '-' : 'A';
        if (frame == 2) {
            // Behind another application the release is never seen.
            headlessSetActive(false);
            readsWhileInactive = -headless.keyboard.reads;
        }
        if (frame == 4) {
            readsWhileInactive += headless.keyboard.reads;
            headlessSetActive(true);
        }
        if (frame == 5) headlessClose();
    };
    EXPECT_EQ(emulatorMain(), EXIT_AFTER_CLOSE);
    EXPECT_EQ(pressed, "AAAA-");
    EXPECT_EQ(readsWhileInactive, 0);
    EXPECT_TRUE(shell.isActive);
}

TEST_F(EmulatorTest, ResetPutsTheShellBackToItsStart)
{
    headless.onPresent = [](int frame) {
        if (frame == 1) {
            queueTypedText("ABC", 3);
            headlessSetActive(false);
            headlessCommand(ID_HELP_ABOUT);
            headlessClose();
        }
    };
    EXPECT_EQ(emulatorMain(), EXIT_AFTER_CLOSE);
    resetShell();
    EXPECT_TRUE(shell.isActive);
    EXPECT_EQ(shell.mainWindow, nullptr);
    EXPECT_EQ(shell.typing.count, 0);
    EXPECT_FALSE(hostEventWaiting());
    EXPECT_EQ(shell.frameClock.ticksPerFrame, FALLBACK_TICKS_PER_FRAME);
    EXPECT_EQ(shell.sound.stream, nullptr);
}

}  // namespace
