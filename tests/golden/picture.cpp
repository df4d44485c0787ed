#include "tests/golden/picture.h"

#include "tests/golden/png_pixels.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace golden {
namespace {

constexpr std::uint32_t kDiffMark = 0xFF0000;

std::uint32_t Faded(std::uint32_t rgb) {
    const std::uint32_t grey = ((rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF)) / 3;
    const std::uint32_t light = 192 + grey / 4;
    return light << 16 | light << 8 | light;
}

}  // namespace

Picture FromSurface(const gdi::Surface& surface) {
    Picture picture{surface.width(), surface.height(), {}};
    picture.pixels.reserve(static_cast<std::size_t>(surface.width()) * surface.height());
    for (int y = 0; y < surface.height(); ++y) {
        const gdi::Pixel* row = surface.row(y);
        for (int x = 0; x < surface.width(); ++x) picture.pixels.push_back(row[x] & 0xFFFFFF);
    }
    return picture;
}

bool ReadPng(const std::string& path, Picture* picture, std::string* error) {
    return test_png::ReadPixels(path, &picture->width, &picture->height, &picture->pixels, error);
}

bool WritePng(const std::string& path, const Picture& picture, std::string* error) {
    // Palette when the colours fit in one (smaller files), else 24-bit RGB.
    std::unordered_map<std::uint32_t, int> index;
    std::vector<png_color> palette;
    for (std::uint32_t p : picture.pixels) {
        if (index.size() > 256) break;
        if (index.try_emplace(p, static_cast<int>(index.size())).second)
            palette.push_back({png_byte(p >> 16), png_byte(p >> 8), png_byte(p)});
    }
    const bool indexed = index.size() <= 256;

    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    png_structp png =
        file ? png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr) : nullptr;
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<std::size_t>(picture.width) * (indexed ? 1 : 3));
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        if (error) *error = "cannot write " + path;
        return false;
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 8, indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t* src = &picture.pixels[static_cast<std::size_t>(y) * picture.width];
        for (int x = 0; x < picture.width; ++x) {
            if (indexed) {
                row[static_cast<std::size_t>(x)] = static_cast<png_byte>(index[src[x]]);
            } else {
                png_byte* rgb = &row[3 * static_cast<std::size_t>(x)];
                rgb[0] = png_byte(src[x] >> 16), rgb[1] = png_byte(src[x] >> 8), rgb[2] = png_byte(src[x]);
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(file.get()) == 0;
}

long CountDifferences(const Picture& expected, const Picture& actual) {
    if (expected.width != actual.width || expected.height != actual.height)
        return static_cast<long>(std::max(expected.pixels.size(), actual.pixels.size()));
    long n = 0;
    for (std::size_t i = 0; i < expected.pixels.size(); ++i) n += expected.pixels[i] != actual.pixels[i];
    return n;
}

Picture DiffPicture(const Picture& expected, const Picture& actual) {
    Picture diff{std::max(expected.width, actual.width), std::max(expected.height, actual.height), {}};
    diff.pixels.assign(static_cast<std::size_t>(diff.width) * diff.height, kDiffMark);
    const auto at = [](const Picture& p, int x, int y) {
        return p.pixels[static_cast<std::size_t>(y) * p.width + x];
    };
    for (int y = 0; y < std::min(expected.height, actual.height); ++y) {
        for (int x = 0; x < std::min(expected.width, actual.width); ++x) {
            const std::uint32_t e = at(expected, x, y);
            diff.pixels[static_cast<std::size_t>(y) * diff.width + x] =
                e == at(actual, x, y) ? Faded(e) : kDiffMark;
        }
    }
    return diff;
}

}  // namespace golden
