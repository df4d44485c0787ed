// Parses any bytes as an EDID, and checks that a block it accepts has values
// in the ranges its fields can hold. Any crash, sanitizer report or hang is a bug.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/screen/edid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result = screen::edid::Parse({data, size});
    if (result.info.has_value() == !result.error.empty()) std::abort();
    if (const auto& info = result.info) {
        if (size < screen::edid::kBlockSize || info->pnp.size() != 3) std::abort();
        // 12-bit fields; an interlaced height is two fields.
        if (info->native.width > 4095 || info->native.height > 2 * 4095 || info->width_mm > 4095)
            std::abort();
        if (info->native.width < 0 || info->native.refresh < 0 || info->diagonal_in < 0) std::abort();
        if (info->name.size() > 13 || info->serial.size() > 13) std::abort();
    }
    return 0;
}
