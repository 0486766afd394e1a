#include "shell/key_typing.h"

#include "machine/dik.h"
#include "machine/key_table.h"
#include "machine/keyboard.h"

void pressTypedCharacter(char c, int frame, uint8_t keys[256])
{
    TypedKey typed{};
    if (frame >= KEY_HELD_FRAMES || !keyForCharacter(c, typed)) return;
    keys[typed.keyCode] |= HOST_KEY_DOWN;
    if (typed.shift) keys[DIK_LSHIFT] |= HOST_KEY_DOWN;
}
