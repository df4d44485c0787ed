// The FreeType-backed SizedFont: Windows cell metrics, hinted integer
// advances, lazily rendered glyphs and TextOut-style antialiased drawing.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/gdi/blitter.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/rect.h"
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
        for (std::uint32_t a = 0; a < 256; ++a) white_blend_[a] = Blend(kWhitePixel, color, a);
        white_blend_color_ = color;
        white_blend_valid_ = true;
    }
    return white_blend_.data();
}

void FtSizedFont::DrawGlyph(Surface& s, std::int64_t gx, std::int64_t gy, unsigned char c, Pixel color,
                            bool on_white) const {
    Glyph& g = glyphs_[c];
    if (g.width <= 0 || g.rows <= 0) return;
    if (g.coverage.empty()) {
        // Too large to cache: rendered again, and blended without ink.
        std::vector<std::uint8_t> coverage;
        Glyph again;
        if (!Render(c, &again, &coverage) || again.width != g.width || again.rows != g.rows) return;
        Blitter(s).Mask(GlyphMask{coverage.data(), nullptr, 0, g.width, g.rows}, gx, gy, color, false);
        return;
    }
    if (g.ink.empty() || g.ink_color != color) {
        const Pixel* table = WhiteBlendTable(color);
        g.ink.resize(g.coverage.size());
        for (std::size_t k = 0; k < g.coverage.size(); ++k) g.ink[k] = table[g.coverage[k]];
        g.ink_color = color;
    }
    Blitter(s).Mask(GlyphMask{g.coverage.data(), g.ink.data(), g.width, g.width, g.rows}, gx, gy, color,
                    on_white);
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
    // A glyph inside a white cell just filled lands on white alone when it
    // lies right of every glyph drawn before it in this call.
    const bool white_cell = opaque_bk && (*opaque_bk & 0xFFFFFF) == kWhitePixel;
    const Rect cell{x, y, static_cast<std::int64_t>(x) + size.cx, static_cast<std::int64_t>(y) + height()};
    std::int64_t inked_right = x;
    std::int64_t pen = x;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const Glyph& g = glyphs_[c];  // loaded by the measuring pass
        const Rect box = Rect::FromSize(pen + g.left, baseline - g.top, g.width, g.rows);
        pen += g.advance;
        if (box.IsEmpty()) continue;
        DrawGlyph(*s, box.left, box.top, c, color,
                  white_cell && box.left >= inked_right && cell.Contains(box));
        inked_right = std::max(inked_right, box.right);
    }
    return size;
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
