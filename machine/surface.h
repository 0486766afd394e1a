// Off-screen pixel surfaces: plain 32-bit 0x00RRGGBB pictures in static
// storage, the same on every host. Only presenting one is the host's work.
#pragma once

#include <cstdint>

struct Surface {
    int width, height;
    uint32_t* pixels;  // width * height, row by row from the top
};

constexpr uint32_t rgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue;
}

// A pixel outside the surface is not drawn.
void setPixel(Surface& surface, int x, int y, uint32_t rgb);
// Fills the rectangle, clipped to the surface.
void fillRect(Surface& surface, int x, int y, int w, int h, uint32_t rgb);
// Copies a rectangle pixel for pixel, clipped to both surfaces. The two
// rectangles must not overlap on one surface.
void copyRect(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h);
