#include "tools/resgen/icon_png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace resgen {

bool WriteIconPng(const std::string& path, const gdi::Surface& pixels, gdi::Pixel transparent,
                  std::string* error) {
    if (pixels.width() == 0 || pixels.height() == 0) {
        *error = "an empty picture cannot be written to " + path;
        return false;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) {
        *error = "cannot write " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        *error = "libpng could not start";
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(pixels.width()) * 4);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        *error = "libpng failed while writing " + path;
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width()),
                 static_cast<png_uint_32>(pixels.height()), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < pixels.height(); ++y) {
        const gdi::Pixel* src = pixels.row(y);
        for (int x = 0; x < pixels.width(); ++x) {
            const gdi::Pixel p = src[x] & 0xFFFFFF;
            png_byte* out = &row[4 * static_cast<std::size_t>(x)];
            const bool clear = p == (transparent & 0xFFFFFF);
            // Transparent pixels are black so that no key colour shows where
            // a viewer ignores alpha while scaling.
            out[0] = clear ? 0 : static_cast<png_byte>(p >> 16);
            out[1] = clear ? 0 : static_cast<png_byte>(p >> 8);
            out[2] = clear ? 0 : static_cast<png_byte>(p);
            out[3] = clear ? 0 : 255;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace resgen
