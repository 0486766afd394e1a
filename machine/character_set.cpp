#include "machine/character_set.h"

char screenCharacter(uint8_t code)
{
    constexpr uint8_t INVERSE = 0x40;
    constexpr uint8_t SEMIGRAPHIC = 0x80;
    if (code >= SEMIGRAPHIC) return '#';
    if (code >= INVERSE) {
        uint8_t base = static_cast<uint8_t>(code - INVERSE);
        return base >= 0x01 && base <= 0x1A ? static_cast<char>('a' + base - 1) : '~';
    }
    if (code >= 0x20) return static_cast<char>(code);
    return "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_"[code];
}
