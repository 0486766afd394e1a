#include <gtest/gtest.h>

#include <cstring>

#include "machine/dik.h"
#include "shell/resources.h"
#include "tests/support/window_test.h"

namespace {

struct MainWindowTest : WindowTest {
    void command(uint16_t id) { mainWindowProc(HostEvent{.kind = HostEventKind::Command, .command = id}); }
};

TEST_F(MainWindowTest, OnlyFileLoadDoesAnything)
{
    for (const Menu& menu : headless.window.menus) {
        for (int i = 0; i < menu.itemCount; ++i) {
            std::string item = std::string(menu.title) + " > " + menu.items[i].title;
            int choosers = headless.chooser.shown;
            command(menu.items[i].command);
            EXPECT_EQ(headless.chooser.shown - choosers, item == "File > Load" ? 1 : 0) << item;
            EXPECT_EQ(vz200.processor.PC, 0x1234) << item;
            EXPECT_TRUE(headless.window.exists) << item;
        }
    }
    EXPECT_FALSE(hostEventWaiting());
}

TEST_F(MainWindowTest, ActivationSetsIsActiveAndGoingBehindForgetsTheReportedKeys)
{
    headlessSetKey(DIK_A, true);
    mainWindowProc(HostEvent{.kind = HostEventKind::Deactivated});
    EXPECT_FALSE(shell.isActive);
    mainWindowProc(HostEvent{.kind = HostEventKind::Activated});
    EXPECT_TRUE(shell.isActive);
    EXPECT_EQ(pollKeyboard()[DIK_A], 0x00);
}

TEST_F(MainWindowTest, CloseShutsDownDestroysTheWindowAndAsksToQuit)
{
    mainWindowProc(HostEvent{.kind = HostEventKind::Close});
    EXPECT_EQ(headless.keyboard.closes, 1);
    EXPECT_EQ(heldBackBuffer(), nullptr);
    EXPECT_EQ(headless.window.destroyed, 1);
    EXPECT_EQ(shell.mainWindow, nullptr);
    HostEvent quit;
    ASSERT_TRUE(takeHostEvent(quit));
    EXPECT_EQ(quit.kind, HostEventKind::Quit);
}

TEST_F(MainWindowTest, LoadAsksForAVzFileThenLoadsTheChoice)
{
    std::string path = (dir / "prog.vz").string();
    writeVz(path, 0xF1, 0x8000, {0x11, 0x22, 0x33});
    headlessAnswerChooser(path.c_str());
    command(ID_FILE_LOAD);

    const HeadlessChooser& c = headless.chooser;
    EXPECT_EQ(c.shown, 1);
    EXPECT_EQ(c.owner, shell.mainWindow);
    EXPECT_EQ(c.initialPath, "");
    ASSERT_FALSE(c.filters.empty());
    EXPECT_STREQ(c.filters[0].extension, "vz");
    // The choice comes as an event of its own, handled between frames.
    EXPECT_EQ(vz200.processor.PC, 0x1234);
    handleWaitingEvents();
    EXPECT_EQ(vz200.memoryImage[0x8000], 0x11);
    EXPECT_EQ(vz200.memoryImage[0x8002], 0x33);
    EXPECT_EQ(vz200.memoryImage[0x8003], 0xEE);
    EXPECT_EQ(vz200.processor.PC, 0x8000);
    EXPECT_STREQ(shell.programPath, path.c_str());

    // The next Load offers it again.
    headlessAnswerChooser(nullptr);
    command(ID_FILE_LOAD);
    EXPECT_EQ(headless.chooser.initialPath, path);
}

TEST_F(MainWindowTest, CancelledOrOverlongChoicesChangeNothing)
{
    std::strcpy(shell.programPath, "earlier.vz");
    headlessAnswerChooser(nullptr);
    command(ID_FILE_LOAD);
    std::string tooLong = (dir / std::string(PROGRAM_PATH_SIZE, 'x')).string();
    headlessAnswerChooser(tooLong.c_str());
    command(ID_FILE_LOAD);
    handleWaitingEvents();
    EXPECT_EQ(headless.chooser.shown, 2);
    EXPECT_EQ(vz200.processor.PC, 0x1234);
    EXPECT_EQ(vz200.memoryImage[0x8000], 0xEE);
    EXPECT_STREQ(shell.programPath, "earlier.vz");
}

TEST_F(MainWindowTest, PictureGoesToClientPositionOneOne)
{
    for (int i = 0; i < BACK_BUFFER_WIDTH * BACK_BUFFER_HEIGHT; ++i) vz200.backBuffer[i] = 0x100000u + i;
    presentScreen();
    EXPECT_EQ(headless.screen.presents, 1);
    EXPECT_EQ(headlessClientPixel(0, 0), 0x000000u);
    EXPECT_EQ(headlessClientPixel(1, 0), 0x000000u);
    EXPECT_EQ(headlessClientPixel(0, 1), 0x000000u);
    EXPECT_EQ(headlessClientPixel(1, 1), 0x100000u);
    EXPECT_EQ(headlessClientPixel(320, 240), 0x100000u + 320 * 240 - 1);
}

TEST_F(MainWindowTest, FramesNotKeptAreCountedButShowNothing)
{
    headless.keepFrames = false;
    vz200.backBuffer[0] = 0x123456u;
    presentScreen();
    EXPECT_EQ(headless.screen.presents, 1);
    EXPECT_EQ(headlessClientPixel(1, 1), headless.window.background);
    EXPECT_FALSE(headlessWriteScreenshot((dir / "none.png").string().c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.png"));
}

}  // namespace
