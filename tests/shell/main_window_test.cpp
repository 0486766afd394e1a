#include <gtest/gtest.h>

#include "shell/foreground_keyboard.h"
#include "tests/support/window_test.h"

namespace {

struct MainWindowTest : WindowTest {
    intptr_t send(uint32_t message, uintptr_t wParam) { return mainWindowProc(mainWindow, message, wParam, 0); }
};

TEST_F(MainWindowTest, WindowHasItsTitlePictureAndMenus)
{
    const HeadlessWindow& w = headless.window;
    EXPECT_EQ(w.title, "Tessel - VZ200/300 Emulator");
    EXPECT_EQ(w.className, "Tessel - VZ200/300 Emulator");
    EXPECT_EQ(w.shown, 1);
    EXPECT_EQ(w.pictureWidth, 320);
    EXPECT_EQ(w.pictureHeight, 240);
    EXPECT_EQ(w.pictureX, 1);
    EXPECT_EQ(w.pictureY, 1);

    // The menus as the user reads them.
    std::string menus;
    for (const Menu& menu : w.menus) {
        menus += std::string(menu.title) + ":";
        for (int i = 0; i < menu.itemCount; ++i) menus.append(" ").append(menu.items[i].title);
        menus += "; ";
    }
    EXPECT_EQ(menus, "File: Load Save Exit; Options: Sound Graphics Keyboard Joysticks Memory; Help: About; ");
}

TEST_F(MainWindowTest, OnlyFileLoadDoesAnything)
{
    for (const Menu& menu : headless.window.menus) {
        for (int i = 0; i < menu.itemCount; ++i) {
            std::string item = std::string(menu.title) + " > " + menu.items[i].title;
            int dialogs = headless.openDialog.shown;
            int passedOn = headless.defaultHandled;
            send(WM_COMMAND, menu.items[i].commandId);
            EXPECT_EQ(headless.openDialog.shown - dialogs, item == "File > Load" ? 1 : 0) << item;
            EXPECT_EQ(headless.defaultHandled - passedOn, 1) << item;
            EXPECT_EQ(vz200.processor.PC, 0x1234) << item;
        }
    }
}

TEST_F(MainWindowTest, ActivationWhileShowingFindsNoKeyboard)
{
    // Showing the window sent WM_ACTIVATEAPP before the keyboard was opened.
    EXPECT_NE(headless.log.find("S1C "), std::string::npos);
    EXPECT_TRUE(isActive);
    EXPECT_EQ(headless.keyboard.acquires, 0);
}

TEST_F(MainWindowTest, ActivationSwitchesTheKeyboardAndIsNotPassedOn)
{
    EXPECT_EQ(send(WM_ACTIVATEAPP, 0), 1);
    EXPECT_FALSE(isActive);
    EXPECT_EQ(headless.keyboard.unacquires, 1);
    EXPECT_EQ(send(WM_ACTIVATEAPP, 7), 1);
    EXPECT_TRUE(isActive);
    EXPECT_TRUE(foregroundKeyboard.acquired);
    EXPECT_EQ(headless.defaultHandled, 0);
}

TEST_F(MainWindowTest, DestroyShutsDownAndAsksToQuit)
{
    EXPECT_EQ(send(WM_DESTROY, 0), 0);
    EXPECT_EQ(headless.keyboard.releases, 1);
    EXPECT_EQ(keyboardDevice, nullptr);
    EXPECT_EQ(heldBackBuffer(), nullptr);
    ASSERT_EQ(headless.queue.size(), 1u);
    EXPECT_EQ(headless.queue.front().message, WM_QUIT);
    EXPECT_EQ(headless.queue.front().wParam, 0u);
    EXPECT_EQ(headless.defaultHandled, 0);
}

TEST_F(MainWindowTest, LoadAsksForAVzFileThenLoadsIt)
{
    std::string path = (dir / "prog.vz").string();
    writeVz(path, 0xF1, 0x8000, {0x11, 0x22, 0x33});
    headlessAnswerOpenDialog(path.c_str());

    // The high half of wParam carries the notification code, not the id.
    send(WM_COMMAND, (1u << 16) | ID_FILE_LOAD);

    const HeadlessOpenDialog& d = headless.openDialog;
    EXPECT_EQ(d.shown, 1);
    EXPECT_EQ(d.owner, mainWindow);
    EXPECT_EQ(d.title, "Open VZ File");
    EXPECT_EQ(d.filters, std::string("VZ Files\0*.vz\0All Files\0*.*\0", 29));
    EXPECT_EQ(d.filterIndex, 1);
    EXPECT_EQ(d.pathSize, 260);
    EXPECT_EQ(d.flags, 0x1004u);
    EXPECT_EQ(d.defaultExtension, "vz");
    EXPECT_EQ(d.offeredPath, "");

    EXPECT_EQ(vz200.memoryImage[0x8000], 0x11);
    EXPECT_EQ(vz200.memoryImage[0x8002], 0x33);
    EXPECT_EQ(vz200.memoryImage[0x8003], 0xEE);
    EXPECT_EQ(vz200.processor.PC, 0x8000);
    EXPECT_STREQ(programPath, path.c_str());
    // The command goes on to the default procedure afterwards.
    EXPECT_EQ(headless.defaultHandled, 1);
}

TEST_F(MainWindowTest, CancelledLoadChangesNothing)
{
    std::strcpy(programPath, "earlier.vz");
    headlessAnswerOpenDialog(nullptr);
    send(WM_COMMAND, ID_FILE_LOAD);
    EXPECT_EQ(headless.openDialog.shown, 1);
    EXPECT_EQ(vz200.processor.PC, 0x1234);
    EXPECT_EQ(vz200.memoryImage[0x8000], 0xEE);
    EXPECT_STREQ(programPath, "earlier.vz");
}

TEST_F(MainWindowTest, SecondLoadOffersTheFirstPath)
{
    std::string path = (dir / "data.vz").string();
    writeVz(path, 0xF0, 0x8000, {0x44});
    headlessAnswerOpenDialog(path.c_str());
    send(WM_COMMAND, ID_FILE_LOAD);
    EXPECT_EQ(vz200.memoryImage[0x8000], 0x44);
    EXPECT_EQ(vz200.processor.PC, 0x1234);  // data only

    headlessAnswerOpenDialog(nullptr);
    send(WM_COMMAND, ID_FILE_LOAD);
    EXPECT_EQ(headless.openDialog.shown, 2);
    EXPECT_EQ(headless.openDialog.offeredPath, path);
}

TEST_F(MainWindowTest, OtherCommandsOnlyReachTheDefaultProcedure)
{
    headlessAnswerOpenDialog((dir / "never.vz").string().c_str());
    const uintptr_t others[] = {ID_FILE_SAVE,        ID_FILE_EXIT,     ID_OPTIONS_SOUND,
                                ID_OPTIONS_GRAPHICS, ID_OPTIONS_KEYBOARD, ID_OPTIONS_JOYSTICKS,
                                ID_OPTIONS_MEMORY,   ID_HELP_ABOUT,    uintptr_t{ID_FILE_LOAD} << 16};
    for (uintptr_t wParam : others) send(WM_COMMAND, wParam);
    EXPECT_EQ(headless.openDialog.shown, 0);
    EXPECT_EQ(headless.defaultHandled, 9);
    EXPECT_TRUE(headless.window.exists);
    EXPECT_TRUE(headless.queue.empty());
    EXPECT_EQ(vz200.processor.PC, 0x1234);
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
