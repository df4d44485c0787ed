// The driver reading, testing and setting modes on a real X server.
#include <cstdlib>
#include <string>

#include "platform/screen/devmode.h"
#include "tests/xserver/x_client.h"
#include "tests/xserver/xrandr_fixture.h"

namespace xtest {
namespace {

using screen::DisplayMode;

TEST_F(XrandrDriverTest, ReadsTheStartModeOfXvfb) {
    EXPECT_FALSE(driver_.ReadOnly());
    EXPECT_GE(driver_.ConnectionFd(), 0);
    EXPECT_EQ(driver_.Current(), (DisplayMode{1600, 1200, 0, 32}));  // built-in mode: no timing, 24-bit depth
}

TEST_F(XrandrDriverTest, TestModeAcceptsAListedModeAndChangesNothing) {
    EXPECT_EQ(driver_.TestMode({1024, 768, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver_.TestMode({1280, 1024, 75, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver_.TestMode({640, 480, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    Drain(300);
    EXPECT_TRUE(notified_.empty());
    EXPECT_EQ(driver_.Current(), (DisplayMode{1600, 1200, 0, 32}));
    ExpectServerSize(1600, 1200);
}

TEST_F(XrandrDriverTest, SetModeChangesTheServerAndTheEventNotifies) {
    ASSERT_EQ(driver_.SetMode({1024, 768, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    ExpectServerSize(1024, 768);
    EXPECT_EQ(driver_.Current(), (DisplayMode{1024, 768, 60, 32}));
    EXPECT_TRUE(notified_.empty()) << "SetMode must leave the notification to the RandR event";
    EXPECT_TRUE(AwaitNotification({1024, 768, 60, 32}));
}

TEST_F(XrandrDriverTest, RefusesModesTheOutputDoesNotList) {
    const DisplayMode refused[] = {
        {1920, 1080, 60, 32},        // size not listed
        {1024, 768, 60, 16},         // depth other than the screen's
        {1024, 768, 60, 24},         // depth, not bits per pixel
        {1024, 768, 60, 0},          // no depth
        {1024, 768, 75, 32},         // size listed at another rate
        {1024, 768, 300, 32},        //
        {1024, 768, -60, 32},        //
        {0, 0, 0, 32},               // empty screen
        {-1024, -768, 60, 32},       //
        {1 << 30, 1 << 30, 60, 32},  // huge
        {1600, 1200, 60, 32},        // the built-in mode has no 60 Hz timing
    };
    for (const DisplayMode& mode : refused) {
        EXPECT_EQ(driver_.TestMode(mode), DISP_CHANGE_BADMODE) << mode;
        EXPECT_EQ(driver_.SetMode(mode), DISP_CHANGE_BADMODE) << mode;
    }
    EXPECT_EQ(driver_.LastError(), "the monitor lists no such mode");
    ExpectServerSize(1600, 1200);
    EXPECT_EQ(driver_.ErrorCount(), 0);
}

TEST_F(XrandrDriverTest, RefreshZeroOrOneTakesAnyRateOfTheSize) {
    EXPECT_EQ(driver_.TestMode({1024, 768, 0, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver_.TestMode({1600, 1200, 0, 32}), DISP_CHANGE_SUCCESSFUL);
    ASSERT_EQ(driver_.SetMode({800, 600, 1, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver_.Current(), (DisplayMode{800, 600, 60, 32}));
}

TEST_F(XrandrDriverTest, GrowsTheScreenForALargerModeAndPicksTheAskedRate) {
    ASSERT_EQ(driver_.SetMode({640, 480, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    ExpectServerSize(640, 480);
    ASSERT_EQ(driver_.SetMode({1280, 1024, 75, 32}), DISP_CHANGE_SUCCESSFUL);
    ExpectServerSize(1280, 1024);
    EXPECT_EQ(driver_.Current(), (DisplayMode{1280, 1024, 75, 32}));
    ASSERT_EQ(driver_.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver_.Current(), (DisplayMode{1280, 1024, 60, 32}));
    EXPECT_TRUE(AwaitNotification({1280, 1024, 60, 32}));
}

TEST_F(XrandrDriverTest, AWindowsCentrePicksTheCrtcAndABadWindowIsOnlyAnError) {
    unsigned long window = 0;
    {
        XClient other(server_->DisplayName());
        window = other.CreateWindow(100, 100, 200, 200);
        ASSERT_NE(window, 0u);
        driver_.ShowWindow(window);
        EXPECT_EQ(driver_.Current(), (DisplayMode{1600, 1200, 0, 32}));
        EXPECT_EQ(driver_.ErrorCount(), 0);
        other.DestroyWindow(window);
    }

    driver_.ShowWindow(window);  // gone now: BadWindow, then the primary output
    EXPECT_EQ(driver_.Current(), (DisplayMode{1600, 1200, 0, 32}));
    EXPECT_GT(driver_.ErrorCount(), 0);
    EXPECT_EQ(driver_.SetMode({800, 600, 60, 32}), DISP_CHANGE_SUCCESSFUL);
}

class XrandrMissingTest : public XrandrDriverTest {
protected:
    void SetUp() override { StartServer({"-extension", "RANDR"}, false); }
};

TEST_F(XrandrMissingTest, WithoutRandrReadsTheScreenAndFailsChanges) {
    EXPECT_TRUE(driver_.ReadOnly());
    EXPECT_EQ(driver_.Current(), (DisplayMode{1600, 1200, 0, 32}));
    EXPECT_EQ(driver_.TestMode({1600, 1200, 0, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver_.SetMode({1024, 768, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver_.TestMode({0, 0, 0, 0}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver_.LastError(), "the X server lacks RandR 1.2");
    Drain(200);
    EXPECT_TRUE(notified_.empty());
}

TEST(XrandrOpen, NoServerFailsWithAMessage) {
    const int number = XvfbServer::FreeDisplayNumber();
    ASSERT_GE(number, 0);
    const std::string name = ":" + std::to_string(number);
    screen::XrandrScreenDriver driver;
    std::string error;
    EXPECT_FALSE(driver.Open(name, &error));
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(driver.ConnectionFd(), -1);
    EXPECT_EQ(driver.Current(), DisplayMode{});
    EXPECT_EQ(driver.TestMode({1024, 768, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.SetMode({1024, 768, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_FALSE(driver.WaitForEvent(10));
    driver.ProcessPendingEvents();
}

TEST(XrandrOpen, NoDisplayVariableFailsWithAMessage) {
    const char* saved = std::getenv("DISPLAY");
    const std::string restore = saved ? saved : "";
    unsetenv("DISPLAY");
    screen::XrandrScreenDriver driver;
    std::string error;
    EXPECT_FALSE(driver.Open({}, &error));
    EXPECT_NE(error.find("DISPLAY"), std::string::npos) << error;
    if (saved) setenv("DISPLAY", restore.c_str(), 1);
}

}  // namespace
}  // namespace xtest
