// The brand logo banner of the welcome page: the word CORVANE in a bold,
// letter-spaced serif over a teal swoosh. The page shows only the upper-left
// 617 x 116 pixels, so nothing is drawn in the last column and row.
#include <string>
#include <vector>

#include "tools/resgen/canvas.h"
#include "tools/resgen/pictures.h"

namespace resgen {
namespace {

constexpr int kWidth = 618, kHeight = 117;
constexpr int kShownWidth = 617, kShownHeight = 116;
constexpr char kBrand[] = "CORVANE";
constexpr char kTagline[] = "Flat Panel Displays";
constexpr int kTracking = 5;  // extra pixels between letters

// Diagonal pairs whose ink boxes may overlap.
int Kerning(char a, char b) {
    return (a == 'V' && b == 'A') || (a == 'A' && b == 'V') ? -14 : 0;
}

PointF Bezier(const PointF& a, const PointF& b, const PointF& c, double t) {
    const double u = 1 - t;
    return {u * u * a.x + 2 * u * t * b.x + t * t * c.x, u * u * a.y + 2 * u * t * b.y + t * t * c.y};
}

// A crescent between two quadratic curves that share their ends.
void DrawSwoosh(CDC& dc, PointF from, PointF to, PointF outer, PointF inner, COLORREF colour) {
    constexpr int kSteps = 64;
    std::vector<PointF> pts;
    for (int i = 0; i <= kSteps; ++i) pts.push_back(Bezier(from, outer, to, static_cast<double>(i) / kSteps));
    for (int i = kSteps; i >= 0; --i) pts.push_back(Bezier(from, inner, to, static_cast<double>(i) / kSteps));
    FillPolygon(dc, pts, colour);
}

}  // namespace

std::vector<Picture> DrawBanner() {
    Canvas canvas(kWidth, kHeight, Colour(kWhite));
    CDC& dc = canvas.dc();

    const CFont font = MakeFont(100, FW_BOLD);
    const RECT cap = InkBounds(font, "H");
    const int top = 9;
    const int baseline = top + cap.bottom - cap.top;

    // The swoosh runs under the word, dips, and sweeps up past its end.
    DrawSwoosh(dc, {18, baseline + 8.0}, {kShownWidth - 6.0, baseline - 34.0}, {260, baseline + 52.0},
               {260, baseline + 30.0}, Colour(kTeal));

    std::vector<RECT> inks;
    std::vector<int> advances;
    int word_w = 0;
    for (const char* c = kBrand; *c; ++c) {
        inks.push_back(InkBounds(font, std::string(1, *c)));
        int advance = inks.back().right - inks.back().left;
        if (c[1]) advance += kTracking + Kerning(c[0], c[1]);
        advances.push_back(advance);
        word_w += advance;
    }
    int x = (kShownWidth - word_w) / 2 - 20;
    for (std::size_t i = 0; i < inks.size(); ++i) {
        DrawText(dc, font, x - inks[i].left, top - cap.top, std::string(1, kBrand[i]), Colour(kNavy));
        x += advances[i];
    }

    const CFont tagline_font = MakeFont(22, FW_BOLD, true);
    const RECT tag = InkBounds(tagline_font, kTagline);
    DrawText(dc, tagline_font, kShownWidth - 12 - tag.right, kShownHeight - 4 - tag.bottom, kTagline,
             Colour(kNavy));

    return {Picture{"130", canvas.Release(), MaskOf({kWhite, kNavy, kTeal})}};
}

}  // namespace resgen
