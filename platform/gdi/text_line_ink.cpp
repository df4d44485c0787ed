#include "platform/gdi/text_line_ink.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/gdi/text_ink_rows.h"

namespace gdi::text {

namespace {

bool caching = true;

// No early exit: the loop stays one compare per vector of pixels.
__attribute__((target_clones("avx512f", "avx2", "default"))) bool AllWhite(const Pixel* p, std::size_t n) {
    Pixel differs = 0;
    for (std::size_t k = 0; k < n; ++k) differs |= p[k] ^ kWhite;
    return differs == 0;
}

std::size_t BytesOf(const LineInk& ink) {
    return ink.pixels.size() * sizeof(Pixel);
}

}  // namespace

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
                 std::vector<RowBand>* left_over) {
    if (x < 0 || y < 0 || x + ink.width > s.width() || y + ink.rows > s.height()) return false;
    const std::size_t width = static_cast<std::size_t>(ink.width);
    const std::ptrdiff_t stride = s.width();
    const int top = static_cast<int>(y);
    // Rows known to hold a row image are judged by the image, once per
    // image, before the rows are taken (which forgets what they hold).
    std::vector<signed char> white(static_cast<std::size_t>(ink.rows), -1);
    if (!known_white) {
        const Pixel* last_image = nullptr;
        bool last_white = false;
        for (int r = 0; r < ink.rows; ++r) {
            const Pixel* image = s.KnownRowImage(top + r);
            if (!image) continue;
            if (image != last_image) {
                last_image = image;
                last_white = AllWhite(image + x, width);
            }
            white[static_cast<std::size_t>(r)] = last_white ? 1 : 0;
        }
    }
    Pixel* const dst = s.rows(top, top + ink.rows) + x;
    for (int r = 0; r < ink.rows; ++r) {
        Pixel* const out = dst + r * stride;
        const signed char known = white[static_cast<std::size_t>(r)];
        if (known_white || known == 1 || (known < 0 && AllWhite(out, width))) {
            std::memcpy(out, ink.pixels.data() + static_cast<std::size_t>(r) * width, width * sizeof(Pixel));
        } else if (!left_over->empty() && left_over->back().bottom == top + r) {
            ++left_over->back().bottom;
        } else {
            left_over->push_back(RowBand{top + r, top + r + 1});
        }
    }
    return true;
}

}  // namespace gdi::text
