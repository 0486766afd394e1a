// key_codes TEXT: the X key codes a user holds to type TEXT on the machine,
// by its key legends, one character a line: the code of left Shift first
// where the legend needs it. "\n" (a backslash and n, or a newline) is
// Return. Exit status 1 for a character no key types.
#include <cstdio>

#include "machine/dik.h"
#include "machine/key_table.h"
#include "shell/key_typing.h"

// On X with evdev, a key's code is its Linux input code plus 8, and the
// Linux codes of the keys on the machine's legends equal their DirectInput
// codes.
constexpr int X_KEYCODE_OFFSET = 8;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: key_codes TEXT\n");
        return 2;
    }
    for (const char* p = argv[1]; *p;) {
        char c = takeTypedCharacter(p);
        TypedKey typed{};
        if (!keyForCharacter(c, typed)) {
            std::fprintf(stderr, "key_codes: no key types '%c'\n", c);
            return 1;
        }
        if (typed.shift) std::printf("%d ", DIK_LSHIFT + X_KEYCODE_OFFSET);
        std::printf("%d\n", typed.keyCode + X_KEYCODE_OFFSET);
    }
    return 0;
}
