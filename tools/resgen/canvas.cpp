#include "tools/resgen/canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace resgen {

Canvas::Canvas(int width, int height, COLORREF background) : width_(width), height_(height) {
    dc_.CreateCompatibleDC(nullptr);
    if (!bitmap_.CreateCompatibleBitmap(&dc_, width, height) || !dc_.SelectObject(&bitmap_)) {
        throw std::runtime_error("cannot make a " + std::to_string(width) + " x " + std::to_string(height) +
                                 " canvas");
    }
    FillRect(dc_, RECT{0, 0, width, height}, background);
}

gdi::SurfacePtr Canvas::Release() {
    dc_.DeleteDC();
    return bitmap_.GetSafeHandle();
}

void FillRect(CDC& dc, const RECT& r, COLORREF colour) {
    CBrush brush(colour);
    HBRUSH old = dc.SelectObject(&brush);
    dc.PatBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
    dc.SelectObject(old);
}

void FillPolygon(CDC& dc, std::span<const PointF> points, COLORREF colour) {
    if (points.size() < 3) return;
    double min_y = points[0].y, max_y = points[0].y;
    for (const PointF& p : points) min_y = std::min(min_y, p.y), max_y = std::max(max_y, p.y);

    CBrush brush(colour);
    HBRUSH old = dc.SelectObject(&brush);
    std::vector<double> crossings;
    const int first_row = static_cast<int>(std::floor(min_y));
    const int last_row = static_cast<int>(std::ceil(max_y));
    for (int y = first_row; y <= last_row; ++y) {
        const double cy = y + 0.5;
        crossings.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const PointF& a = points[i];
            const PointF& b = points[(i + 1) % points.size()];
            // Half-open in y so a vertex shared by two edges counts once.
            if ((a.y <= cy) == (b.y <= cy)) continue;
            crossings.push_back(a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            // Pixels whose centre x + 0.5 lies in [x0, x1).
            const int x0 = static_cast<int>(std::ceil(crossings[i] - 0.5));
            const int x1 = static_cast<int>(std::ceil(crossings[i + 1] - 0.5));
            if (x1 > x0) dc.PatBlt(x0, y, x1 - x0, 1, PATCOPY);
        }
    }
    dc.SelectObject(old);
}

std::vector<PointF> RoundRectPath(double left, double top, double right, double bottom, double radius) {
    radius = std::clamp(radius, 0.0, std::min(right - left, bottom - top) / 2);
    constexpr int kSteps = 12;
    const PointF centres[4] = {{right - radius, top + radius},
                               {right - radius, bottom - radius},
                               {left + radius, bottom - radius},
                               {left + radius, top + radius}};
    std::vector<PointF> path;
    for (int corner = 0; corner < 4; ++corner) {
        const double start = (corner - 1) * std::numbers::pi / 2;  // -90 deg: top of the top-right corner
        for (int i = 0; i <= kSteps; ++i) {
            const double a = start + (std::numbers::pi / 2) * i / kSteps;
            path.push_back(
                {centres[corner].x + radius * std::cos(a), centres[corner].y + radius * std::sin(a)});
        }
    }
    return path;
}

void FillRoundRect(CDC& dc, const RECT& r, double radius, COLORREF colour) {
    const auto path = RoundRectPath(r.left, r.top, r.right, r.bottom, radius);
    FillPolygon(dc, path, colour);
}

CFont MakeFont(int height, int weight, bool italic) {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfCharSet = ANSI_CHARSET;
    std::string_view face = "Times New Roman";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    CFont font;
    font.CreateFontIndirect(&lf);
    return font;
}

CFont FitFont(std::string_view text, int max_width, int max_height, int weight, bool italic) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    for (int height = max_height; height > 4; --height) {
        CFont font = MakeFont(height, weight, italic);
        dc.SelectObject(&font);
        if (dc.GetTextExtent(text).cx <= max_width) return font;
    }
    return MakeFont(4, weight, italic);
}

RECT InkBounds(const CFont& font, std::string_view text) {
    CDC measure;
    measure.CreateCompatibleDC(nullptr);
    measure.SelectObject(&font);
    const SIZE extent = measure.GetTextExtent(text);
    // Glyphs may overhang their cell (italics, serifs), so leave a margin.
    const int pad = extent.cy;
    Canvas scratch(extent.cx + 2 * pad, extent.cy + 2 * pad, RGB(255, 255, 255));
    DrawText(scratch.dc(), font, pad, pad, text, RGB(0, 0, 0));
    const gdi::Surface& s = scratch.surface();
    RECT ink{s.width(), s.height(), 0, 0};
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            if (s.at(x, y) == 0xFFFFFF) continue;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x + 1);
            ink.bottom = std::max(ink.bottom, y + 1);
        }
    }
    if (ink.right <= ink.left) return RECT{};
    return RECT{ink.left - pad, ink.top - pad, ink.right - pad, ink.bottom - pad};
}

void DrawText(CDC& dc, const CFont& font, int x, int y, std::string_view text, COLORREF colour) {
    HFONT old_font = dc.SelectObject(&font);
    const int old_mode = dc.SetBkMode(TRANSPARENT);
    const COLORREF old_colour = dc.SetTextColor(colour);
    dc.TextOut(x, y, text);
    dc.SetTextColor(old_colour);
    dc.SetBkMode(old_mode);
    dc.SelectObject(old_font);
}

}  // namespace resgen
