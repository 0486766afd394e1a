// CRC-32 as zip and PNG compute it: the reflected polynomial 0xEDB88320,
// started from all ones and inverted at the end.
#pragma once

#include <cstddef>
#include <cstdint>

// The CRC of size bytes. A CRC over pieces: pass the CRC of the pieces
// before as crc (0 to begin), and the result is that of all of them in turn.
uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
