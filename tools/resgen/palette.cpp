#include "tools/resgen/palette.h"

#include <limits>

namespace resgen {

int NearestIndex(gdi::Pixel p, PaletteMask allowed) {
    if (allowed == 0) allowed = kAllColours;
    const int r = static_cast<int>((p >> 16) & 0xFF);
    const int g = static_cast<int>((p >> 8) & 0xFF);
    const int b = static_cast<int>(p & 0xFF);
    int best = 0;
    int best_distance = std::numeric_limits<int>::max();
    for (int i = 0; i < 16; ++i) {
        if (!(allowed & (1u << i))) continue;
        const COLORREF c = kPalette[static_cast<std::size_t>(i)];
        const int dr = r - GetRValue(c), dg = g - GetGValue(c), db = b - GetBValue(c);
        const int d = dr * dr + dg * dg + db * db;
        if (d < best_distance) best_distance = d, best = i;
    }
    return best;
}

}  // namespace resgen
