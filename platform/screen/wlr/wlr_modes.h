// What a wlroots head's mode list means.
#pragma once

#include <span>
#include <vector>

#include "platform/screen/compositor_modes.h"

namespace screen::wlr {

// The modes a head really offers. wlroots reports a head that has no modes
// (headless, virtual, nested) with one stand-in mode: its current size, not
// preferred, or no size at all while the head is off. Such a head offers
// none: any size is a custom mode that the compositor's test decides on.
// Modes without a size are dropped; indexes refer to `reported` still.
std::vector<CompositorMode> OfferedModes(std::span<const CompositorMode> reported,
                                         std::vector<std::size_t>* index);

}  // namespace screen::wlr
