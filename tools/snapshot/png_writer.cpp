#include "tools/snapshot/png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

bool WritePng(const gdi::Surface& surface, FILE* file, std::string* error) {
    if (surface.width() == 0 || surface.height() == 0) {
        if (error)
            *error = "the screen is empty (" + std::to_string(surface.width()) + " x " +
                     std::to_string(surface.height()) + "); no PNG written";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        if (error) *error = "libpng could not start";
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(surface.width()) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        if (error) *error = "libpng failed while writing the PNG";
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(surface.width()),
                 static_cast<png_uint_32>(surface.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < surface.height(); ++y) {
        const gdi::Pixel* src = surface.row(y);
        for (int x = 0; x < surface.width(); ++x) {
            row[3 * static_cast<std::size_t>(x)] = static_cast<png_byte>(src[x] >> 16);
            row[3 * static_cast<std::size_t>(x) + 1] = static_cast<png_byte>(src[x] >> 8);
            row[3 * static_cast<std::size_t>(x) + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
