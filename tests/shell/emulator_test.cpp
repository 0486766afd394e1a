#include <gtest/gtest.h>

#include "machine/dik.h"
#include "shell/emulator.h"
#include "shell/foreground_keyboard.h"
#include "shell/main_window.h"
#include "tests/support/shell_reset.h"

namespace {

struct EmulatorTest : ::testing::Test {
    void SetUp() override { resetShell(); }
};

// Everything the loop did after the window was shown.
std::string loopLog() { return headless.log.substr(headless.log.find("S1C ") + 4); }

TEST_F(EmulatorTest, OneMessagePerPassAndFramesOnlyWhenTheQueueIsEmpty)
{
    for (int i = 0; i < 3; ++i) headlessCommand(ID_HELP_ABOUT);
    headless.onPresent = [](int frame) {
        if (frame == 2) headlessCommand(ID_OPTIONS_SOUND);
        if (frame == 3) headlessClose();
    };
    EXPECT_EQ(emulatorMain(nullptr, 1), 1);
    // The close is answered by the default procedure, which destroys the
    // window (S2: WM_DESTROY sent); the quit message that follows is still
    // translated and dispatched, and no frame runs after it was posted.
    EXPECT_EQ(loopLog(),
              "M111 T111 D111 M111 T111 D111 M111 T111 D111 "
              "E P E P M111 T111 D111 E P "
              "M10 T10 D10 S2 M12 T12 D12 ");
}

TEST_F(EmulatorTest, StartPassesAndStopFromOutsideRunAsTheWholeProgramDoes)
{
    headlessCommand(ID_HELP_ABOUT);
    headless.onPresent = [](int frame) {
        if (frame == 2) headlessClose();
    };
    ASSERT_TRUE(startEmulator(nullptr, 1));
    int passes = 0;
    while (messageLoopPass()) ++passes;
    EXPECT_EQ(stopEmulator(), 1);
    EXPECT_EQ(passes, 4);  // the command, two frames and the close; the quit ends the loop
    EXPECT_EQ(loopLog(), "M111 T111 D111 E P E P M10 T10 D10 S2 M12 T12 D12 ");
    EXPECT_EQ(headless.keyboard.releases, 1);
    EXPECT_EQ(heldBackBuffer(), nullptr);
}

TEST_F(EmulatorTest, AFailedStartFromOutsideHasCleanedUp)
{
    foregroundKeyboard.openResult = DIERR_GENERIC;
    EXPECT_FALSE(startEmulator(nullptr, 1));
    EXPECT_EQ(headless.errorBox.shown, 1);
    EXPECT_EQ(headless.window.destroyed, 1);
    EXPECT_EQ(mainWindow, nullptr);
}

TEST_F(EmulatorTest, NormalEndShutsDownTwiceAndReleasesOnce)
{
    headless.onPresent = [](int) { headlessPost(WM_DESTROY); };
    EXPECT_EQ(emulatorMain(nullptr, 1), 1);
    EXPECT_EQ(headless.screen.presents, 1);
    EXPECT_EQ(headless.keyboard.opens, 1);
    EXPECT_EQ(headless.keyboard.releases, 1);
    EXPECT_EQ(headless.keyboard.unacquires, 1);
    EXPECT_EQ(keyboardDevice, nullptr);
    EXPECT_EQ(heldBackBuffer(), nullptr);
    EXPECT_EQ(headless.errorBox.shown, 0);
}

TEST_F(EmulatorTest, FailedKeyboardStartShowsTheBoxAndNeverEntersTheLoop)
{
    foregroundKeyboard.openResult = DIERR_GENERIC;
    EXPECT_EQ(emulatorMain(nullptr, 1), -1);
    EXPECT_EQ(headless.errorBox.shown, 1);
    EXPECT_EQ(headless.errorBox.text, "Error Initializing DirectInput");
    EXPECT_EQ(headless.errorBox.caption, "Tessel");
    EXPECT_EQ(headless.errorBox.owner, nullptr);
    EXPECT_EQ(headless.window.destroyed, 1);
    // WM_DESTROY once, shutting down once; no peek, no frame.
    EXPECT_EQ(loopLog(), "S2 ");
    EXPECT_EQ(headless.keyboard.releases, 1);
    EXPECT_EQ(heldBackBuffer(), nullptr);
    EXPECT_EQ(headless.screen.presents, 0);
}

TEST_F(EmulatorTest, NoWindowNoStart)
{
    headless.window.createFails = true;
    EXPECT_EQ(emulatorMain(nullptr, 1), -1);
    EXPECT_EQ(headless.errorBox.shown, 0);
    EXPECT_EQ(headless.keyboard.opens, 0);
    EXPECT_TRUE(headless.log.empty());
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
            headlessSetActive(false);
            headlessSetKey(DIK_A, false);
            readsWhileInactive = -headless.keyboard.reads;
        }
        if (frame == 4) {
            readsWhileInactive += headless.keyboard.reads;
            headlessSetActive(true);
        }
        if (frame == 5) headlessClose();
    };
    EXPECT_EQ(emulatorMain(nullptr, 1), 1);
    EXPECT_EQ(pressed, "AAAA-");
    EXPECT_EQ(readsWhileInactive, 0);
    EXPECT_TRUE(isActive);
}

}  // namespace
