// A 32-bit pixel surface: the storage behind every bitmap and device context.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/pixel_storage.h"
#include "platform/gdi/types.h"

namespace gdi {

// Pixels are 0x00RRGGBB, rows top to bottom, no padding.
using Pixel = std::uint32_t;
constexpr Pixel kWhitePixel = 0xFFFFFF;
// Whether every one of the n pixels at p is white.
bool IsWhite(const Pixel* p, std::size_t n);
// A surface's pixels: zero when made, without a pass that writes them.
using PixelVector = std::vector<Pixel, ZeroedAllocator<Pixel>>;

constexpr Pixel ToPixel(COLORREF c) {
    return (static_cast<Pixel>(GetRValue(c)) << 16) | (static_cast<Pixel>(GetGValue(c)) << 8) |
           static_cast<Pixel>(GetBValue(c));
}

// Columns [left, right) of one row; empty when left >= right.
struct ColumnSpan {
    int left = 0;
    int right = 0;
    bool empty() const { return left >= right; }
    int size() const { return empty() ? 0 : right - left; }
    bool Contains(ColumnSpan other) const {
        return other.empty() || (left <= other.left && other.right <= right);
    }
    // What is left of this span once `cut` is taken out: the larger side.
    ColumnSpan Without(ColumnSpan cut) const {
        if (cut.empty() || cut.right <= left || right <= cut.left) return *this;
        const ColumnSpan before{left, cut.left}, after{cut.right, right};
        return before.size() >= after.size() ? before : after;
    }
    // This span and `more` as one span when they touch, else the larger.
    ColumnSpan With(ColumnSpan more) const {
        if (empty()) return more;
        if (more.empty()) return *this;
        if (more.left <= right && left <= more.right)
            return {std::min(left, more.left), std::max(right, more.right)};
        return size() >= more.size() ? *this : more;
    }
};

// Pixels decoded once and shared, read-only, by every surface made from them
// until that surface is first written (then it takes a copy of its own).
struct SharedPixels {
    int width = 0;
    int height = 0;
    PixelVector pixels;
    int resource_id = -1;
    // The last stretches of these pixels, for the next identical one: the
    // pixels cannot change, so neither can the stretch.
    struct Stretched {
        std::vector<int> key;
        int left = 0, top = 0, width = 0, rows = 0;
        std::vector<Pixel> pixels;
    };
    mutable std::vector<Stretched> stretched;
};

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
    // Every pixel accessor first paints what is still batched over the rows
    // it returns, so what it reads or overwrites is exactly what unbatched
    // drawing would give. row(y) makes row y alone exact: a caller that
    // walks from one row to others by pointer takes rows(top, bottom).
    Pixel* row(int y) {
        Own();
        Prepare(y);
        MarkWritten(y, y + 1);
        Untag(y, y + 1);
        return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    }
    const Pixel* row(int y) const {
        Prepare(y);
        return data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    }
    // Row y for a caller that overwrites all of [left, right) at once: only
    // the pixels outside that span are made exact.
    Pixel* RowToOverwrite(int y, int left, int right) {
        Own();
        if (RowDue(y)) PaintLazyRowAround(y, left, right);
        return row(y);
    }
    // Whether row y still waits for a fill: its pixels are stale until a
    // pixel accessor takes it.
    bool RowDue(int y) const { return pending_ && lazy_ && unpainted_[static_cast<std::size_t>(y)]; }
    // Row `top`, with rows [top, bottom) all exact.
    Pixel* rows(int top, int bottom) {
        Own();
        PrepareRows(top, bottom);
        MarkWritten(top, bottom);
        Untag(top, bottom);
        return pixels_.data() + static_cast<std::size_t>(top) * static_cast<std::size_t>(width_);
    }
    const Pixel* rows(int top, int bottom) const {
        PrepareRows(top, bottom);
        return data() + static_cast<std::size_t>(top) * static_cast<std::size_t>(width_);
    }
    Pixel at(int x, int y) const { return row(y)[x]; }
    void set(int x, int y, Pixel p) { row(y)[x] = p; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    PixelVector& pixels() {
        Own();
        PrepareRows(0, height_);
        MarkWritten(0, height_);
        Untag(0, height_);
        return pixels_;
    }
    const PixelVector& pixels() const {
        PrepareRows(0, height_);
        return shared_ ? shared_->pixels : pixels_;
    }

    // Fills the whole surface. The fill waits like a column batch, so that
    // columns drawn over it are painted in the same pass.
    void Fill(Pixel color);

    // Fills the box [left, right) x [top, bottom), already clipped to the
    // surface, row by row: a row still due a fill takes it only around the
    // box, just before, while the row is in the nearest cache. What each row
    // is known to hold in white grows or shrinks with the box.
    void FillBox(int left, int top, int right, int bottom, Pixel color);
    // Fills the box [left, right) x [top, bottom), already clipped, when it
    // is narrow and the rows under it are still due a fill: it waits with
    // them, like a column. False, with nothing done, otherwise.
    bool FillNarrowBox(int left, int top, int right, int bottom, Pixel color);
    static constexpr int kNarrowBox = 16;

    // One-pixel column [top, bottom) at x in one colour, already clipped to
    // the surface. Columns drawn one by one touch a new cache line per pixel;
    // batched, they are painted row by row, in the order they were added,
    // before anything reads or overwrites the surface.
    void AddColumn(int x, int top, int bottom, Pixel color) {
        top = std::max(top, 0);
        bottom = std::min(bottom, height_);
        if (x < 0 || x >= width_ || top >= bottom) return;
        // The common case, a column joining the batch, is inline: a page of
        // stripes adds hundreds.
        if (lazy_ || shared_ || !batching_ || columns_.size() >= kMaxColumns) {
            AddColumnOutOfBatch(x, top, bottom, color);
            return;
        }
        MarkWritten(top, bottom);
        columns_.push_back(Column{x, top, bottom, color});
        pending_ = true;
    }
    // Batching is on by default. Off, the drawing primitives paint columns
    // and whole-surface fills themselves, at once (tests compare the two).
    void SetColumnBatching(bool on);
    bool column_batching() const { return batching_; }

    // The row image row y is known to hold, or will hold when written
    // (a fill's, or stripes drawn over one), of width() pixels; null when
    // not known. Valid until the surface is next drawn on.
    const Pixel* KnownRowImage(int y) const;

    // Columns of row y known to be white without reading them: from the fill
    // or row image the row holds or is due, or as noted by the drawing that
    // last wrote it. Empty when nothing is known.
    ColumnSpan KnownWhite(int y) const;
    // Notes that the columns of `span` in row y are white: the caller has
    // just written them so, after taking the row. Forgotten when the row is
    // next written without a note.
    void NoteWhite(int y, ColumnSpan span) const;

    // The rows [top, bottom) that may have changed since the last
    // ResetWritten: every writing accessor, batch and fill counts, so any
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

    // Columns kept before they are painted anyway, bounding the batch's memory.
    static constexpr std::size_t kMaxColumns = std::size_t{1} << 16;

    // A column over lazy rows, or with the batch full or off.
    void AddColumnOutOfBatch(int x, int top, int bottom, Pixel color);

    Surface(int width, int height);
    Surface(Pixel* pixels, int width, int height);
    explicit Surface(std::shared_ptr<const SharedPixels> shared);
    const Pixel* data() const { return shared_ ? shared_->pixels.data() : pixels_.data(); }
    // Every writing accessor takes the pixels over first.
    void Own() {
        if (shared_) [[unlikely]]
            Unshare();
    }
    void Unshare();
    void Prepare(int y) const {
        if (pending_ && !(lazy_ && !unpainted_[static_cast<std::size_t>(y)])) PrepareRows(y, y + 1);
    }
    void PrepareRows(int top, int bottom) const;
    void Settle() const { PrepareRows(0, height_); }
    void Paint() const;
    void MarkWritten(int top, int bottom) {
        if (written_top_ == written_bottom_) {
            written_top_ = top;
            written_bottom_ = bottom;
            return;
        }
        written_top_ = std::min(written_top_, top);
        written_bottom_ = std::max(written_bottom_, bottom);
    }
    void PaintFill(const Column* first, const Column* last) const;
    // Columns painted a band of rows at a time; their rows lose their tags.
    void PaintBandedUntagged(const Column* first, const Column* last) const;
    // A dense run of columns over rows [first->top, first->bottom).
    void PaintRun(const Column* first, const Column* last, int left, int right) const;
    // Row tags: rows known to equal one of a few row images (a fill's, or a
    // dense run of columns over rows that all held one image), so that a run
    // drawn over such rows writes whole rows from the new image instead of
    // merging into them, which reads every line first. Tag 0: not known.
    std::uint8_t TagOf(const std::vector<Pixel>& image) const;
    void Tag(int top, int bottom, std::uint8_t tag) const;
    void Untag(int top, int bottom) const {
        if (tagged_)
            std::fill(row_tags_.begin() + top, row_tags_.begin() + std::max(top, bottom), std::uint8_t{0});
        ForgetWhite(top, bottom);
    }
    // Row y was written in the columns of `cut` alone, in `color`: its tag
    // goes, and what is known white shrinks.
    void UntagRowCutting(int y, ColumnSpan cut, Pixel color) const;
    void ForgetWhite(int top, int bottom) const {
        if (white_noted_)
            std::fill(white_.begin() + top, white_.begin() + std::max(top, bottom), ColumnSpan{});
    }
    // Drops every tag and image; called where every row is written again.
    void ResetTags() const;
    // A pending fill, and the run of columns painted with it, written into
    // rows one at a time as they are first used; see surface.cpp.
    bool StartLazyRows() const;
    void PaintLazyRows(int top, int bottom) const;
    void PaintLazyRowAround(int y, int left, int right) const;
    void PaintCrossedRows(const std::vector<Pixel>& image, bool repeats, int top, int bottom,
                          bool stream) const;
    // A box of columns over lazy rows; false when it must wait in the batch
    // (a column) or be written at once (a box) instead.
    bool AddLazyBox(ColumnSpan columns, int top, int bottom, Pixel color);
    // Whether the lazy boxes already give every pixel of this box its colour.
    bool Covered(ColumnSpan columns, int top, int bottom, Pixel color) const;

    int width_;
    int height_;
    // Mutable: reading a surface paints its batched columns first.
    mutable PixelVector pixels_;
    std::shared_ptr<const SharedPixels> shared_;
    mutable std::vector<Column> columns_;
    mutable bool fill_pending_ = false;
    // Anything at all waits: a fill, columns or lazy rows.
    mutable bool pending_ = false;
    // Lazy rows: unpainted_[y] while row y still holds stale pixels and is
    // due the fill (lazy_run_ over the run's rows, lazy_fill_ elsewhere).
    mutable bool lazy_ = false;
    mutable std::vector<std::uint8_t> unpainted_;
    mutable int unpainted_count_ = 0;
    mutable std::vector<Pixel> lazy_fill_;
    mutable std::vector<Pixel> lazy_run_;
    mutable bool lazy_run_repeats_ = false;  // the run's row repeats every two pixels
    mutable int lazy_run_top_ = 0;
    mutable int lazy_run_bottom_ = 0;
    // Columns and narrow boxes drawn since: already painted on written rows,
    // and painted on each unpainted row, in order, when it is written.
    struct LazyBox {
        ColumnSpan columns;
        int top, bottom;
        Pixel color;
    };
    mutable std::vector<LazyBox> lazy_boxes_;
    mutable std::vector<Pixel> lazy_scratch_;     // a row image with the boxes that cross it
    mutable std::vector<LazyBox> lazy_crossing_;  // the boxes that cross a stretch of rows
    std::vector<ColumnSpan> white_band_;          // what a band of rows held in white before a box
    mutable std::vector<std::uint8_t> row_tags_;
    mutable std::vector<std::vector<Pixel>> tag_images_;  // image of tag t at t - 1
    mutable std::vector<std::uint8_t> tag_image_white_;   // whether that image is all white
    // Spans noted white, by row; kept only once one is noted.
    mutable std::vector<ColumnSpan> white_;
    mutable bool white_noted_ = false;
    mutable bool lazy_fill_white_ = false;
    mutable bool lazy_run_white_ = false;
    mutable bool tagged_ = false;
    mutable std::uint8_t lazy_fill_tag_ = 0;
    mutable std::uint8_t lazy_run_tag_ = 0;
    Pixel fill_color_ = 0;
    bool batching_ = true;
    int written_top_ = 0;
    int written_bottom_ = 0;
};

using SurfacePtr = std::shared_ptr<Surface>;

// Whether writing this many bytes in one go should take streaming stores,
// which skip reading the old lines in: only when they are far more than the
// last-level cache holds, since lines that fit are written faster in cache.
bool StreamsStores(std::int64_t bytes);

}  // namespace gdi
