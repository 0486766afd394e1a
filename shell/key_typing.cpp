#include "shell/key_typing.h"

#include <cstdio>

#include "machine/key_table.h"
#include "shell/shell.h"

int queueTypedText(const char* text, size_t length)
{
    KeyTyping& t = shell.typing;
    int queued = 0;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < length && text[i + 1] == '\n') continue;
            c = '\n';
        }
        TypedKey typed{};
        if (!keyForCharacter(c, typed)) continue;
        if (t.count == TYPING_CAPACITY) {
            std::fprintf(stderr, "tessel: too much text to type; %d characters wait already, the rest is left out\n",
                         TYPING_CAPACITY);
            break;
        }
        t.waiting[(t.first + t.count) % TYPING_CAPACITY] = c;
        ++t.count;
        ++queued;
    }
    return queued;
}

void pressTypedKeys(uint8_t keys[256])
{
    KeyTyping& t = shell.typing;
    if (t.count == 0) return;
    pressTypedCharacter(t.waiting[t.first], t.frame, keys);
    if (++t.frame < KEY_FRAMES) return;
    t.frame = 0;
    t.first = (t.first + 1) % TYPING_CAPACITY;
    --t.count;
}

void forgetTypedText()
{
    KeyTyping& t = shell.typing;
    t.first = 0;
    t.count = 0;
    t.frame = 0;
}
