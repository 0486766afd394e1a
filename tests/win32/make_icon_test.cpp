// tools/make_icon: the program icon read back pixel by pixel against its
// drawing, as .ico, as PNG at several scales and as raw pixels, and drawings
// and outputs that must stop the build.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "hosts/headless/png_file.h"

namespace fs = std::filesystem;

namespace {

constexpr int SIZE = 32;

struct Drawing {
    std::vector<char> names;  // palette order
    std::map<char, uint32_t> colours;
    std::vector<std::string> rows;
};

Drawing readDrawing(const fs::path& path)
{
    Drawing drawing;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == ';') continue;
        if (line.rfind("colour ", 0) == 0) {
            drawing.names.push_back(line[7]);
            drawing.colours[line[7]] = static_cast<uint32_t>(std::stoul(line.substr(9), nullptr, 16));
        } else {
            drawing.rows.push_back(line);
        }
    }
    return drawing;
}

struct ToolRun {
    int status;
    std::string errors;
};

ToolRun makeIcon(const fs::path& drawing, const fs::path& icon, const std::string& more = "")
{
    fs::path errors = icon.string() + ".err";
    std::string command = std::string(TESSEL_MAKE_ICON) + " '" + drawing.string() + "' '" + icon.string() + "' " +
                          more + " 2>'" + errors.string() + "'";
    int status = std::system(command.c_str());
    std::ifstream file(errors);
    return {status, {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()}};
}

std::vector<uint8_t> readBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

unsigned get16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t get32(const std::vector<uint8_t>& b, size_t at) { return get16(b, at) | (get16(b, at + 2) << 16); }

fs::path scratch(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("tessel-make-icon-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(MakeIcon, ProgramIconReadsBackAsDrawn)
{
    fs::path dir = scratch("program");
    ToolRun run = makeIcon(TESSEL_ICON_DRAWING, dir / "tessel.ico");
    ASSERT_EQ(run.status, 0) << run.errors;
    Drawing drawing = readDrawing(TESSEL_ICON_DRAWING);
    ASSERT_EQ(drawing.rows.size(), static_cast<size_t>(SIZE));
    ASSERT_LE(drawing.names.size(), 16u);

    std::vector<uint8_t> icon = readBytes(dir / "tessel.ico");
    ASSERT_EQ(icon.size(), 766u);
    // One icon image: 32x32, 16 colours, 4 bits a pixel, right after the directory.
    EXPECT_EQ(get16(icon, 0), 0u);
    EXPECT_EQ(get16(icon, 2), 1u);
    EXPECT_EQ(get16(icon, 4), 1u);
    EXPECT_EQ(icon[6], SIZE);
    EXPECT_EQ(icon[7], SIZE);
    EXPECT_EQ(icon[8], 16);
    EXPECT_EQ(get16(icon, 12), 4u);
    EXPECT_EQ(get32(icon, 14), icon.size() - 22);
    ASSERT_EQ(get32(icon, 18), 22u);

    const size_t header = 22;
    EXPECT_EQ(get32(icon, header), 40u);
    EXPECT_EQ(get32(icon, header + 4), static_cast<uint32_t>(SIZE));
    EXPECT_EQ(get32(icon, header + 8), static_cast<uint32_t>(2 * SIZE));  // colour rows, then mask rows
    EXPECT_EQ(get16(icon, header + 14), 4u);
    EXPECT_EQ(get32(icon, header + 16), 0u);  // not compressed

    const size_t palette = header + 40;
    const size_t pixels = palette + 16 * 4;
    const size_t mask = pixels + SIZE * SIZE / 2;
    for (int y = 0; y < SIZE; ++y) {
        // Both bitmaps keep the bottom row first.
        size_t line = static_cast<size_t>(SIZE - 1 - y);
        for (int x = 0; x < SIZE; ++x) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            uint8_t pair = icon[pixels + line * SIZE / 2 + x / 2];
            int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
            bool transparent = (icon[mask + line * SIZE / 8 + x / 8] >> (7 - x % 8)) & 1;
            char drawn = drawing.rows[y][x];
            if (drawn == '.') {
                EXPECT_TRUE(transparent);
                EXPECT_EQ(index, 0);
                continue;
            }
            EXPECT_FALSE(transparent);
            ASSERT_LT(static_cast<size_t>(index), drawing.names.size());
            EXPECT_EQ(drawing.names[index], drawn);
            uint32_t rgb = icon[palette + 4 * index + 2] << 16 | icon[palette + 4 * index + 1] << 8 |
                           icon[palette + 4 * index];
            EXPECT_EQ(rgb, drawing.colours[drawn]);
        }
    }
}

// The drawing's pixel as 0xAARRGGBB: transparent is 0.
uint32_t drawnPixel(const Drawing& drawing, int x, int y)
{
    char drawn = drawing.rows[y][x];
    return drawn == '.' ? 0 : 0xFF000000 | drawing.colours.at(drawn);
}

TEST(MakeIcon, PngShowsTheDrawingInBlocksOfTheScale)
{
    fs::path dir = scratch("png");
    Drawing drawing = readDrawing(TESSEL_ICON_DRAWING);
    for (int scale : {1, 2, 8}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        fs::path png = dir / ("icon" + std::to_string(scale) + ".png");
        ToolRun run = makeIcon(TESSEL_ICON_DRAWING, png, scale == 1 ? "" : std::to_string(scale));
        ASSERT_EQ(run.status, 0) << run.errors;
        std::vector<uint32_t> pixels(256 * 256);
        int width = 0, height = 0;
        ASSERT_TRUE(readPngWithAlpha(png.string().c_str(), pixels.data(), 256 * 256, width, height));
        ASSERT_EQ(width, SIZE * scale);
        ASSERT_EQ(height, SIZE * scale);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(pixels[y * width + x], drawnPixel(drawing, x / scale, y / scale)) << x << "," << y;
            }
        }
    }
}

TEST(MakeIcon, RawPixelsAreRgbaTopRowFirst)
{
    fs::path dir = scratch("rgba");
    ToolRun run = makeIcon(TESSEL_ICON_DRAWING, dir / "icon.rgba");
    ASSERT_EQ(run.status, 0) << run.errors;
    Drawing drawing = readDrawing(TESSEL_ICON_DRAWING);
    std::vector<uint8_t> bytes = readBytes(dir / "icon.rgba");
    ASSERT_EQ(bytes.size(), static_cast<size_t>(SIZE * SIZE * 4));
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            const uint8_t* p = &bytes[(y * SIZE + x) * 4];
            uint32_t argb = static_cast<uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
            ASSERT_EQ(argb, drawnPixel(drawing, x, y)) << x << "," << y;
        }
    }
}

TEST(MakeIcon, UnknownOutputsAndScalesAreRefused)
{
    fs::path dir = scratch("outputs");
    for (const auto& [output, more] : std::vector<std::pair<std::string, std::string>>{
             {"icon.bmp", ""}, {"icon.ico", "2"}, {"icon.png", "0"}, {"icon.png", "65"}, {"icon.png", "x"}}) {
        SCOPED_TRACE(output + " " + more);
        ToolRun run = makeIcon(TESSEL_ICON_DRAWING, dir / output, more);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.errors.find("usage: make_icon"), std::string::npos) << run.errors;
        EXPECT_FALSE(fs::exists(dir / output));
    }
}

TEST(MakeIcon, FaultyDrawingsStopWithTheirLine)
{
    fs::path dir = scratch("faulty");
    const std::string colours = "colour K 000000\ncolour W FFFFFF\n";
    const std::string row(SIZE, 'K');
    std::string rows;
    for (int y = 0; y < SIZE; ++y) rows += row + "\n";

    struct Case {
        const char* what;
        std::string text;
        const char* message;
    };
    std::string seventeen;
    for (int i = 0; i < 17; ++i) seventeen += std::string("colour ") + static_cast<char>('a' + i) + " 000000\n";
    const Case cases[] = {
        {"short row", colours + rows.substr(0, (SIZE - 1) * (SIZE + 1)) + row.substr(1) + "\n", ":34: a row is 32"},
        {"unnamed colour", colours + "Q" + rows.substr(1), ":3: pixel of a colour not named"},
        {"too few rows", colours + rows.substr(SIZE + 1), "fewer than 32 rows"},
        {"too many rows", colours + rows + row + "\n", ":35: more than 32 rows"},
        {"seventeen colours", seventeen + rows, ":17: more than 16 colours"},
        {"colour named twice", colours + "colour K 101010\n" + rows, ":3: colour named twice"},
        {"bad colour value", "colour K 00000G\n" + rows, ":1: colour is not RRGGBB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::path drawing = dir / "drawing.txt";
        std::ofstream(drawing) << c.text;
        fs::remove(dir / "out.ico");
        ToolRun run = makeIcon(drawing, dir / "out.ico");
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
        EXPECT_FALSE(fs::exists(dir / "out.ico"));
    }
}

}  // namespace
