// The open ROM on the real processor and machine bus: keys go in through the
// keyboard matrix, results are read from the text screen and memory.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "machine/character_set.h"
#include "machine/key_table.h"
#include "machine/vz200.h"
#include "rom/open_rom.h"

namespace {

constexpr int HOLD_FRAMES = 3;
constexpr uint8_t NORMAL_TEXT = 0x40;  // the cursor's inverse cell reads as the normal one
constexpr int GAP_FRAMES = 2;

class OpenRom : public ::testing::Test {
protected:
    Z80State& cpu = vz200.processor;

    void SetUp() override
    {
        clearMachine();
        powerOnMachine(nullptr, nullptr);  // the open ROM, whatever machine files the folder may hold
        vz200.outputLatch = 0xFF;
        releaseKeys();
        runFrames(5);
    }

    void runFrames(int frames)
    {
        for (int i = 0; i < frames; ++i) runMachineFrame(nullptr);
    }

    static void releaseKeys() { vz200.keyboardMatrix = idleKeyboardRows(); }

    static void press(int row, int bit) { vz200.keyboardMatrix.rows[row] &= static_cast<uint8_t>(~(1u << bit)); }

    // Holds the key of a legend through the keyboard matrix, with Shift
    // where the legend needs it or shift asks, and Ctrl where ctrl asks.
    void hold(char legend, int frames, bool shift = false, bool ctrl = false)
    {
        TypedKey typed{};
        ASSERT_TRUE(keyForCharacter(legend, typed)) << "no key for '" << legend << "'";
        uint8_t keys[HOST_KEY_COUNT] = {};
        keys[typed.keyCode] = HOST_KEY_DOWN;
        if (shift || typed.shift) keys[DIK_LSHIFT] = HOST_KEY_DOWN;
        if (ctrl) keys[DIK_LCONTROL] = HOST_KEY_DOWN;
        rebuildKeyboardMatrix(vz200.keyboardMatrix, keys);
        runFrames(frames);
        releaseKeys();
        runFrames(GAP_FRAMES);
    }

    // Types text as a person would; '\n' is Return.
    void type(const std::string& text)
    {
        for (char c : text) hold(c, HOLD_FRAMES);
    }

    void backspace() { hold('M', HOLD_FRAMES, false, true); }

    // A text row without trailing spaces; the blinking cursor is read as the
    // character under it.
    static std::string row(int index)
    {
        std::string text;
        for (int column = 0; column < SCREEN_COLUMNS; ++column) {
            text += screenCharacter(vz200.memoryImage[VIDEO_MEMORY + SCREEN_COLUMNS * index + column] | NORMAL_TEXT);
        }
        return text.erase(text.find_last_not_of(' ') + 1);
    }

    static std::string screen()
    {
        std::string text;
        for (int i = 0; i < TEXT_ROWS; ++i) text += row(i) + "\n";
        return text;
    }

    // The row of the last prompt, where typing goes.
    static int promptRow()
    {
        for (int i = TEXT_ROWS - 1; i >= 0; --i) {
            if (!row(i).empty() && row(i)[0] == '>') return i;
        }
        return -1;
    }

    static std::string inputLine() { return promptRow() < 0 ? "" : row(promptRow()); }

    // Types a command with Return and gives the rows it printed.
    std::string command(const std::string& text)
    {
        type(text + "\n");
        runFrames(5);
        std::string echo = '>' + text;
        echo.erase(echo.find_last_not_of(' ') + 1);
        int end = promptRow();
        int start = end - 1;
        while (start > 0 && row(start) != echo) --start;
        std::string output;
        for (int i = start + 1; i < end; ++i) output += row(i) + "\n";
        return output;
    }

    static uint8_t cursorCell() { return vz200.memoryImage[VIDEO_MEMORY + SCREEN_COLUMNS * promptRow() + inputLine().size()]; }
};

TEST_F(OpenRom, BootsToBannerAndPrompt)
{
    EXPECT_EQ(row(0), "TESSEL OPEN ROM 1.0");
    std::string text = screen();
    EXPECT_NE(text.find("OPEN REPLACEMENT ROM"), std::string::npos) << text;
    EXPECT_NE(text.find("NOT\nTHE VZ200/VZ300 SYSTEM ROM."), std::string::npos) << text;
    EXPECT_EQ(inputLine(), ">");
    EXPECT_EQ(vz200.outputLatch & LATCH_GRAPHICS, 0);
    EXPECT_TRUE(cpu.interruptFlags & IM1);
    EXPECT_EQ(cpu.PC, 0x0038);  // every frame ends in the frame interrupt, mode 1
    EXPECT_GE(cpu.SP, 0x7800);  // the stack can only live in RAM
}

TEST_F(OpenRom, CursorBlinksAfterThePrompt)
{
    bool seenLit = false, seenDark = false;
    for (int i = 0; i < 50; ++i) {
        runFrames(1);
        uint8_t cell = vz200.memoryImage[VIDEO_MEMORY + SCREEN_COLUMNS * promptRow() + 1];
        seenLit |= cell == 0x20;   // an inverse space
        seenDark |= cell == 0x60;  // a normal one
        ASSERT_TRUE(cell == 0x60 || cell == 0x20) << int(cell);
    }
    EXPECT_TRUE(seenLit && seenDark);
}

TEST_F(OpenRom, HeldKeyGivesOneCharacterUntilItRepeats)
{
    hold('A', 3);
    EXPECT_EQ(inputLine(), ">A");
    hold('B', 20);
    EXPECT_EQ(inputLine(), ">AB");
    hold('B', 1);
    EXPECT_EQ(inputLine(), ">ABB");
    hold('C', 100);  // two seconds: the key repeats
    std::string line = inputLine();
    EXPECT_GT(line.size(), 6u) << line;
    EXPECT_EQ(line.find_first_not_of('C', 4), std::string::npos) << line;
}

TEST_F(OpenRom, RolledOverKeysTypeOnceEach)
{
    press(7, 0);  // H down...
    runFrames(2);
    press(1, 4);  // ...A down while H is held (A comes first in the scan)
    runFrames(2);
    releaseKeys();
    press(7, 0);  // A up, H still down
    runFrames(2);
    releaseKeys();
    runFrames(2);
    EXPECT_EQ(inputLine(), ">HA");
}

TEST_F(OpenRom, KeyDownThroughResetTypesNothing)
{
    press(1, 4);  // A
    resetProcessor(cpu);
    runFrames(5);
    releaseKeys();
    runFrames(5);
    EXPECT_EQ(inputLine(), ">");
}

TEST_F(OpenRom, EchoesEveryLegend)
{
    type("THE QUICK BROWN FOX JUMPS");
    EXPECT_EQ(inputLine(), ">THE QUICK BROWN FOX JUMPS");
    type("\n");
    type("OVER LAZY DOG 0123456789");
    EXPECT_EQ(inputLine(), ">OVER LAZY DOG 0123456789");
    type("\n");
    type(",.;:-");
    EXPECT_EQ(inputLine(), ">,.;:-");
    type("\n");
    type("!\"#$%&'()@+*=<>/?");
    EXPECT_EQ(inputLine(), ">!\"#$%&'()@+*=<>/?");
}

TEST_F(OpenRom, ShiftWithOtherKeysAndCtrlCombinations)
{
    hold('A', 3, true);
    hold(' ', 3, true);
    hold('Q', 3, true);
    EXPECT_EQ(inputLine(), ">A Q");
    // Ctrl with anything but M (the host's cursor keys) types nothing.
    hold(',', 3, false, true);
    hold('.', 3, false, true);
    hold(' ', 3, false, true);
    hold('L', 3, false, true);
    hold(';', 3, false, true);
    hold(':', 3, false, true);
    // Shift or Ctrl alone neither.
    press(SHIFT_ROW, SHIFT_BIT);
    press(CTRL_ROW, CTRL_BIT);
    runFrames(3);
    releaseKeys();
    runFrames(2);
    EXPECT_EQ(inputLine(), ">A Q");
}

TEST_F(OpenRom, BackspaceTakesBackCharactersButNotThePrompt)
{
    type("ABC");
    backspace();
    EXPECT_EQ(inputLine(), ">AB");
    EXPECT_EQ(cursorCell() & 0xBF, 0x20);  // the cursor moved back onto a blank cell
    for (int i = 0; i < 4; ++i) backspace();
    EXPECT_EQ(inputLine(), ">");
    type("X");
    EXPECT_EQ(inputLine(), ">X");
}

TEST_F(OpenRom, LineStopsAtTheRightEdge)
{
    int before = promptRow();
    type(std::string(35, 'W'));
    EXPECT_EQ(promptRow(), before);
    std::string expected(31, 'W');
    expected[0] = '>';
    EXPECT_EQ(inputLine(), expected);
}

TEST_F(OpenRom, ReturnScrollsAtTheBottom)
{
    type("A\n");  // an unknown command: an error line, then the prompt
    for (int i = 0; i < 20; ++i) type("\n");
    EXPECT_EQ(promptRow(), TEXT_ROWS - 1);
    for (int i = 0; i < TEXT_ROWS; ++i) EXPECT_EQ(row(i), ">") << screen();
    type("Z");
    EXPECT_EQ(row(TEXT_ROWS - 1), ">Z");
}

TEST_F(OpenRom, ScrollingKeepsTheRowsAbove)
{
    for (int i = 0; i < 20; ++i) type(std::string("P").append(std::to_string(i)).append("\n"));  // each: WHAT?
    EXPECT_EQ(row(TEXT_ROWS - 1), ">") << screen();
    EXPECT_EQ(row(TEXT_ROWS - 2), "WHAT?");
    EXPECT_EQ(row(TEXT_ROWS - 3), ">P19");
    EXPECT_EQ(row(TEXT_ROWS - 4), "WHAT?");
    EXPECT_EQ(row(TEXT_ROWS - 5), ">P18");
    EXPECT_EQ(row(1), ">P13");
    EXPECT_EQ(row(0), "WHAT?");
}

TEST_F(OpenRom, UnknownCommandsAndBadNumbersAreRefused)
{
    EXPECT_EQ(command("Q"), "WHAT?\n");
    EXPECT_EQ(command("DUMP"), "WHAT?\n");
    EXPECT_EQ(command("D 12345"), "WHAT?\n");
    EXPECT_EQ(command("D 12G"), "WHAT?\n");
    EXPECT_EQ(command("D 10 20"), "WHAT?\n");
    EXPECT_EQ(command("G"), "WHAT?\n");
    EXPECT_EQ(command("M"), "WHAT?\n");
    EXPECT_EQ(command("M 8000 100"), "WHAT?\n");
    EXPECT_EQ(command("C 2"), "WHAT?\n");
    EXPECT_EQ(command(""), "");
    EXPECT_EQ(command("   "), "");
}

TEST_F(OpenRom, DumpShowsMemoryAndGoesOn)
{
    for (int i = 0; i < 128; ++i) vz200.memoryImage[0x8000 + i] = static_cast<uint8_t>(i * 3);
    std::string expected;
    for (int line = 0; line < 8; ++line) {
        char text[40];
        int n = std::snprintf(text, sizeof text, "%04X", 0x8000 + 8 * line);
        for (int i = 0; i < 8; ++i) n += std::snprintf(text + n, sizeof text - n, " %02X", (8 * line + i) * 3 & 0xFF);
        expected += std::string(text) + "\n";
    }
    EXPECT_EQ(command("D 8000"), expected);
    std::string next = command("D");
    EXPECT_EQ(next.substr(0, 8), "8040 C0 ") << next;

    std::string rom = command("D0");
    char first[40];
    std::snprintf(first, sizeof first, "0000 %02X %02X %02X %02X %02X %02X %02X %02X", openRomImage[0], openRomImage[1],
                  openRomImage[2], openRomImage[3], openRomImage[4], openRomImage[5], openRomImage[6], openRomImage[7]);
    EXPECT_EQ(rom.substr(0, rom.find('\n')), first);
}

TEST_F(OpenRom, ModifyWritesBytesToRamOnly)
{
    EXPECT_EQ(command("M 9000 12 AB 3 FF"), "");
    EXPECT_EQ(vz200.memoryImage[0x9000], 0x12);
    EXPECT_EQ(vz200.memoryImage[0x9001], 0xAB);
    EXPECT_EQ(vz200.memoryImage[0x9002], 0x03);
    EXPECT_EQ(vz200.memoryImage[0x9003], 0xFF);
    EXPECT_EQ(vz200.memoryImage[0x9004], 0x00);
    EXPECT_EQ(command("M 100 55"), "");  // the ROM area ignores writes
    EXPECT_EQ(vz200.memoryImage[0x100], openRomImage[0x100]);
    EXPECT_EQ(command("M 9010 1 X 3"), "WHAT?\n");  // bytes up to the bad one are written
    EXPECT_EQ(vz200.memoryImage[0x9010], 0x01);
    EXPECT_EQ(vz200.memoryImage[0x9011], 0x00);
}

TEST_F(OpenRom, GoCallsAProgramThatReturnsToThePrompt)
{
    // LD A,41h; LD (8000h),A; RET
    EXPECT_EQ(command("M 9000 3E 41 32 00 80 C9"), "");
    EXPECT_EQ(command("G 9000"), "");
    EXPECT_EQ(vz200.memoryImage[0x8000], 0x41);
    type("D");
    EXPECT_EQ(inputLine(), ">D");  // still listening to the keyboard
}

TEST_F(OpenRom, ColourTestCardShowsTheFourColoursUntilAKey)
{
    type("C\n");
    runFrames(3);
    EXPECT_EQ(vz200.outputLatch & (LATCH_GRAPHICS | LATCH_COLOR_SET), LATCH_GRAPHICS);
    for (int line = 0; line < 64; ++line) {
        for (int column = 0; column < 32; ++column) {
            static const uint8_t bars[4] = {0x00, 0x55, 0xAA, 0xFF};  // colours 0, 1, 2, 3
            uint8_t expected = bars[column / 8];
            if (line == 0 || line == 63) expected = 0xFF;  // framed in colour 3
            if (column == 0) expected |= 0xC0;
            if (column == 31) expected |= 0x03;
            ASSERT_EQ(vz200.memoryImage[VIDEO_MEMORY + 32 * line + column], expected) << line << " " << column;
        }
    }
    runFrames(20);  // the Return that started it does not end it
    EXPECT_EQ(vz200.outputLatch & LATCH_GRAPHICS, LATCH_GRAPHICS);
    type("X");
    EXPECT_EQ(vz200.outputLatch & LATCH_GRAPHICS, 0);
    EXPECT_EQ(row(0), ">");
    for (int i = 1; i < TEXT_ROWS; ++i) EXPECT_EQ(row(i), "");

    type("C 1\n");
    runFrames(3);
    EXPECT_EQ(vz200.outputLatch & (LATCH_GRAPHICS | LATCH_COLOR_SET), LATCH_GRAPHICS | LATCH_COLOR_SET);
    type(" ");
    EXPECT_EQ(vz200.outputLatch & (LATCH_GRAPHICS | LATCH_COLOR_SET), 0);
}

}  // namespace
