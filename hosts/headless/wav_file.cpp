#include "hosts/headless/wav_file.h"

#include <cstdio>

#include "machine/wav_tape.h"

bool writeWav(const char* path, const int16_t* samples, int count, int sampleRate)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    uint8_t header[WAV_HEADER_SIZE];
    makeWavHeader(header, static_cast<uint32_t>(sampleRate), static_cast<uint32_t>(count));
    bool written = std::fwrite(header, 1, WAV_HEADER_SIZE, file) == WAV_HEADER_SIZE;
    for (int i = 0; i < count && written; ++i) {
        auto bits = static_cast<uint16_t>(samples[i]);
        const uint8_t bytes[2] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8)};
        written = std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
    }
    return std::fclose(file) == 0 && written;
}
