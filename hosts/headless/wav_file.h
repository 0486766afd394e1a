// WAV files of 16-bit mono samples (tessel-run's sound).
#pragma once

#include <cstdint>

// RIFF, PCM, one channel, 16 bits, little-endian whatever the host. False
// when the file cannot be written.
bool writeWav(const char* path, const int16_t* samples, int count, int sampleRate);
