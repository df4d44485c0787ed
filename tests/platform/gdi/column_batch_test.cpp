// Batched columns and fills must leave exactly the pixels that drawing each
// call at once leaves, whatever is drawn, read or copied in between.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "platform/gdi/dc.h"

namespace {

// One device context with its bitmaps and a second DC that reads from it.
struct Side {
    CDC dc;
    CBitmap main;
    CBitmap spare;
    CDC copy;
    CBitmap copy_bitmap;
    CFont font;

    Side(int w, int h, bool batching) {
        dc.CreateCompatibleDC(nullptr);
        main.CreateCompatibleBitmap(&dc, w, h);
        spare.CreateCompatibleBitmap(&dc, w / 2 + 1, h / 2 + 1);
        main.GetSafeHandle()->SetColumnBatching(batching);
        spare.GetSafeHandle()->SetColumnBatching(batching);
        dc.SelectObject(&main);
        copy.CreateCompatibleDC(nullptr);
        copy_bitmap.CreateCompatibleBitmap(&copy, w, h);
        copy.SelectObject(&copy_bitmap);
        LOGFONTA lf{};
        lf.lfHeight = 14;
        std::strcpy(lf.lfFaceName, "Times New Roman");
        font.CreateFontIndirect(&lf);
        dc.SelectObject(&font);
    }
};

constexpr COLORREF kPalette[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 128, 255),
                                 RGB(20, 200, 40)};

// Draws the same random sequence on a batching and a non-batching side,
// comparing the pixels whenever the sequence reads them back.
class Differential {
public:
    Differential(int w, int h, unsigned seed)
        : w_(w), h_(h), rng_(seed), batched_(w, h, true), direct_(w, h, false) {}

    void Run(int steps) {
        for (int i = 0; i < steps && !::testing::Test::HasFailure(); ++i) Step();
        Compare("end");
    }

    // Clear, then a full-height stripe run, then text: the stripe pages' order.
    void StripePage() {
        const COLORREF white = RGB(255, 255, 255);
        Both([&](Side& s) {
            CBrush brush(white);
            s.dc.SelectObject(&brush);
            s.dc.PatBlt(0, 0, w_, h_, PATCOPY);
            CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
            s.dc.SelectObject(&pen);
            for (int x = 0; x <= w_; x += 2) {
                s.dc.MoveTo(x, 0);
                s.dc.LineTo(x, h_);
            }
            s.dc.SetBkMode(OPAQUE);
            s.dc.TextOut(w_ / 3, h_ / 2, "Adjusting Pitch");
            s.dc.SelectObject(static_cast<const CPen*>(nullptr));
        });
        Compare("stripe page");
    }

    // Clear, wide lines along the four edges, boxes and text over them: the
    // centering page's order, the text drawn three times so that it is kept.
    void BorderPage() {
        for (int render = 0; render < 3; ++render) {
            Both([&](Side& s) {
                CBrush white(RGB(255, 255, 255));
                s.dc.SelectObject(&white);
                s.dc.PatBlt(0, 0, w_, h_, PATCOPY);
                const struct {
                    int width;
                    POINT from, to;
                } lines[] = {{6, {1, 1}, {1, h_}},
                             {6, {w_ - 1, h_}, {w_ - 1, 1}},
                             {7, {1, 1}, {w_, 1}},
                             {7, {1, h_ - 1}, {w_, h_ - 1}}};
                for (const auto& line : lines) {
                    CPen pen(PS_SOLID, line.width, RGB(0, 255, 0));
                    s.dc.SelectObject(&pen);
                    s.dc.MoveTo(line.from.x, line.from.y);
                    s.dc.LineTo(line.to.x, line.to.y);
                    s.dc.SelectObject(static_cast<const CPen*>(nullptr));
                }
                CBrush grey(RGB(200, 200, 200));
                s.dc.SelectObject(&grey);
                s.dc.PatBlt(w_ / 2, h_ / 3, 3, h_ / 3, PATCOPY);  // a narrow box under the text
                s.dc.SetBkMode(TRANSPARENT);
                s.dc.TextOut(-3, h_ / 4, "Step 1: Verify that a green line is showing");
                s.dc.TextOut(w_ / 3, h_ / 3, "Step 2: |/|\\ Wg over the grey box");
                s.dc.TextOut(w_ - 40, h_ - 12, "right and bottom edges");
                s.dc.SelectObject(static_cast<const CBrush*>(nullptr));
            });
            Compare("border page, render " + std::to_string(render));
        }
    }

    // A page of `brush` with one-pixel stripes of `pen` on the even columns;
    // both stay selected.
    void StripedPage(Side& s, CBrush& brush, CPen& pen) {
        s.dc.SelectObject(&brush);
        s.dc.PatBlt(0, 0, w_, h_, PATCOPY);
        s.dc.SelectObject(&pen);
        for (int x = 0; x < w_; x += 2) {
            s.dc.MoveTo(x, 0);
            s.dc.LineTo(x, h_);
        }
    }

    // Boxes across whole rows over stripes not yet written, one over a row
    // already written, with text, narrow boxes and a column over them, three
    // times: such boxes wait with the rows, and the rows are due their colour.
    void WholeRowBoxes() {
        for (int render = 0; render < 3; ++render) {
            Both([&](Side& s) {
                CBrush white(RGB(255, 255, 255)), black(RGB(0, 0, 0)), grey(RGB(200, 200, 200));
                CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
                StripedPage(s, white, pen);
                s.dc.MoveTo(0, h_ / 2);
                s.dc.LineTo(w_, h_ / 2);  // writes one row before the box over it
                s.dc.SelectObject(&black);
                s.dc.PatBlt(0, h_ / 2 - 3, w_, 7, PATCOPY);
                s.dc.PatBlt(0, h_ / 6, w_, 16, PATCOPY);
                s.dc.SetBkMode(TRANSPARENT);
                s.dc.TextOut(2, h_ / 6, "Black on black |Wg");
                s.dc.SelectObject(&white);
                s.dc.PatBlt(0, 2 * h_ / 3, w_, 18, PATCOPY);
                s.dc.SelectObject(&grey);
                s.dc.PatBlt(w_ / 3, 2 * h_ / 3 + 2, 4, 12, PATCOPY);
                s.dc.TextOut(w_ / 4, 2 * h_ / 3 + 1, "Step 4: over white |Wg");
                s.dc.MoveTo(w_ / 2 + 1, 0);
                s.dc.LineTo(w_ / 2 + 1, h_);
                s.dc.SelectObject(static_cast<const CBrush*>(nullptr));
            });
            Compare("whole-row boxes, render " + std::to_string(render));
        }
    }

    // White boxes over stripes, then columns through them and text over
    // both, three times: what is known white of a row must lose the columns.
    void ColumnsThroughWhiteBoxes() {
        for (int render = 0; render < 3; ++render) {
            Both([&](Side& s) {
                CBrush white(RGB(255, 255, 255));
                CPen black(PS_SOLID, 1, RGB(0, 0, 0));
                StripedPage(s, white, black);
                s.dc.Rectangle(2, 2, w_ - 2, h_ / 2);
                CPen red(PS_SOLID, 1, RGB(255, 0, 0));
                s.dc.SelectObject(&red);
                for (const int x : {w_ / 5, w_ / 2 + 1}) {
                    s.dc.MoveTo(x, 0);
                    s.dc.LineTo(x, h_);
                }
                s.dc.SetBkMode(TRANSPARENT);
                s.dc.TextOut(4, 4, "Check the screen for vertical bars or stripes");
                s.dc.TextOut(4, h_ / 2 - 10, "across the box's edge and past it");
                s.dc.SelectObject(static_cast<const CPen*>(nullptr));
                s.dc.SelectObject(static_cast<const CBrush*>(nullptr));
            });
            Compare("columns through white boxes, render " + std::to_string(render));
        }
    }

    // A clear, a pixel read (rows are written as they are used), columns on
    // both sides of boxes, then boxes and text over rows not written yet.
    void BoxesOverRowsNotYetWritten() {
        Both([&](Side& s) {
            CBrush white(RGB(255, 255, 255));
            s.dc.SelectObject(&white);
            s.dc.PatBlt(0, 0, w_, h_, PATCOPY);
        });
        ASSERT_EQ(batched_.main.GetSafeHandle()->at(0, 0), direct_.main.GetSafeHandle()->at(0, 0));
        Both([&](Side& s) {
            CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
            s.dc.SelectObject(&pen);
            for (const int x : {1, w_ / 2, w_ - 2}) {
                s.dc.MoveTo(x, 0);
                s.dc.LineTo(x, h_);
            }
            CBrush grey(RGB(128, 128, 128));
            s.dc.SelectObject(&grey);
            s.dc.Rectangle(w_ / 4, h_ / 4, w_ * 3 / 4, h_ * 3 / 4);
            s.dc.PatBlt(3, h_ - 5, w_ / 3, 4, PATCOPY);
            s.dc.SetBkMode(OPAQUE);
            s.dc.TextOut(w_ / 5, h_ / 8, "Step 2: ");
            s.dc.SelectObject(static_cast<const CPen*>(nullptr));
            s.dc.SelectObject(static_cast<const CBrush*>(nullptr));
        });
        Compare("boxes over rows not yet written");
    }

    // Runs of columns over a surface never cleared (its rows alike, zero):
    // over every row, over some, then, after a read, over every row again.
    void StripesWithoutAClear() {
        const auto stripes = [&](int first, int top, int bottom, COLORREF color) {
            Both([&](Side& s) {
                CPen pen(PS_SOLID, 1, color);
                s.dc.SelectObject(&pen);
                for (int x = first; x < w_; x += 2) {
                    s.dc.MoveTo(x, top);
                    s.dc.LineTo(x, bottom);
                }
                s.dc.SelectObject(static_cast<const CPen*>(nullptr));
            });
        };
        stripes(0, 0, h_, RGB(0, 0, 0));
        stripes(1, 0, h_, RGB(255, 0, 0));
        stripes(0, h_ / 3, h_ / 2 + 1, RGB(0, 128, 255));
        Compare("stripes without a clear");
        stripes(1, 0, h_, RGB(20, 200, 40));
        Compare("stripes after a read");
    }

private:
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    COLORREF Color() { return kPalette[Int(0, 4)]; }
    int X() { return Int(-w_ / 4, w_ + w_ / 4); }
    int Y() { return Int(-h_ / 4, h_ + h_ / 4); }

    template <typename Draw>
    void Both(Draw draw) {
        draw(batched_);
        draw(direct_);
    }

    void Compare(const std::string& where) {
        const gdi::Surface& a = *batched_.main.GetSafeHandle();
        const gdi::Surface& b = *direct_.main.GetSafeHandle();
        ASSERT_EQ(a.pixels(), b.pixels()) << "after " << where;
        ASSERT_EQ(batched_.spare.GetSafeHandle()->pixels(), direct_.spare.GetSafeHandle()->pixels())
            << "spare bitmap, after " << where;
        ASSERT_EQ(batched_.copy_bitmap.GetSafeHandle()->pixels(),
                  direct_.copy_bitmap.GetSafeHandle()->pixels())
            << "copy, after " << where;
    }

    void Step() {
        switch (Int(0, 11)) {
            case 0: {  // a run of columns over the same rows, some reversed
                const int x0 = X(), step = Int(1, 3), count = Int(1, 80), y0 = Y(), y1 = Y();
                const COLORREF c = Color();
                Both([&](Side& s) {
                    CPen pen(PS_SOLID, Int(0, 1) == 0 ? 0 : 1, c);
                    HPEN old = s.dc.SelectObject(&pen);
                    for (int k = 0; k < count; ++k) {
                        s.dc.MoveTo(x0 + k * step, y0);
                        s.dc.LineTo(x0 + k * step, y1);
                    }
                    s.dc.SelectObject(old);
                });
                break;
            }
            case 1: {  // any line with any pen
                const int x0 = X(), y0 = Y(), x1 = Int(0, 2) == 0 ? x0 : X(), y1 = Y();
                const int style = Int(0, 2) == 0 ? PS_DOT : PS_SOLID, width = Int(0, 3) == 0 ? 4 : 1;
                const COLORREF c = Color(), bk = Color();
                const int mode = Int(0, 1) == 0 ? OPAQUE : TRANSPARENT;
                Both([&](Side& s) {
                    CPen pen(style, width, c);
                    HPEN old = s.dc.SelectObject(&pen);
                    s.dc.SetBkColor(bk);
                    s.dc.SetBkMode(mode);
                    s.dc.MoveTo(x0, y0);
                    s.dc.LineTo(x1, y1);
                    s.dc.SelectObject(old);
                });
                break;
            }
            case 2: {  // a fill: the whole surface, or part of it
                const bool whole = Int(0, 1) == 0;
                const int x = whole ? 0 : X(), y = whole ? 0 : Y(), cx = whole ? w_ : Int(-10, w_),
                          cy = whole ? h_ : Int(-10, h_);
                const COLORREF c = Color();
                Both([&](Side& s) {
                    CBrush brush(c);
                    s.dc.SelectObject(&brush);
                    s.dc.PatBlt(x, y, cx, cy, PATCOPY);
                });
                break;
            }
            case 3: {
                const int l = X(), t = Y(), r = X(), b = Y();
                const COLORREF c = Color();
                Both([&](Side& s) {
                    CBrush brush(c);
                    s.dc.SelectObject(&brush);
                    s.dc.Rectangle(l, t, r, b);
                });
                break;
            }
            case 4: {
                const int x = X(), y = Y();
                const COLORREF c = Color(), bk = Color();
                const int mode = Int(0, 1) == 0 ? OPAQUE : TRANSPARENT;
                Both([&](Side& s) {
                    s.dc.SetTextColor(c);
                    s.dc.SetBkColor(bk);
                    s.dc.SetBkMode(mode);
                    s.dc.TextOut(x, y, "Step 1: |/|\\ Wg");
                });
                break;
            }
            case 5: {  // a copy within the surface, overlapping itself
                const int x = X(), y = Y(), sx = X(), sy = Y(), cx = Int(1, w_), cy = Int(1, h_);
                Both([&](Side& s) { s.dc.BitBlt(x, y, cx, cy, &s.dc, sx, sy, SRCCOPY); });
                break;
            }
            case 6: {  // another DC reads the batched surface
                const int sx = X(), sy = Y();
                Both([&](Side& s) { s.copy.BitBlt(0, 0, w_, h_, &s.dc, sx, sy, SRCCOPY); });
                break;
            }
            case 7: {
                const int x = X(), y = Y(), cx = Int(1, w_), cy = Int(1, h_), sw = Int(1, w_),
                          sh = Int(1, h_);
                const int mode = Int(BLACKONWHITE, COLORONCOLOR);
                Both([&](Side& s) {
                    s.dc.SetStretchBltMode(mode);
                    s.dc.StretchBlt(x, y, cx, cy, &s.dc, 0, 0, sw, sh, SRCCOPY);
                });
                break;
            }
            case 8: {  // columns, then RestoreDC brings back the saved pen and bitmap
                const int x = X(), y0 = Y(), y1 = Y();
                const COLORREF c = Color();
                Both([&](Side& s) {
                    const int saved = s.dc.SaveDC();
                    CPen pen(PS_SOLID, 1, c);
                    s.dc.SelectObject(&pen);
                    s.dc.SelectObject(&s.spare);
                    for (int k = 0; k < 20; ++k) {
                        s.dc.MoveTo(x + k, y0);
                        s.dc.LineTo(x + k, y1);
                    }
                    s.dc.RestoreDC(saved);
                    s.dc.MoveTo(x, y1);
                    s.dc.LineTo(x, y0);
                });
                break;
            }
            case 9: {  // the spare bitmap's pixels copied onto the main one
                const int x = X(), y = Y();
                Both([&](Side& s) {
                    CDC other;
                    other.CreateCompatibleDC(&s.dc);
                    other.SelectObject(&s.spare);
                    s.dc.BitBlt(x, y, w_, h_, &other, 0, 0, SRCCOPY);
                });
                break;
            }
            case 10: {  // read single pixels, as a screenshot or a test would
                const int x = Int(0, w_ - 1), y = Int(0, h_ - 1);
                ASSERT_EQ(batched_.main.GetSafeHandle()->at(x, y), direct_.main.GetSafeHandle()->at(x, y))
                    << "pixel " << x << "," << y;
                break;
            }
            default:
                Compare("a read-back");
                break;
        }
    }

    int w_, h_;
    std::mt19937 rng_;
    Side batched_;
    Side direct_;
};

TEST(ColumnBatch, RandomSequencesMatchDrawingAtOnce) {
    for (unsigned seed = 1; seed <= 120; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Differential d(61 + static_cast<int>(seed % 7) * 9, 47 + static_cast<int>(seed % 5) * 11, seed);
        d.Run(80);
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(ColumnBatch, StripePagesMatchAtEverySize) {
    // The last size is large enough for streaming stores; 1024 rows hit one
    // cache set per column.
    const struct { int w, h; } sizes[] = {{1, 1}, {2, 7}, {33, 17}, {1024, 64}, {2049, 2050}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
        Differential d(size.w, size.h, 7);
        d.StripePage();
    }
}

TEST(ColumnBatch, BoxesOverRowsNotYetWrittenMatchDrawingAtOnce) {
    const struct { int w, h; } sizes[] = {{9, 9}, {64, 40}, {1024, 96}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
        Differential d(size.w, size.h, 11);
        d.BoxesOverRowsNotYetWritten();
    }
}

TEST(ColumnBatch, LinesAfterAFillLandBeforeTheNextRead) {
    auto s = gdi::Surface::Create(8, 4);
    s->Fill(0xFFFFFF);
    for (int x = 0; x < 8; x += 2) s->AddColumn(x, 1, 3, 0x000000);
    s->AddColumn(2, 0, 4, 0xFF0000);  // over an earlier column: the later wins
    EXPECT_EQ(s->at(0, 0), 0xFFFFFFu);
    EXPECT_EQ(s->at(0, 1), 0x000000u);
    EXPECT_EQ(s->at(2, 0), 0xFF0000u);
    EXPECT_EQ(s->at(2, 2), 0xFF0000u);
    EXPECT_EQ(s->at(3, 2), 0xFFFFFFu);
    EXPECT_EQ(s->at(4, 3), 0xFFFFFFu);
    // Columns off the surface or empty are dropped, not painted elsewhere.
    s->AddColumn(-1, 0, 4, 0x000000);
    s->AddColumn(8, 0, 4, 0x000000);
    s->AddColumn(5, 3, 3, 0x000000);
    s->AddColumn(5, -100, 100, 0x0000FF);
    EXPECT_EQ(s->at(5, 0), 0x0000FFu);
    EXPECT_EQ(s->at(5, 3), 0x0000FFu);
    EXPECT_EQ(s->at(7, 2), 0xFFFFFFu);
}

}  // namespace

TEST(ColumnBatch, BorderAndBoxPagesMatchAtEverySize) {
    const struct { int w, h; } sizes[] = {{5, 5}, {40, 30}, {300, 120}, {1024, 200}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
        Differential d(size.w, size.h, 13);
        d.BorderPage();
        Differential columns(size.w, size.h, 17);
        columns.ColumnsThroughWhiteBoxes();
        Differential whole(size.w, size.h, 19);
        whole.WholeRowBoxes();
        Differential stripes(size.w, size.h, 23);
        stripes.StripesWithoutAClear();
    }
}
