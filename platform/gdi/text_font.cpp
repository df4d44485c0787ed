// The FreeType-backed SizedFont: Windows cell metrics, hinted integer
// advances, lazily rendered glyphs and TextOut-style antialiased drawing.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/gdi/raster.h"
#include "platform/gdi/rect.h"
#include "platform/gdi/text_ink_rows.h"
#include "platform/gdi/text_internal.h"

namespace gdi::text {

namespace {

// Rejects glyph bitmaps no sane font produces at <= kMaxFontHeight ppem.
constexpr std::int64_t kMaxGlyphBytes = std::int64_t{64} << 20;

bool CopyCoverage(const FT_Bitmap& bm, std::vector<std::uint8_t>* out) {
    const std::int64_t w = bm.width;
    const std::int64_t h = bm.rows;
    if (w <= 0 || h <= 0 || w * h > kMaxGlyphBytes || !bm.buffer) return false;
    out->assign(static_cast<std::size_t>(w * h), 0);
    const int pitch = bm.pitch;
    const std::size_t stride = static_cast<std::size_t>(std::abs(pitch));
    for (std::int64_t y = 0; y < h; ++y) {
        // A negative pitch means rows are stored bottom-up from the buffer.
        const std::size_t src_row = static_cast<std::size_t>(pitch >= 0 ? y : h - 1 - y);
        const std::uint8_t* src = bm.buffer + src_row * stride;
        std::uint8_t* dst = out->data() + static_cast<std::size_t>(y * w);
        switch (bm.pixel_mode) {
            case FT_PIXEL_MODE_GRAY:
                if (bm.num_grays == 256) {
                    std::copy(src, src + w, dst);
                } else {
                    const int max = std::max(1, bm.num_grays - 1);
                    for (std::int64_t x = 0; x < w; ++x)
                        dst[x] = static_cast<std::uint8_t>(src[x] * 255 / max);
                }
                break;
            case FT_PIXEL_MODE_MONO:
                for (std::int64_t x = 0; x < w; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                break;
            case FT_PIXEL_MODE_BGRA:  // colour glyphs: use their alpha
                for (std::int64_t x = 0; x < w; ++x) dst[x] = src[x * 4 + 3];
                break;
            default:
                out->clear();
                return false;
        }
    }
    return true;
}

// White pixels after each row of a glyph's ink, so that groups of four never
// read past it.
constexpr std::size_t kInkPad = 3;

}  // namespace

CellMetrics ComputeCellMetrics(FT_Face face, int lf_height) {
    const std::int64_t upem = face->units_per_EM;
    std::int64_t win_ascent = 0;
    std::int64_t win_descent = 0;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF) {
        win_ascent = os2->usWinAscent;
        // Some fonts store winDescent negated; only its magnitude counts.
        win_descent = std::abs(static_cast<std::int16_t>(os2->usWinDescent));
    }
    if (win_ascent + win_descent == 0) {
        win_ascent = face->ascender;
        win_descent = -face->descender;
    }
    if (win_ascent + win_descent <= 0) {
        win_ascent = upem;
        win_descent = 0;
    }
    const std::int64_t units = win_ascent + win_descent;

    std::int64_t ppem;
    if (lf_height > 0) {
        ppem = MulDivRound(upem, lf_height, units);
        if (ppem > 1 && MulDivRound(units, ppem, upem) > lf_height) --ppem;
    } else {
        ppem = -static_cast<std::int64_t>(lf_height);
    }
    ppem = std::clamp<std::int64_t>(ppem, 1, kMaxFontHeight);

    // Scale through 26.6 pixels, rounding there first: a 26 cell then
    // measures 21 + 5 = 26, where scaling straight to whole pixels would
    // give 25 (docs/drawing-rules.md, section 10).
    const std::int64_t y_scale = MulDivRound(ppem * 64, 65536, upem);
    auto scale_y = [y_scale](std::int64_t units_value) {
        return (MulDivRound(units_value, y_scale, 65536) + 32) >> 6;
    };
    CellMetrics m;
    m.ppem = static_cast<int>(ppem);
    m.ascent = static_cast<int>(scale_y(win_ascent));
    m.descent = static_cast<int>(scale_y(win_descent));
    return m;
}

std::shared_ptr<FtSizedFont> FtSizedFont::Create(const MatchedFace& face, int lf_height) {
    if (!face.file || !face.file->face) return nullptr;
    FT_Face ft = face.file->face;
    const CellMetrics metrics = ComputeCellMetrics(ft, lf_height);
    FT_Size size = nullptr;
    if (FT_New_Size(ft, &size) != 0) return nullptr;
    if (FT_Activate_Size(size) != 0 || FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(metrics.ppem)) != 0) {
        FT_Done_Size(size);
        return nullptr;
    }
    return std::shared_ptr<FtSizedFont>(new FtSizedFont(face, size, metrics));
}

bool FtSizedFont::Render(unsigned char c, Glyph* g, std::vector<std::uint8_t>* coverage) const {
    FT_Face ft = face_.file->face;
    g->advance = 0;
    g->left = g->top = g->width = g->rows = 0;
    coverage->clear();
    if (FT_Activate_Size(size_) != 0) return false;

    FT_ULong code = Cp1252ToUnicode(c);
    if (ft->charmap && ft->charmap->encoding == FT_ENCODING_MS_SYMBOL) code = 0xF000 + c;
    const FT_UInt index = FT_Get_Char_Index(ft, code);  // 0 (notdef) when missing
    if (FT_Load_Glyph(ft, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0) return false;

    FT_GlyphSlot slot = ft->glyph;
    std::int64_t advance = slot->advance.x;
    if (face_.synthetic_bold && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        // Synthetic bold: embolden by ppem/24 px and widen the advance by 1 px.
        FT_Outline_Embolden(&slot->outline, static_cast<FT_Pos>(MulDivRound(metrics_.ppem, 64, 24)));
        advance += 64;
    }
    g->advance = static_cast<int>(std::max<std::int64_t>(0, (advance + 63) / 64));

    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    if (!CopyCoverage(slot->bitmap, coverage)) return false;
    g->left = slot->bitmap_left;
    g->top = slot->bitmap_top;
    g->width = static_cast<int>(slot->bitmap.width);
    g->rows = static_cast<int>(slot->bitmap.rows);
    return true;
}

const Glyph& FtSizedFont::glyph(unsigned char c) const {
    Glyph& g = glyphs_[c];
    if (!g.loaded) {
        Render(c, &g, &g.coverage);
        if (g.coverage.size() > kMaxCachedGlyphBytes) std::vector<std::uint8_t>().swap(g.coverage);
        g.loaded = true;
    }
    return g;
}

const Pixel* FtSizedFont::WhiteBlendTable(Pixel color) const {
    if (!white_blend_valid_ || white_blend_color_ != color) {
        for (std::uint32_t a = 0; a < 256; ++a) white_blend_[a] = Blend(kWhite, color, a);
        white_blend_color_ = color;
        white_blend_valid_ = true;
    }
    return white_blend_.data();
}

void FtSizedFont::DrawGlyph(Surface& s, std::int64_t gx, std::int64_t gy, unsigned char c, Pixel color,
                            bool on_white, const Rect* clip) const {
    const Glyph& g = glyphs_[c];
    Rect visible = Rect::FromSize(gx, gy, g.width, g.rows).Intersected(BoundsOf(s));
    if (clip) visible = visible.Intersected(*clip);
    if (visible.IsEmpty()) return;
    const std::int64_t x0 = visible.left, x1 = visible.right, y0 = visible.top, y1 = visible.bottom;
    const Pixel* table = WhiteBlendTable(color);
    std::vector<std::uint8_t> scratch;
    const std::uint8_t* coverage = g.coverage.data();
    const Pixel* ink = nullptr;
    if (g.coverage.empty()) {
        Glyph again;
        if (!Render(c, &again, &scratch) || again.width != g.width || again.rows != g.rows) return;
        coverage = scratch.data();
    } else {
        Glyph& cached = glyphs_[c];
        if (cached.ink.empty() || cached.ink_color != color) {
            const std::size_t w = static_cast<std::size_t>(g.width);
            cached.ink.assign(static_cast<std::size_t>(g.rows) * (w + kInkPad), kWhite);
            for (std::size_t r = 0; r < static_cast<std::size_t>(g.rows); ++r) {
                for (std::size_t k = 0; k < w; ++k)
                    cached.ink[r * (w + kInkPad) + k] = table[cached.coverage[r * w + k]];
            }
            cached.ink_color = color;
        }
        ink = cached.ink.data();
    }
    const std::size_t n = static_cast<std::size_t>(x1 - x0);
    // Whole groups of four may run up to three pixels past the glyph, while
    // on the surface: the ink there is white, written only over white.
    const std::size_t reach =
        std::min<std::size_t>((n + 3) & ~std::size_t{3}, static_cast<std::size_t>(s.width() - x0));
    const std::ptrdiff_t stride = s.width();
    Pixel* dst = s.rows(static_cast<int>(y0), static_cast<int>(y1)) + x0;
    const std::uint8_t* src = coverage + (y0 - gy) * g.width + (x0 - gx);
    if (ink) {
        const std::ptrdiff_t ink_stride = g.width + static_cast<std::ptrdiff_t>(kInkPad);
        const InkBox box{dst,  stride,  ink + (y0 - gy) * ink_stride + (x0 - gx), ink_stride,
                         src,  g.width, static_cast<std::size_t>(y1 - y0),        n,
                         reach};
        if (on_white) {
            InkOnWhite(box);
        } else {
            InkOver(box, color);
        }
        return;
    }
    for (std::int64_t py = y0; py < y1; ++py, dst += stride, src += g.width) {
        for (std::size_t k = 0; k < n; ++k) {
            const std::uint32_t a = src[k];
            if (a != 0) dst[k] = dst[k] == kWhite ? table[a] : Blend(dst[k], color, a);
        }
    }
}

SIZE FtSizedFont::DrawText(Surface* s, int x, int y, std::string_view text, Pixel color,
                           const Pixel* opaque_bk) const {
    // Each glyph is looked up once: its advance gives the extent, which the
    // opaque cell needs before any glyph is drawn, and its place.
    std::int64_t cx = 0;
    for (const char ch : text) {
        cx += glyph(static_cast<unsigned char>(ch)).advance;
        if (cx >= INT_MAX) {
            cx = INT_MAX;
            break;
        }
    }
    const SIZE size{static_cast<int>(cx), height()};
    if (!s || s->width() <= 0 || s->height() <= 0 || text.empty()) return size;
    if (opaque_bk) {
        const auto clamp = [](std::int64_t v) {
            return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
        };
        const RECT cell{x, y, clamp(static_cast<std::int64_t>(x) + size.cx),
                        clamp(static_cast<std::int64_t>(y) + height())};
        raster::FillRect(*s, cell, *opaque_bk);
    }
    color &= 0xFFFFFF;
    const std::int64_t baseline = static_cast<std::int64_t>(y) + metrics_.ascent;
    // A glyph inside a white cell just filled, right of every glyph drawn
    // before it in this call, lands on white alone.
    const bool white_cell = opaque_bk && (*opaque_bk & 0xFFFFFF) == kWhite;
    const std::int64_t cell_right = static_cast<std::int64_t>(x) + size.cx;
    const std::int64_t cell_bottom = static_cast<std::int64_t>(y) + height();
    // A line kept whole goes down at once over white rows; only rows with
    // something else under them take the glyphs one by one. Each pixel's
    // result depends on that pixel alone, so the two agree exactly.
    if (const LineInk* line = ComposedLine(text, color)) {
        const std::int64_t bx = x + line->left, by = y + line->top;
        const bool in_cell = white_cell && bx >= x && by >= y && bx + line->width <= cell_right &&
                             by + line->rows <= cell_bottom;
        std::vector<Rect> left_over;
        if (CopyLineInk(*s, bx, by, *line, in_cell, &left_over)) {
            for (const Rect& box : left_over) DrawGlyphs(*s, x, baseline, text, color, &box);
            return size;
        }
    }
    std::int64_t inked_right = x;
    std::int64_t pen = x;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const Glyph& g = glyphs_[c];  // loaded by the measuring pass
        const std::int64_t gx = pen + g.left;
        const std::int64_t gy = baseline - g.top;
        const bool on_white = white_cell && gx >= inked_right && gx + g.width <= cell_right && gy >= y &&
                              gy + g.rows <= cell_bottom;
        DrawGlyph(*s, gx, gy, c, color, on_white);
        if (g.width > 0 && g.rows > 0) inked_right = std::max(inked_right, gx + g.width);
        pen += g.advance;
    }
    return size;
}

void FtSizedFont::DrawGlyphs(Surface& s, std::int64_t pen, std::int64_t baseline, std::string_view text,
                             Pixel color, const Rect* clip) const {
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const Glyph& g = glyphs_[c];
        const std::int64_t gx = pen + g.left;
        pen += g.advance;
        if (clip && (gx >= clip->right || gx + g.width <= clip->left)) continue;
        DrawGlyph(s, gx, baseline - g.top, c, color, false, clip);
    }
}

const LineInk* FtSizedFont::ComposedLine(std::string_view text, Pixel color) const {
    if (!LineInkCaching()) return nullptr;
    if (const LineInk* kept = lines_.Find(text, color)) return kept;
    if (!lines_.DrawnBefore(text, color)) return nullptr;
    // The block every inked glyph box lies in, from the pen's start at the
    // cell's top left. Glyphs were loaded by the measuring pass.
    std::int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    std::int64_t pen = 0;
    for (const char ch : text) {
        const Glyph& g = glyphs_[static_cast<unsigned char>(ch)];
        if (g.width > 0 && g.rows > 0) {
            if (g.coverage.empty()) return nullptr;
            const std::int64_t gx = pen + g.left, gy = metrics_.ascent - g.top;
            left = std::min(left, gx);
            top = std::min(top, gy);
            right = std::max(right, gx + g.width);
            bottom = std::max(bottom, gy + g.rows);
        }
        pen += g.advance;
    }
    if (left >= right || top >= bottom) return nullptr;
    const std::int64_t width = right - left, rows = bottom - top;
    if (width * rows * static_cast<std::int64_t>(sizeof(Pixel)) >
        static_cast<std::int64_t>(LineInkCache::kMaxLineBytes))
        return nullptr;
    // Drawn glyph by glyph over a white block, exactly as over a white page.
    SurfacePtr block = Surface::Create(static_cast<int>(width), static_cast<int>(rows));
    if (!block) return nullptr;
    std::fill(block->pixels().begin(), block->pixels().end(), kWhite);
    DrawGlyphs(*block, -left, metrics_.ascent - top, text, color, nullptr);
    LineInk ink;
    ink.left = left;
    ink.top = top;
    ink.width = static_cast<int>(width);
    ink.rows = static_cast<int>(rows);
    ink.pixels.assign(block->pixels().begin(), block->pixels().end());
    ink.inked.assign(static_cast<std::size_t>(rows), ColumnSpan{});
    pen = 0;
    for (const char ch : text) {
        const Glyph& g = glyphs_[static_cast<unsigned char>(ch)];
        if (g.width > 0 && g.rows > 0) {
            const int gx = static_cast<int>(pen + g.left - left);
            const int gy = static_cast<int>(metrics_.ascent - g.top - top);
            for (int r = gy; r < gy + g.rows; ++r) {
                ColumnSpan& span = ink.inked[static_cast<std::size_t>(r)];
                span = span.empty() ? ColumnSpan{gx, gx + g.width}
                                    : ColumnSpan{std::min(span.left, gx), std::max(span.right, gx + g.width)};
            }
        }
        pen += g.advance;
    }
    KeepGreys(ink);
    return lines_.Insert(text, color, std::move(ink));
}

SIZE SizedFont::Measure(std::string_view text) const {
    std::int64_t cx = 0;
    for (const char ch : text) {
        cx += advance(static_cast<unsigned char>(ch));
        if (cx >= INT_MAX) {
            cx = INT_MAX;
            break;
        }
    }
    return SIZE{static_cast<int>(cx), height()};
}

}  // namespace gdi::text
