#include "machine/surface.h"

#include <cstring>

void setPixel(Surface& surface, int x, int y, uint32_t rgb)
{
    if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return;
    surface.pixels[y * surface.width + x] = rgb;
}

// Narrows [start, start + length) to [0, limit); false when nothing is left.
static bool clip(int& start, int& length, int limit)
{
    if (start < 0) {
        length += start;
        start = 0;
    }
    if (length > limit - start) length = limit - start;
    return length > 0;
}

void fillRect(Surface& surface, int x, int y, int w, int h, uint32_t rgb)
{
    if (!clip(x, w, surface.width) || !clip(y, h, surface.height)) return;
    for (int row = y; row < y + h; ++row) {
        uint32_t* line = surface.pixels + row * surface.width + x;
        for (int i = 0; i < w; ++i) line[i] = rgb;
    }
}

void copyRect(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h)
{
    // Shift both origins together so that each side stays on its surface.
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    if (dx < 0) { sx -= dx; w += dx; dx = 0; }
    if (dy < 0) { sy -= dy; h += dy; dy = 0; }
    if (w > src.width - sx) w = src.width - sx;
    if (w > dst.width - dx) w = dst.width - dx;
    if (h > src.height - sy) h = src.height - sy;
    if (h > dst.height - dy) h = dst.height - dy;
    if (w <= 0 || h <= 0) return;
    for (int row = 0; row < h; ++row) {
        std::memcpy(dst.pixels + (dy + row) * dst.width + dx, src.pixels + (sy + row) * src.width + sx,
                    static_cast<size_t>(w) * sizeof(uint32_t));
    }
}
