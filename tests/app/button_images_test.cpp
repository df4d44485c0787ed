// The buttons' pressed images, decoded only when a button is first pressed,
// still show after the buttons were made again for a new display mode.
#include <gtest/gtest.h>

#include <vector>

#include "tests/app/app_harness.h"

namespace {

using app_test::Start;
using app_test::WindowRect;

std::vector<gdi::Pixel> PixelsIn(const gdi::Surface& screen, const RECT& r) {
    std::vector<gdi::Pixel> out;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) out.push_back(screen.at(x, y));
    }
    return out;
}

TEST(ButtonImages, PressedImageShowsWhenFirstNeededAfterAModeChange) {
    auto up = Start("1280x1024@60/32");
    const RECT adjust = WindowRect(up.frame().AdjustButton);
    const std::string at = std::to_string((adjust.left + adjust.right) / 2) + "," +
                           std::to_string((adjust.top + adjust.bottom) / 2);

    auto pressed = Start("1280x1024@60/32", "press " + at);
    auto pressed_after_change = Start("1024x768@60/32", "mode 1280x1024@60/32; press " + at);
    ASSERT_EQ(WindowRect(pressed_after_change.frame().AdjustButton), adjust);

    const auto up_pixels = PixelsIn(up.screen(), adjust);
    const auto pressed_pixels = PixelsIn(pressed.screen(), adjust);
    EXPECT_NE(pressed_pixels, up_pixels) << "the pressed image is not the up image";
    EXPECT_EQ(PixelsIn(pressed_after_change.screen(), adjust), pressed_pixels);
}

}  // namespace
