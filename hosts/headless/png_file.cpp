#include "hosts/headless/png_file.h"

#include <bit>
#include <csetjmp>
#include <cstdio>

#include <png.h>

// Rows go to and from the caller's pixels directly: a 0xAARRGGBB word is
// B, G, R, A in memory on a little-endian host and A, R, G, B on a big-endian
// one, which libpng's BGR, swap-alpha and filler transformations describe.
// Without alpha the top byte is a filler, 0 when read.
static void setPixelLayout(png_structp png, bool alpha)
{
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        if (!alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        if (alpha) {
            png_set_swap_alpha(png);
        } else {
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
        }
    }
}

// Failures are reported by the return value alone.
[[noreturn]] static void fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
static void ignoreWarning(png_structp, png_const_charp) {}

static bool writeRows(const char* path, const uint32_t* pixels, int width, int height, bool alpha)
{
    if (width <= 0 || height <= 0 || width > PNG_MAX_WIDTH) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    setPixelLayout(png, alpha);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, reinterpret_cast<png_const_bytep>(pixels + static_cast<size_t>(y) * width));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

bool writePng(const char* path, const uint32_t* rgb, int width, int height)
{
    return writeRows(path, rgb, width, height, false);
}

bool writePngWithAlpha(const char* path, const uint32_t* argb, int width, int height)
{
    return writeRows(path, argb, width, height, true);
}

static bool readRows(const char* path, uint32_t* pixels, int maxPixels, int& width, int& height, bool alpha)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info);
    png_uint_32 h = png_get_image_height(png, info);
    if (w > PNG_MAX_WIDTH || h > PNG_MAX_WIDTH) png_error(png, "picture too large");
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    if (static_cast<long long>(w) * h > maxPixels) png_error(png, "picture larger than the buffer");

    // Whatever the file holds becomes 8-bit RGB plus alpha or the filler byte.
    png_set_expand(png);
    png_set_strip_16(png);
    if (alpha) {
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    } else {
        png_set_strip_alpha(png);
    }
    png_set_gray_to_rgb(png);
    setPixelLayout(png, alpha);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < h; ++y) {
            png_read_row(png, reinterpret_cast<png_bytep>(pixels + static_cast<size_t>(y) * w), nullptr);
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return true;
}

bool readPng(const char* path, uint32_t* rgb, int maxPixels, int& width, int& height)
{
    return readRows(path, rgb, maxPixels, width, height, false);
}

bool readPngWithAlpha(const char* path, uint32_t* argb, int maxPixels, int& width, int& height)
{
    return readRows(path, argb, maxPixels, width, height, true);
}
