#include "shell/drop_and_paste.h"

#include "machine/video.h"
#include "shell/key_typing.h"
#include "shell/load_command.h"
#include "shell/main_window.h"

void takeDrop(uintptr_t drop)
{
    char path[PROGRAM_PATH_SIZE];
    const char* text = nullptr;
    size_t length = 0;
    if (hostDroppedFile(drop, path, PROGRAM_PATH_SIZE)) {
        loadDroppedProgram(path);
    } else if (hostDroppedText(drop, text, length)) {
        queueTypedText(text, length);
    }
    hostFinishDrop(drop);
}

void pasteAt(HostWindow window, intptr_t lParam)
{
    // Client coordinates are signed 16-bit halves, as on Windows.
    int x = static_cast<int16_t>(lParam & 0xFFFF);
    int y = static_cast<int16_t>((lParam >> 16) & 0xFFFF);
    bool onPicture = x >= PICTURE_X && x < PICTURE_X + BACK_BUFFER_WIDTH && y >= PICTURE_Y &&
                     y < PICTURE_Y + BACK_BUFFER_HEIGHT;
    if (!onPicture) return;
    const char* text = nullptr;
    size_t length = 0;
    if (!hostOpenPastedText(window, text, length)) return;
    queueTypedText(text, length);
    hostClosePastedText();
}
