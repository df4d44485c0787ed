#include "platform/screen/wlr/wlr_modes.h"

namespace screen::wlr {

std::vector<CompositorMode> OfferedModes(std::span<const CompositorMode> reported,
                                         std::vector<std::size_t>* index) {
    std::vector<CompositorMode> offered;
    index->clear();
    for (std::size_t i = 0; i < reported.size(); ++i) {
        if (reported[i].width <= 0 || reported[i].height <= 0) continue;
        offered.push_back(reported[i]);
        index->push_back(i);
    }
    if (offered.size() == 1 && offered[0].current && !offered[0].preferred) {
        offered.clear();
        index->clear();
    }
    return offered;
}

}  // namespace screen::wlr
