// Lazy rows: a waiting fill (and the columns over it) written into each row
// when the row is first used.
#include <algorithm>
#include <cstdint>

#include "platform/gdi/surface.h"
#include "platform/gdi/surface_rows.h"

namespace gdi {

using namespace surface_rows;

namespace {

// Columns drawn over lazy rows before those are all written: each row
// written later takes every one that crosses it.
constexpr std::size_t kMaxLazyColumns = 64;

}  // namespace

// A fill, alone or with one dense run of columns over it, is the common start
// of a page: instead of writing the whole surface and then reading it back
// from far caches as the rest of the page is drawn, each row is written when
// it is first used, while it is hot for the drawing that follows. Rows never
// used individually are written together when the whole surface is needed.
bool Surface::StartLazyRows() const {
    if (!batching_ || !fill_pending_ || width_ == 0 || height_ == 0) return false;
    const Column* first = columns_.data();
    const Column* const last = first + columns_.size();
    int left = 0, right = 0;
    if (first != last && (RunEnd(first, last, &left, &right) != last || !Dense(last - first, left, right)))
        return false;
    // Every row is written again: the tags start over.
    ResetTags();
    lazy_fill_.assign(static_cast<std::size_t>(width_), fill_color_);
    lazy_run_ = lazy_fill_;
    lazy_run_top_ = lazy_run_bottom_ = 0;
    if (first != last) {
        for (const Column* c = first; c != last; ++c) lazy_run_[static_cast<std::size_t>(c->x)] = c->color;
        lazy_run_top_ = first->top;
        lazy_run_bottom_ = first->bottom;
    }
    lazy_run_repeats_ = RepeatsEveryTwoPixels(lazy_run_.data(), width_);
    lazy_fill_tag_ = TagOf(lazy_fill_);
    lazy_run_tag_ = TagOf(lazy_run_);
    lazy_columns_.clear();
    unpainted_.assign(static_cast<std::size_t>(height_), 1);
    unpainted_count_ = height_;
    fill_pending_ = false;
    columns_.clear();
    lazy_ = true;
    return true;
}

void Surface::PaintLazyRows(int top, int bottom) const {
    Pixel* const base = pixels_.data();
    const std::ptrdiff_t width = width_;
    const bool stream = StreamsStores(static_cast<std::int64_t>(bottom - top) * width * 4);
    int y = top;
    while (y < bottom) {
        if (!unpainted_[static_cast<std::size_t>(y)]) {
            ++y;
            continue;
        }
        // A stretch of unpainted rows that all take the same row image.
        const bool in_run = y >= lazy_run_top_ && y < lazy_run_bottom_;
        const int limit =
            std::min(bottom, in_run ? lazy_run_bottom_ : (y < lazy_run_top_ ? lazy_run_top_ : bottom));
        int end = y;
        while (end < limit && unpainted_[static_cast<std::size_t>(end)])
            unpainted_[static_cast<std::size_t>(end++)] = 0;
        CopyRowDown(base, width, in_run ? lazy_run_.data() : lazy_fill_.data(), y, end, stream,
                    !in_run || lazy_run_repeats_);
        Tag(y, end, in_run ? lazy_run_tag_ : lazy_fill_tag_);
        for (const Column& c : lazy_columns_) {
            for (int r = std::max(c.top, y); r < std::min(c.bottom, end); ++r)
                base[r * width + c.x] = c.color;
            Untag(std::max(c.top, y), std::min(c.bottom, end));
        }
        unpainted_count_ -= end - y;
        y = end;
    }
    if (unpainted_count_ == 0) lazy_ = false;
}

const Pixel* Surface::KnownRowImage(int y) const {
    if (shared_ || y < 0 || y >= height_ || (pending_ && !lazy_)) return nullptr;
    if (lazy_ && unpainted_[static_cast<std::size_t>(y)]) {
        // Due its image, and every lazy column that crosses it.
        for (const Column& c : lazy_columns_) {
            if (y >= c.top && y < c.bottom) return nullptr;
        }
        return y >= lazy_run_top_ && y < lazy_run_bottom_ ? lazy_run_.data() : lazy_fill_.data();
    }
    const std::uint8_t tag = tagged_ ? row_tags_[static_cast<std::size_t>(y)] : 0;
    return tag == 0 ? nullptr : tag_images_[tag - 1u].data();
}

void Surface::PaintLazyRowAround(int y, int left, int right) const {
    left = std::clamp(left, 0, width_);
    right = std::clamp(right, left, width_);
    const bool in_run = y >= lazy_run_top_ && y < lazy_run_bottom_;
    const Pixel* image = in_run ? lazy_run_.data() : lazy_fill_.data();
    Pixel* const out = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    if (!in_run || lazy_run_repeats_) {
        StoreRepeating(out, image, 0, left);
        StoreRepeating(out, image, right, width_);
    } else {
        std::copy(image, image + left, out);
        std::copy(image + right, image + width_, out + right);
    }
    for (const Column& c : lazy_columns_) {
        if (y >= c.top && y < c.bottom && (c.x < left || c.x >= right)) out[c.x] = c.color;
    }
    unpainted_[static_cast<std::size_t>(y)] = 0;
    if (--unpainted_count_ == 0) lazy_ = false;
    pending_ = lazy_;
}

void Surface::PrepareRows(int top, int bottom) const {
    if (!pending_) return;
    top = std::max(top, 0);
    bottom = std::min(bottom, height_);
    if (!lazy_) {
        // A request for every row takes the whole-surface paint.
        const bool whole = top == 0 && bottom == height_;
        if (whole || !StartLazyRows()) {
            Paint();
            return;
        }
    }
    if (top < bottom) PaintLazyRows(top, bottom);
    pending_ = lazy_;
}

bool Surface::AddLazyColumn(int x, int top, int bottom, Pixel color) {
    if (!batching_ || lazy_columns_.size() >= kMaxLazyColumns) return false;
    // Rows already written take the column now; the others when they are.
    MarkWritten(top, bottom);
    lazy_columns_.push_back(Column{x, top, bottom, color});
    Untag(top, bottom);
    Pixel* const base = pixels_.data();
    for (int y = top; y < bottom; ++y) {
        if (!unpainted_[static_cast<std::size_t>(y)])
            base[static_cast<std::ptrdiff_t>(y) * width_ + x] = color;
    }
    return true;
}

}  // namespace gdi
