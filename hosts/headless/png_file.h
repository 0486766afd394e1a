// PNG files of 32-bit 0x00RRGGBB pictures (screenshots, golden pictures),
// and of 0xAARRGGBB pictures with transparency (the program icon).
#pragma once

#include <cstdint>

// Writes an 8-bit RGB PNG. False when the file cannot be written or the
// picture is empty or wider than PNG_MAX_WIDTH.
bool writePng(const char* path, const uint32_t* rgb, int width, int height);
// The same as 8-bit RGBA, alpha from the top byte.
bool writePngWithAlpha(const char* path, const uint32_t* argb, int width, int height);

// Reads any PNG as 0x00RRGGBB, alpha dropped. width and height are set
// whenever the header could be read; false when the file is not a readable
// PNG or has more than maxPixels pixels (then rgb is untouched).
bool readPng(const char* path, uint32_t* rgb, int maxPixels, int& width, int& height);
// The same as 0xAARRGGBB, opaque where the file has no alpha.
bool readPngWithAlpha(const char* path, uint32_t* argb, int maxPixels, int& width, int& height);

constexpr int PNG_MAX_WIDTH = 16384;
