// RandR events reaching the driver's listener, whoever changed the mode.
#include "platform/screen/devmode.h"
#include "platform/screen/xrandr/xrandr_driver.h"
#include "tests/xserver/x_client.h"
#include "tests/xserver/xrandr_fixture.h"

namespace xtest {
namespace {

using screen::DisplayMode;

TEST_F(XrandrDriverTest, AnotherProgramsModeChangeNotifies) {
    std::string error;
    ASSERT_TRUE(server_->SwitchMode("800x600_60.00", &error)) << error;
    EXPECT_TRUE(AwaitNotification({800, 600, 60, 32}));
    EXPECT_EQ(driver_.Current(), (DisplayMode{800, 600, 60, 32}));

    ASSERT_TRUE(server_->SwitchMode("1280x1024_75.00", &error)) << error;
    EXPECT_TRUE(AwaitNotification({1280, 1024, 75, 32}));
}

TEST_F(XrandrDriverTest, AStormOfChangesEndsWithOneNotificationOfTheFinalMode) {
    XClient other(server_->DisplayName());
    ASSERT_TRUE(other.Connected());
    const unsigned long small = other.ModeNamed("800x600_60.00");
    const unsigned long large = other.ModeNamed("1024x768_60.00");
    ASSERT_NE(small, 0u);
    ASSERT_NE(large, 0u);

    ASSERT_EQ(other.FlipModes(small, large, 100), 100);  // the last one set is 1024x768
    ASSERT_TRUE(driver_.WaitForEvent(5000));
    driver_.ProcessPendingEvents();
    Drain(300);
    ASSERT_FALSE(notified_.empty());
    EXPECT_LE(notified_.size(), 3u) << "100 changes must coalesce";
    EXPECT_EQ(notified_.back(), (DisplayMode{1024, 768, 60, 32}));
    EXPECT_EQ(driver_.ErrorCount(), 0);
}

TEST_F(XrandrDriverTest, ChangesWhileTheEventLoopRunsEndOnTheFinalMode) {
    XClient other(server_->DisplayName());
    const unsigned long small = other.ModeNamed("640x480_60.00");
    const unsigned long large = other.ModeNamed("1280x1024_75.00");
    ASSERT_NE(small, 0u);
    ASSERT_NE(large, 0u);
    for (int burst = 0; burst < 10; ++burst) {
        ASSERT_EQ(other.FlipModes(large, small, 10), 10);  // ends on 640x480
        driver_.ProcessPendingEvents();
    }
    EXPECT_TRUE(AwaitNotification({640, 480, 60, 32}));
    EXPECT_LT(notified_.size(), 100u);
}

TEST_F(XrandrDriverTest, AServerThatGoesAwayIsReportedNotFatal) {
    if (!screen::XrandrScreenDriver::SurvivesLostServer())
        GTEST_SKIP() << "libX11 < 1.7 exits when the server goes away";
    ASSERT_EQ(driver_.SetMode({800, 600, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    ASSERT_TRUE(AwaitNotification({800, 600, 60, 32}));
    int gone_calls = 0;
    driver_.SetServerGoneCallback([&gone_calls] { ++gone_calls; });

    server_->Stop();
    EXPECT_TRUE(driver_.WaitForEvent(5000));
    driver_.ProcessPendingEvents();
    driver_.ProcessPendingEvents();
    EXPECT_TRUE(driver_.ServerGone());
    EXPECT_EQ(gone_calls, 1);
    EXPECT_EQ(driver_.Current(), (DisplayMode{800, 600, 60, 32}));
    EXPECT_EQ(driver_.TestMode({800, 600, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver_.SetMode({1024, 768, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver_.LastError(), "the X server went away");
    EXPECT_TRUE(driver_.WaitForEvent(0));
    driver_.Close();
    EXPECT_FALSE(driver_.IsOpen());
}

}  // namespace
}  // namespace xtest
