// make_icon: turns the drawing of the program icon (dist/tessel_icon.txt)
// into the file the extension of the output names:
//
//   make_icon tessel_icon.txt tessel.ico         the Windows program's icon: one
//                                                32x32 image of 16 colours, 4 bits
//                                                a pixel, with its transparency mask
//   make_icon tessel_icon.txt tessel.png [SCALE] an RGBA PNG, each pixel drawn as a
//                                                SCALE x SCALE block (default 1)
//   make_icon tessel_icon.txt tessel.rgba        the 32x32 pixels as R, G, B, A
//                                                bytes, top row first
//
// Build-time tool; any fault in the drawing stops the build with its line.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "drawing_lines.h"
#include "hosts/headless/png_file.h"
#include "hosts/gtk/program_icon.h"

namespace {

constexpr int SIZE = PROGRAM_ICON_SIZE;
constexpr int MAX_SCALE = 64;
constexpr int COLOURS = 16;
constexpr char TRANSPARENT = '.';

// Layout of the file: the icon directory with its one entry, then the image
// as a DIB whose height counts the colour rows and the mask rows together.
constexpr int DIRECTORY_SIZE = 6;
constexpr int ENTRY_SIZE = 16;
constexpr int HEADER_SIZE = 40;
constexpr int PALETTE_SIZE = COLOURS * 4;
constexpr int COLOUR_ROW_SIZE = SIZE / 2;  // two pixels a byte; a multiple of 4 already
constexpr int MASK_ROW_SIZE = SIZE / 8;    // one bit a pixel; a multiple of 4 already
constexpr int IMAGE_SIZE = HEADER_SIZE + PALETTE_SIZE + SIZE * COLOUR_ROW_SIZE + SIZE * MASK_ROW_SIZE;
constexpr int FILE_SIZE = DIRECTORY_SIZE + ENTRY_SIZE + IMAGE_SIZE;

char names[COLOURS];            // the character of each palette entry
uint32_t palette[COLOURS];      // 0xRRGGBB
int colourCount = 0;
char rows[SIZE][SIZE];          // the drawing, top row first
int rowCount = 0;

uint8_t icon[FILE_SIZE];

int colourIndex(char name)
{
    for (int i = 0; i < colourCount; ++i) {
        if (names[i] == name) return i;
    }
    return -1;
}

void parseColour(const char* line)
{
    char name = 0;
    char hex[8] = {};
    char rest = 0;
    if (std::sscanf(line, "colour %c %7s %c", &name, hex, &rest) != 2) fail("expected: colour C RRGGBB");
    if (std::strlen(hex) != 6 || std::strspn(hex, "0123456789abcdefABCDEF") != 6) fail("colour is not RRGGBB");
    if (name == TRANSPARENT) fail("'.' is the transparent pixel, not a colour");
    if (colourIndex(name) >= 0) fail("colour named twice");
    if (colourCount == COLOURS) fail("more than 16 colours");
    names[colourCount] = name;
    palette[colourCount] = static_cast<uint32_t>(std::strtoul(hex, nullptr, 16));
    ++colourCount;
}

void parseRow(const char* line)
{
    if (rowCount == SIZE) fail("more than 32 rows");
    if (std::strlen(line) != SIZE) fail("a row is 32 pixels");
    for (int x = 0; x < SIZE; ++x) {
        if (line[x] != TRANSPARENT && colourIndex(line[x]) < 0) fail("pixel of a colour not named above");
        rows[rowCount][x] = line[x];
    }
    ++rowCount;
}

void readDrawing(const char* path)
{
    inputPath = path;
    std::FILE* file = std::fopen(path, "r");
    if (!file) fail("cannot open");
    char line[256];
    while (readLine(file, line, sizeof line)) {
        if (line[0] == '\0' || line[0] == ';') continue;
        if (std::strncmp(line, "colour ", 7) == 0) {
            if (rowCount > 0) fail("colours come before the drawing");
            parseColour(line);
        } else {
            parseRow(line);
        }
    }
    std::fclose(file);
    if (rowCount != SIZE) fail("the drawing has fewer than 32 rows");
}

void put16(uint8_t* at, unsigned value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value)
{
    put16(at, value & 0xFFFF);
    put16(at + 2, value >> 16);
}

void buildIcon()
{
    uint8_t* directory = icon;
    put16(directory + 2, 1);  // an icon, not a cursor
    put16(directory + 4, 1);  // one image

    uint8_t* entry = icon + DIRECTORY_SIZE;
    entry[0] = SIZE;
    entry[1] = SIZE;
    entry[2] = COLOURS;
    put16(entry + 4, 1);  // planes
    put16(entry + 6, 4);  // bits a pixel
    put32(entry + 8, IMAGE_SIZE);
    put32(entry + 12, DIRECTORY_SIZE + ENTRY_SIZE);

    uint8_t* header = entry + ENTRY_SIZE;
    put32(header, HEADER_SIZE);
    put32(header + 4, SIZE);
    put32(header + 8, 2 * SIZE);  // the colour rows and then the mask rows
    put16(header + 12, 1);
    put16(header + 14, 4);
    put32(header + 20, IMAGE_SIZE - HEADER_SIZE - PALETTE_SIZE);

    uint8_t* colours = header + HEADER_SIZE;  // blue, green, red, 0
    for (int i = 0; i < colourCount; ++i) {
        colours[4 * i] = static_cast<uint8_t>(palette[i]);
        colours[4 * i + 1] = static_cast<uint8_t>(palette[i] >> 8);
        colours[4 * i + 2] = static_cast<uint8_t>(palette[i] >> 16);
    }

    // Both bitmaps store the bottom row first. The left pixel of a colour
    // byte is its high half; the left pixel of a mask byte its top bit, set
    // where the picture is transparent (and its colour then entry 0).
    uint8_t* pixels = colours + PALETTE_SIZE;
    uint8_t* mask = pixels + SIZE * COLOUR_ROW_SIZE;
    for (int y = 0; y < SIZE; ++y) {
        const char* row = rows[SIZE - 1 - y];
        for (int x = 0; x < SIZE; ++x) {
            int index = row[x] == TRANSPARENT ? 0 : colourIndex(row[x]);
            pixels[y * COLOUR_ROW_SIZE + x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
            if (row[x] == TRANSPARENT) mask[y * MASK_ROW_SIZE + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
}

// 0xAARRGGBB; transparent pixels are black with alpha 0.
uint32_t pixelArgb(int x, int y)
{
    char name = rows[y][x];
    return name == TRANSPARENT ? 0 : 0xFF000000 | palette[colourIndex(name)];
}

bool writeBytes(const char* path, const uint8_t* bytes, size_t size)
{
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    bool written = std::fwrite(bytes, 1, size, out) == size;
    return std::fclose(out) == 0 && written;
}

bool writeIco(const char* path)
{
    buildIcon();
    return writeBytes(path, icon, sizeof icon);
}

bool writeRgba(const char* path)
{
    uint8_t pixels[PROGRAM_ICON_BYTES];
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            uint32_t argb = pixelArgb(x, y);
            uint8_t* at = pixels + 4 * (y * SIZE + x);
            at[0] = static_cast<uint8_t>(argb >> 16);
            at[1] = static_cast<uint8_t>(argb >> 8);
            at[2] = static_cast<uint8_t>(argb);
            at[3] = static_cast<uint8_t>(argb >> 24);
        }
    }
    return writeBytes(path, pixels, sizeof pixels);
}

bool writeScaledPng(const char* path, int scale)
{
    int size = SIZE * scale;
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) pixels[static_cast<size_t>(y) * size + x] = pixelArgb(x / scale, y / scale);
    }
    return writePngWithAlpha(path, pixels.data(), size, size);
}

bool endsWith(const char* text, const char* end)
{
    size_t length = std::strlen(text);
    size_t endLength = std::strlen(end);
    return length >= endLength && std::strcmp(text + length - endLength, end) == 0;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: make_icon DRAWING OUTPUT.ico | OUTPUT.png [SCALE] | OUTPUT.rgba\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) usage();
    const char* output = argv[2];
    int scale = 1;
    if (argc == 4) {
        if (!endsWith(output, ".png")) usage();
        char* end = nullptr;
        long number = std::strtol(argv[3], &end, 10);
        if (end == argv[3] || *end != '\0' || number < 1 || number > MAX_SCALE) usage();
        scale = static_cast<int>(number);
    }
    readDrawing(argv[1]);
    bool written = false;
    if (endsWith(output, ".ico")) {
        written = writeIco(output);
    } else if (endsWith(output, ".png")) {
        written = writeScaledPng(output, scale);
    } else if (endsWith(output, ".rgba")) {
        written = writeRgba(output);
    } else {
        usage();
    }
    if (!written) {
        std::fprintf(stderr, "%s: cannot write\n", output);
        std::remove(output);
        return 1;
    }
    return 0;
}
