#include "machine/crc32.h"

#include <array>

namespace {

// The CRC of each byte value alone, without the starting and final inversion.
constexpr std::array<uint32_t, 256> byteTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t value = 0; value < 256; ++value) {
        uint32_t crc = value;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        table[value] = crc;
    }
    return table;
}();

}  // namespace

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = byteTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
