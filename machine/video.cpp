#include "machine/video.h"

#include <algorithm>
#include <cstring>

#include "machine/bus.h"
#include "machine/vz200.h"

Surface glyphAtlasSurface(Vz200& machine) { return {ATLAS_WIDTH, ATLAS_HEIGHT, machine.glyphAtlas}; }

Surface backBufferSurface(Vz200& machine) { return {BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, machine.backBuffer}; }

static_assert(BORDER_LEFT * 2 + PICTURE_WIDTH == BACK_BUFFER_WIDTH);
static_assert(BORDER_TOP * 2 + PICTURE_HEIGHT == BACK_BUFFER_HEIGHT);
static_assert(ATLAS_TEXT_SET1 == ATLAS_TEXT_SET0 + 8 * TEXT_CELL_HEIGHT);
static_assert(ATLAS_GRAPHICS_SET0 == ATLAS_TEXT_SET1 + 8 * TEXT_CELL_HEIGHT);
static_assert(ATLAS_GRAPHICS_SET1 + 8 * GRAPHICS_CELL_HEIGHT <= ATLAS_HEIGHT);

constexpr int GLYPH_LINES = 12;
constexpr int PIXEL_WIDTH = 2;  // host pixels per graphics pixel
constexpr int PIXELS_PER_BYTE = 4;

// Codes 0-128 are characters in the colour set's text colour; from 129 on,
// every 16 codes share one colour, each range ending on a multiple of 16.
static uint32_t semigraphicColor(int code)
{
    constexpr uint32_t rangeColors[8] = {
        videoPalette.green, videoPalette.yellow, videoPalette.blue,    videoPalette.red,
        videoPalette.buff,  videoPalette.cyan,   videoPalette.magenta, videoPalette.orange,
    };
    return rangeColors[(code - 129) / 16];
}

static void drawGlyph(Surface& atlas, const FontImage& font, int code, int baseLine, uint32_t background,
                      uint32_t foreground)
{
    int x = CELL_WIDTH * (code % ATLAS_CELLS_PER_ROW);
    int y = baseLine + TEXT_CELL_HEIGHT * (code / ATLAS_CELLS_PER_ROW);
    for (int line = 0; line < GLYPH_LINES; ++line) {
        uint8_t bits = font[GLYPH_LINES * code + line];
        for (int column = 0; column < CELL_WIDTH; ++column) {
            // Bit 0 is the leftmost pixel.
            setPixel(atlas, x + column, y + line, (bits >> column) & 1 ? foreground : background);
        }
    }
}

static void drawPattern(Surface& atlas, int value, int baseLine, const uint32_t colors[4])
{
    int x = CELL_WIDTH * (value % ATLAS_CELLS_PER_ROW);
    int y = baseLine + GRAPHICS_CELL_HEIGHT * (value / ATLAS_CELLS_PER_ROW);
    for (int pixel = 0; pixel < PIXELS_PER_BYTE; ++pixel) {
        // Bits 7-6 are the leftmost pixel.
        uint32_t color = colors[(value >> (6 - 2 * pixel)) & 3];
        for (int line = 0; line < GRAPHICS_CELL_HEIGHT; ++line) {
            for (int i = 0; i < PIXEL_WIDTH; ++i) {
                setPixel(atlas, x + PIXEL_WIDTH * pixel + i, y + line, color);
            }
        }
    }
}

void buildGlyphAtlas(Vz200& machine)
{
    Surface atlas = glyphAtlasSurface(machine);
    fillRect(atlas, 0, 0, atlas.width, atlas.height, videoPalette.black);
    for (int code = 0; code < 256; ++code) {
        bool semigraphic = code > 128;
        uint32_t color = semigraphic ? semigraphicColor(code) : 0;
        drawGlyph(atlas, machine.fontImage, code, ATLAS_TEXT_SET0, videoPalette.darkGreen,
                  semigraphic ? color : videoPalette.textGreen);
        drawGlyph(atlas, machine.fontImage, code, ATLAS_TEXT_SET1, videoPalette.darkOrange,
                  semigraphic ? color : videoPalette.textOrange);
    }
    // In colour set 1, value 2 is Orange and 3 Magenta.
    const uint32_t set0[4] = {videoPalette.green, videoPalette.yellow, videoPalette.blue, videoPalette.red};
    const uint32_t set1[4] = {videoPalette.buff, videoPalette.cyan, videoPalette.orange, videoPalette.magenta};
    for (int value = 0; value < 256; ++value) {
        drawPattern(atlas, value, ATLAS_GRAPHICS_SET0, set0);
        drawPattern(atlas, value, ATLAS_GRAPHICS_SET1, set1);
    }
}

// Draws the picture and the border beside it line by line, top to bottom:
// each line is the left border, one row of 8 pixels from the atlas cell of
// each video byte (the byte is the atlas index), and the right border. Every
// cell lies inside both surfaces, so nothing needs clipping.
static void drawPictureLines(Vz200& machine, int rows, int cellHeight, int baseLine, uint32_t border)
{
    const uint8_t* video = machine.memoryImage + VIDEO_MEMORY;
    uint32_t* out = machine.backBuffer + BORDER_TOP * BACK_BUFFER_WIDTH;
    for (int row = 0; row < rows; ++row) {
        const uint32_t* cells[SCREEN_COLUMNS];
        for (int column = 0; column < SCREEN_COLUMNS; ++column) {
            uint8_t value = video[SCREEN_COLUMNS * row + column];
            cells[column] = machine.glyphAtlas + (baseLine + cellHeight * (value / ATLAS_CELLS_PER_ROW)) * ATLAS_WIDTH +
                            CELL_WIDTH * (value % ATLAS_CELLS_PER_ROW);
        }
        for (int line = 0; line < cellHeight; ++line, out += BACK_BUFFER_WIDTH) {
            std::fill_n(out, BORDER_LEFT, border);
#pragma GCC unroll 8
            for (int column = 0; column < SCREEN_COLUMNS; ++column) {
                std::memcpy(out + BORDER_LEFT + CELL_WIDTH * column, cells[column] + line * ATLAS_WIDTH,
                            CELL_WIDTH * sizeof(uint32_t));
            }
            std::fill_n(out + BORDER_LEFT + PICTURE_WIDTH, BORDER_LEFT, border);
        }
    }
}

// The border above and below the picture; drawPictureLines draws its sides.
static void fillBorderBands(Vz200& machine, uint32_t color)
{
    Surface picture = backBufferSurface(machine);
    fillRect(picture, 0, 0, BACK_BUFFER_WIDTH, BORDER_TOP, color);
    fillRect(picture, 0, BORDER_TOP + PICTURE_HEIGHT, BACK_BUFFER_WIDTH, BORDER_TOP, color);
}

void renderScreen(Vz200& machine)
{
    // One read: the mode and colour set hold for the whole frame.
    uint8_t latch = machine.outputLatch;
    bool colorSet1 = (latch & LATCH_COLOR_SET) != 0;
    if (latch & LATCH_GRAPHICS) {
        uint32_t border = colorSet1 ? videoPalette.buff : videoPalette.green;
        fillBorderBands(machine, border);
        drawPictureLines(machine, GRAPHICS_ROWS, GRAPHICS_CELL_HEIGHT, colorSet1 ? ATLAS_GRAPHICS_SET1 : ATLAS_GRAPHICS_SET0,
                         border);
    } else {
        fillBorderBands(machine, videoPalette.black);
        drawPictureLines(machine, TEXT_ROWS, TEXT_CELL_HEIGHT, colorSet1 ? ATLAS_TEXT_SET1 : ATLAS_TEXT_SET0, videoPalette.black);
    }
}
