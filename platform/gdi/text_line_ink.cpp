#include "platform/gdi/text_line_ink.h"

#include <algorithm>
#include <cstring>

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

bool CopyLineInk(Surface& s, std::int64_t x, std::int64_t y, const LineInk& ink, bool known_white) {
    if (x < 0 || y < 0 || x + ink.width > s.width() || y + ink.rows > s.height()) return false;
    const std::size_t width = static_cast<std::size_t>(ink.width);
    const std::ptrdiff_t stride = s.width();
    Pixel* const dst = s.rows(static_cast<int>(y), static_cast<int>(y + ink.rows)) + x;
    if (!known_white) {
        for (int r = 0; r < ink.rows; ++r) {
            if (!AllWhite(dst + r * stride, width)) return false;
        }
    }
    for (int r = 0; r < ink.rows; ++r)
        std::memcpy(dst + r * stride, ink.pixels.data() + static_cast<std::size_t>(r) * width,
                    width * sizeof(Pixel));
    return true;
}

}  // namespace gdi::text
