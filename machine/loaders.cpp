#include "machine/loaders.h"

#include <cstdio>

#include "machine/vz200.h"

// At the end of the file fgetc yields EOF, whose low byte 0xFF fills the rest.
static bool loadImage(const char* path, uint8_t* image, int size)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    // A directory opens on some hosts, then fails its first read.
    int first = std::fgetc(file);
    if (first == EOF && std::ferror(file)) {
        std::fclose(file);
        return false;
    }
    image[0] = static_cast<uint8_t>(first);
    for (int i = 1; i < size; ++i) image[i] = static_cast<uint8_t>(std::fgetc(file));
    std::fclose(file);
    return true;
}

bool loadRomImage(Vz200& machine, const char* path) { return loadImage(path, machine.memoryImage, ROM_SIZE); }

bool loadFontImage(Vz200& machine, const char* path) { return loadImage(path, machine.fontImage, FONT_SIZE); }

bool loadProgramFromPath(Vz200& machine, const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    // A directory opens on some hosts but gives no header either.
    uint8_t header[VZ_HEADER_SIZE];
    if (std::fread(header, VZ_HEADER_SIZE, 1, file) != 1) {
        std::fclose(file);
        return false;
    }
    uint16_t loadAddress = vzLoadAddress(header);
    // Stop at the top of memory rather than wrap into the ROM, and stop
    // reading there too.
    for (int address = loadAddress; address < MEMORY_SIZE; ++address) {
        int c = std::fgetc(file);
        if (c == EOF) break;
        machine.memoryImage[address] = static_cast<uint8_t>(c);
    }
    std::fclose(file);
    if (header[VZ_TYPE_OFFSET] == VZ_TYPE_MACHINE_CODE) {
        Z80State& s = machine.processor;
        s.PC = loadAddress;
        // A processor halted in the ROM would otherwise step past the first
        // byte of the program when the next interrupt ends its HALT.
        s.interruptFlags = static_cast<uint8_t>(s.interruptFlags & ~HALTED);
    }
    return true;
}
