// What the window takes besides its menu and the keyboard: a program file
// dropped on it loads as File > Load would load it; dropped text, and the
// text a middle click on the picture pastes, is typed on the machine's
// keyboard.
#pragma once

#include <cstdint>

#include "shell/host.h"

// WM_DROPFILES with this wParam: the first file, else the text; the drop is
// finished.
void takeDrop(uintptr_t drop);

// WM_MBUTTONDOWN at the client position in lParam: pastes when it is on the
// picture.
void pasteAt(HostWindow window, intptr_t lParam);
