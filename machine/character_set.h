// The text-mode character set written as plain characters, the notation of
// tessel-run's screen printout and of the tests that read screens.
#pragma once

#include <cstdint>

// Normal text, codes 0x40-0x7F, as the characters it shows (the up and left
// arrows as ^ and _), inverse codes 0x00-0x3F as the lower-case letter or ~
// for an inverse non-letter (the cursor is an inverse space), semigraphics
// 0x80-0xFF as #: the machine's READY prints as READY.
char screenCharacter(uint8_t code);
