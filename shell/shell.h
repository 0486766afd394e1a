// The portable spine's state, all of it, in one static record: what the
// program holds between two passes of its loop. resetShell puts it back to
// the program's start.
#pragma once

#include "shell/events.h"
#include "shell/frame_clock.h"
#include "shell/host.h"
#include "shell/key_typing.h"
#include "shell/keyboard_service.h"
#include "shell/load_command.h"
#include "shell/screen_keyboard.h"
#include "shell/sound.h"

struct Shell {
    FrameClock frameClock;
    bool isActive = true;  // the application is in front
    HostWindow mainWindow = nullptr;
    bool backBufferHeld = false;  // the window holds the back buffer until shutdown
    KeyboardService keyboard;
    StickInput sticks{};  // the last stick snapshot
    KeyTyping typing{};
    ScreenKeyboard screenKeyboard{};
    char programPath[PROGRAM_PATH_SIZE] = {};  // the last program chosen, offered again
    ScheduledLoad scheduledLoad{};
    SoundPacing sound;
    EventQueue events{};
};

extern Shell shell;

void resetShell();
