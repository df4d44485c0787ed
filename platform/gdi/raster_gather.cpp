#include "platform/gdi/raster_gather.h"

#include <algorithm>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/gdi/vector_unit.h"

namespace gdi::raster {

namespace {

constexpr int kBlock = 16;
constexpr int kWindow = 32;

#if defined(__x86_64__)
__attribute__((target("avx512f"))) void CopyBlockAvx512(Pixel* out, const Pixel* in, int source_len, int base,
                                                        const std::uint32_t* offset, int count) {
    const int window = std::min(kWindow, source_len - base);
    const auto low_lanes = static_cast<__mmask16>((1u << std::min(window, kBlock)) - 1);
    const auto high_lanes = static_cast<__mmask16>((1u << std::max(window - kBlock, 0)) - 1);
    const __m512i low = _mm512_maskz_loadu_epi32(low_lanes, in + base);
    const __m512i high = _mm512_maskz_loadu_epi32(high_lanes, in + base + kBlock);
    const __m512i picks = _mm512_loadu_si512(offset);
    const auto out_lanes = static_cast<__mmask16>((1u << count) - 1);
    _mm512_mask_storeu_epi32(out, out_lanes, _mm512_permutex2var_epi32(low, picks, high));
}
#endif

}  // namespace

RowGather::RowGather(std::vector<int> index, int source_len)
    : index_(std::move(index)), source_len_(source_len) {
    for (std::size_t first = 0; first < index_.size(); first += kBlock) {
        const std::size_t last = std::min(index_.size(), first + kBlock);
        const auto [lo, hi] = std::minmax_element(index_.begin() + static_cast<std::ptrdiff_t>(first),
                                                  index_.begin() + static_cast<std::ptrdiff_t>(last));
        Block b{*lo, *hi - *lo < kWindow, {}};
        for (std::size_t i = first; i < last; ++i)
            b.offset[i - first] = static_cast<std::uint32_t>(b.windowed ? index_[i] - *lo : 0);
        blocks_.push_back(b);
    }
}

void RowGather::Copy(Pixel* out, const Pixel* in) const {
    const int n = size();
#if defined(__x86_64__)
    if (UsesAvx512()) {
        for (int k = 0, b = 0; k < n; k += kBlock, ++b) {
            const Block& block = blocks_[static_cast<std::size_t>(b)];
            const int count = std::min(kBlock, n - k);
            if (block.windowed) {
                CopyBlockAvx512(out + k, in, source_len_, block.base, block.offset, count);
            } else {
                for (int i = k; i < k + count; ++i) out[i] = in[index_[static_cast<std::size_t>(i)]];
            }
        }
        return;
    }
#endif
    for (int i = 0; i < n; ++i) out[i] = in[index_[static_cast<std::size_t>(i)]];
}

}  // namespace gdi::raster
