// Whole lines of text as they land over white: composed once from their
// glyphs, then copied wherever every pixel under them is white. Pages draw
// the same lines on every render, mostly over white boxes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/rect.h"
#include "platform/gdi/surface.h"

namespace gdi::text {

// One line's ink: `rows` rows of `width` pixels, the line drawn over a white
// block. The block's corner lies at (left, top) from the point the line was
// drawn at.
struct LineInk {
    std::int64_t left = 0;
    std::int64_t top = 0;
    int width = 0;
    int rows = 0;
    std::vector<Pixel> pixels;
    // When every pixel is a grey (black text): its levels, row after row, a
    // quarter of the bytes to read when the line is copied. Empty otherwise.
    std::vector<std::uint8_t> greys;
    // Per row, the columns that any glyph's box covers; empty where none
    // does. Only these pixels change, whatever lies under the line.
    std::vector<ColumnSpan> inked;
};

// The lines one font drew last, by text and colour, within a byte budget.
class LineInkCache {
public:
    // Lines larger than this are drawn glyph by glyph, never kept.
    static constexpr std::size_t kMaxLineBytes = std::size_t{512} << 10;
    static constexpr std::size_t kBudgetBytes = std::size_t{4} << 20;

    const LineInk* Find(std::string_view text, Pixel color);
    // Whether the line was drawn before; notes it when not. A line is
    // composed at its second draw, so that one drawn once (and a start's
    // first page) costs no more than its glyphs.
    bool DrawnBefore(std::string_view text, Pixel color);
    // Keeps the line, dropping the least recently used ones over the budget.
    const LineInk* Insert(std::string_view text, Pixel color, LineInk ink);

private:
    struct Entry {
        std::string text;
        Pixel color = 0;
        std::uint64_t used = 0;
        LineInk ink;
    };
    std::vector<Entry> entries_;
    std::vector<std::size_t> drawn_once_;  // hashes of lines drawn once, oldest first
    std::size_t bytes_ = 0;
    std::uint64_t clock_ = 0;
};

// Fills ink.greys from ink.pixels when every pixel is a grey.
void KeepGreys(LineInk& ink);

// Whether lines are composed and kept (the default). Tests compare the
// pixels with and without.
void SetLineInkCaching(bool on);
bool LineInkCaching();

// Writes the line with its block's corner at (x, y) wherever the pixels
// under its ink are white (everywhere when `known_white`: the caller just
// filled the block white). Each row's pixels that are not white, with the
// columns between them, are left for drawing glyph by glyph: appended to
// *left_over as boxes of neighbouring rows, no pixel of which was written.
// Returns false, having written nothing, when the block does not lie on the
// surface.
bool CopyLineInk(Surface& s, std::int64_t x, std::int64_t y, const LineInk& ink, bool known_white,
                 std::vector<Rect>* left_over);

}  // namespace gdi::text
