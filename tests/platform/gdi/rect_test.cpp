// The rectangle every primitive clips with: inside, partly outside, wholly
// outside, empty, and at the ends of int.
#include "platform/gdi/rect.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using gdi::Rect;

TEST(Rect, IntersectionKeepsTheCommonPixelsAndNothingElse) {
    const Rect a{0, 0, 10, 8};
    EXPECT_EQ(a.Intersected({2, 3, 5, 4}), (Rect{2, 3, 5, 4})) << "inside";
    EXPECT_EQ(a.Intersected({-5, 6, 3, 20}), (Rect{0, 6, 3, 8})) << "over a corner";
    EXPECT_EQ((Rect{-5, 6, 3, 20}).Intersected(a), (Rect{0, 6, 3, 8})) << "either order";
    EXPECT_EQ(a.Intersected({10, 0, 12, 8}), Rect{}) << "touching edges share no pixel";
    EXPECT_EQ(a.Intersected({20, 20, 30, 30}), Rect{}) << "wholly outside";
    EXPECT_EQ(a.Intersected({5, 5, 5, 9}), Rect{}) << "zero width";
    EXPECT_EQ(a.Intersected({6, 6, 2, 2}), Rect{}) << "inverted";
}

TEST(Rect, ContainsPointsOnTheLeftAndTopEdgesOnly) {
    const Rect a = Rect::FromSize(2, 3, 4, 5);  // columns 2..5, rows 3..7
    EXPECT_TRUE(a.Contains(2, 3));
    EXPECT_TRUE(a.Contains(5, 7));
    EXPECT_FALSE(a.Contains(6, 7));
    EXPECT_FALSE(a.Contains(5, 8));
    EXPECT_FALSE(a.Contains(1, 4));
    EXPECT_FALSE(Rect{}.Contains(0, 0));

    EXPECT_TRUE(a.Contains(Rect{2, 3, 6, 8}));
    EXPECT_FALSE(a.Contains(Rect{2, 3, 7, 8}));
    EXPECT_TRUE(a.Contains(Rect{100, 100, 100, 200})) << "an empty rectangle is in any";
}

TEST(Rect, IntExtremesStayExact) {
    const Rect huge = Rect::FromSize(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_EQ(huge.Width(), INT_MAX);
    EXPECT_EQ(huge.right, 2LL * INT_MAX);
    EXPECT_FALSE(huge.IsEmpty());
    const Rect far = Rect::From(RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}).Translated(INT_MAX, 0);
    EXPECT_EQ(far.left, -1);
    EXPECT_EQ(far.right, 2LL * INT_MAX);
    auto surface = gdi::Surface::Create(7, 5);
    ASSERT_TRUE(surface);
    EXPECT_EQ(far.Intersected(gdi::BoundsOf(*surface)), (Rect{0, 0, 7, 5}));
    EXPECT_EQ(huge.Intersected(gdi::BoundsOf(*surface)), Rect{});
}

}  // namespace
