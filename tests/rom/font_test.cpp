// The open character generator: layout, inversions, semigraphics, and the
// glyphs against their drawing in rom/font.txt.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "rom/open_rom.h"

namespace {

constexpr int ROWS = 12;
constexpr int NORMAL_TEXT = 0x40;  // where the drawn glyphs sit, dark on light

// Pixel x (0 = left) of row y of a glyph: true for a 1 bit (the light colour).
bool pixel(int code, int x, int y) { return (openFontImage[code * ROWS + y] >> x) & 1; }

std::vector<uint8_t> readFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The drawing: code -> seven rows of five '#' or '.'.
std::map<int, std::vector<std::string>> readDrawing()
{
    std::map<int, std::vector<std::string>> glyphs;
    std::ifstream file(TESSEL_FONT_DRAWING);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] != '[') continue;
        int code = std::stoi(line.substr(1, 2), nullptr, 16);
        for (int row = 0; row < 7 && std::getline(file, line); ++row) glyphs[code].push_back(line);
    }
    return glyphs;
}

}  // namespace

TEST(OpenFont, BuiltFilesMatchTheEmbeddedArrays)
{
    std::vector<uint8_t> font = readFile(TESSEL_FONT_BINARY);
    std::vector<uint8_t> rom = readFile(TESSEL_ROM_BINARY);
    ASSERT_EQ(font.size(), 3072u);
    ASSERT_EQ(rom.size(), 16384u);
    EXPECT_TRUE(std::equal(font.begin(), font.end(), openFontImage));
    EXPECT_TRUE(std::equal(rom.begin(), rom.end(), openRomImage));
}

TEST(OpenFont, UpperHalfOfTheTextCodesIsTheExactInverse)
{
    for (int i = 0; i < 64 * ROWS; ++i) {
        ASSERT_EQ(openFontImage[64 * ROWS + i], static_cast<uint8_t>(~openFontImage[i])) << "byte " << i;
    }
}

TEST(OpenFont, NormalTextIsDarkOnLight)
{
    // 'A' (code 0x41, as the machine's set has it): '.' the light background
    // (1 bits), '#' the dark dots.
    const char* expected[ROWS] = {
        "........", "........", "........",
        "..###...", ".#...#..", ".#...#..", ".#####..", ".#...#..", ".#...#..", ".#...#..",
        "........", "........"};
    for (int y = 0; y < ROWS; ++y) {
        for (int x = 0; x < 8; ++x) EXPECT_EQ(pixel(0x41, x, y), expected[y][x] == '.') << "x " << x << " y " << y;
    }
    for (int y = 0; y < ROWS; ++y) {
        EXPECT_EQ(openFontImage[0x60 * ROWS + y], 0xFF);  // space: all light
        EXPECT_EQ(openFontImage[0x20 * ROWS + y], 0x00);  // inverted space: the dark cursor block
    }
}

TEST(OpenFont, SemigraphicQuadrants)
{
    for (int code = 0x80; code < 0x100; ++code) {
        for (int y = 0; y < ROWS; ++y) {
            for (int x = 0; x < 8; ++x) {
                int bit = y < 6 ? (x < 4 ? 3 : 2) : (x < 4 ? 1 : 0);
                ASSERT_EQ(pixel(code, x, y), ((code >> bit) & 1) != 0) << "code " << code << " x " << x << " y " << y;
            }
        }
    }
}

TEST(OpenFont, GlyphsFollowTheirDrawing)
{
    auto drawing = readDrawing();
    ASSERT_EQ(drawing.size(), 64u) << "cannot read " << TESSEL_FONT_DRAWING;
    for (const auto& [code, rows] : drawing) {
        ASSERT_EQ(rows.size(), 7u);
        for (int y = 0; y < ROWS; ++y) {
            for (int x = 0; x < 8; ++x) {
                bool inside = x >= 1 && x <= 5 && y >= 3 && y <= 9;
                bool dot = inside && rows[y - 3][x - 1] == '#';
                ASSERT_EQ(pixel(NORMAL_TEXT + code, x, y), !dot) << "code " << code << " x " << x << " y " << y;
            }
        }
    }
}

TEST(OpenFont, EveryCharacterHasItsOwnPicture)
{
    std::set<std::array<uint8_t, ROWS>> seen;
    for (int code = 0; code < 64; ++code) {
        std::array<uint8_t, ROWS> glyph;
        std::copy_n(openFontImage + code * ROWS, ROWS, glyph.begin());
        EXPECT_TRUE(seen.insert(glyph).second) << "code " << code << " looks like another";
    }
}
