// The one main window: its menu, its window procedure, and the picture it
// shows at client position (1, 1).
#pragma once

#include <cstdint>

#include "shell/host.h"
#include "shell/resources.h"

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

// Creates and shows the window (mainWindow) and takes hold of the back
// buffer; 0 when the window cannot be created.
int createMainWindow(HostInstance instance, int showCommand);
intptr_t mainWindowProc(HostWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The finished frame onto the window, while the back buffer is held.
void presentScreen();
