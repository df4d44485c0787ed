#include "platform/host/wayland/surface_scale.h"

#include <algorithm>
#include <cmath>

namespace host::wayland {
namespace {

// Compositors place a surface at scale s on round(logical * s) device pixels.
bool Covers(int logical, int scale_120, int device) {
    return static_cast<long long>(std::lround(static_cast<double>(logical) * scale_120 / 120.0)) == device;
}

}  // namespace

ScalePlan PlanScale(const ScaleInputs& in) {
    ScalePlan plan;
    const int w = std::max(in.device_width, 1);
    const int h = std::max(in.device_height, 1);
    // The preferred scale, when told, is the truth; otherwise the output's.
    const int scale_120 = in.preferred_120 > 0 ? in.preferred_120 : std::max(in.output_scale, 1) * 120;

    // A whole scale that divides the buffer maps each buffer pixel on one
    // device pixel, unless the asked size shows the output really has
    // another scale (a fractional one the compositor rounds up for us).
    const bool told_size = in.logical_width > 0 && in.logical_height > 0;
    if (scale_120 % 120 == 0) {
        const int s = scale_120 / 120;
        if (w % s == 0 && h % s == 0) {
            plan.buffer_scale = s;
            plan.surface_width = w / s;
            plan.surface_height = h / s;
            plan.exact = !told_size || (in.logical_width * s == w && in.logical_height * s == h);
            return plan;
        }
    }
    if (in.has_viewporter) {
        int lw = in.logical_width;
        int lh = in.logical_height;
        if (!told_size) {  // the compositor leaves the size to us: the output's logical size
            lw = std::max(static_cast<int>(std::lround(w * 120.0 / scale_120)), 1);
            lh = std::max(static_cast<int>(std::lround(h * 120.0 / scale_120)), 1);
        }
        plan.use_viewport = true;
        plan.viewport_width = lw;
        plan.viewport_height = lh;
        plan.surface_width = lw;
        plan.surface_height = lh;
        plan.exact = Covers(lw, scale_120, w) && Covers(lh, scale_120, h);
        return plan;
    }
    // Nothing maps the pixels one to one: the compositor scales the buffer;
    // the largest whole scale that divides it keeps the picture sharpest.
    int s = std::max(scale_120 / 120, 1);
    while (s > 1 && (w % s != 0 || h % s != 0)) --s;
    plan.buffer_scale = s;
    plan.surface_width = w / s;
    plan.surface_height = h / s;
    plan.exact = false;
    return plan;
}

int SurfaceToBuffer(double surface_pos, int buffer_size, int surface_size) {
    if (surface_size <= 0 || buffer_size <= 0) return static_cast<int>(std::floor(surface_pos));
    return static_cast<int>(std::floor(surface_pos * buffer_size / surface_size));
}

}  // namespace host::wayland
