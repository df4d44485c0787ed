// Destination pixels picked from a source row by index: the inner loop of
// stretching, in the widest vector unit the processor has.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/surface.h"

namespace gdi::raster {

class RowGather {
public:
    // index[i], in [0, source_len), is the source pixel of destination pixel i.
    RowGather(std::vector<int> index, int source_len);

    // out[i] = in[index[i]] for every destination pixel; `in` holds
    // source_len pixels, `out` size() pixels.
    void Copy(Pixel* out, const Pixel* in) const;
    int size() const { return static_cast<int>(index_.size()); }

private:
    // Sixteen destination pixels whose sources lie in 32 pixels from `base`
    // are one pair of loads and one permutation.
    struct Block {
        int base;
        bool windowed;
        std::uint32_t offset[16];
    };
    std::vector<int> index_;
    int source_len_;
    std::vector<Block> blocks_;
};

}  // namespace gdi::raster
