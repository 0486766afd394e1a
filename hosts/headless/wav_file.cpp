#include "hosts/headless/wav_file.h"

#include <cstdio>

namespace {

constexpr int HEADER_SIZE = 44;
constexpr uint16_t FORMAT_PCM = 1;
constexpr uint16_t CHANNELS = 1;
constexpr uint16_t BITS_PER_SAMPLE = 16;
constexpr uint16_t BYTES_PER_SAMPLE = BITS_PER_SAMPLE / 8;

void put16(uint8_t*& p, uint32_t value)
{
    *p++ = static_cast<uint8_t>(value);
    *p++ = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t*& p, uint32_t value)
{
    put16(p, value & 0xFFFF);
    put16(p, value >> 16);
}

void putTag(uint8_t*& p, const char tag[5])
{
    for (int i = 0; i < 4; ++i) *p++ = static_cast<uint8_t>(tag[i]);
}

}  // namespace

bool writeWav(const char* path, const int16_t* samples, int count, int sampleRate)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    uint32_t dataBytes = static_cast<uint32_t>(count) * BYTES_PER_SAMPLE;
    uint8_t header[HEADER_SIZE];
    uint8_t* p = header;
    putTag(p, "RIFF");
    put32(p, HEADER_SIZE - 8 + dataBytes);
    putTag(p, "WAVE");
    putTag(p, "fmt ");
    put32(p, 16);  // the size of the format chunk that follows
    put16(p, FORMAT_PCM);
    put16(p, CHANNELS);
    put32(p, static_cast<uint32_t>(sampleRate));
    put32(p, static_cast<uint32_t>(sampleRate) * CHANNELS * BYTES_PER_SAMPLE);
    put16(p, CHANNELS * BYTES_PER_SAMPLE);
    put16(p, BITS_PER_SAMPLE);
    putTag(p, "data");
    put32(p, dataBytes);
    bool written = std::fwrite(header, 1, HEADER_SIZE, file) == HEADER_SIZE;
    for (int i = 0; i < count && written; ++i) {
        uint8_t bytes[BYTES_PER_SAMPLE];
        uint8_t* q = bytes;
        put16(q, static_cast<uint16_t>(samples[i]));
        written = std::fwrite(bytes, 1, BYTES_PER_SAMPLE, file) == BYTES_PER_SAMPLE;
    }
    return std::fclose(file) == 0 && written;
}
