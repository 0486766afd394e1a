#include "machine/character_set.h"

char screenCharacter(uint8_t code)
{
    constexpr uint8_t NORMAL = 0x40;
    constexpr uint8_t GLYPHS = 0x3F;
    constexpr uint8_t SEMIGRAPHIC = 0x80;
    if (code >= SEMIGRAPHIC) return '#';
    uint8_t glyph = code & GLYPHS;
    if (code < NORMAL) return glyph >= 0x01 && glyph <= 0x1A ? static_cast<char>('a' + glyph - 1) : '~';
    if (glyph >= 0x20) return static_cast<char>(glyph);
    return "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_"[glyph];
}
