// The KDE driver against the stand-in compositor: reading the outputs,
// answering tests from the mode list, applying only the mode, the
// compositor's answers, changes made elsewhere, and the compositor leaving.
#include "platform/screen/kde/kde_driver.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/screen/compositor/compositor_driver.h"
#include "platform/screen/devmode.h"
#include "tests/wayland/kde_standin.h"

namespace {

using screen::DisplayMode;
using screen::KdeScreenDriver;
using wltest::KdeStandIn;
using wltest::StandInOutput;

// DP-1 at 1024x768 and scale 1.25 with several modes, beside a 1920x1080 DP-2.
std::vector<StandInOutput> TwoOutputs() {
    StandInOutput first{"DP-1",
                        {{1024, 768, 60004, false},
                         {1280, 1024, 60020, true},
                         {1280, 1024, 75025, false},
                         {800, 600, 56250, false}},
                        0,
                        1.25,
                        0,
                        0};
    StandInOutput second{"DP-2", {{1920, 1080, 60000, true}}, 0, 1.0, 820, 0};
    return {first, second};
}

class KdeDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir_template[] = "/tmp/corvane-kde-XXXXXX";
        ASSERT_TRUE(mkdtemp(dir_template));
        dir_ = dir_template;
        Serve(TwoOutputs());
    }
    void TearDown() override {
        standin_.reset();
        std::filesystem::remove_all(dir_);
    }

    void Serve(const std::vector<StandInOutput>& outputs) {
        std::string error;
        standin_ = KdeStandIn::Start(outputs, dir_, &error);
        ASSERT_TRUE(standin_) << error;
    }

    void Open(const std::string& output = {}) {
        std::string error;
        ASSERT_TRUE(driver_.Open(standin_->SocketPath(), output, &error)) << error;
        driver_.SetChangeListener([this](const DisplayMode& mode) { heard_.push_back(mode); });
    }

    // Waits for the driver's connection to have something, then processes it.
    void Pump(int timeout_ms = 2000) {
        pollfd fd{driver_.ConnectionFd(), POLLIN, 0};
        poll(&fd, 1, timeout_ms);
        driver_.ProcessPendingEvents();
    }

    std::string dir_;
    std::unique_ptr<KdeStandIn> standin_;
    KdeScreenDriver driver_;
    std::vector<DisplayMode> heard_;
};

TEST_F(KdeDriverTest, TestsFromTheListAndAppliesOnlyTheMode) {
    Open();
    EXPECT_EQ(driver_.OutputName(), "DP-1");
    EXPECT_EQ(driver_.Current(), (DisplayMode{1024, 768, 60, 32}));

    const struct {
        DisplayMode mode;
        int expected;
    } cases[] = {
        {{1280, 1024, 60, 32}, DISP_CHANGE_SUCCESSFUL},
        {{1280, 1024, 75, 32}, DISP_CHANGE_SUCCESSFUL},
        {{800, 600, 56, 32}, DISP_CHANGE_SUCCESSFUL},  // 56.250 Hz rounds to 56
        {{1280, 1024, 0, 32}, DISP_CHANGE_SUCCESSFUL},
        {{1280, 1024, 70, 32}, DISP_CHANGE_BADMODE},
        {{1280, 1024, 60, 16}, DISP_CHANGE_BADMODE},
        {{1280, 1024, 60, 24}, DISP_CHANGE_BADMODE},
        {{1600, 1200, 60, 32}, DISP_CHANGE_BADMODE},
        {{1920, 1080, 60, 32}, DISP_CHANGE_BADMODE},  // DP-2's, not DP-1's
    };
    for (const auto& c : cases) {
        EXPECT_EQ(driver_.TestMode(c.mode), c.expected)
            << c.mode.width << "x" << c.mode.height << "@" << c.mode.refresh << "/" << c.mode.bpp;
    }
    EXPECT_TRUE(standin_->Requests().empty()) << "a test changes nothing";
    EXPECT_EQ(driver_.SetMode({1280, 1024, 60, 16}), DISP_CHANGE_BADMODE);
    EXPECT_TRUE(standin_->Requests().empty());

    ASSERT_EQ(driver_.SetMode({1280, 1024, 75, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(standin_->Requests(), (std::vector<std::string>{"mode DP-1 1280x1024@75025", "apply"}));
    EXPECT_EQ(driver_.Current(), (DisplayMode{1280, 1024, 75, 32}));
    EXPECT_EQ(heard_, (std::vector<DisplayMode>{{1280, 1024, 75, 32}}));
    const std::vector<StandInOutput> now = standin_->Outputs();
    EXPECT_EQ(now[0].current, 2);
    EXPECT_EQ(now[0].scale, 1.25);
    EXPECT_EQ(now[1].current, 0);
}

TEST_F(KdeDriverTest, FailedOrUnansweredChangesFailAndChangeNothing) {
    Open();
    standin_->SetReply(KdeStandIn::Reply::kFailed);
    EXPECT_EQ(driver_.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    standin_->SetReply(KdeStandIn::Reply::kSilent);
    driver_.SetReplyTimeout(300);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(driver_.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(driver_.Current(), (DisplayMode{1024, 768, 60, 32}));
    EXPECT_TRUE(heard_.empty());
    EXPECT_EQ(standin_->Outputs()[0].current, 0);
}

TEST_F(KdeDriverTest, FollowsChangesMadeElsewhereOnItsOutputOnly) {
    Open();
    standin_->SwitchElsewhere("DP-2", 0);
    Pump(300);
    EXPECT_TRUE(heard_.empty());
    standin_->SwitchElsewhere("DP-1", 3);
    for (int i = 0; i < 20 && heard_.empty(); ++i) Pump(100);
    EXPECT_EQ(heard_, (std::vector<DisplayMode>{{800, 600, 56, 32}}));
    EXPECT_EQ(driver_.Current(), (DisplayMode{800, 600, 56, 32}));
}

TEST_F(KdeDriverTest, TakesTheFirstOutputOfKdesOrderOrTheNamedOne) {
    std::vector<StandInOutput> outputs = TwoOutputs();
    std::swap(outputs[0], outputs[1]);
    standin_.reset();
    Serve(outputs);
    Open();
    EXPECT_EQ(driver_.OutputName(), "DP-2");
    EXPECT_EQ(driver_.Current(), (DisplayMode{1920, 1080, 60, 32}));
    driver_.ActOn("DP-1");
    EXPECT_EQ(driver_.Current(), (DisplayMode{1024, 768, 60, 32}));
    ASSERT_EQ(driver_.SetMode({800, 600, 56, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(standin_->Requests(), (std::vector<std::string>{"mode DP-1 800x600@56250", "apply"}));

    KdeScreenDriver named;
    std::string error;
    ASSERT_TRUE(named.Open(standin_->SocketPath(), "DP-1", &error)) << error;
    EXPECT_EQ(named.Current(), (DisplayMode{800, 600, 56, 32}));
    EXPECT_FALSE(named.Open(standin_->SocketPath(), "HDMI-9", &error));
    EXPECT_EQ(error, "the compositor has no output named HDMI-9");
}

TEST_F(KdeDriverTest, TheCompositorGoingAwayFailsEveryChange) {
    Open();
    standin_->Stop();
    for (int i = 0; i < 20 && !driver_.ServerGone(); ++i) Pump(100);
    EXPECT_TRUE(driver_.ServerGone());
    EXPECT_EQ(driver_.Current(), (DisplayMode{1024, 768, 60, 32}));
    EXPECT_EQ(driver_.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver_.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
}

TEST_F(KdeDriverTest, OnlyKdesManagementIsChosenAfterWlrootsAndGnome) {
    screen::CompositorDriverKind kind = screen::CompositorDriverKind::kReadOnly;
    std::string error;
    // No session bus: GNOME's service cannot be there.
    auto driver = screen::OpenCompositorScreenDriver(standin_->SocketPath(), {}, &error, &kind,
                                                     "unix:path=/nonexistent");
    ASSERT_TRUE(driver) << error;
    EXPECT_EQ(kind, screen::CompositorDriverKind::kKde);
    EXPECT_EQ(driver->Current(), (DisplayMode{1024, 768, 60, 32}));
    EXPECT_EQ(driver->TestMode({1280, 1024, 75, 32}), DISP_CHANGE_SUCCESSFUL);
}

TEST(KdeDriver, NoCompositorIsAClearError) {
    KdeScreenDriver driver;
    std::string error;
    EXPECT_FALSE(driver.Open("/nonexistent/wayland-0", {}, &error));
    EXPECT_EQ(error, "cannot connect to the Wayland compositor");
    EXPECT_EQ(driver.ConnectionFd(), -1);
    EXPECT_EQ(driver.SetMode({1024, 768, 60, 32}), DISP_CHANGE_FAILED);
}

}  // namespace
