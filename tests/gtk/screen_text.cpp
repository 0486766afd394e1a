// screen_text PICTURE X Y: reads the text screen off a screenshot. The 320x240
// picture whose top-left pixel is at (X, Y) of the PNG is cut into the 32x16
// character cells, and each cell is matched against every cell picture the
// machine's own video code draws with the open font (text mode, colour set 0).
// Prints 16 lines of 32 characters in tessel-run's --print-screen notation:
// normal text (codes 0x40-0x7F) as its characters, inverse letters in lower
// case, other inverse codes (the cursor) as ~, semigraphics as #, and ? for
// a cell that matches nothing. Exit status 1 when the picture cannot be read.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "machine/character_set.h"
#include "machine/vz200.h"
#include "rom/open_rom.h"
#include "hosts/headless/png_file.h"

namespace {

constexpr int CELL_PIXELS = CELL_WIDTH * TEXT_CELL_HEIGHT;
constexpr int CODES = 256;

// The picture of every code, drawn through renderScreen in the top-left cell.
std::vector<uint32_t> drawCells()
{
    std::vector<uint32_t> cells(CODES * CELL_PIXELS);
    std::memcpy(vz200.fontImage, openFontImage, sizeof openFontImage);
    buildGlyphAtlas(vz200);
    vz200.outputLatch = 0;
    for (int code = 0; code < CODES; ++code) {
        vz200.memoryImage[VIDEO_MEMORY] = static_cast<uint8_t>(code);
        renderScreen(vz200);
        for (int y = 0; y < TEXT_CELL_HEIGHT; ++y) {
            for (int x = 0; x < CELL_WIDTH; ++x) {
                cells[code * CELL_PIXELS + y * CELL_WIDTH + x] =
                    vz200.backBuffer[(BORDER_TOP + y) * BACK_BUFFER_WIDTH + BORDER_LEFT + x];
            }
        }
    }
    return cells;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: screen_text PICTURE.png X Y\n");
        return 2;
    }
    int left = std::atoi(argv[2]);
    int top = std::atoi(argv[3]);
    constexpr int MAX_PIXELS = 4096 * 4096;
    std::vector<uint32_t> picture(MAX_PIXELS);
    int width = 0, height = 0;
    if (!readPng(argv[1], picture.data(), MAX_PIXELS, width, height) || left < 0 || top < 0 ||
        left + BACK_BUFFER_WIDTH > width || top + BACK_BUFFER_HEIGHT > height) {
        std::fprintf(stderr, "screen_text: no 320x240 picture at (%d, %d) in %s\n", left, top, argv[1]);
        return 1;
    }
    std::vector<uint32_t> cells = drawCells();
    for (int row = 0; row < TEXT_ROWS; ++row) {
        char line[SCREEN_COLUMNS + 1] = {};
        for (int column = 0; column < SCREEN_COLUMNS; ++column) {
            int cellX = left + BORDER_LEFT + column * CELL_WIDTH;
            int cellY = top + BORDER_TOP + row * TEXT_CELL_HEIGHT;
            int found = -1;
            for (int code = 0; code < CODES && found < 0; ++code) {
                bool same = true;
                for (int i = 0; i < CELL_PIXELS && same; ++i) {
                    uint32_t pixel = picture[(cellY + i / CELL_WIDTH) * width + cellX + i % CELL_WIDTH];
                    same = pixel == cells[code * CELL_PIXELS + i];
                }
                if (same) found = code;
            }
            line[column] = found < 0 ? '?' : screenCharacter(static_cast<uint8_t>(found));
        }
        std::printf("%s\n", line);
    }
    return 0;
}
