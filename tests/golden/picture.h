// Pictures for the golden tests: read and write PNGs, compare, and draw a diff.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"

namespace golden {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
    friend bool operator==(const Picture&, const Picture&) = default;
};

Picture FromSurface(const gdi::Surface& surface);

bool ReadPng(const std::string& path, Picture* picture, std::string* error);
// A palette PNG when the picture has at most 256 colours (the pages have far
// fewer), else 24-bit RGB.
bool WritePng(const std::string& path, const Picture& picture, std::string* error);

// Pixels that differ; a size mismatch counts every pixel of the larger one.
long CountDifferences(const Picture& expected, const Picture& actual);
// The expected picture faded to light grey with every differing pixel red;
// where the sizes differ, the larger size with the missing part red.
Picture DiffPicture(const Picture& expected, const Picture& actual);

}  // namespace golden
