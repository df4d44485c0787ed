// The damage rectangle, and the drawing bounds a DC reports: every pixel a
// drawing call changes must lie inside them.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/damage.h"
#include "platform/gdi/dc.h"

namespace {

using gdi::Rect;

TEST(Damage, UnionOfAddedAreasIgnoringEmptyOnes) {
    gdi::Damage d;
    EXPECT_TRUE(d.IsEmpty());
    d.Add({5, 5, 5, 9});   // no width
    d.Add({9, 9, 3, 12});  // inverted
    EXPECT_TRUE(d.IsEmpty());
    d.Add({10, 20, 30, 40});
    d.Add({0, 35, 12, 50});
    d.Add({});
    EXPECT_EQ(d.Within({0, 0, 100, 100}), (Rect{0, 20, 30, 50}));
}

TEST(Damage, TakeClipsToTheSurfaceAndEmpties) {
    gdi::Damage d;
    d.Add({-50, 90, 70, 300});
    EXPECT_EQ(d.Take({0, 0, 64, 100}), (Rect{0, 90, 64, 100}));
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_TRUE(d.Take({0, 0, 64, 100}).IsEmpty());

    d.Add({200, 200, 300, 300});  // wholly outside: nothing to show, but taken
    EXPECT_TRUE(d.Take({0, 0, 64, 100}).IsEmpty());
    EXPECT_TRUE(d.IsEmpty());
}

TEST(Damage, HugeCoordinatesStayExact) {
    gdi::Damage d;
    const Rect huge = Rect::From(RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}).Translated(INT_MAX, INT_MAX);
    d.Add(huge);
    d.Add({INT_MIN, 0, INT_MIN + 1, 1});
    EXPECT_EQ(d.Within({0, 0, 1, 1}), (Rect{0, 0, 1, 1}));
    EXPECT_EQ(d.Take({0, 0, 16384, 16384}), (Rect{0, 0, 16384, 16384}));
    EXPECT_EQ(gdi::United({}, {}), Rect{});
    EXPECT_EQ(gdi::United({1, 2, 3, 4}, {7, 7, 7, 9}), (Rect{1, 2, 3, 4}));
}

struct Canvas {
    CDC dc;
    CBitmap bitmap;
    HBITMAP old;
    Canvas(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bitmap);
        dc.PatBlt(0, 0, w, h, PATCOPY);  // white
    }
};

// Every pixel that changed, as a rectangle; empty when none did.
Rect Changed(const std::vector<gdi::Pixel>& before, const gdi::Surface& after) {
    Rect r;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (before[static_cast<std::size_t>(y * after.width() + x)] != after.at(x, y))
                r = gdi::United(r, {x, y, x + 1, y + 1});
        }
    }
    return r;
}

TEST(DrawingBounds, HoldEveryPixelEachPrimitiveChanges) {
    Canvas source(8, 8);
    CBrush black(RGB(0, 0, 0));
    source.dc.SelectObject(&black);
    source.dc.PatBlt(2, 2, 4, 4, PATCOPY);
    CFont font;
    LOGFONTA lf{};
    lf.lfHeight = 24;
    lf.lfItalic = 1;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    font.CreateFontIndirect(&lf);
    const std::vector<std::pair<std::string, std::function<void(CDC&)>>> calls = {
        {"wide rectangle",
         [](CDC& dc) {
             CPen thick(PS_SOLID, 5, RGB(0, 0, 255));
             HPEN old = dc.SelectObject(&thick);
             dc.Rectangle(30, 40, 70, 60);
             dc.SelectObject(old);
         }},
        {"dotted line",
         [](CDC& dc) {
             CPen dots(PS_DOT, 1, RGB(255, 0, 0));
             HPEN old = dc.SelectObject(&dots);
             dc.MoveTo(-20, 90);
             dc.LineTo(300, 95);
             dc.SelectObject(old);
         }},
        {"column of a stripe",
         [](CDC& dc) {
             dc.MoveTo(100, 10);
             dc.LineTo(100, 30);
         }},
        {"italic text",
         [&font](CDC& dc) {
             HFONT old = dc.SelectObject(&font);
             dc.SetBkMode(TRANSPARENT);
             dc.TextOut(-3, 100, "fjord Wy");
             dc.SelectObject(old);
         }},
        {"enlarging blit",
         [&source](CDC& dc) { dc.StretchBlt(150, 5, 40, 40, &source.dc, 0, 0, 8, 8, SRCCOPY); }},
        {"fill of everything",
         [](CDC& dc) {
             CBrush grey(RGB(9, 9, 9));
             HBRUSH old = dc.SelectObject(&grey);
             dc.PatBlt(-10, -10, 1000, 1000, PATCOPY);
             dc.SelectObject(old);
         }},
    };
    for (const auto& [name, draw] : calls) {
        Canvas c(200, 160);
        const auto& pixels = c.dc.surface()->pixels();
        const std::vector<gdi::Pixel> before(pixels.begin(), pixels.end());
        EXPECT_EQ(c.dc.SetBoundsRect(nullptr, DCB_RESET | DCB_ENABLE) & DCB_SET, DCB_SET) << name;
        RECT none;
        EXPECT_EQ(c.dc.GetBoundsRect(&none, 0), DCB_RESET) << name;
        draw(c.dc);
        RECT bounds;
        EXPECT_EQ(c.dc.GetBoundsRect(&bounds, DCB_RESET), DCB_SET) << name;
        const Rect changed = Changed(before, *c.dc.surface());
        EXPECT_FALSE(changed.IsEmpty()) << name << " drew nothing";
        EXPECT_TRUE(Rect::From(bounds).Contains(changed)) << name;
        RECT after;
        EXPECT_EQ(c.dc.GetBoundsRect(&after, 0), DCB_RESET) << name;
        EXPECT_EQ(after, RECT{}) << name;
    }
}

TEST(DrawingBounds, AccumulatedRectanglesAddClippedToTheBitmap) {
    Canvas c(50, 40);
    c.dc.SetBoundsRect(nullptr, DCB_RESET);
    const RECT outside{60, 0, 90, 10};
    c.dc.SetBoundsRect(&outside, DCB_ACCUMULATE);
    RECT r;
    EXPECT_EQ(c.dc.GetBoundsRect(&r, 0), DCB_RESET);
    const RECT part{-5, 30, 20, 99};
    c.dc.SetBoundsRect(&part, DCB_ACCUMULATE);
    EXPECT_EQ(c.dc.GetBoundsRect(&r, 0), DCB_SET);
    EXPECT_EQ(r, (RECT{0, 0, 50, 40}));  // with the first rectangle, then clipped
}

}  // namespace
