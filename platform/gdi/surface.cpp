#include "platform/gdi/surface.h"

#include "platform/gdi/surface_rows.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace gdi {

using namespace surface_rows;

namespace {

// Row images kept for tags; a run whose image is new once they are all
// taken leaves its rows untagged.
constexpr std::size_t kMaxTagImages = 8;

}  // namespace

bool IsWhite(const Pixel* p, std::size_t n) {
    return std::all_of(p, p + n, [](Pixel q) { return q == kWhitePixel; });
}

bool StreamsStores(std::int64_t bytes) {
    static const std::int64_t threshold = [] {
#ifdef _WIN32
        const long cache = 0;
#else
        const long cache = sysconf(_SC_LEVEL3_CACHE_SIZE);
#endif
        // Unknown cache sizes keep a bound that fits the caches of most machines.
        return cache > 0 ? 2 * static_cast<std::int64_t>(cache) : std::int64_t{16} << 20;
    }();
    return bytes >= threshold;
}

Surface::Surface(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    // Every row of a new surface is zero.
    if (width > 0 && height > 0)
        Tag(0, height, TagOf(std::vector<Pixel>(static_cast<std::size_t>(width), 0)));
}

// Nothing is known of the caller's pixels, so no row is tagged.
Surface::Surface(Pixel* pixels, int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
              ZeroedAllocator<Pixel>(pixels, static_cast<std::size_t>(width) *
                                                 static_cast<std::size_t>(height) * sizeof(Pixel))) {}

std::uint8_t Surface::TagOf(const std::vector<Pixel>& image) const {
    for (std::size_t i = 0; i < tag_images_.size(); ++i) {
        if (tag_images_[i] == image) return static_cast<std::uint8_t>(i + 1);
    }
    if (tag_images_.size() >= kMaxTagImages) return 0;
    tag_images_.push_back(image);
    tag_image_white_.push_back(IsWhite(image.data(), image.size()) ? 1 : 0);
    return static_cast<std::uint8_t>(tag_images_.size());
}

void Surface::Tag(int top, int bottom, std::uint8_t tag) const {
    ForgetWhite(top, bottom);
    if (!tagged_) {
        if (tag == 0) return;
        row_tags_.assign(static_cast<std::size_t>(height_), 0);
        tagged_ = true;
    }
    std::fill(row_tags_.begin() + top, row_tags_.begin() + bottom, tag);
}

void Surface::ResetTags() const {
    tag_images_.clear();
    tag_image_white_.clear();
    white_.clear();
    white_noted_ = false;
    row_tags_.clear();
    tagged_ = false;
}

void Surface::PaintRun(const Column* first, const Column* last, int left, int right) const {
    const int top = first->top, bottom = first->bottom;
    const std::uint8_t tag = tagged_ ? row_tags_[static_cast<std::size_t>(top)] : 0;
    const bool same = tag != 0 && std::all_of(row_tags_.begin() + top, row_tags_.begin() + bottom,
                                              [tag](std::uint8_t t) { return t == tag; });
    if (!same) {
        PaintOverlay(pixels_.data(), width_, first, last, left, right);
        Untag(top, bottom);
        return;
    }
    std::vector<Pixel> image = tag_images_[tag - 1u];
    for (const Column* c = first; c != last; ++c) image[static_cast<std::size_t>(c->x)] = c->color;
    const bool stream = StreamsStores(static_cast<std::int64_t>(bottom - top) * width_ * 4);
    CopyRowDown(pixels_.data(), width_, image.data(), top, bottom, stream,
                RepeatsEveryTwoPixels(image.data(), width_));
    Tag(top, bottom, TagOf(image));  // untagged when no image is left for it
}

Surface::Surface(std::shared_ptr<const SharedPixels> shared)
    : width_(shared->width), height_(shared->height), shared_(std::move(shared)) {
    resource_id = shared_->resource_id;
}

std::shared_ptr<Surface> Surface::CreateSharing(std::shared_ptr<const SharedPixels> pixels) {
    if (!pixels || pixels->width < 0 || pixels->height < 0 ||
        pixels->pixels.size() !=
            static_cast<std::size_t>(pixels->width) * static_cast<std::size_t>(pixels->height))
        return nullptr;
    return std::shared_ptr<Surface>(new Surface(std::move(pixels)));
}

void Surface::Unshare() {
    pixels_ = shared_->pixels;
    shared_.reset();
}

std::shared_ptr<Surface> Surface::Create(int width, int height, std::string* error) {
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension) {
        if (error) {
            *error = "surface of " + std::to_string(width) + " x " + std::to_string(height) +
                     " refused: each side must be 0 to " + std::to_string(kMaxDimension);
        }
        return nullptr;
    }
    return std::shared_ptr<Surface>(new Surface(width, height));
}

std::shared_ptr<Surface> Surface::CreateOver(Pixel* pixels, int width, int height, std::string* error) {
    // A size Create refuses is refused here too, with the same reason.
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension)
        return Create(width, height, error);
    if (!pixels && width > 0 && height > 0) {
        if (error) *error = "surface without pixels refused";
        return nullptr;
    }
    return std::shared_ptr<Surface>(new Surface(pixels, width, height));
}

ColumnSpan Surface::KnownWhite(int y) const {
    if (shared_ || y < 0 || y >= height_ || (pending_ && !lazy_)) return {};
    if (lazy_ && unpainted_[static_cast<std::size_t>(y)]) {
        const bool in_run = y >= lazy_run_top_ && y < lazy_run_bottom_;
        if (!(in_run ? lazy_run_white_ : lazy_fill_white_)) return {};
        // Due the image, and every lazy box that crosses it.
        ColumnSpan white{0, width_};
        for (const LazyBox& b : lazy_boxes_) {
            if (y >= b.top && y < b.bottom && b.color != kWhitePixel) white = white.Without(b.columns);
        }
        return white;
    }
    const std::uint8_t tag = tagged_ ? row_tags_[static_cast<std::size_t>(y)] : 0;
    if (tag != 0) return tag_image_white_[tag - 1u] ? ColumnSpan{0, width_} : ColumnSpan{};
    return white_noted_ ? white_[static_cast<std::size_t>(y)] : ColumnSpan{};
}

void Surface::UntagRowCutting(int y, ColumnSpan cut, Pixel color) const {
    const std::uint8_t tag = tagged_ ? row_tags_[static_cast<std::size_t>(y)] : 0;
    if (tag == 0) {
        // Only a noted span can be known, and only a cut shrinks it.
        if (white_noted_ && color != kWhitePixel) {
            ColumnSpan& white = white_[static_cast<std::size_t>(y)];
            white = white.Without(cut);
        }
        return;
    }
    // The row held its tag's image: what of it is white stays known.
    ColumnSpan white = tag_image_white_[tag - 1u] ? ColumnSpan{0, width_} : ColumnSpan{};
    row_tags_[static_cast<std::size_t>(y)] = 0;
    if (color != kWhitePixel) white = white.Without(cut);
    NoteWhite(y, white);
}

void Surface::NoteWhite(int y, ColumnSpan span) const {
    if (y < 0 || y >= height_ || (span.empty() && !white_noted_)) return;
    if (!white_noted_) {
        white_.assign(static_cast<std::size_t>(height_), ColumnSpan{});
        white_noted_ = true;
    }
    white_[static_cast<std::size_t>(y)] = ColumnSpan{std::max(span.left, 0), std::min(span.right, width_)};
}

void Surface::AddColumnOutOfBatch(int x, int top, int bottom, Pixel color) {
    Own();
    if (lazy_ && AddLazyBox({x, x + 1}, top, bottom, color)) return;
    // Lazy rows are older than this column: they are written first.
    if (lazy_) PaintLazyRows(0, height_);
    if (columns_.size() >= kMaxColumns) Paint();
    MarkWritten(top, bottom);
    columns_.push_back(Column{x, top, bottom, color});
    pending_ = true;
    if (!batching_) Paint();
}

void Surface::Fill(Pixel color) {
    // The fill covers every pixel: shared ones need not be copied first.
    if (shared_) {
        pixels_ = PixelVector(shared_->pixels.size());
        shared_.reset();
    }
    // Whatever was waiting is covered.
    columns_.clear();
    lazy_ = false;
    unpainted_count_ = 0;
    MarkWritten(0, height_);
    fill_pending_ = true;
    pending_ = true;
    fill_color_ = color;
    if (!batching_) Paint();
}

void Surface::SetColumnBatching(bool on) {
    Settle();
    batching_ = on;
}

void Surface::PaintFill(const Column* first, const Column* last) const {
    Pixel* const base = pixels_.data();
    const std::ptrdiff_t width = width_;
    const bool stream = StreamsStores(static_cast<std::int64_t>(width_) * height_ * 4);
    std::vector<Pixel> row(static_cast<std::size_t>(width), fill_color_);
    int left = 0, right = 0;
    const Column* run_end = first == last ? last : RunEnd(first, last, &left, &right);
    // Every row is written again: the tags start over.
    ResetTags();
    if (first == last || !Dense(run_end - first, left, right)) {
        CopyRowDown(base, width, row.data(), 0, height_, stream, true);
        Tag(0, height_, TagOf(row));
        return;
    }
    // The fill and the first run of columns give every row of the run the
    // same pixels: compose that row once and write it down the surface.
    CopyRowDown(base, width, row.data(), 0, first->top, stream, true);
    CopyRowDown(base, width, row.data(), first->bottom, height_, stream, true);
    Tag(0, height_, TagOf(row));
    for (const Column* c = first; c != run_end; ++c) row[static_cast<std::size_t>(c->x)] = c->color;
    CopyRowDown(base, width, row.data(), first->top, first->bottom, stream,
                RepeatsEveryTwoPixels(row.data(), width));
    Tag(first->top, first->bottom, TagOf(row));
}

void Surface::PaintBandedUntagged(const Column* first, const Column* last) const {
    PaintBanded(pixels_.data(), width_, first, last);
    for (const Column* c = first; c != last; ++c) Untag(c->top, c->bottom);
}

void Surface::Paint() const {
    const Column* begin = columns_.data();
    const Column* const end = begin + columns_.size();
    if (fill_pending_) {
        fill_pending_ = false;
        PaintFill(begin, end);
        if (begin != end) {
            int left = 0, right = 0;
            const Column* run_end = RunEnd(begin, end, &left, &right);
            if (Dense(run_end - begin, left, right)) begin = run_end;
        }
    }
    // Split the rest, in order, into dense runs over equal rows (overlay)
    // and what lies between them (banded).
    const Column* pending = begin;
    const Column* run = begin;
    while (run != end) {
        int left = 0, right = 0;
        const Column* run_end = RunEnd(run, end, &left, &right);
        if (Dense(run_end - run, left, right)) {
            if (pending != run) PaintBandedUntagged(pending, run);
            PaintRun(run, run_end, left, right);
            pending = run_end;
        }
        run = run_end;
    }
    if (pending != end) PaintBandedUntagged(pending, end);
    columns_.clear();
    pending_ = false;
}

}  // namespace gdi
