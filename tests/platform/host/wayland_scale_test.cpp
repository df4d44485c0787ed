// The Wayland host's pixel mapping: which buffer scale or viewport puts one
// buffer pixel on one device pixel, when that cannot be had, and where the
// pointer lands in buffer pixels.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "platform/host/wayland/surface_scale.h"
#include "platform/host/wayland/wayland_input.h"

namespace host::wayland {
namespace {

ScaleInputs Output(int w, int h, int scale, int lw = 0, int lh = 0) {
    ScaleInputs in;
    in.device_width = w;
    in.device_height = h;
    in.output_scale = scale;
    in.logical_width = lw;
    in.logical_height = lh;
    in.has_viewporter = true;
    return in;
}

TEST(WaylandScale, WholeScalesUseTheBufferScale) {
    for (int s : {1, 2, 3}) {
        SCOPED_TRACE(s);
        const ScalePlan plan = PlanScale(Output(1280 * s, 1024 * s, s, 1280, 1024));
        EXPECT_TRUE(plan.exact);
        EXPECT_EQ(plan.buffer_scale, s);
        EXPECT_FALSE(plan.use_viewport);
        EXPECT_EQ(plan.surface_width, 1280);
        EXPECT_EQ(plan.surface_height, 1024);
    }
}

TEST(WaylandScale, ZeroSizeConfigureTakesTheOutputsSize) {
    const ScalePlan plan = PlanScale(Output(2048, 1536, 2, 0, 0));
    EXPECT_TRUE(plan.exact);
    EXPECT_EQ(plan.buffer_scale, 2);
    EXPECT_EQ(plan.surface_width, 1024);
    EXPECT_EQ(plan.surface_height, 768);

    ScaleInputs fractional = Output(1920, 1080, 2, 0, 0);
    fractional.preferred_120 = 180;
    const ScalePlan viewport = PlanScale(fractional);
    EXPECT_TRUE(viewport.use_viewport);
    EXPECT_EQ(viewport.viewport_width, 1280);
    EXPECT_EQ(viewport.viewport_height, 720);
    EXPECT_TRUE(viewport.exact);
}

TEST(WaylandScale, FractionalScaleNeedsThePreferredScaleAndAViewport) {
    // 150 %: the compositor tells the surface 180/120 and sizes it 1280x720.
    ScaleInputs told = Output(1920, 1080, 2, 1280, 720);
    told.preferred_120 = 180;
    const ScalePlan exact = PlanScale(told);
    EXPECT_TRUE(exact.exact);
    EXPECT_TRUE(exact.use_viewport);
    EXPECT_EQ(exact.buffer_scale, 1);
    EXPECT_EQ(exact.viewport_width, 1280);
    EXPECT_EQ(exact.viewport_height, 720);

    // Not told (no fractional-scale protocol): the output claims 2, the
    // size says 1.5, and the compositor will resample.
    EXPECT_FALSE(PlanScale(Output(1920, 1080, 2, 1280, 720)).exact);

    // Told, but no viewporter to size the surface with.
    told.has_viewporter = false;
    EXPECT_FALSE(PlanScale(told).exact);
}

TEST(WaylandScale, ExactOnlyWhereTheCompositorsRoundingHitsEveryDevicePixel) {
    // The compositor puts a surface of L logical units on round(L * scale)
    // device pixels; halves round up. Sizes of 0 are left to the client.
    const struct {
        int w, h, scale_120, lw, lh;
        int surface_w, surface_h;
        bool exact;
    } cases[] = {
        {1025, 768, 180, 0, 0, 683, 512, true},       // 683 * 1.5 = 1024.5 rounds up to 1025
        {1366, 768, 210, 0, 0, 781, 439, false},      // 781 * 1.75 = 1366.75 rounds to 1367
        {1920, 1080, 180, 1280, 0, 1280, 720, true},  // half a size told is none
        {1920, 1080, 180, 1280, 721, 1280, 721, false},
        {2048, 1536, 240, 1024, 767, 1024, 768, false},  // a whole scale whose height is not the one asked
        {2048, 1537, 240, 0, 0, 1024, 769, false},       // 2 divides the width only: a viewport
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.scale_120 << "/120");
        ScaleInputs in = Output(c.w, c.h, 1, c.lw, c.lh);
        in.preferred_120 = c.scale_120;
        const ScalePlan plan = PlanScale(in);
        EXPECT_EQ(plan.surface_width, c.surface_w);
        EXPECT_EQ(plan.surface_height, c.surface_h);
        EXPECT_EQ(plan.exact, c.exact);
    }
}

TEST(WaylandScale, ABufferTheScaleDoesNotDivide) {
    // 1365 device pixels at scale 2 cannot be a whole number of logical units.
    const ScalePlan viewport = PlanScale(Output(1365, 768, 2, 683, 384));
    EXPECT_TRUE(viewport.use_viewport);
    EXPECT_FALSE(viewport.exact);

    ScaleInputs bare = Output(1365, 768, 2, 683, 384);
    bare.has_viewporter = false;
    const ScalePlan plan = PlanScale(bare);
    EXPECT_FALSE(plan.exact);
    EXPECT_EQ(plan.buffer_scale, 1);  // never a scale the buffer's size cannot take
    EXPECT_EQ(plan.surface_width, 1365);

    // At scale 3 the largest whole scale that divides both sides.
    bare = Output(1366, 768, 3);
    bare.has_viewporter = false;
    EXPECT_EQ(PlanScale(bare).buffer_scale, 2);
    bare = Output(1367, 768, 3);
    bare.has_viewporter = false;
    EXPECT_EQ(PlanScale(bare).buffer_scale, 1);
}

TEST(WaylandScale, NonsenseInputGivesAUsablePlan) {
    ScaleInputs in;  // all zero: no mode, no scale
    const ScalePlan plan = PlanScale(in);
    EXPECT_GE(plan.buffer_scale, 1);
    EXPECT_GE(plan.surface_width, 1);
    EXPECT_GE(plan.surface_height, 1);
    in = Output(1024, 768, -4, -1, -1);
    EXPECT_EQ(PlanScale(in).buffer_scale, 1);
}

TEST(WaylandPointer, SurfacePositionsMapToBufferPixels) {
    EXPECT_EQ(SurfaceToBuffer(10.0, 1024, 1024), 10);
    EXPECT_EQ(SurfaceToBuffer(10.0, 2048, 1024), 20);
    EXPECT_EQ(SurfaceToBuffer(10.75, 2048, 1024), 21);
    EXPECT_EQ(SurfaceToBuffer(3.0, 3072, 1024), 9);
    EXPECT_EQ(SurfaceToBuffer(100.0, 1920, 1280), 150);  // 150 %
    EXPECT_EQ(SurfaceToBuffer(1023.999, 2048, 1024), 2047);
    EXPECT_EQ(SurfaceToBuffer(-0.5, 2048, 1024), -1);  // outside stays outside
    EXPECT_EQ(SurfaceToBuffer(5.5, 2048, 0), 5);       // no surface size yet
}

TEST(WaylandKeys, TheWizardsKeysAndNoOthers) {
    EXPECT_EQ(VirtualKeyFromEvdev(KEY_ENTER), 0x0D);
    EXPECT_EQ(VirtualKeyFromEvdev(KEY_KPENTER), 0x0D);
    EXPECT_EQ(VirtualKeyFromEvdev(KEY_ESC), 0x1B);
    EXPECT_EQ(VirtualKeyFromEvdev(KEY_SPACE), 0x20);
    EXPECT_EQ(VirtualKeyFromEvdev(KEY_TAB), 0x09);
    EXPECT_EQ(VirtualKeyFromEvdev(KEY_A), 0);
    EXPECT_EQ(VirtualKeyFromEvdev(0xFFFFFFFFu), 0);
}

}  // namespace
}  // namespace host::wayland
