// Helpers for pixel-exact raster tests: build a surface, draw, then compare an
// ASCII picture of a region with the expected one, so failures read as images.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/gdi/types.h"

namespace gdi::test {

constexpr Pixel kWhite = 0xFFFFFF;
constexpr Pixel kBlack = 0x000000;
constexpr Pixel kRed = 0xFF0000;    // brushes
constexpr Pixel kGreen = 0x00FF00;  // background colour of gaps
constexpr Pixel kBlue = 0x0000FF;

inline SurfacePtr MakeSurface(int w, int h, Pixel fill = kWhite) {
    SurfacePtr s = Surface::Create(w, h);
    std::fill(s->pixels().begin(), s->pixels().end(), fill);
    return s;
}

// '.' white, '#' black, 'o' red, '-' green, 'b' blue, '?' anything else.
inline char Glyph(Pixel p) {
    switch (p) {
        case kWhite:
            return '.';
        case kBlack:
            return '#';
        case kRed:
            return 'o';
        case kGreen:
            return '-';
        case kBlue:
            return 'b';
        default:
            return '?';
    }
}

// Rows of [left, right) x [top, bottom), each ended by '\n'; pixels off the surface print ' '.
inline std::string Picture(const Surface& s, RECT region) {
    std::string out;
    for (int y = region.top; y < region.bottom; ++y) {
        for (int x = region.left; x < region.right; ++x) out += s.contains(x, y) ? Glyph(s.at(x, y)) : ' ';
        out += '\n';
    }
    return out;
}
inline std::string Picture(const Surface& s) {
    return Picture(s, RECT{0, 0, s.width(), s.height()});
}

// The expected picture, one string per row.
inline std::string Lines(std::initializer_list<const char*> rows) {
    std::string out;
    for (const char* r : rows) (out += r) += '\n';
    return out;
}

// Smallest rectangle holding every pixel that differs from `background` (empty if none).
inline RECT Painted(const Surface& s, Pixel background = kWhite) {
    RECT r{s.width(), s.height(), 0, 0};
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            if (s.at(x, y) == background) continue;
            r.left = std::min(r.left, x);
            r.top = std::min(r.top, y);
            r.right = std::max(r.right, x + 1);
            r.bottom = std::max(r.bottom, y + 1);
        }
    }
    if (r.left >= r.right) return RECT{};
    return r;
}

inline int Count(const Surface& s, Pixel p) {
    int n = 0;
    for (Pixel q : s.pixels()) n += q == p;
    return n;
}

// The closed form for the minor offset of pixel i of a one-pixel line:
// floor((2*i*m + M - 1 + bias) / (2*M)), in 128 bits (docs/drawing-rules.md, section 4).
__extension__ typedef __int128 Wide;
inline std::int64_t MinorOffset(std::int64_t i, std::int64_t major, std::int64_t minor, int bias) {
    const Wide n = 2 * static_cast<Wide>(i) * minor + major - 1 + bias;
    return static_cast<std::int64_t>(n / (2 * static_cast<Wide>(major)));  // n >= 0
}

// Every pixel of the cosmetic line a->b (first drawn, last not), unclipped.
inline std::vector<POINT> ReferenceLine(POINT a, POINT b) {
    const std::int64_t dx = static_cast<std::int64_t>(b.x) - a.x, dy = static_cast<std::int64_t>(b.y) - a.y;
    const bool x_major = std::llabs(dx) > std::llabs(dy);
    const std::int64_t major = x_major ? std::llabs(dx) : std::llabs(dy);
    const std::int64_t minor = x_major ? std::llabs(dy) : std::llabs(dx);
    const int bias = (x_major ? dy < 0 : dx < 0) ? 1 : 0;
    const int sx = (dx > 0) - (dx < 0), sy = (dy > 0) - (dy < 0);
    std::vector<POINT> out;
    for (std::int64_t i = 0; i < major; ++i) {
        const std::int64_t f = MinorOffset(i, major, minor, bias);
        const std::int64_t x = a.x + sx * (x_major ? i : f);
        const std::int64_t y = a.y + sy * (x_major ? f : i);
        out.push_back(POINT{static_cast<int>(x), static_cast<int>(y)});
    }
    return out;
}

}  // namespace gdi::test
