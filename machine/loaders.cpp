#include "machine/loaders.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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
    // The file is read only as far as a load can reach; what lies past the
    // top of memory, as in an endless file, stays unread.
    static uint8_t file[PROGRAM_FILE_MAX];
    std::FILE* stream = std::fopen(path, "rb");
    if (!stream) return false;
    // A directory opens on some hosts, then reads nothing.
    size_t size = std::fread(file, 1, sizeof file, stream);
    std::fclose(stream);
    return loadProgramFromMemory(machine, file, size);
}

bool loadProgramFromMemory(Vz200& machine, const uint8_t* file, size_t size)
{
    if (size < VZ_HEADER_SIZE) return false;
    const uint8_t* header = file;
    uint16_t loadAddress = vzLoadAddress(header);
    // Stop at the top of memory rather than wrap into the ROM.
    size_t body = std::min(size - VZ_HEADER_SIZE, static_cast<size_t>(MEMORY_SIZE - loadAddress));
    std::memcpy(machine.memoryImage + loadAddress, file + VZ_HEADER_SIZE, body);
    if (header[VZ_TYPE_OFFSET] == VZ_TYPE_MACHINE_CODE) {
        Z80State& s = machine.processor;
        s.PC = loadAddress;
        // A processor halted in the ROM would otherwise step past the first
        // byte of the program when the next interrupt ends its HALT.
        s.interruptFlags = static_cast<uint8_t>(s.interruptFlags & ~HALTED);
    }
    return true;
}

bool insertTapeFromPath(Vz200& machine, const char* path, const char*& reason)
{
    static uint8_t piece[1 << 16];
    static TapeInsert passes[2];
    // The first pass measures the tape, the second keeps it.
    for (int pass = 0; pass < 2; ++pass) {
        std::FILE* file = std::fopen(path, "rb");
        if (!file) {
            reason = "it cannot be opened";
            return false;
        }
        TapeInsert& insert = passes[pass];
        beginTapeInsert(insert, pass == 0 ? nullptr : &passes[0]);
        for (size_t size; (size = std::fread(piece, 1, sizeof piece, file)) > 0;) feedTapeInsert(insert, piece, size);
        // A directory opens on some hosts, then fails its first read.
        if (std::ferror(file)) insert.failure = "it cannot be read";
        std::fclose(file);
        if (!endTapeInsert(machine.tapeDeck, insert, reason)) return false;
    }
    return true;
}
