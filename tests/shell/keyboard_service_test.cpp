#include <gtest/gtest.h>

#include "machine/dik.h"
#include "shell/foreground_keyboard.h"
#include "shell/key_typing.h"
#include "shell/main_window.h"
#include "tests/support/shell_reset.h"

namespace {

constexpr uint8_t ROW1_A = 0x10;  // row 1, bit 4

struct KeyboardServiceTest : ::testing::Test {
    void SetUp() override
    {
        resetShell();
        ASSERT_TRUE(createMainWindow(nullptr, 1));
        ASSERT_EQ(initHostKeyboard(mainWindow), 0);
    }
    void TearDown() override { releaseHostKeyboard(); }
};

TEST_F(KeyboardServiceTest, OpeningDoesNotAcquireTheFirstPollDoes)
{
    EXPECT_FALSE(foregroundKeyboard.acquired);
    headlessSetKey(DIK_A, true);
    rebuildKeyboardMatrix(vz200.keyboardMatrix, pollKeyboard());
    // The first read fails and re-acquires; the second one reads.
    EXPECT_EQ(headless.keyboard.reads, 2);
    EXPECT_EQ(headless.keyboard.failedReads, 1);
    EXPECT_EQ(headless.keyboard.acquires, 1);
    EXPECT_EQ(vz200.keyboardMatrix.rows[1], 0x3F & ~ROW1_A);
}

TEST_F(KeyboardServiceTest, LostInputIsReacquiredAndReadAtTheSamePoll)
{
    rebuildKeyboardMatrix(vz200.keyboardMatrix, pollKeyboard());
    loseForegroundKeyboard();
    headlessSetKey(DIK_A, true);
    EXPECT_EQ(readHostKeyState(), 0);
    EXPECT_EQ(hostKeyState[DIK_A], 0x00);  // this call only re-acquired
    EXPECT_EQ(readHostKeyState(), 0);
    EXPECT_EQ(hostKeyState[DIK_A], 0x80);
}

TEST_F(KeyboardServiceTest, WhileAnotherApplicationIsInFrontReadsGiveUpAndKeepTheLastState)
{
    headlessSetKey(DIK_A, true);
    rebuildKeyboardMatrix(vz200.keyboardMatrix, pollKeyboard());
    headlessSetActive(false);
    headlessSetKey(DIK_A, false);
    int acquiresBefore = headless.keyboard.acquires;

    EXPECT_EQ(readHostKeyState(), DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(headless.keyboard.acquires - acquiresBefore, ACQUIRE_ATTEMPTS);
    EXPECT_EQ(hostKeyState[DIK_A], 0x80);

    // Back in front: the next poll re-acquires and sees the key released.
    headless.active = true;
    rebuildKeyboardMatrix(vz200.keyboardMatrix, pollKeyboard());
    EXPECT_EQ(hostKeyState[DIK_A], 0x00);
    EXPECT_EQ(vz200.keyboardMatrix.rows[1], 0x3F);
}

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
        EXPECT_EQ(hostKeyState[DIK_X], 0x00);
    }
    EXPECT_EQ(keyTyping.count, 0);
}

TEST_F(KeyboardServiceTest, ReleasingTwiceReleasesOnce)
{
    EXPECT_EQ(releaseHostKeyboard(), 0);
    EXPECT_EQ(releaseHostKeyboard(), 0);
    EXPECT_EQ(keyboardDevice, nullptr);
    EXPECT_EQ(headless.keyboard.releases, 1);
    EXPECT_EQ(headless.keyboard.unacquires, 1);
}

TEST_F(KeyboardServiceTest, WithoutADeviceNothingReachesTheHost)
{
    releaseHostKeyboard();
    HeadlessKeyboard before = headless.keyboard;
    EXPECT_EQ(setKeyboardAcquired(), 1);
    EXPECT_EQ(readHostKeyState(), 0);
    rebuildKeyboardMatrix(vz200.keyboardMatrix, pollKeyboard());
    EXPECT_EQ(headless.keyboard.reads, before.reads);
    EXPECT_EQ(headless.keyboard.acquires, before.acquires);
    EXPECT_EQ(headless.keyboard.unacquires, before.unacquires);
}

}  // namespace
