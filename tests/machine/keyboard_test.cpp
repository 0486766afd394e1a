#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <utility>

#include "machine/bus.h"
#include "machine/key_table.h"
#include "machine/keyboard.h"
#include "machine/vz200.h"

namespace {

using Rows = std::array<uint8_t, 8>;

// Positions 0 bit 2, 3 bit 2 and 4 bit 2 have no key and stay 0 from the start.
constexpr Rows IDLE = {0x3B, 0x3F, 0x3F, 0x3B, 0x3B, 0x3F, 0x3F, 0x3F};

class KeyboardTest : public ::testing::Test {
protected:
    uint8_t keys[HOST_KEY_COUNT] = {};

    void SetUp() override { std::memset(vz200.keyboardMatrix.rows, 0, sizeof vz200.keyboardMatrix.rows); }

    Rows update()
    {
        rebuildKeyboardMatrix(vz200.keyboardMatrix, keys);
        Rows rows;
        std::memcpy(rows.data(), vz200.keyboardMatrix.rows, rows.size());
        return rows;
    }

    Rows updateWith(std::initializer_list<uint8_t> down)
    {
        std::memset(keys, 0, sizeof keys);
        for (uint8_t code : down) keys[code] = HOST_KEY_DOWN;
        return update();
    }
};

TEST_F(KeyboardTest, NoKeyDownReleasesEveryMappedPosition)
{
    EXPECT_EQ(update(), IDLE);
    EXPECT_EQ(readKeyboardWindow(vz200.keyboardMatrix, 0x68FE), 0x3B);
    EXPECT_EQ(readKeyboardWindow(vz200.keyboardMatrix, 0x68FF), 0xFF);
}

TEST_F(KeyboardTest, OnlyMappedBitsAreWritten)
{
    std::memset(vz200.keyboardMatrix.rows, 0xFF, sizeof vz200.keyboardMatrix.rows);
    Rows all;
    all.fill(0xFF);
    EXPECT_EQ(update(), all);  // bits 6, 7 and the keyless positions keep their 1s
}

TEST_F(KeyboardTest, OnlyBit7OfTheKeyStateMeansDown)
{
    keys[DIK_A] = 0x7F;
    EXPECT_EQ(update(), IDLE);
    keys[DIK_A] = 0x80;
    EXPECT_EQ(update()[1], 0x2F);
}

// The machine's keyboard, row by row from bit 5 down to bit 0, with the
// host key (DirectInput code) on each position; 0 where there is none.
constexpr uint8_t KEYBOARD_GRID[8][6] = {
    {0x13, 0x10, 0x12, 0x00, 0x11, 0x14},  // R Q E - W T
    {0x21, 0x1E, 0x20, 0x1D, 0x1F, 0x22},  // F A D Ctrl S G
    {0x2F, 0x2C, 0x2E, 0x2A, 0x2D, 0x30},  // V Z C Shift X B
    {0x05, 0x02, 0x04, 0x00, 0x03, 0x06},  // 4 1 3 - 2 5
    {0x32, 0x39, 0x33, 0x00, 0x34, 0x31},  // M space , - . N
    {0x08, 0x0B, 0x09, 0x0C, 0x0A, 0x07},  // 7 0 8 - 9 6
    {0x16, 0x19, 0x17, 0x1C, 0x18, 0x15},  // U P I Return O Y
    {0x24, 0x27, 0x25, 0x28, 0x26, 0x23},  // J ; K : L H
};

TEST_F(KeyboardTest, EachHostKeyPressesItsPositionOnly)
{
    int keys = 0;
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 6; ++column) {
            uint8_t code = KEYBOARD_GRID[row][column];
            if (code == 0) continue;
            int bit = 5 - column;
            Rows expected = IDLE;
            expected[row] = static_cast<uint8_t>(expected[row] & ~(1u << bit));
            EXPECT_EQ(updateWith({code}), expected) << "key " << int(code);
            ++keys;
        }
    }
    EXPECT_EQ(keys, MATRIX_KEY_COUNT);
}

TEST_F(KeyboardTest, KeysFromTheMachinesLegend)
{
    EXPECT_EQ(updateWith({DIK_A})[1], 0x2F);
    EXPECT_EQ(updateWith({DIK_LCONTROL})[1], 0x3B);
    EXPECT_EQ(updateWith({DIK_LSHIFT})[2], 0x3B);
    EXPECT_EQ(updateWith({DIK_RETURN})[6], 0x3B);
    EXPECT_EQ(updateWith({DIK_APOSTROPHE})[7], 0x3B);  // the machine's colon
    EXPECT_EQ(updateWith({DIK_MINUS})[5], 0x3B);
    EXPECT_EQ(updateWith({DIK_T})[0], 0x3A);
    EXPECT_EQ(updateWith({DIK_4})[3], 0x1B);
}

TEST_F(KeyboardTest, LeftArrowAndBackspaceAreCtrlM)
{
    for (uint8_t code : {DIK_LEFT, DIK_BACK}) {
        Rows rows = updateWith({code});
        EXPECT_EQ(rows[4], 0x1B);
        EXPECT_EQ(rows[1], 0x3B);
    }
}

TEST_F(KeyboardTest, EachCombinationIsCtrlWithItsKey)
{
    const std::pair<uint8_t, uint8_t> combos[] = {
        {DIK_LEFT, DIK_M},    {DIK_BACK, DIK_M},        {DIK_RIGHT, DIK_COMMA},
        {DIK_UP, DIK_PERIOD}, {DIK_DOWN, DIK_SPACE},    {DIK_INSERT, DIK_L},
        {DIK_DELETE, DIK_SEMICOLON}, {DIK_END, DIK_APOSTROPHE},
    };
    for (auto [combo, plain] : combos) {
        EXPECT_EQ(updateWith({combo}), updateWith({plain, DIK_LCONTROL})) << "key " << int(combo);
    }
}

TEST_F(KeyboardTest, ReleasedCombinationLeavesThePlainKeyPressed)
{
    updateWith({DIK_RIGHT, DIK_COMMA});
    Rows rows = updateWith({DIK_COMMA});
    EXPECT_EQ(rows[4], 0x33);  // comma still down
    EXPECT_EQ(rows[1], 0x3F);  // Ctrl up again

    updateWith({DIK_RIGHT, DIK_COMMA, DIK_LCONTROL});
    rows = updateWith({DIK_COMMA, DIK_LCONTROL});
    EXPECT_EQ(rows[4], 0x33);
    EXPECT_EQ(rows[1], 0x3B);  // left Ctrl holds it

    EXPECT_EQ(updateWith({}), IDLE);
}

TEST_F(KeyboardTest, KeysOutsideTheTablesChangeNothing)
{
    std::set<int> mapped = {DIK_LEFT, DIK_BACK, DIK_RIGHT, DIK_UP, DIK_DOWN, DIK_INSERT, DIK_DELETE, DIK_END};
    for (const auto& row : KEYBOARD_GRID) {
        for (uint8_t code : row) {
            if (code != 0) mapped.insert(code);
        }
    }
    for (uint8_t code : {DIK_RSHIFT, DIK_RCONTROL, DIK_F1, DIK_NUMPAD2, DIK_NUMPAD4, DIK_NUMPAD6, DIK_NUMPAD8}) {
        EXPECT_EQ(mapped.count(code), 0u) << "key " << int(code);
    }
    for (int code = 0; code < HOST_KEY_COUNT; ++code) {
        if (mapped.count(code)) continue;
        EXPECT_EQ(updateWith({static_cast<uint8_t>(code)}), IDLE) << "key " << code;
    }
}

}  // namespace
