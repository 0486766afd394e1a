// fontc: turns the text drawing of the open character generator (rom/font.txt)
// into the machine's 3,072-byte binary: 256 glyphs of 12 row bytes, byte
// 12*code + row, bit 0 the leftmost pixel, a 1 bit foreground (light).
//
//   fontc font.txt vz200.fnt.open
//
// Build-time tool; any fault in the drawing stops the build with its line.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "drawing_lines.h"

namespace {

constexpr int GLYPHS = 64;       // the video chip's characters, codes 0x00-0x3F
constexpr int DOT_COLUMNS = 5;
constexpr int DOT_ROWS = 7;
constexpr int CELL_ROWS = 12;
constexpr int FIRST_COLUMN = 1;  // where the 5x7 dots sit in the 8x12 cell
constexpr int FIRST_ROW = 3;
// As the machine's own character set: normal text, dark on the light
// background, at 0x40-0x7F (the codes its ROM writes), the inverse at
// 0x00-0x3F.
constexpr int NORMAL_BASE = 0x40;
constexpr int INVERSE_BASE = 0x00;
constexpr int SEMIGRAPHIC_BASE = 0x80;
constexpr int QUADRANT_ROWS = 6;
constexpr uint8_t LEFT_HALF = 0x0F;   // bit 0 is the leftmost pixel
constexpr uint8_t RIGHT_HALF = 0xF0;
constexpr int FONT_SIZE = 256 * CELL_ROWS;

bool isIgnored(const char* line) { return line[0] == '\0' || line[0] == ';'; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "[hh] name": the code of the glyph drawn below it.
int parseHeader(const char* line)
{
    if (std::strlen(line) < 4 || line[0] != '[' || line[3] != ']') fail("expected a glyph header \"[hh] name\"");
    int high = hexDigit(line[1]);
    int low = hexDigit(line[2]);
    if (high < 0 || low < 0) fail("glyph code is not two hex digits");
    int code = high * 16 + low;
    if (code >= GLYPHS) fail("glyph code above 3F");
    return code;
}

// A row of the drawing as dot bits placed in the cell, bit 0 leftmost.
uint8_t parseRow(const char* line)
{
    if (std::strlen(line) != DOT_COLUMNS) fail("a glyph row has exactly 5 characters");
    uint8_t bits = 0;
    for (int column = 0; column < DOT_COLUMNS; ++column) {
        if (line[column] == '#') bits |= static_cast<uint8_t>(1u << (FIRST_COLUMN + column));
        else if (line[column] != '.') fail("a glyph row holds only '#' and '.'");
    }
    return bits;
}

uint8_t semigraphicRow(int code, int row)
{
    bool top = row < QUADRANT_ROWS;
    uint8_t bits = 0;
    if (code & (top ? 0x08 : 0x02)) bits |= LEFT_HALF;
    if (code & (top ? 0x04 : 0x01)) bits |= RIGHT_HALF;
    return bits;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fontc font.txt output.fnt\n");
        return 2;
    }
    inputPath = argv[1];
    std::FILE* input = std::fopen(inputPath, "r");
    if (!input) {
        std::fprintf(stderr, "fontc: cannot open %s\n", inputPath);
        return 1;
    }

    static uint8_t dots[GLYPHS][CELL_ROWS];  // the dots of each glyph, 1 = dot
    bool drawn[GLYPHS] = {};
    char line[256];
    while (readLine(input, line, sizeof line)) {
        if (isIgnored(line)) continue;
        int code = parseHeader(line);
        if (drawn[code]) fail("glyph drawn twice");
        drawn[code] = true;
        for (int row = 0; row < DOT_ROWS; ++row) {
            if (!readLine(input, line, sizeof line)) fail("the file ends inside a glyph");
            dots[code][FIRST_ROW + row] = parseRow(line);
        }
    }
    std::fclose(input);
    for (int code = 0; code < GLYPHS; ++code) {
        if (!drawn[code]) {
            std::fprintf(stderr, "%s: glyph %02X is missing\n", inputPath, code);
            return 1;
        }
    }

    static uint8_t font[FONT_SIZE];
    for (int code = 0; code < GLYPHS; ++code) {
        for (int row = 0; row < CELL_ROWS; ++row) {
            // Normal text is dark dots on the light background.
            font[(NORMAL_BASE + code) * CELL_ROWS + row] = static_cast<uint8_t>(~dots[code][row]);
            font[(INVERSE_BASE + code) * CELL_ROWS + row] = dots[code][row];
        }
    }
    for (int code = SEMIGRAPHIC_BASE; code < 256; ++code) {
        for (int row = 0; row < CELL_ROWS; ++row) font[code * CELL_ROWS + row] = semigraphicRow(code, row);
    }

    std::FILE* output = std::fopen(argv[2], "wb");
    if (!output) {
        std::fprintf(stderr, "fontc: cannot create %s\n", argv[2]);
        return 1;
    }
    bool written = std::fwrite(font, 1, FONT_SIZE, output) == FONT_SIZE;
    written = std::fclose(output) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "fontc: cannot write %s\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
