// Copying a window's pixels onto the screen while noting which of them
// change the screen, so that only those have to be shown again.
#pragma once

#include "platform/gdi/rect.h"
#include "platform/gdi/surface.h"

namespace ui::detail {

// Copies the pixels of area (screen coordinates, inside the screen) from src,
// whose top-left pixel lies at (src_x, src_y) on the screen and which covers
// area, and returns the smallest rectangle holding every screen pixel whose
// value changed (empty when none did).
gdi::Rect CopyChanges(gdi::Surface& screen, const gdi::Rect& area, const gdi::Surface& src,
                      std::int64_t src_x, std::int64_t src_y);

// Copies the same pixels without reading the screen first, for a screen
// whose every pixel is shown again anyway.
void CopyAll(gdi::Surface& screen, const gdi::Rect& area, const gdi::Surface& src, std::int64_t src_x,
             std::int64_t src_y);

}  // namespace ui::detail
