#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "machine/surface.h"

namespace {

struct TestSurface {
    std::vector<uint32_t> pixels;
    Surface surface;
    TestSurface(int w, int h, uint32_t fill) : pixels(w * h, fill), surface{w, h, pixels.data()} {}
    uint32_t at(int x, int y) const { return pixels[y * surface.width + x]; }
    int count(uint32_t color) const { return static_cast<int>(std::count(pixels.begin(), pixels.end(), color)); }
};

TEST(Surface, PixelsOutsideAreNotDrawn)
{
    TestSurface t(4, 3, 0);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}}) setPixel(t.surface, x, y, 1);
    EXPECT_EQ(t.count(0), 12);
    setPixel(t.surface, 3, 2, 0xFFFFFF);
    EXPECT_EQ(t.at(3, 2), 0xFFFFFFu);
}

TEST(Surface, FillIsClippedToTheSurface)
{
    TestSurface t(6, 5, 0);
    fillRect(t.surface, -2, -3, 4, 5, 7);  // covers (0..1, 0..1)
    EXPECT_EQ(t.count(7), 4);
    EXPECT_EQ(t.at(1, 1), 7u);
    fillRect(t.surface, 4, 3, 10, 10, 9);  // covers (4..5, 3..4)
    EXPECT_EQ(t.count(9), 4);
    EXPECT_EQ(t.at(5, 4), 9u);
    fillRect(t.surface, 6, 0, 3, 3, 5);
    fillRect(t.surface, 0, 0, 0, 3, 5);
    EXPECT_EQ(t.count(5), 0);
}

TEST(Surface, CopyIsClippedOnBothSides)
{
    TestSurface src(4, 4, 0);
    for (int i = 0; i < 16; ++i) src.pixels[i] = 100 + i;
    TestSurface dst(5, 5, 0);
    copyRect(dst.surface, 1, 1, src.surface, 0, 0, 4, 4);
    EXPECT_EQ(dst.at(1, 1), 100u);
    EXPECT_EQ(dst.at(4, 4), 115u);
    EXPECT_EQ(dst.count(0), 25 - 16);

    TestSurface d2(5, 5, 0);
    copyRect(d2.surface, -1, 3, src.surface, 1, 1, 3, 3);  // left column and bottom line fall off
    EXPECT_EQ(d2.at(0, 3), 106u);
    EXPECT_EQ(d2.at(1, 4), 111u);
    EXPECT_EQ(d2.count(0), 25 - 4);

    TestSurface d3(5, 5, 0);
    copyRect(d3.surface, 0, 0, src.surface, -2, 2, 4, 4);  // only source columns 0-1, lines 2-3 exist
    EXPECT_EQ(d3.at(2, 0), 108u);
    EXPECT_EQ(d3.at(3, 1), 113u);
    EXPECT_EQ(d3.count(0), 25 - 4);
}

}  // namespace
