// A picture under construction: a 32-bit bitmap selected into a memory DC,
// plus the few shapes the pictures need beyond the DC's own primitives.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "tools/resgen/palette.h"

namespace resgen {

struct PointF {
    double x = 0;
    double y = 0;
};

class Canvas {
public:
    Canvas(int width, int height, COLORREF background);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CDC& dc() { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    const gdi::Surface& surface() const { return *bitmap_.GetSafeHandle(); }
    // The pixels; the canvas must not be drawn on afterwards.
    gdi::SurfacePtr Release();

private:
    int width_;
    int height_;
    CBitmap bitmap_;
    CDC dc_;
};

void FillRect(CDC& dc, const RECT& r, COLORREF colour);

// Fills the pixels whose centres lie inside the polygon (even-odd rule).
void FillPolygon(CDC& dc, std::span<const PointF> points, COLORREF colour);

// Outline of a rectangle with quarter-circle corners, as a polygon.
std::vector<PointF> RoundRectPath(double left, double top, double right, double bottom, double radius);
void FillRoundRect(CDC& dc, const RECT& r, double radius, COLORREF colour);

// Times New Roman with a cell height in pixels.
CFont MakeFont(int height, int weight, bool italic = false);

// The largest font (cell height at most max_height) whose text is at most
// max_width pixels wide.
CFont FitFont(std::string_view text, int max_width, int max_height, int weight, bool italic = false);

// Bounds of the pixels the text inks when drawn with its cell at (0, 0).
RECT InkBounds(const CFont& font, std::string_view text);

// Draws the text in the colour with its cell at (x, y), transparently.
void DrawText(CDC& dc, const CFont& font, int x, int y, std::string_view text, COLORREF colour);

}  // namespace resgen
