// Text typed on the machine's keyboard as a user types it: through the key
// snapshot, one character after the other by the machine's key legends, each
// key held KEY_HELD_FRAMES frames and released KEY_RELEASED_FRAMES, left
// Shift with it for the shifted legends. Pasted and dropped text and
// tessel-run's --type all go through here; keys the user holds meanwhile
// still count.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int KEY_HELD_FRAMES = 3;
constexpr int KEY_RELEASED_FRAMES = 3;
constexpr int KEY_FRAMES = KEY_HELD_FRAMES + KEY_RELEASED_FRAMES;

// Characters waiting to be typed, at most: over two hours of typing.
constexpr int TYPING_CAPACITY = 65536;

// A ring of the characters still to type; the first one is being typed.
struct KeyTyping {
    char waiting[TYPING_CAPACITY];
    int first, count;
    int frame;  // frames the first character has been typed for
};

// Queues text after what is still waiting, as typeable characters: a
// newline (LF, CR or CR LF) is Return, characters no key of the machine
// types are left out. Text that does not fit is cut, with one line on
// standard error. Returns the number of characters queued.
int queueTypedText(const char* text, size_t length);

// Presses this frame's typed keys in a key snapshot, and moves on a frame.
void pressTypedKeys(uint8_t keys[256]);

// The keys of character c in a key snapshot, in frame `frame` (from 0) of
// its KEY_FRAMES. Free of the queue (typed_character.cpp), for the libretro
// core, which types from its frame count so that its save states hold the
// typing too.
void pressTypedCharacter(char c, int frame, uint8_t keys[256]);

// Nothing more to type: what waits was meant for a machine that is gone
// (a reset, a restored snapshot).
void forgetTypedText();

// The next character of a text given on a command line, where the two
// characters "\n" also stand for a newline; advances p past it.
inline char takeTypedCharacter(const char*& p)
{
    if (p[0] == '\\' && p[1] == 'n') {
        p += 2;
        return '\n';
    }
    return *p++;
}

