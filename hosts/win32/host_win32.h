// What Windows gives the program at its start, kept for the window: the
// module that holds the resources, and how the window is to be shown.
#pragma once

#include <windows.h>

struct Win32Start {
    HINSTANCE module;
    int showCommand;
};

extern Win32Start win32Start;
