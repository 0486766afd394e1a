// Typing text through the key snapshot: the frames each key is held and
// released, Shift, newlines, what is left out, queueing and the limit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "machine/dik.h"
#include "shell/key_typing.h"
#include "shell/shell.h"

namespace {

struct KeyTypingTest : ::testing::Test {
    void SetUp() override { resetShell(); }

    // The keys down in each of the next frames, as "A+LSHIFT" or "" per frame.
    std::string frames(int count, const uint8_t* held = nullptr)
    {
        std::string seen;
        for (int i = 0; i < count; ++i) {
            uint8_t keys[256] = {};
            if (held) std::memcpy(keys, held, sizeof keys);
            pressTypedKeys(keys);
            std::string down;
            for (int code = 0; code < 256; ++code) {
                if (!(keys[code] & 0x80)) continue;
                if (!down.empty()) down += '+';
                down += std::to_string(code);
            }
            seen += "[" + down + "]";
        }
        return seen;
    }
    static std::string key(int code) { return "[" + std::to_string(code) + "]"; }
    static std::string repeat(const std::string& frame, int times)
    {
        std::string all;
        for (int i = 0; i < times; ++i) all += frame;
        return all;
    }
};

TEST_F(KeyTypingTest, EachKeyIsHeldThreeFramesAndReleasedThree)
{
    EXPECT_EQ(queueTypedText("AB", 2), 2);
    EXPECT_EQ(frames(14), repeat(key(DIK_A), 3) + repeat("[]", 3) + repeat(key(DIK_B), 3) + repeat("[]", 5));
    EXPECT_EQ(shell.typing.count, 0);
}

TEST_F(KeyTypingTest, ShiftedLegendsHoldLeftShiftWithTheirKey)
{
    queueTypedText("\"", 1);
    // '"' is Shift and 2 on the machine.
    std::string shifted = "[" + std::to_string(DIK_2) + "+" + std::to_string(DIK_LSHIFT) + "]";
    EXPECT_EQ(frames(6), repeat(shifted, 3) + repeat("[]", 3));
}

TEST_F(KeyTypingTest, LowerCaseTypesTheLetterKeysAndNewlinesAreReturn)
{
    const char text[] = "a\r\nb\rc\n";
    EXPECT_EQ(queueTypedText(text, std::strlen(text)), 6);
    EXPECT_EQ(std::string(shell.typing.waiting, 6), "a\nb\nc\n");
    EXPECT_EQ(frames(12), repeat(key(DIK_A), 3) + repeat("[]", 3) + repeat(key(DIK_RETURN), 3) + repeat("[]", 3));
}

TEST_F(KeyTypingTest, CharactersNoKeyTypesAreLeftOut)
{
    const char text[] = "{X}\t\xC3\xA9[Y]";
    EXPECT_EQ(queueTypedText(text, std::strlen(text)), 2);
    EXPECT_EQ(std::string(shell.typing.waiting, 2), "XY");
}

TEST_F(KeyTypingTest, KeysTheUserHoldsStillCount)
{
    uint8_t held[256] = {};
    held[DIK_Q] = 0x80;
    queueTypedText("W", 1);
    std::string both = "[" + std::to_string(DIK_Q) + "+" + std::to_string(DIK_W) + "]";
    EXPECT_EQ(frames(4, held), repeat(both, 3) + key(DIK_Q));
}

TEST_F(KeyTypingTest, ANewTextQueuesAfterTheOneBeingTyped)
{
    queueTypedText("AB", 2);
    EXPECT_EQ(frames(2), repeat(key(DIK_A), 2));
    queueTypedText("C", 1);
    EXPECT_EQ(frames(16), key(DIK_A) + repeat("[]", 3) + repeat(key(DIK_B), 3) + repeat("[]", 3) +
                              repeat(key(DIK_C), 3) + repeat("[]", 3));
}

TEST_F(KeyTypingTest, TextOverTheLimitIsCutWithOneLine)
{
    std::string text(TYPING_CAPACITY - 1, '1');
    text += "23";
    testing::internal::CaptureStderr();
    EXPECT_EQ(queueTypedText(text.data(), text.size()), TYPING_CAPACITY);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(shell.typing.count, TYPING_CAPACITY);
    EXPECT_EQ(shell.typing.waiting[TYPING_CAPACITY - 1], '2');
    EXPECT_EQ(said.find("tessel: "), 0u) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;

    // Once the first character is typed there is room for one more.
    frames(KEY_FRAMES);
    testing::internal::CaptureStderr();
    EXPECT_EQ(queueTypedText("45", 2), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(shell.typing.waiting[(shell.typing.first + shell.typing.count - 1) % TYPING_CAPACITY], '4');
}

}  // namespace
