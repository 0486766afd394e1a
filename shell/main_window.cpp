#include "shell/main_window.h"

#include "machine/video.h"
#include "shell/drop_and_paste.h"
#include "shell/keyboard_service.h"
#include "shell/load_command.h"
#include "shell/resources.h"

static const MenuItem fileItems[] = {
    {"Load", ID_FILE_LOAD},
    {"Save", ID_FILE_SAVE},
    {"Exit", ID_FILE_EXIT},
};
static const MenuItem optionItems[] = {
    {"Sound", ID_OPTIONS_SOUND},
    {"Graphics", ID_OPTIONS_GRAPHICS},
    {"Keyboard", ID_OPTIONS_KEYBOARD},
    {"Joysticks", ID_OPTIONS_JOYSTICKS},
    {"Memory", ID_OPTIONS_MEMORY},
};
static const MenuItem helpItems[] = {
    {"About", ID_HELP_ABOUT},
};

const Menu mainMenus[MAIN_MENU_COUNT] = {
    {"File", fileItems, 3},
    {"Options", optionItems, 5},
    {"Help", helpItems, 1},
};

const WindowDescription mainWindowDescription = {
    .title = WINDOW_TITLE,
    .className = WINDOW_CLASS,
    .pictureWidth = BACK_BUFFER_WIDTH,
    .pictureHeight = BACK_BUFFER_HEIGHT,
    .pictureX = PICTURE_X,
    .pictureY = PICTURE_Y,
    .menus = mainMenus,
    .menuCount = MAIN_MENU_COUNT,
    .background = 0x000000,
    .procedure = mainWindowProc,
};

int createMainWindow(HostInstance instance, int showCommand)
{
    HostWindow window = hostCreateWindow(instance, mainWindowDescription);
    if (!window) return 0;
    mainWindow = window;
    // Showing activates the window: WM_ACTIVATEAPP arrives before the
    // keyboard exists.
    hostShowWindow(window, showCommand);
    holdBackBuffer();
    return 1;
}

intptr_t mainWindowProc(HostWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case WM_DESTROY:
        shutdownEmulator();
        hostPostQuitMessage(0);
        return 0;
    case WM_ACTIVATEAPP:
        isActive = wParam != 0;
        setKeyboardAcquired();
        return 1;
    case WM_COMMAND:
        if ((wParam & 0xFFFF) == ID_FILE_LOAD) loadProgramFile();
        break;
    // Neither is on the menu or the keyboard tables: a drop and a paste act
    // between frames, as Load does.
    case WM_DROPFILES:
        takeDrop(wParam);
        return 0;
    case WM_MBUTTONDOWN:
        pasteAt(window, lParam);
        break;
    }
    return hostDefaultWindowProc(window, message, wParam, lParam);
}

void presentScreen()
{
    if (const Surface* picture = heldBackBuffer()) hostPresent(mainWindow, *picture, PICTURE_X, PICTURE_Y);
}
