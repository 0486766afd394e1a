#include "shell/main_window.h"

#include "machine/video.h"
#include "shell/events.h"
#include "shell/key_typing.h"
#include "shell/load_command.h"
#include "shell/paste.h"
#include "shell/resources.h"
#include "shell/shell.h"

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
};

bool createMainWindow()
{
    HostWindow window = hostCreateWindow(mainWindowDescription);
    if (!window) return false;
    shell.mainWindow = window;
    hostShowWindow(window);
    holdBackBuffer();
    return true;
}

void destroyMainWindow()
{
    if (!shell.mainWindow) return;
    shutdownEmulator();
    hostDestroyWindow(shell.mainWindow);
    shell.mainWindow = nullptr;
    requestQuit();
}

void mainWindowProc(const HostEvent& event)
{
    switch (event.kind) {
    case HostEventKind::Command:
        // Only Load is handled; the other items are shown and do nothing.
        if (event.command == ID_FILE_LOAD) loadProgramFile();
        break;
    case HostEventKind::Activated:
        shell.isActive = true;
        break;
    case HostEventKind::Deactivated:
        // Keys released behind our back never arrive; the machine goes on
        // seeing the rows of the last poll until the application is back.
        shell.isActive = false;
        forgetHostKeys();
        break;
    case HostEventKind::Close:
        destroyMainWindow();
        break;
    case HostEventKind::Quit:
        break;
    // Drops, pastes and chosen files act between frames, as Load does.
    case HostEventKind::DroppedFile:
        loadDroppedProgram(event.text, event.length);
        break;
    case HostEventKind::DroppedText:
        queueTypedText(event.text, event.length);
        break;
    case HostEventKind::Paste:
        pasteAt(event.x, event.y);
        break;
    case HostEventKind::FileChosen:
        programChosen(event.text, event.length);
        break;
    }
}

void presentScreen()
{
    if (const Surface* picture = heldBackBuffer()) hostPresent(shell.mainWindow, *picture, PICTURE_X, PICTURE_Y);
}
