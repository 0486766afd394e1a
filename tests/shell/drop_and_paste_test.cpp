// Drops and the middle-click paste, as the spine takes them from its
// queue: a dropped program loads as File > Load with it would; dropped and
// pasted text is queued for typing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/events.h"
#include "shell/key_typing.h"
#include "tests/support/window_test.h"

namespace {

struct DropAndPasteTest : WindowTest {
    static void deliver() { handleWaitingEvents(); }
    static std::string typed()
    {
        const KeyTyping& t = shell.typing;
        std::string text;
        for (int i = 0; i < t.count; ++i) text += t.waiting[(t.first + i) % TYPING_CAPACITY];
        return text;
    }
};

TEST_F(DropAndPasteTest, DroppedProgramLoadsAndIsOfferedByTheNextLoad)
{
    std::string path = (dir / "dropped.vz").string();
    writeVz(path, 0xF1, 0x8000, {0x11, 0x22});
    headlessDropFile(path.c_str());
    EXPECT_EQ(vz200.processor.PC, 0x1234);  // not before the message is handled
    deliver();
    EXPECT_EQ(vz200.memoryImage[0x8000], 0x11);
    EXPECT_EQ(vz200.memoryImage[0x8001], 0x22);
    EXPECT_EQ(vz200.memoryImage[0x8002], 0xEE);
    EXPECT_EQ(vz200.processor.PC, 0x8000);
    EXPECT_EQ(headless.chooser.shown, 0);
    EXPECT_EQ(shell.typing.count, 0);

    headlessAnswerChooser(nullptr);
    headlessCommand(ID_FILE_LOAD);
    deliver();
    EXPECT_EQ(headless.chooser.initialPath, path);
}

TEST_F(DropAndPasteTest, DroppedDataOnlyFileChangesMemoryOnly)
{
    std::string path = (dir / "data.vz").string();
    writeVz(path, 0xF0, 0x8001, {0x44});
    headlessDropFile(path.c_str());
    deliver();
    EXPECT_EQ(vz200.memoryImage[0x8001], 0x44);
    EXPECT_EQ(vz200.processor.PC, 0x1234);
}

TEST_F(DropAndPasteTest, DroppedFileThatCannotBeReadChangesNothing)
{
    std::strcpy(shell.programPath, "earlier.vz");
    std::string tooLong = (dir / std::string(PROGRAM_PATH_SIZE, 'x')).string();
    std::string shortFile = (dir / "short.vz").string();
    writeFile(shortFile, {1, 2, 3});
    for (const std::string& path : {(dir / "missing.vz").string(), dir.string(), shortFile, tooLong}) {
        headlessDropFile(path.c_str());
        deliver();
        EXPECT_EQ(vz200.processor.PC, 0x1234) << path;
        EXPECT_EQ(vz200.memoryImage[0x8000], 0xEE) << path;
        EXPECT_STREQ(shell.programPath, "earlier.vz") << path;
        EXPECT_EQ(shell.typing.count, 0) << path;
    }
}

TEST_F(DropAndPasteTest, DroppedTextIsQueuedForTyping)
{
    headlessDropText("10 PRINT \"HI\"\r\n20 GOTO 10\r\n");
    deliver();
    EXPECT_EQ(typed(), "10 PRINT \"HI\"\n20 GOTO 10\n");
    EXPECT_EQ(vz200.processor.PC, 0x1234);

    headlessDropText("RUN\n");
    deliver();
    EXPECT_EQ(typed(), "10 PRINT \"HI\"\n20 GOTO 10\nRUN\n");
}

// A drop that fills the queue's text space exactly leaves no room for the
// NUL of the next text, which goes as a full queue's event would.
TEST_F(DropAndPasteTest, DropThatFillsTheTextSpaceLeavesTheQueueWhole)
{
    std::string longest(EVENT_TEXT_SPACE - 1, 'A');
    longest.back() = 'Z';
    headlessDropText(longest.c_str());
    headlessDropText("RUN");
    EXPECT_EQ(shell.events.count, 1);
    EXPECT_EQ(shell.events.textUsed, EVENT_TEXT_SPACE);

    HostEvent event;
    ASSERT_TRUE(takeHostEvent(event));
    EXPECT_EQ(event.length, longest.size());
    EXPECT_EQ(event.text, longest);
    EXPECT_FALSE(takeHostEvent(event));

    headlessDropText("RUN");
    ASSERT_TRUE(takeHostEvent(event));
    EXPECT_STREQ(event.text, "RUN");
}

TEST_F(DropAndPasteTest, MiddleClickOnThePictureTypesThePastedText)
{
    headlessSetPastedText("list");
    headlessMiddleClick(1, 1);
    deliver();
    EXPECT_EQ(typed(), "list");
    headlessMiddleClick(320, 240);
    deliver();
    EXPECT_EQ(typed(), "listlist");
    EXPECT_EQ(headless.paste.opened, 2);
    EXPECT_EQ(headless.paste.closed, 2);
}

TEST_F(DropAndPasteTest, MiddleClickBesideThePictureOrWithNothingToPasteTypesNothing)
{
    headlessSetPastedText("x");
    for (auto [x, y] : {std::pair{0, 1}, {1, 0}, {321, 100}, {100, 241}, {-5, -5}}) headlessMiddleClick(x, y);
    deliver();
    EXPECT_EQ(headless.paste.opened, 0);

    headlessSetPastedText(nullptr);
    headlessMiddleClick(100, 100);
    deliver();
    EXPECT_EQ(headless.paste.closed, 0);
    EXPECT_EQ(shell.typing.count, 0);
}

}  // namespace
