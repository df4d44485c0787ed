#include "platform/screen/simulated_driver.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/screen/devmode.h"

namespace {

using screen::DisplayMode;
using screen::SimulatedScreenDriver;

TEST(SimulatedScreenDriver, RejectCodesGoInOrderAndTheLastRepeats) {
    SimulatedScreenDriver d;
    d.SetAccepted({{1280, 1024, 60, 16}});
    d.SetRejectCodes({-1, 1, -6});
    const DisplayMode m32{1280, 1024, 60, 32};
    EXPECT_EQ(d.TestMode(m32), -1);
    EXPECT_EQ(d.TestMode({1280, 1024, 60, 16}), 0);  // accepted: consumes no code
    EXPECT_EQ(d.TestMode(m32), 1);
    EXPECT_EQ(d.TestMode(m32), -6);
    EXPECT_EQ(d.TestMode(m32), -6);

    d.SetRejectCodes({});
    EXPECT_EQ(d.TestMode(m32), DISP_CHANGE_BADMODE);
    EXPECT_EQ(d.Current(), (DisplayMode{1024, 768, 60, 32}));
}

TEST(SimulatedScreenDriver, AcceptListMatchesExactlyOrWithWildcards) {
    SimulatedScreenDriver d;
    d.SetAccepted({{1024, 768, 60, SimulatedScreenDriver::kAny}, {800, 600, SimulatedScreenDriver::kAny, 8}});
    EXPECT_EQ(d.TestMode({1024, 768, 60, 4}), 0);
    EXPECT_NE(d.TestMode({1024, 768, 75, 32}), 0);
    EXPECT_EQ(d.TestMode({800, 600, 300, 8}), 0);
    EXPECT_NE(d.TestMode({800, 600, 60, 16}), 0);
    d.SetAccepted({});
    EXPECT_NE(d.TestMode({1024, 768, 60, 32}), 0);
    d.AcceptAll();
    for (const DisplayMode& m :
         {DisplayMode{0, 0, 0, 0}, DisplayMode{20000, 20000, 300, 32}, DisplayMode{1, 1, 1, 4}}) {
        EXPECT_EQ(d.TestMode(m), 0);
    }
}

TEST(SimulatedScreenDriver, SetAndExternalChangeNotifyRefusedSetDoesNot) {
    SimulatedScreenDriver d;
    std::vector<DisplayMode> seen;
    d.SetChangeListener([&](const DisplayMode& m) { seen.push_back(m); });
    std::vector<SimulatedScreenDriver::Call> observed;
    d.SetCallObserver([&](const SimulatedScreenDriver::Call& c) { observed.push_back(c); });

    d.SetAccepted({{800, 600, 60, 32}});
    EXPECT_EQ(d.SetMode({640, 480, 60, 32}), DISP_CHANGE_BADMODE);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(d.SetMode({800, 600, 60, 32}), 0);
    d.ExternalChange({0, 0, 0, 0});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (DisplayMode{800, 600, 60, 32}));
    EXPECT_EQ(seen[1], (DisplayMode{0, 0, 0, 0}));
    EXPECT_EQ(d.Current(), (DisplayMode{0, 0, 0, 0}));
    EXPECT_EQ(d.notifications(), 2);

    ASSERT_EQ(observed.size(), 2u);  // external changes are not calls
    EXPECT_EQ(observed[0].kind, SimulatedScreenDriver::Call::kSet);
    EXPECT_EQ(observed[0].result, DISP_CHANGE_BADMODE);
    EXPECT_EQ(observed[1].result, 0);
    EXPECT_EQ(d.calls().size(), 2u);
}

TEST(SimulatedScreenDriver, ApplyFailureRefusesSetsButNotTests) {
    SimulatedScreenDriver driver({1024, 768, 60, 32});
    int heard = 0;
    driver.SetChangeListener([&](const DisplayMode&) { ++heard; });
    driver.SetApplyFailure(DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.Current(), (DisplayMode{1024, 768, 60, 32}));
    EXPECT_EQ(heard, 0);
    driver.SetApplyFailure(std::nullopt);
    EXPECT_EQ(driver.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(heard, 1);
}

TEST(ScreenDriverRegistry, SwitchingDriversMovesTheCallback) {
    SimulatedScreenDriver a, b;
    int calls = 0;
    screen::SetChangeCallback([&](const DisplayMode&) { ++calls; });
    screen::SetDriver(&a);
    a.ExternalChange({800, 600, 60, 32});
    screen::SetDriver(&b);
    a.ExternalChange({640, 480, 60, 32});  // no longer the screen's driver
    b.ExternalChange({640, 480, 60, 32});
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(screen::CurrentMode(), (DisplayMode{640, 480, 60, 32}));
    screen::SetDriver(nullptr);
    EXPECT_EQ(screen::CurrentMode(), DisplayMode{});
    screen::SetChangeCallback(nullptr);
}

}  // namespace
