// Pictures the end-to-end tests compare: what the X server shows and what the
// snapshot tool wrote, as 0x00RRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool empty() const { return pixels.empty(); }
    friend bool operator==(const Image&, const Image&) = default;
};

bool ReadPng(const std::string& path, Image* image, std::string* error);
bool WritePng(const std::string& path, const Image& image);

// The root window of `display` as it is now; empty when it cannot be read.
Image CaptureRoot(const std::string& display);

// Pixels that differ (size mismatch counts every pixel of the larger picture).
long CountDifferences(const Image& a, const Image& b);

// The width x height part of `image` at (x, y); empty unless wholly inside.
Image Crop(const Image& image, int x, int y, int width, int height);

// Copies into `shown` the box of `like` that a compositor's cursor with its
// hot spot at (x, y) may cover, so the cursor drops out of comparisons.
void CoverCursor(Image& shown, const Image& like, int x, int y);

}  // namespace e2e
