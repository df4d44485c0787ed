#include "platform/gdi/blitter.h"
#include "platform/gdi/raster.h"

namespace gdi::raster {

void FillRect(Surface& s, const RECT& r, Pixel color) {
    Blitter(s).FillRect(Rect::From(r), color);
}

}  // namespace gdi::raster
