#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>

#include "machine/bus.h"
#include "machine/keyboard.h"
#include "machine/keyboard_matrix.h"

namespace {

using Rows = std::array<uint8_t, 8>;

// Positions 0 bit 2, 3 bit 2 and 4 bit 2 have no key and stay 0 from the start.
constexpr Rows IDLE = {0x3B, 0x3F, 0x3F, 0x3B, 0x3B, 0x3F, 0x3F, 0x3F};

class KeyboardTest : public ::testing::Test {
protected:
    uint8_t keys[HOST_KEY_COUNT] = {};

    void SetUp() override { std::memset(keyboardMatrix.rows, 0, sizeof keyboardMatrix.rows); }

    Rows update()
    {
        rebuildKeyboardMatrix(keys);
        Rows rows;
        std::memcpy(rows.data(), keyboardMatrix.rows, rows.size());
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
    EXPECT_EQ(readKeyboardWindow(0x68FE), 0x3B);
    EXPECT_EQ(readKeyboardWindow(0x68FF), 0xFF);
}

TEST_F(KeyboardTest, OnlyMappedBitsAreWritten)
{
    std::memset(keyboardMatrix.rows, 0xFF, sizeof keyboardMatrix.rows);
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

TEST_F(KeyboardTest, EveryPlainKeyPressesItsOwnPositionOnly)
{
    std::set<std::pair<int, int>> positions;
    for (const MatrixKey& key : matrixKeyTable) {
        Rows expected = IDLE;
        expected[key.row] = static_cast<uint8_t>(expected[key.row] & ~(1u << key.bit));
        EXPECT_EQ(updateWith({key.keyCode}), expected) << "key " << int(key.keyCode);
        positions.insert({key.row, key.bit});
    }
    EXPECT_EQ(positions.size(), 45u);
}

TEST_F(KeyboardTest, TableRunsRowByRowFromBit5Down)
{
    for (int i = 1; i < MATRIX_KEY_COUNT; ++i) {
        const MatrixKey& a = matrixKeyTable[i - 1];
        const MatrixKey& b = matrixKeyTable[i];
        EXPECT_TRUE(a.row < b.row || (a.row == b.row && a.bit > b.bit)) << "entry " << i;
    }
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
    std::set<int> mapped;
    for (const MatrixKey& key : matrixKeyTable) mapped.insert(key.keyCode);
    for (const ControlCombo& combo : controlComboTable) mapped.insert(combo.keyCode);
    for (uint8_t code : {DIK_RSHIFT, DIK_RCONTROL, DIK_F1, DIK_NUMPAD2, DIK_NUMPAD4, DIK_NUMPAD6, DIK_NUMPAD8}) {
        EXPECT_EQ(mapped.count(code), 0u) << "key " << int(code);
    }
    for (int code = 0; code < HOST_KEY_COUNT; ++code) {
        if (mapped.count(code)) continue;
        EXPECT_EQ(updateWith({static_cast<uint8_t>(code)}), IDLE) << "key " << code;
    }
}

}  // namespace
