// Layout arithmetic shared by every page: products in double precision,
// truncated toward zero.
#pragma once

#include <climits>
#include <cmath>

// Truncates toward zero; out-of-range values saturate instead of being
// undefined.
inline int Trunc(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}
