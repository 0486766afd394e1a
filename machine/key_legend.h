// What the VZ200's keys type, as their legends show: the host key (by its
// key code) for each character, and whether Shift goes with it. This is how
// tools and tests type text through the keyboard matrix.
#pragma once

#include <cstdint>

struct TypedKey {
    uint8_t keyCode;
    bool shift;
};

// Letters type the same key in either case; '\n' is Return. False for a
// character that no key of the machine types.
bool keyForCharacter(char c, TypedKey& typed);

// The next character of a text given on a command line, where the two
// characters "\n" also stand for a newline; advances p past it.
char takeTypedCharacter(const char*& p);
