// The FreeType-backed SizedFont: Windows cell metrics, hinted integer
// advances, lazily rendered glyphs and TextOut-style antialiased drawing.
#include <algorithm>
#include <climits>
#include <cstdlib>

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

inline std::uint32_t BlendChannel(std::uint32_t d, std::uint32_t c, std::uint32_t a) {
    const int v = (static_cast<int>(c) - static_cast<int>(d)) * static_cast<int>(a);
    const int q = v >= 0 ? (v + 127) / 255 : -((-v + 127) / 255);
    return static_cast<std::uint32_t>(static_cast<int>(d) + q);
}

inline Pixel Blend(Pixel dst, Pixel color, std::uint32_t a) {
    if (a == 255) return color;
    const std::uint32_t r = BlendChannel((dst >> 16) & 0xFF, (color >> 16) & 0xFF, a);
    const std::uint32_t g = BlendChannel((dst >> 8) & 0xFF, (color >> 8) & 0xFF, a);
    const std::uint32_t b = BlendChannel(dst & 0xFF, color & 0xFF, a);
    return (r << 16) | (g << 8) | b;
}

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

void FtSizedFont::Draw(Surface& s, int x, int y, std::string_view text, Pixel color) const {
    const std::int64_t width = s.width();
    const std::int64_t height = s.height();
    if (width <= 0 || height <= 0) return;
    color &= 0xFFFFFF;
    const std::int64_t baseline = static_cast<std::int64_t>(y) + metrics_.ascent;
    std::int64_t pen = x;
    std::vector<std::uint8_t> scratch;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const Glyph& g = glyph(c);
        const std::int64_t gx = pen + g.left;
        const std::int64_t gy = baseline - g.top;
        pen += g.advance;
        const std::int64_t x0 = std::max<std::int64_t>(gx, 0);
        const std::int64_t x1 = std::min<std::int64_t>(gx + g.width, width);
        const std::int64_t y0 = std::max<std::int64_t>(gy, 0);
        const std::int64_t y1 = std::min<std::int64_t>(gy + g.rows, height);
        if (x0 >= x1 || y0 >= y1) continue;
        const std::uint8_t* coverage = g.coverage.data();
        if (g.coverage.empty()) {
            Glyph again;
            if (!Render(c, &again, &scratch) || again.width != g.width || again.rows != g.rows) continue;
            coverage = scratch.data();
        }
        for (std::int64_t py = y0; py < y1; ++py) {
            const std::uint8_t* src = coverage + (py - gy) * g.width;
            Pixel* dst = s.row(static_cast<int>(py));
            for (std::int64_t px = x0; px < x1; ++px) {
                const std::uint32_t a = src[px - gx];
                if (a != 0) dst[px] = Blend(dst[px], color, a);
            }
        }
    }
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
