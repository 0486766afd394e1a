// Runs alone in its process: nothing may have touched the machine yet.
#include <gtest/gtest.h>

#include "machine/bus.h"
#include "machine/keyboard_matrix.h"
#include "machine/loaders.h"

TEST(MachineStart, EverythingStartsAtZeroAndTheKeyboardReadsPressed)
{
    for (uint8_t row : keyboardMatrix.rows) EXPECT_EQ(row, 0x00);
    // Before the first keyboard update every key reads as pressed.
    EXPECT_EQ(readKeyboardWindow(0x68FE), 0x00);
    EXPECT_EQ(memRead(0x6800), 0x00);
    EXPECT_EQ(outputLatch, 0x00);
    for (int a = 0; a < MEMORY_SIZE; ++a) ASSERT_EQ(memoryImage[a], 0) << a;
    for (uint8_t b : fontImage) ASSERT_EQ(b, 0);
}
