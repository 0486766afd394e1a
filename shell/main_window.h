// The one main window: its menu, the spine's handler of the host's events,
// and the picture it shows at client position (1, 1).
#pragma once

#include <cstdint>

#include "shell/host.h"

constexpr const char* WINDOW_TITLE = "Tessel - VZ200/300 Emulator";
constexpr const char* WINDOW_CLASS = "Tessel - VZ200/300 Emulator";
constexpr int PICTURE_X = 1;
constexpr int PICTURE_Y = 1;

// Menu command ids; only Load does anything.
constexpr uint16_t ID_FILE_LOAD = 40001;
constexpr uint16_t ID_OPTIONS_GRAPHICS = 40003;
constexpr uint16_t ID_FILE_EXIT = 40004;
constexpr uint16_t ID_OPTIONS_JOYSTICKS = 40006;
constexpr uint16_t ID_HELP_ABOUT = 40007;
constexpr uint16_t ID_OPTIONS_SOUND = 40008;
constexpr uint16_t ID_FILE_SAVE = 40009;
constexpr uint16_t ID_OPTIONS_KEYBOARD = 40010;
constexpr uint16_t ID_OPTIONS_MEMORY = 40011;

constexpr int MAIN_MENU_COUNT = 3;
extern const Menu mainMenus[MAIN_MENU_COUNT];
extern const WindowDescription mainWindowDescription;

// Creates and shows the window (shell.mainWindow) and takes hold of the
// back buffer; false when the window cannot be created.
bool createMainWindow();
// The window goes: the shutdown, the window itself, and the request to quit.
void destroyMainWindow();
// What each event of the host does, between frames.
void mainWindowProc(const HostEvent& event);

// The finished frame onto the window, while the back buffer is held.
void presentScreen();
