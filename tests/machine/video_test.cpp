#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "machine/vz200.h"
#include "hosts/headless/png_file.h"

namespace {

// A font of our own, so that the pictures do not follow edits of the real
// one. Line 0 spells the code, lines 2-9 draw a diagonal from the top left
// and line 10 fills the left half: the bit order shows at a glance.
void makeTestFont()
{
    for (int code = 0; code < 256; ++code) {
        uint8_t* glyph = vz200.fontImage + 12 * code;
        std::memset(glyph, 0, 12);
        glyph[0] = static_cast<uint8_t>(code);
        for (int k = 2; k <= 9; ++k) glyph[k] = static_cast<uint8_t>(1u << (k - 2));
        glyph[10] = 0x0F;
    }
}

bool regenerating()
{
    const char* flag = std::getenv("TESSEL_REGENERATE_GOLDEN");
    return flag && std::strcmp(flag, "1") == 0;
}

void expectMatchesGolden(const Surface& surface, const std::string& name)
{
    std::string path = std::string(TESSEL_GOLDEN_DIR) + "/" + name + ".png";
    if (regenerating()) {
        ASSERT_TRUE(writePng(path.c_str(), surface.pixels, surface.width, surface.height)) << path;
        std::printf("wrote %s\n", path.c_str());
        return;
    }
    std::vector<uint32_t> expected(surface.width * surface.height);
    int width = 0, height = 0;
    ASSERT_TRUE(readPng(path.c_str(), expected.data(), static_cast<int>(expected.size()), width, height))
        << "cannot read " << path << " (TESSEL_REGENERATE_GOLDEN=1 writes it)";
    ASSERT_EQ(width, surface.width);
    ASSERT_EQ(height, surface.height);
    int mismatches = 0;
    for (int i = 0; i < width * height; ++i) {
        if (expected[i] == surface.pixels[i]) continue;
        if (mismatches++ == 0) {
            ADD_FAILURE() << name << ": first difference at (" << i % width << ", " << i / width << "): expected "
                          << std::hex << expected[i] << ", got " << surface.pixels[i];
        }
    }
    if (mismatches) {
        std::string actual = path + ".new";
        writePng(actual.c_str(), surface.pixels, surface.width, surface.height);
        ADD_FAILURE() << name << ": " << mismatches << " pixels differ; this picture is in " << actual;
    }
}

class VideoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        makeTestFont();
        buildGlyphAtlas(vz200);
    }

    void SetUp() override
    {
        std::memset(vz200.memoryImage, 0, sizeof vz200.memoryImage);
        vz200.outputLatch = 0;
    }

    static void fillVideo(int count, uint8_t value) { std::memset(vz200.memoryImage + VIDEO_MEMORY, value, count); }

    static uint32_t pixel(int x, int y) { return vz200.backBuffer[y * BACK_BUFFER_WIDTH + x]; }

    static std::vector<uint32_t> render(uint8_t latch)
    {
        vz200.outputLatch = latch;
        renderScreen(vz200);
        return {vz200.backBuffer, vz200.backBuffer + BACK_BUFFER_WIDTH * BACK_BUFFER_HEIGHT};
    }

    // Text cell (column, row): the pixel of glyph line 10, column n.
    static uint32_t textPixel(int column, int row, int n) { return pixel(32 + 8 * column + n, 24 + 12 * row + 10); }
};

TEST_F(VideoTest, AtlasLayout)
{
    expectMatchesGolden(glyphAtlasSurface(vz200), "atlas");
}

TEST_F(VideoTest, TextModeInBothColorSets)
{
    for (int i = 0; i < 512; ++i) vz200.memoryImage[VIDEO_MEMORY + i] = static_cast<uint8_t>(i * 5);
    render(0x00);
    expectMatchesGolden(backBufferSurface(vz200), "text_set0");
    render(LATCH_COLOR_SET);
    expectMatchesGolden(backBufferSurface(vz200), "text_set1");
}

TEST_F(VideoTest, SpaceScreenShowsTextColorsInsideABlackBorder)
{
    fillVideo(512, 0x20);
    for (auto [latch, background, foreground] : {
             std::tuple{0x00, videoPalette.darkGreen, videoPalette.textGreen},
             std::tuple{0x10, videoPalette.darkOrange, videoPalette.textOrange},
             std::tuple{0xE7, videoPalette.darkGreen, videoPalette.textGreen},  // other bits mean nothing
         }) {
        render(static_cast<uint8_t>(latch));
        for (auto [x, y] : {std::pair{0, 0}, {31, 100}, {288, 100}, {100, 23}, {100, 216}, {319, 239}}) {
            EXPECT_EQ(pixel(x, y), videoPalette.black) << x << "," << y;
        }
        for (int row = 0; row < 16; ++row) {
            for (int column = 0; column < 32; ++column) {
                // Glyph 0x20: line 0 has column 5 set, line 10 columns 0-3.
                ASSERT_EQ(pixel(32 + 8 * column + 5, 24 + 12 * row), foreground);
                ASSERT_EQ(pixel(32 + 8 * column + 4, 24 + 12 * row), background);
                ASSERT_EQ(textPixel(column, row, 3), foreground);
                ASSERT_EQ(textPixel(column, row, 4), background);
            }
        }
    }
}

TEST_F(VideoTest, SemigraphicRangesEndOnMultiplesOf16)
{
    const std::pair<uint8_t, uint32_t> edges[] = {
        {0x80, 0},  // a character: text colour
        {0x81, videoPalette.green},   {0x90, videoPalette.green},   {0x91, videoPalette.yellow},
        {0xA0, videoPalette.yellow},  {0xA1, videoPalette.blue},    {0xB0, videoPalette.blue},
        {0xB1, videoPalette.red},     {0xC0, videoPalette.red},     {0xC1, videoPalette.buff},
        {0xD0, videoPalette.buff},    {0xD1, videoPalette.cyan},    {0xE0, videoPalette.cyan},
        {0xE1, videoPalette.magenta}, {0xF0, videoPalette.magenta}, {0xF1, videoPalette.orange},
        {0xFF, videoPalette.orange},
    };
    fillVideo(512, 0x20);
    for (int i = 0; i < 17; ++i) vz200.memoryImage[VIDEO_MEMORY + 64 + 2 * (i % 16) + 64 * (i / 16)] = edges[i].first;
    for (auto [latch, background, text, name] : {
             std::tuple{0x00, videoPalette.darkGreen, videoPalette.textGreen, "semigraphics_set0"},
             std::tuple{0x10, videoPalette.darkOrange, videoPalette.textOrange, "semigraphics_set1"},
         }) {
        render(static_cast<uint8_t>(latch));
        expectMatchesGolden(backBufferSurface(vz200), name);
        for (int i = 0; i < 17; ++i) {
            int column = 2 * (i % 16), row = 2 + 2 * (i / 16);
            uint32_t foreground = edges[i].second ? edges[i].second : text;
            EXPECT_EQ(textPixel(column, row, 0), foreground) << std::hex << int(edges[i].first);
            EXPECT_EQ(textPixel(column, row, 7), background) << std::hex << int(edges[i].first);
        }
    }
}

TEST_F(VideoTest, GraphicsPixelColorsInBothSets)
{
    fillVideo(2048, 0x1B);  // pixel values 0, 1, 2, 3
    for (auto [latch, c0, c1, c2, c3, name] : {
             std::tuple{0x08, videoPalette.green, videoPalette.yellow, videoPalette.blue, videoPalette.red, "graphics_1b_set0"},
             std::tuple{0x18, videoPalette.buff, videoPalette.cyan, videoPalette.orange, videoPalette.magenta, "graphics_1b_set1"},
         }) {
        render(static_cast<uint8_t>(latch));
        expectMatchesGolden(backBufferSurface(vz200), name);
        const uint32_t expected[8] = {c0, c0, c1, c1, c2, c2, c3, c3};
        for (int y : {24, 25, 26, 213, 215}) {
            for (int x = 0; x < 8; ++x) EXPECT_EQ(pixel(32 + 8 * 31 + x, y), expected[x]) << x << "," << y;
        }
        EXPECT_EQ(pixel(0, 0), c0);  // the border
        EXPECT_EQ(pixel(319, 239), c0);
    }
}

TEST_F(VideoTest, GraphicsShowsEveryByteValue)
{
    for (int i = 0; i < 2048; ++i) vz200.memoryImage[VIDEO_MEMORY + i] = static_cast<uint8_t>(i + i / 256);
    render(0x08);
    expectMatchesGolden(backBufferSurface(vz200), "graphics_values_set0");
    render(0x18);
    expectMatchesGolden(backBufferSurface(vz200), "graphics_values_set1");
}

TEST_F(VideoTest, EmptyGraphicsScreenIsOneColor)
{
    for (auto [latch, color] : {std::pair{0x08, videoPalette.green}, {0x18, videoPalette.buff}}) {
        for (uint32_t p : render(static_cast<uint8_t>(latch))) ASSERT_EQ(p, color);
    }
}

TEST_F(VideoTest, MemoryPastTheScreenIsNotShown)
{
    for (auto [latch, screenBytes] : {std::pair{0x00, 512}, {0x10, 512}, {0x08, 2048}, {0x18, 2048}}) {
        std::memset(vz200.memoryImage, 0x00, sizeof vz200.memoryImage);
        auto clean = render(static_cast<uint8_t>(latch));
        std::memset(vz200.memoryImage + VIDEO_MEMORY + screenBytes, 0xA5, MEMORY_SIZE - VIDEO_MEMORY - screenBytes);
        std::memset(vz200.memoryImage, 0xA5, VIDEO_MEMORY);
        EXPECT_EQ(render(static_cast<uint8_t>(latch)), clean) << "latch " << latch;
    }
}

TEST_F(VideoTest, EachFrameRedrawsTheWholePicture)
{
    fillVideo(2048, 0x1B);
    for (uint8_t latch : {0x00, 0x10, 0x08, 0x18}) {
        std::fill_n(vz200.backBuffer, BACK_BUFFER_WIDTH * BACK_BUFFER_HEIGHT, 0x123456u);
        for (uint32_t p : render(latch)) ASSERT_NE(p, 0x123456u) << "latch " << int(latch);
    }
}

TEST_F(VideoTest, TheLastLatchWriteOfAFrameCounts)
{
    memWrite(0x6800, 0x08);
    memWrite(0x6FFF, 0x00);
    renderScreen(vz200);
    EXPECT_EQ(pixel(0, 0), videoPalette.black);
    memWrite(0x6800, 0x00);
    memWrite(0x6ABC, 0x18);
    renderScreen(vz200);
    EXPECT_EQ(pixel(0, 0), videoPalette.buff);
}

}  // namespace
