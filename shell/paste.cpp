#include "shell/paste.h"

#include <cstddef>

#include "machine/video.h"
#include "shell/key_typing.h"
#include "shell/main_window.h"
#include "shell/shell.h"

void pasteAt(int x, int y)
{
    bool onPicture = x >= PICTURE_X && x < PICTURE_X + BACK_BUFFER_WIDTH && y >= PICTURE_Y &&
                     y < PICTURE_Y + BACK_BUFFER_HEIGHT;
    if (!onPicture) return;
    const char* text = nullptr;
    size_t length = 0;
    if (!hostOpenPastedText(shell.mainWindow, text, length)) return;
    queueTypedText(text, length);
    hostClosePastedText();
}
