// Lazy rows: a waiting fill (and the columns over it) written into each row
// when the row is first used.
#include <algorithm>
#include <cstdint>

#include "platform/gdi/surface.h"
#include "platform/gdi/surface_rows.h"

namespace gdi {

using namespace surface_rows;

namespace {

// Columns and narrow boxes drawn over lazy rows before those are all
// written: each row written later takes every one that crosses it.
constexpr std::size_t kMaxLazyBoxes = 64;
// Rows crossed by boxes are written in bands of about this many bytes.
constexpr std::size_t kCrossedBandBytes = std::size_t{64} << 10;

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
    lazy_fill_white_ = fill_color_ == kWhitePixel;
    lazy_run_white_ = IsWhite(lazy_run_.data(), lazy_run_.size());
    lazy_fill_tag_ = TagOf(lazy_fill_);
    lazy_run_tag_ = TagOf(lazy_run_);
    lazy_boxes_.clear();
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
        // A stretch of unpainted rows that all take the same row image, and
        // are crossed by the same lazy boxes.
        const bool in_run = y >= lazy_run_top_ && y < lazy_run_bottom_;
        int limit =
            std::min(bottom, in_run ? lazy_run_bottom_ : (y < lazy_run_top_ ? lazy_run_top_ : bottom));
        bool crossed = false;
        for (const LazyBox& b : lazy_boxes_) {
            if (y < b.top) {
                limit = std::min(limit, b.top);
            } else if (y < b.bottom) {
                limit = std::min(limit, b.bottom);
                crossed = true;
            }
        }
        int end = y;
        while (end < limit && unpainted_[static_cast<std::size_t>(end)])
            unpainted_[static_cast<std::size_t>(end++)] = 0;
        const std::vector<Pixel>& image = in_run ? lazy_run_ : lazy_fill_;
        if (!crossed) {
            CopyRowDown(base, width, image.data(), y, end, stream, !in_run || lazy_run_repeats_);
            Tag(y, end, in_run ? lazy_run_tag_ : lazy_fill_tag_);
        } else {
            PaintCrossedRows(image, !in_run || lazy_run_repeats_, y, end, stream);
            Untag(y, end);
        }
        unpainted_count_ -= end - y;
        y = end;
    }
    if (unpainted_count_ == 0) lazy_ = false;
}

// Rows [top, bottom), all due `image` and crossed by the same lazy boxes.
// Where the image repeats every two pixels, a band of rows is one string
// store of its pattern (which writes lines without reading them first), and
// the boxes' pixels follow while the band is still in the nearest caches.
// Otherwise each row is copied from the image with the boxes in it.
void Surface::PaintCrossedRows(const std::vector<Pixel>& image, bool repeats, int top, int bottom,
                               bool stream) const {
    std::vector<LazyBox>& crossing = lazy_crossing_;
    crossing.clear();
    for (const LazyBox& b : lazy_boxes_) {
        if (top >= b.top && top < b.bottom) crossing.push_back(b);
    }
    Pixel* const base = pixels_.data();
    if (!repeats || stream) {
        lazy_scratch_ = image;
        for (const LazyBox& b : crossing)
            std::fill(lazy_scratch_.begin() + b.columns.left, lazy_scratch_.begin() + b.columns.right,
                      b.color);
        CopyRowDown(base, width_, lazy_scratch_.data(), top, bottom, stream);
        return;
    }
    const int band =
        std::max(1, static_cast<int>(kCrossedBandBytes / (static_cast<std::size_t>(width_) * 4)));
    for (int y = top; y < bottom; y += band) {
        const int end = std::min(bottom, y + band);
        CopyRowDown(base, width_, image.data(), y, end, false, true);
        for (int r = y; r < end; ++r) {
            Pixel* const out = base + static_cast<std::ptrdiff_t>(r) * width_;
            // In drawing order, so that a later box over an earlier one wins.
            for (const LazyBox& b : crossing) {
                for (int x = b.columns.left; x < b.columns.right; ++x) out[x] = b.color;
            }
        }
    }
}

const Pixel* Surface::KnownRowImage(int y) const {
    if (shared_ || y < 0 || y >= height_ || (pending_ && !lazy_)) return nullptr;
    if (lazy_ && unpainted_[static_cast<std::size_t>(y)]) {
        // Due its image, and every lazy box that crosses it.
        for (const LazyBox& b : lazy_boxes_) {
            if (y >= b.top && y < b.bottom) return nullptr;
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
    // Boxes are painted only outside [left, right), in order.
    for (const LazyBox& b : lazy_boxes_) {
        if (y < b.top || y >= b.bottom) continue;
        if (b.columns.left < left)
            std::fill(out + b.columns.left, out + std::min(b.columns.right, left), b.color);
        if (b.columns.right > right)
            std::fill(out + std::max(b.columns.left, right), out + b.columns.right, b.color);
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

bool Surface::AddLazyBox(ColumnSpan columns, int top, int bottom, Pixel color) {
    if (!batching_ || lazy_boxes_.size() >= kMaxLazyBoxes) return false;
    // Rows already written take the box now; the others when they are.
    MarkWritten(top, bottom);
    Pixel* const base = pixels_.data();
    int first_due = bottom, last_due = top;
    for (int y = top; y < bottom; ++y) {
        if (unpainted_[static_cast<std::size_t>(y)]) {  // nothing known, nothing written yet
            first_due = std::min(first_due, y);
            last_due = y + 1;
            continue;
        }
        Pixel* const out = base + static_cast<std::ptrdiff_t>(y) * width_;
        for (int x = columns.left; x < columns.right; ++x) out[x] = color;
        UntagRowCutting(y, columns, color);
    }
    // Only rows still due their fill read the list, and every row written
    // from it walks all of it: a box over none of them, or one that changes
    // none of their pixels, stays out.
    if (first_due < last_due && !Covered(columns, first_due, last_due, color))
        lazy_boxes_.push_back(LazyBox{columns, first_due, last_due, color});
    return true;
}

bool Surface::Covered(ColumnSpan columns, int top, int bottom, Pixel color) const {
    // The latest box over any of these pixels decides: it gave them all
    // this colour when it holds them all, and none drawn since touches them.
    for (auto b = lazy_boxes_.rbegin(); b != lazy_boxes_.rend(); ++b) {
        const bool meets = b->columns.left < columns.right && columns.left < b->columns.right &&
                           b->top < bottom && top < b->bottom;
        if (!meets) continue;
        return b->color == color && b->columns.Contains(columns) && b->top <= top && bottom <= b->bottom;
    }
    return false;
}

void Surface::FillBox(int left, int top, int right, int bottom, Pixel color) {
    Own();
    // Whatever still waits either starts its lazy rows or is painted now.
    if (pending_ && !lazy_) PrepareRows(top, top);
    MarkWritten(top, bottom);
    const ColumnSpan columns{left, right};
    const std::size_t n = static_cast<std::size_t>(right - left);
    const int band =
        std::max(1, static_cast<int>(kCrossedBandBytes / (static_cast<std::size_t>(width_) * 4)));
    Pixel* const base = pixels_.data();
    for (int y = top; y < bottom;) {
        // Rows still due a fill, in bands: the band is written whole in the
        // box's colour as one string store, then each row takes its image
        // outside the box while the band is still in the nearest caches.
        int end = y;
        if (lazy_) {
            while (end < bottom && end - y < band && unpainted_[static_cast<std::size_t>(end)]) ++end;
        }
        if (end > y + 1) {
            white_band_.resize(static_cast<std::size_t>(end - y));
            for (int r = y; r < end; ++r) white_band_[static_cast<std::size_t>(r - y)] = KnownWhite(r);
            FillPixels(base + static_cast<std::ptrdiff_t>(y) * width_,
                       static_cast<std::size_t>(end - y) * static_cast<std::size_t>(width_), color);
            for (int r = y; r < end; ++r) {
                PaintLazyRowAround(r, left, right);
                const ColumnSpan known = white_band_[static_cast<std::size_t>(r - y)];
                NoteWhite(r, color == kWhitePixel ? known.With(columns) : known.Without(columns));
            }
            y = end;
            continue;
        }
        const ColumnSpan known = KnownWhite(y);
        const bool due = lazy_ && unpainted_[static_cast<std::size_t>(y)];
        if (!due && color == kWhitePixel && known.Contains(columns)) {
            // White over a row known white there (a box inside a box): the
            // row, and all that is known of it, stays as it is.
            ++y;
            continue;
        }
        if (due) PaintLazyRowAround(y, left, right);
        FillPixels(base + static_cast<std::ptrdiff_t>(y) * width_ + left, n, color);
        if (tagged_) row_tags_[static_cast<std::size_t>(y)] = 0;
        NoteWhite(y, color == kWhitePixel ? known.With(columns) : known.Without(columns));
        ++y;
    }
}

bool Surface::FillNarrowBox(int left, int top, int right, int bottom, Pixel color) {
    if (right - left > kNarrowBox || left >= right || top >= bottom || !batching_ || shared_) return false;
    // A fill still waiting starts its lazy rows now, as a read of no rows.
    if (pending_ && !lazy_) PrepareRows(top, top);
    return lazy_ && AddLazyBox({left, right}, top, bottom, color);
}

}  // namespace gdi
