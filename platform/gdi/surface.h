// A 32-bit pixel surface: the storage behind every bitmap and device context.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/pixel_storage.h"
#include "platform/gdi/types.h"

namespace gdi {

// Pixels are 0x00RRGGBB, rows top to bottom, width() pixels apart.
using Pixel = std::uint32_t;
constexpr Pixel kWhitePixel = 0xFFFFFF;
// A surface's pixels: zero when made, without a pass that writes them.
using PixelVector = std::vector<Pixel, ZeroedAllocator<Pixel>>;

constexpr Pixel ToPixel(COLORREF c) {
    return (static_cast<Pixel>(GetRValue(c)) << 16) | (static_cast<Pixel>(GetGValue(c)) << 8) |
           static_cast<Pixel>(GetBValue(c));
}

// Pixels decoded once and shared, read-only, by every surface made from them
// until that surface is first written (then it takes a copy of its own).
struct SharedPixels {
    int width = 0;
    int height = 0;
    PixelVector pixels;
    int resource_id = -1;
};

// Passive pixels: a size, rows width() pixels apart, and the rows written
// since the presenter last looked. Drawing goes through a gdi::Blitter.
//
// One kind of work may wait: a batch of one-pixel columns, after a fill of
// the whole surface or not. The batch is painted row by row in bands, before
// any pixel is read or written through any accessor, so every caller sees
// exactly the pixels that drawing each call at once would give.
//
// While every row is known to hold the same pixels (a new surface, or one
// just filled), that row is kept: columns over every row then change the one
// row, which is copied down the surface without reading it.
class Surface {
public:
    // Largest width or height a surface may have; bigger requests are refused.
    static constexpr int kMaxDimension = 16384;

    // Returns null and fills *error when the size is negative or too large.
    // A 0 x 0 surface is valid and has no pixels.
    static std::shared_ptr<Surface> Create(int width, int height, std::string* error = nullptr);
    // A surface over width x height pixels the caller owns (row after row, no
    // padding), drawn in place; they are taken as they are. The caller keeps
    // them mapped until the surface is gone. Null for a size Create refuses.
    static std::shared_ptr<Surface> CreateOver(Pixel* pixels, int width, int height,
                                               std::string* error = nullptr);
    // A surface over shared pixels, copied only when first written.
    static std::shared_ptr<Surface> CreateSharing(std::shared_ptr<const SharedPixels> pixels);
    // The shared pixels this surface still reads, or null once it has its own.
    const SharedPixels* shared() const { return shared_.get(); }

    int width() const { return width_; }
    int height() const { return height_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Reading: exact pixels; row y + 1 follows row y.
    const Pixel* row(int y) const { return pixels().data() + Offset(y); }
    const PixelVector& pixels() const {
        Flush();
        return shared_ ? shared_->pixels : storage_;
    }
    Pixel at(int x, int y) const { return row(y)[x]; }

    // Writing: exact pixels, the rows [top, bottom) counted as written.
    Pixel* rows(int top, int bottom) {
        Flush();
        Own();
        batch_.rows_alike = false;
        MarkWritten(top, bottom);
        return storage_.data() + Offset(top);
    }
    Pixel* row(int y) { return rows(y, y + 1); }
    PixelVector& pixels() {
        rows(0, height_);
        return storage_;
    }
    void set(int x, int y, Pixel p) { row(y)[x] = p; }

    // Fills the whole surface: the batch's first work, so that a dense run
    // of columns drawn right after it lands in the same pass.
    void Fill(Pixel color);
    // One-pixel column [top, bottom) at x, clipped to the surface. Columns
    // drawn one by one touch a new cache line per pixel; batched, they are
    // painted a band of rows at a time, a later column over an earlier one.
    void AddColumn(int x, int top, int bottom, Pixel color);
    // Paints the batch. Every accessor does this first.
    void Flush() const {
        if (batch_.row_due || !batch_.columns.empty()) [[unlikely]]
            PaintBatch();
    }
    // Batching is on by default. Off, fills and columns are painted at once
    // (tests compare the two).
    void SetColumnBatching(bool on);
    bool column_batching() const { return batching_; }

    // The rows [top, bottom) that may have changed since the last
    // ResetWritten: every writing accessor, fill and column counts, so any
    // pixel that changed lies in them (none changed when top == bottom).
    int written_top() const { return written_top_; }
    int written_bottom() const { return written_bottom_; }
    void ResetWritten() { written_top_ = written_bottom_ = 0; }

    // Resource number the pixels were loaded from, or -1; traces report it.
    int resource_id = -1;

private:
    struct Column {
        int x, top, bottom;
        Pixel color;
    };
    struct Batch {
        // Every row holds `row` (once it is copied down, when due); the
        // columns come after it.
        bool rows_alike = false;
        // `row` is yet to be copied down the surface.
        bool row_due = false;
        std::vector<Pixel> row;
        std::vector<Column> columns;
    };
    // Columns kept before they are painted anyway, bounding the batch's memory.
    static constexpr std::size_t kMaxColumns = std::size_t{1} << 16;

    Surface(int width, int height, PixelVector storage);
    explicit Surface(std::shared_ptr<const SharedPixels> shared);
    std::size_t Offset(int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
    // Every writing accessor takes the pixels over first.
    void Own() {
        if (shared_) [[unlikely]]
            Unshare();
    }
    void Unshare();
    void MarkWritten(int top, int bottom) {
        if (written_top_ == written_bottom_) {
            written_top_ = top;
            written_bottom_ = bottom;
            return;
        }
        written_top_ = std::min(written_top_, top);
        written_bottom_ = std::max(written_bottom_, bottom);
    }
    void PaintBatch() const;

    int width_;
    int height_;
    PixelVector storage_;
    std::shared_ptr<const SharedPixels> shared_;
    bool batching_ = true;
    int written_top_ = 0;
    int written_bottom_ = 0;
    // Mutable: reading a surface paints its batch first.
    mutable Batch batch_;
};

using SurfacePtr = std::shared_ptr<Surface>;

// Whether writing this many bytes in one go should take streaming stores,
// which skip reading the old lines in: only when they are far more than the
// last-level cache holds, since lines that fit are written faster in cache.
bool StreamsStores(std::int64_t bytes);

}  // namespace gdi
