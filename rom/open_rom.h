// Tessel's open replacement system ROM and character generator, built from
// rom/open_rom.asm and rom/font.txt and carried inside the executable for
// when the machine's own "vzrom.v20" and "vz200.fnt" are not at hand.
#pragma once

#include <cstdint>

extern const uint8_t openRomImage[16384];
extern const uint8_t openFontImage[3072];
