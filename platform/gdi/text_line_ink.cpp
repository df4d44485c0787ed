#include "platform/gdi/text_line_ink.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "platform/gdi/text_ink_rows.h"

namespace gdi::text {

namespace {

bool caching = true;

// The columns of `span` in row from the first pixel that is not white to
// just past the last; empty when all are white.
ColumnSpan NotWhiteWithin(const Pixel* row, ColumnSpan span) {
    if (span.empty()) return {};
    const std::size_t n = static_cast<std::size_t>(span.right - span.left);
    const std::size_t first = FirstNotWhite(row + span.left, n);
    if (first == n) return {};
    const std::size_t end = EndOfNotWhite(row + span.left, n);
    return {span.left + static_cast<int>(first), span.left + static_cast<int>(end)};
}

// The span from the first to the last column of either; empty spans add nothing.
ColumnSpan Union(ColumnSpan a, ColumnSpan b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::max(a.right, b.right)};
}

// Neighbouring rows' pixels to leave share one box while it grows no row's
// by more than this many columns: glyphs are walked once per box.
constexpr int kBoxSlack = 64;

std::size_t BytesOf(const LineInk& ink) {
    return ink.pixels.size() * sizeof(Pixel) + ink.greys.size();
}

}  // namespace

void KeepGreys(LineInk& ink) {
    ink.greys.clear();
    if (!AllGrey(ink.pixels.data(), ink.pixels.size())) return;
    ink.greys.reserve(ink.pixels.size());
    for (const Pixel p : ink.pixels) ink.greys.push_back(static_cast<std::uint8_t>(p & 0xFF));
}

void SetLineInkCaching(bool on) {
    caching = on;
}

bool LineInkCaching() {
    return caching;
}

const LineInk* LineInkCache::Find(std::string_view text, Pixel color) {
    for (Entry& e : entries_) {
        if (e.color == color && e.text == text) {
            e.used = ++clock_;
            return &e.ink;
        }
    }
    return nullptr;
}

bool LineInkCache::DrawnBefore(std::string_view text, Pixel color) {
    constexpr std::size_t kRemembered = 256;
    const std::size_t key = std::hash<std::string_view>{}(text)*31 + color;
    if (std::find(drawn_once_.begin(), drawn_once_.end(), key) != drawn_once_.end()) return true;
    if (drawn_once_.size() >= kRemembered) drawn_once_.erase(drawn_once_.begin());
    drawn_once_.push_back(key);
    return false;
}

const LineInk* LineInkCache::Insert(std::string_view text, Pixel color, LineInk ink) {
    const std::size_t bytes = BytesOf(ink);
    if (bytes > kMaxLineBytes) return nullptr;
    while (!entries_.empty() && bytes_ + bytes > kBudgetBytes) {
        auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                       [](const Entry& a, const Entry& b) { return a.used < b.used; });
        bytes_ -= BytesOf(oldest->ink);
        entries_.erase(oldest);
    }
    bytes_ += bytes;
    entries_.push_back(Entry{std::string(text), color, ++clock_, std::move(ink)});
    return &entries_.back().ink;
}

bool CopyLineInk(Surface& s, std::int64_t x, std::int64_t y, const LineInk& ink, bool known_white,
                 std::vector<Rect>* left_over) {
    if (x < 0 || y < 0 || x + ink.width > s.width() || y + ink.rows > s.height()) return false;
    if (ink.inked.size() != static_cast<std::size_t>(ink.rows)) return false;
    const int left = static_cast<int>(x);
    const int top = static_cast<int>(y);
    const std::size_t rows = static_cast<std::size_t>(ink.rows);
    // Per row: the columns under its ink, those known white, those to leave
    // (not all white, and then the row's box of them). Rows known to hold a
    // row image are judged by the image before the rows are taken, which
    // forgets what they hold.
    struct Plan {
        ColumnSpan under, white, dirty, leave;
        bool judged;
    };
    thread_local std::vector<Plan> plans;
    plans.assign(rows, Plan{{}, {}, {}, {}, known_white});
    for (std::size_t r = 0; r < rows; ++r) {
        Plan& p = plans[r];
        const ColumnSpan inked = ink.inked[r];
        p.under = inked.empty() ? ColumnSpan{} : ColumnSpan{left + inked.left, left + inked.right};
        p.white = s.KnownWhite(top + static_cast<int>(r));
        if (known_white || p.white.Contains(p.under)) {
            p.judged = true;
            continue;
        }
        if (const Pixel* image = s.KnownRowImage(top + static_cast<int>(r))) {
            p.dirty = NotWhiteWithin(image, p.under);
            p.judged = true;
        }
    }
    for (std::size_t r = 0; r < rows; ++r) {
        Plan& p = plans[r];
        if (p.judged) continue;
        // Only the columns not known white are read.
        const Pixel* const row = std::as_const(s).row(top + static_cast<int>(r));
        const ColumnSpan before{p.under.left, std::min(p.under.right, p.white.left)};
        const ColumnSpan after{std::max(p.under.left, p.white.right), p.under.right};
        if (p.white.empty() || before.left >= p.under.right || after.right <= p.under.left) {
            p.dirty = NotWhiteWithin(row, p.under);
        } else {
            p.dirty = Union(NotWhiteWithin(row, before), NotWhiteWithin(row, after));
        }
    }
    // Neighbouring rows' pixels to leave, in boxes; each row then takes its
    // ink outside its box.
    std::size_t r = 0;
    while (r < rows) {
        if (plans[r].dirty.empty()) {
            ++r;
            continue;
        }
        ColumnSpan box = plans[r].dirty;
        std::size_t end = r + 1;
        while (end < rows && !plans[end].dirty.empty()) {
            const ColumnSpan grown = Union(box, plans[end].dirty);
            if (grown.size() - box.size() > kBoxSlack || grown.size() - plans[end].dirty.size() > kBoxSlack)
                break;
            box = grown;
            ++end;
        }
        for (std::size_t k = r; k < end; ++k) plans[k].leave = box;
        left_over->push_back(Rect{box.left, top + static_cast<std::int64_t>(r), box.right,
                                  top + static_cast<std::int64_t>(end)});
        r = end;
    }
    const std::size_t width = static_cast<std::size_t>(ink.width);
    for (r = 0; r < rows; ++r) {
        const Plan& p = plans[r];
        const int y_r = top + static_cast<int>(r);
        if (!p.under.empty()) {
            const Pixel* const from = ink.pixels.data() + r * width;
            const std::uint8_t* const greys = ink.greys.empty() ? nullptr : ink.greys.data() + r * width;
            // Every pixel written over is white, or (`stale`) still waits for
            // its fill and must be written whole.
            const auto copy = [&](Pixel* out, int a, int b, bool stale) {
                if (a >= b) return;
                const std::size_t n = static_cast<std::size_t>(b - a);
                if (greys) {
                    StoreGreys(out + a, greys + (a - left), n, !stale);
                } else {
                    std::memcpy(out + a, from + (a - left), n * sizeof(Pixel));
                }
            };
            if (p.leave.empty()) {
                // All of the ink's columns are written: a row still due a
                // fill takes it only around them.
                const bool stale = s.RowDue(y_r);
                copy(s.RowToOverwrite(y_r, p.under.left, p.under.right), p.under.left, p.under.right, stale);
            } else {
                Pixel* const out = s.row(y_r);
                copy(out, p.under.left, std::min(p.under.right, p.leave.left), false);
                copy(out, std::max(p.under.left, p.leave.right), p.under.right, false);
            }
        }
        // Taking the row forgot what it holds; what is known still holds
        // outside the ink.
        s.NoteWhite(y_r, p.white.Without(p.under));
    }
    return true;
}

}  // namespace gdi::text
