#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <png.h>
#include <unistd.h>

#include "hosts/headless/png_file.h"

namespace {

namespace fs = std::filesystem;

class PngFileTest : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / ("tessel_png_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
};

TEST_F(PngFileTest, RoundTripKeepsEveryPixel)
{
    std::vector<uint32_t> picture(7 * 5);
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint32_t>(i * 0x0735A1) & 0xFFFFFF;
    picture[0] = 0xFFFFFF;
    picture[1] = 0x000000;
    ASSERT_TRUE(writePng(path("p.png").c_str(), picture.data(), 7, 5));

    std::vector<uint32_t> back(35, 0xDEADBEEF);
    int width = 0, height = 0;
    ASSERT_TRUE(readPng(path("p.png").c_str(), back.data(), 35, width, height));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 5);
    EXPECT_EQ(back, picture);
}

TEST_F(PngFileTest, ChannelsAreStoredAsRedGreenBlue)
{
    const uint32_t picture[2] = {0x123456, 0xFF0080};
    ASSERT_TRUE(writePng(path("c.png").c_str(), picture, 2, 1));
    // Read back with libpng's own simple reader, byte by byte.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path("c.png").c_str()));
    image.format = PNG_FORMAT_RGB;
    uint8_t bytes[6];
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, bytes, 0, nullptr));
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 6), (std::vector<uint8_t>{0x12, 0x34, 0x56, 0xFF, 0x00, 0x80}));
}

TEST_F(PngFileTest, AlphaIsStoredAsRgbaAndReadBack)
{
    const uint32_t picture[3] = {0xFF123456, 0x00000000, 0x80FF0080};
    ASSERT_TRUE(writePngWithAlpha(path("a.png").c_str(), picture, 3, 1));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path("a.png").c_str()));
    EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_ALPHA);
    image.format = PNG_FORMAT_RGBA;
    uint8_t bytes[12];
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, bytes, 0, nullptr));
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 12),
              (std::vector<uint8_t>{0x12, 0x34, 0x56, 0xFF, 0, 0, 0, 0, 0xFF, 0x00, 0x80, 0x80}));

    uint32_t back[3] = {};
    int width = 0, height = 0;
    ASSERT_TRUE(readPngWithAlpha(path("a.png").c_str(), back, 3, width, height));
    EXPECT_EQ(std::vector<uint32_t>(back, back + 3), std::vector<uint32_t>(picture, picture + 3));
    // Without alpha: the colour alone.
    ASSERT_TRUE(readPng(path("a.png").c_str(), back, 3, width, height));
    EXPECT_EQ(back[0], 0x123456u);
    EXPECT_EQ(back[2], 0xFF0080u);

    // A picture without alpha reads as opaque.
    const uint32_t opaque[2] = {0x123456, 0x000000};
    ASSERT_TRUE(writePng(path("o.png").c_str(), opaque, 2, 1));
    ASSERT_TRUE(readPngWithAlpha(path("o.png").c_str(), back, 3, width, height));
    EXPECT_EQ(back[0], 0xFF123456u);
    EXPECT_EQ(back[1], 0xFF000000u);
}

TEST_F(PngFileTest, ReadRefusesWhatItCannotHold)
{
    const uint32_t picture[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(writePng(path("s.png").c_str(), picture, 3, 2));
    uint32_t small[5] = {9, 9, 9, 9, 9};
    int width = 0, height = 0;
    EXPECT_FALSE(readPng(path("s.png").c_str(), small, 5, width, height));
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    for (uint32_t p : small) EXPECT_EQ(p, 9u);

    std::ofstream(path("bad.png")) << "not a picture at all";
    EXPECT_FALSE(readPng(path("bad.png").c_str(), small, 5, width, height));
    EXPECT_FALSE(readPng(path("missing.png").c_str(), small, 5, width, height));
    EXPECT_FALSE(writePng(path("nodir/x.png").c_str(), picture, 3, 2));
    EXPECT_FALSE(writePng(path("empty.png").c_str(), picture, 0, 2));
}

}  // namespace
