// Reads a PNG of any kind (palette, grey, RGB, with or without alpha) as
// 0x00RRGGBB pixels, rows top to bottom. Shared by the golden and the
// end-to-end tests; header-only, so each test links only libpng.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace test_png {

inline bool ReadPixels(const std::string& path, int* width, int* height, std::vector<std::uint32_t>* pixels,
                       std::string* error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        if (error) *error = path + ": " + png.message;
        return false;
    }
    png.format = PNG_FORMAT_BGRA;  // one little-endian 0xAARRGGBB word per pixel
    std::vector<std::uint32_t> read(static_cast<std::size_t>(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, read.data(), 0, nullptr)) {
        if (error) *error = path + ": " + png.message;
        png_image_free(&png);
        return false;
    }
    for (std::uint32_t& p : read) p &= 0xFFFFFF;
    *width = static_cast<int>(png.width);
    *height = static_cast<int>(png.height);
    *pixels = std::move(read);
    return true;
}

}  // namespace test_png
