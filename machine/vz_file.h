// The program file (.vz): a 24-byte header, then the body, which loads at
// consecutive addresses from the load address.
#pragma once

#include <cstdint>
#include <cstring>

constexpr int VZ_HEADER_SIZE = 24;
constexpr uint8_t VZ_SIGNATURE[4] = {'V', 'Z', 'F', '0'};
constexpr int VZ_NAME_OFFSET = 4;
constexpr int VZ_NAME_SIZE = 16;
constexpr int VZ_TYPE_OFFSET = 21;
constexpr int VZ_ADDRESS_OFFSET = 22;  // little-endian load address
constexpr uint8_t VZ_TYPE_MACHINE_CODE = 0xF1;  // run from the load address

inline uint16_t vzLoadAddress(const uint8_t header[VZ_HEADER_SIZE])
{
    return static_cast<uint16_t>(header[VZ_ADDRESS_OFFSET] | header[VZ_ADDRESS_OFFSET + 1] << 8);
}

// The header our tools write: "VZF0", the name (cut to 16 characters and
// padded with NULs), the type and the load address. Only the type and the
// address mean anything to the loader.
inline void makeVzHeader(uint8_t header[VZ_HEADER_SIZE], const char* name, uint8_t type, uint16_t address)
{
    std::memset(header, 0, VZ_HEADER_SIZE);
    std::memcpy(header, VZ_SIGNATURE, sizeof VZ_SIGNATURE);
    for (int i = 0; i < VZ_NAME_SIZE && name[i]; ++i) header[VZ_NAME_OFFSET + i] = static_cast<uint8_t>(name[i]);
    header[VZ_TYPE_OFFSET] = type;
    header[VZ_ADDRESS_OFFSET] = static_cast<uint8_t>(address & 0xFF);
    header[VZ_ADDRESS_OFFSET + 1] = static_cast<uint8_t>(address >> 8);
}
