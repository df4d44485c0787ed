// A 32-bit pixel surface: the storage behind every bitmap and device context.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/types.h"

namespace gdi {

// Pixels are 0x00RRGGBB, rows top to bottom, no padding.
using Pixel = std::uint32_t;

constexpr Pixel ToPixel(COLORREF c) {
    return (static_cast<Pixel>(GetRValue(c)) << 16) | (static_cast<Pixel>(GetGValue(c)) << 8) |
           static_cast<Pixel>(GetBValue(c));
}

class Surface {
public:
    // Largest width or height a surface may have; bigger requests are refused.
    static constexpr int kMaxDimension = 16384;

    // Returns null and fills *error when the size is negative or too large.
    // A 0 x 0 surface is valid and has no pixels.
    static std::shared_ptr<Surface> Create(int width, int height, std::string* error = nullptr);

    int width() const { return width_; }
    int height() const { return height_; }
    Pixel* row(int y) {
        return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    }
    const Pixel* row(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    }
    Pixel at(int x, int y) const { return row(y)[x]; }
    void set(int x, int y, Pixel p) { row(y)[x] = p; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    std::vector<Pixel>& pixels() { return pixels_; }
    const std::vector<Pixel>& pixels() const { return pixels_; }

    // Resource number the pixels were loaded from, or -1; traces report it.
    int resource_id = -1;

private:
    Surface(int width, int height);
    int width_;
    int height_;
    std::vector<Pixel> pixels_;
};

using SurfacePtr = std::shared_ptr<Surface>;

}  // namespace gdi
