// The video display: the glyph atlas built once from the font, and each
// frame's picture composed from video memory by copying atlas cells.
#pragma once

#include <cstdint>

#include "machine/surface.h"

constexpr int ATLAS_WIDTH = 320;
constexpr int ATLAS_HEIGHT = 480;
constexpr int BACK_BUFFER_WIDTH = 320;
constexpr int BACK_BUFFER_HEIGHT = 240;

struct Vz200;

// The machine's colours, and black for the text border and the empty atlas.
struct VideoPalette {
    uint32_t green, yellow, blue, red, buff, cyan, magenta, orange;
    uint32_t darkGreen, textGreen, darkOrange, textOrange;
    uint32_t black;
};

inline constexpr VideoPalette videoPalette = {
    .green = rgb(0, 255, 0),
    .yellow = rgb(255, 255, 0),
    .blue = rgb(0, 0, 255),
    .red = rgb(255, 0, 0),
    .buff = rgb(224, 224, 144),
    .cyan = rgb(0, 192, 160),
    .magenta = rgb(255, 0, 255),
    .orange = rgb(240, 112, 0),
    .darkGreen = rgb(0, 64, 0),
    .textGreen = rgb(0, 224, 24),
    .darkOrange = rgb(64, 16, 0),
    .textOrange = rgb(255, 196, 24),
    .black = rgb(0, 0, 0),
};

// Screen geometry: a 256x192 picture in the middle of the back buffer.
constexpr int BORDER_LEFT = 32;
constexpr int BORDER_TOP = 24;
constexpr int PICTURE_WIDTH = 256;
constexpr int PICTURE_HEIGHT = 192;

// Every cell is 8 pixels wide. Text: 32x16 cells of 8x12. Graphics: 32x64
// cells of 8x3, one video byte = four pixels each 2 wide and 3 high.
constexpr int CELL_WIDTH = 8;
constexpr int TEXT_CELL_HEIGHT = 12;
constexpr int GRAPHICS_CELL_HEIGHT = 3;
constexpr int SCREEN_COLUMNS = PICTURE_WIDTH / CELL_WIDTH;
constexpr int TEXT_ROWS = PICTURE_HEIGHT / TEXT_CELL_HEIGHT;
constexpr int GRAPHICS_ROWS = PICTURE_HEIGHT / GRAPHICS_CELL_HEIGHT;

// The atlas holds 32 cells per line; the cell of value b sits at column
// b mod 32 and cell row b div 32 of its area, which starts at the line below.
constexpr int ATLAS_CELLS_PER_ROW = 32;
constexpr int ATLAS_TEXT_SET0 = 0;
constexpr int ATLAS_TEXT_SET1 = 96;
constexpr int ATLAS_GRAPHICS_SET0 = 192;
constexpr int ATLAS_GRAPHICS_SET1 = 228;

// Every cell picture a screen cell can show, from the font image; once,
// after the font is loaded.
void buildGlyphAtlas(Vz200& machine);
// Video memory and the output latch into the back buffer.
void renderScreen(Vz200& machine);

// The machine's two pictures as surfaces: the atlas, and the back buffer
// that the host presents.
Surface glyphAtlasSurface(Vz200& machine);
Surface backBufferSurface(Vz200& machine);
