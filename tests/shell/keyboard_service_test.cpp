#include <gtest/gtest.h>

#include "machine/dik.h"
#include "shell/key_typing.h"
#include "tests/support/window_test.h"

namespace {

constexpr uint8_t ROW1_A = 0x10;  // row 1, bit 4

using KeyboardServiceTest = WindowTest;

TEST_F(KeyboardServiceTest, TypedTextPressesItsKeysOnTopOfTheUsersAtEachPoll)
{
    constexpr uint8_t ROW2_X = 0x02;  // row 2, bit 1
    headlessSetKey(DIK_A, true);
    queueTypedText("X", 1);
    for (int frame = 0; frame < KEY_FRAMES; ++frame) {
        rebuildKeyboardMatrix(vz200.keyboardMatrix, pollKeyboard());
        bool held = frame < KEY_HELD_FRAMES;
        EXPECT_EQ(vz200.keyboardMatrix.rows[2], held ? 0x3F & ~ROW2_X : 0x3F) << frame;
        EXPECT_EQ(vz200.keyboardMatrix.rows[1], 0x3F & ~ROW1_A) << frame;
        // The snapshot stays the host's own.
        EXPECT_EQ(shell.keyboard.hostKeyState[DIK_X], 0x00);
    }
    EXPECT_EQ(shell.typing.count, 0);
}

TEST_F(KeyboardServiceTest, ReleasingTwiceReleasesOnceAndAClosedServiceReadsNothing)
{
    releaseHostKeyboard();
    releaseHostKeyboard();
    EXPECT_EQ(headless.keyboard.closes, 1);
    int reads = headless.keyboard.reads;
    pollKeyboard();
    EXPECT_EQ(headless.keyboard.reads, reads);
}

}  // namespace
