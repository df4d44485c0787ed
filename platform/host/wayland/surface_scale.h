// How a fullscreen surface's buffer maps onto the output so that one buffer
// pixel lands on one device pixel, and how pointer positions map back.
#pragma once

namespace host::wayland {

struct ScaleInputs {
    int device_width = 0;  // the output's mode, device pixels
    int device_height = 0;
    int logical_width = 0;  // the size the compositor configured; 0 = its choice
    int logical_height = 0;
    int output_scale = 1;   // the output's integer scale
    int preferred_120 = 0;  // the surface's preferred scale in 120ths; 0 = not told
    bool has_viewporter = false;
};

struct ScalePlan {
    int buffer_scale = 1;
    bool use_viewport = false;  // destination below, buffer scale 1
    int viewport_width = 0;
    int viewport_height = 0;
    int surface_width = 0;  // the surface's logical size this plan gives
    int surface_height = 0;
    bool exact = true;  // one buffer pixel per device pixel
};

// The plan for a buffer of the device's size.
ScalePlan PlanScale(const ScaleInputs& in);

// A position on the surface (logical units, as the pointer reports it) in
// buffer pixels: the buffer stretches over the surface's logical size.
int SurfaceToBuffer(double surface_pos, int buffer_size, int surface_size);

}  // namespace host::wayland
