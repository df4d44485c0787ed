// Private to the text*.cpp files: the FreeType-backed SizedFont and the
// pieces the matcher and the font share. The one place the library includes
// FreeType headers.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/text.h"

namespace gdi::text {

// Largest |lfHeight| honoured; larger requests are treated as this.
inline constexpr int kMaxFontHeight = 2000;
// Cell height used for lfHeight 0.
inline constexpr int kDefaultFontHeight = 16;
// Glyph bitmaps up to this many coverage bytes stay cached; bigger ones are
// rendered again when drawn, so a 2000-pixel font cannot pin hundreds of MB.
inline constexpr std::size_t kMaxCachedGlyphBytes = 256 * 256;

// cp1252 byte -> Unicode code point (0x81, 0x8D, 0x8F, 0x90, 0x9D map to
// the C1 controls, as Windows' converter does).
char32_t Cp1252ToUnicode(unsigned char c);
// Converts cp1252 bytes (a face name) to UTF-8 for the font matching.
std::string Cp1252ToUtf8(const char* bytes, std::size_t size);

// Windows MulDiv: a * b / c rounded half away from zero, in 64 bits.
std::int64_t MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c);

// A file the system's font matching pointed at, opened once for the process.
struct FaceFile {
    FT_Face face = nullptr;
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;  // the file, when opened from memory
    std::string family;
    std::string style;
};

// What one (face name, bold, italic) request resolved to.
struct MatchedFace {
    FaceFile* file = nullptr;
    bool synthetic_bold = false;  // bold asked for, the matched face is not
};

struct Glyph {
    bool loaded = false;
    int advance = 0;  // whole pixels, rounded up
    int left = 0;     // bitmap origin relative to pen / baseline
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<std::uint8_t> coverage;  // width * rows, top row first; empty if not cached
    // The glyph drawn in ink_color over white, width * rows; empty until
    // first drawn in that colour.
    std::vector<Pixel> ink;
    Pixel ink_color = 0;
};

// Ppem and cell metrics from the face's Windows ascent and descent
// (docs/drawing-rules.md, section 10).
struct CellMetrics {
    int ppem = 0;
    int ascent = 0;
    int descent = 0;
};
// lf_height is already clamped to [-kMaxFontHeight, kMaxFontHeight].
CellMetrics ComputeCellMetrics(FT_Face face, int lf_height);

class FtSizedFont final : public SizedFont {
public:
    // Returns null when FreeType cannot make a size for the face.
    static std::shared_ptr<FtSizedFont> Create(const MatchedFace& face, int lf_height);
    ~FtSizedFont() override = default;

    int ascent() const override { return metrics_.ascent; }
    int descent() const override { return metrics_.descent; }
    int ppem() const override { return metrics_.ppem; }
    std::string family() const override { return face_.file->family; }
    std::string style() const override { return face_.file->style; }
    int advance(unsigned char c) const override { return glyph(c).advance; }
    SIZE DrawText(Surface* s, int x, int y, std::string_view text, Pixel color,
                  const Pixel* opaque_bk) const override;

private:
    FtSizedFont(const MatchedFace& face, FT_Size size, CellMetrics metrics)
        : face_(face), size_(size), metrics_(metrics) {}
    const Glyph& glyph(unsigned char c) const;
    // The blend of each coverage value over white, for the last colour drawn.
    const Pixel* WhiteBlendTable(Pixel color) const;
    // `on_white`: every pixel under the glyph's box is white, as this
    // drawing just filled it so.
    void DrawGlyph(Surface& s, std::int64_t gx, std::int64_t gy, unsigned char c, Pixel color,
                   bool on_white) const;
    // Loads and renders c at this size; fills *g's metrics and
    // *coverage (top row first). Returns false when there is no ink.
    bool Render(unsigned char c, Glyph* g, std::vector<std::uint8_t>* coverage) const;

    MatchedFace face_;
    FT_Size size_;  // owned by the face, which lives for the process
    CellMetrics metrics_;
    mutable std::array<Glyph, 256> glyphs_;
    mutable std::array<Pixel, 256> white_blend_{};
    mutable Pixel white_blend_color_ = 0;
    mutable bool white_blend_valid_ = false;
};

}  // namespace gdi::text
