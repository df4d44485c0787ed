#include "platform/screen/xrandr/xrandr_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace screen::xrandr {
namespace {

constexpr Size kMin{1, 1};
constexpr Size kMax{1600, 1200};

TEST(XrandrResize, SmallerModeShrinksAfterTheChange) {
    const auto plan = PlanScreenResize({1600, 1200}, kMin, kMax, {}, {0, 0, 1024, 768});
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->before, (Size{1600, 1200}));
    EXPECT_EQ(plan->after, (Size{1024, 768}));
}

TEST(XrandrResize, LargerModeGrowsBeforeTheChange) {
    const auto plan = PlanScreenResize({640, 480}, kMin, kMax, {}, {0, 0, 1280, 1024});
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->before, (Size{1280, 1024}));
    EXPECT_EQ(plan->after, (Size{1280, 1024}));
}

TEST(XrandrResize, WiderButLowerGrowsOneWayAndShrinksTheOther) {
    const auto plan = PlanScreenResize({1024, 768}, kMin, kMax, {}, {0, 0, 1280, 600});
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->before, (Size{1280, 768}));
    EXPECT_EQ(plan->after, (Size{1280, 600}));
}

TEST(XrandrResize, OtherCrtcsKeepTheirRoom) {
    const std::vector<Rect> others = {{1024, 0, 576, 400}};
    const auto plan = PlanScreenResize({1600, 1200}, kMin, kMax, others, {0, 0, 800, 600});
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->after, (Size{1600, 600}));
}

TEST(XrandrResize, TooLargeForTheServerIsRefused) {
    EXPECT_FALSE(PlanScreenResize({1600, 1200}, kMin, kMax, {}, {0, 0, 1920, 1080}));
    EXPECT_FALSE(PlanScreenResize({1600, 1200}, kMin, kMax, {}, {100, 0, 1600, 1200}));
    EXPECT_FALSE(PlanScreenResize({1600, 1200}, kMin, kMax, {}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}));
}

TEST(XrandrResize, DegenerateSizesStayWithinTheMinimum) {
    const auto plan = PlanScreenResize({1600, 1200}, {320, 200}, kMax, {}, {0, 0, 0, 0});
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->after, (Size{320, 200}));
    const auto negative = PlanScreenResize({1600, 1200}, {0, 0}, kMax, {}, {-5, -5, -10, -10});
    ASSERT_TRUE(negative);
    EXPECT_EQ(negative->after, (Size{1, 1}));
    // A negative size takes no room, and does not give back its origin's.
    const auto inside = PlanScreenResize({1600, 1200}, {0, 0}, kMax, {}, {1500, 300, -10, -20});
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->after, (Size{1500, 300}));
}

TEST(XrandrMillimetres, KeepTheDensityOrFallBackTo96Dpi) {
    EXPECT_EQ(Millimetres(1024, 1600, 423), 271);  // 423 * 1024 / 1600 = 270.72
    EXPECT_EQ(Millimetres(1024, 0, 0), 271);       // 1024 / 96 inches
    EXPECT_EQ(Millimetres(96, 1600, 0), 25);
    EXPECT_EQ(Millimetres(0, 1600, 423), 0);
    EXPECT_EQ(Millimetres(-5, 1600, 423), 0);
    EXPECT_EQ(Millimetres(INT_MAX, 1, INT_MAX), INT_MAX);
}

}  // namespace
}  // namespace screen::xrandr
