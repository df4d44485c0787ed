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
#include "tests/app/app_harness.h"
#include "tests/platform/screen/edid_builder.h"
#include "tests/wayland/kde_standin.h"

namespace {

using edidtest::EdidBuilder;
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
    first.edid = EdidBuilder()
                     .Pnp("DEL")
                     .Year(2009)
                     .Digital(true)
                     .Timing(1280, 1024, 60, 376, 301)
                     .Name("1908FP")
                     .SerialText("G3")
                     .Build();
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

    void Serve(const std::vector<StandInOutput>& outputs, const std::vector<std::string>& order = {}) {
        std::string error;
        standin_ = KdeStandIn::Start(outputs, dir_, &error, order);
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

// KDE's order puts DP-2 first, ahead of an output that is off and one that
// lists no modes.
TEST_F(KdeDriverTest, TakesTheFirstOutputOfKdesOrderOrTheNamedOne) {
    std::vector<StandInOutput> outputs = TwoOutputs();
    outputs.push_back({"HDMI-1", {{1024, 768, 60000, true}}, 0, 1.0, 0, 0, false, {}});
    outputs.push_back({"Virtual-9", {}, -1, 1.0, 2740, 0});
    standin_.reset();
    Serve(outputs, {"DP-2", "DP-1", "Virtual-9"});
    Open();
    EXPECT_EQ(driver_.OutputName(), "DP-2");
    EXPECT_EQ(driver_.Current(), (DisplayMode{1920, 1080, 60, 32}));
    driver_.ActOn("DP-1");
    EXPECT_EQ(driver_.Current(), (DisplayMode{1024, 768, 60, 32}));
    ASSERT_EQ(driver_.SetMode({800, 600, 56, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(standin_->Requests(), (std::vector<std::string>{"mode DP-1 800x600@56250", "apply"}));
    driver_.ActOn("HDMI-1");
    EXPECT_EQ(driver_.TestMode({1024, 768, 60, 32}), DISP_CHANGE_FAILED) << "it is off";
    driver_.ActOn("Virtual-9");
    EXPECT_EQ(driver_.TestMode({1024, 768, 60, 32}), DISP_CHANGE_BADMODE) << "it lists nothing to ask for";
    EXPECT_EQ(driver_.SetMode({1024, 768, 60, 32}), DISP_CHANGE_BADMODE);

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

// The wizard's own steps to "Change to Recommended Resolution" at 1024x768: the 17-inch row (its
// label), then the button.
constexpr char kChangeSteps[] = "click adjust; click 345,407; click change";

TEST_F(KdeDriverTest, TheWizardsButtonSwitchesOnlyTheMode) {
    Open();
    snapshot::Options options;
    options.driver = &driver_;
    const app_test::Run run = app_test::Start("1024x768@60/32", kChangeSteps, "corvane-adjust", options);
    ASSERT_EQ(run.status, 0);
    run.session->RecordFinalState();
    EXPECT_EQ(standin_->Requests(), (std::vector<std::string>{"mode DP-1 1280x1024@60020", "apply"}));
    const std::vector<StandInOutput> now = standin_->Outputs();
    EXPECT_EQ(now[0].current, 1);
    EXPECT_EQ(now[0].scale, 1.25);
    EXPECT_EQ(now[1].current, 0);
    const auto state = run.WithOp("state");
    ASSERT_EQ(state.size(), 1u);
    EXPECT_EQ(state[0]->Int("width"), 1280);
    EXPECT_EQ(state[0]->Int("height"), 1024);
    EXPECT_TRUE(run.WithOp("messagebox").empty());
}

TEST_F(KdeDriverTest, AFailedReplyShowsTheFailureBox) {
    Open();
    standin_->SetReply(KdeStandIn::Reply::kFailed);
    snapshot::Options options;
    options.driver = &driver_;
    const app_test::Run run = app_test::Start("1024x768@60/32", std::string(kChangeSteps) + "; answer ok",
                                              "corvane-adjust", options);
    ASSERT_EQ(run.status, 0);
    const auto boxes = run.WithOp("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->Str("text"), "The display driver failed the specified graphics mode.");
    EXPECT_EQ(standin_->Outputs()[0].current, 0);
    EXPECT_EQ(driver_.Current(), (DisplayMode{1024, 768, 60, 32}));
}

// The list reads DP-1's EDID from its output device; KDE's order names DP-2
// (right of DP-1) the primary; the others follow by place, top to bottom,
// then left to right, and an output that is off comes last.
TEST_F(KdeDriverTest, ListMonitorsReadsTheEdidAndKdesPrimary) {
    std::vector<StandInOutput> outputs = TwoOutputs();
    outputs[0].x = 1024;
    outputs.push_back({"HDMI-1", {{1024, 768, 60000, true}}, 0, 1.0, 0, 0, false, {}});
    outputs.push_back({"DP-3", {{1280, 1024, 60020, true}}, 0, 1.0, 0, 768});
    standin_.reset();
    Serve(outputs, {"DP-2", "DP-3", "DP-1"});
    const std::string command = "WAYLAND_DISPLAY=" + standin_->SocketPath() +
                                " DISPLAY= " CORVANE_ADJUST_PATH " --list-monitors --json 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string out;
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    ASSERT_EQ(pclose(pipe), 0) << out;
    EXPECT_EQ(out.find(R"({"name":"DP-2","connector":"DisplayPort","primary":true,)"
                       R"("current":{"width":1920,"height":1080,"refresh":60},"edid":null)"),
              out.find("{\"name\""))
        << out;
    EXPECT_NE(
        out.find(
            R"({"name":"DP-1","connector":"DisplayPort","primary":false,)"
            R"("current":{"width":1024,"height":768,"refresh":60},"edid":{"input":"digital","pnp":"DEL",)"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find(R"("model":"1908FP","serial":"G3","year":2009,"width_mm":376,"height_mm":301,)"),
              std::string::npos)
        << out;
    EXPECT_LT(out.find(R"("name":"DP-1")"), out.find(R"("name":"DP-3")")) << out;
    EXPECT_NE(out.find(R"({"name":"HDMI-1","connector":"HDMI","primary":false,)"
                       R"("current":{"width":0,"height":0,"refresh":0})"),
              std::string::npos)
        << out;
    EXPECT_GT(out.find(R"("name":"HDMI-1")"), out.find(R"("name":"DP-3")")) << out;
}

TEST_F(KdeDriverTest, ACompositorWithoutOutputsIsAClearError) {
    standin_.reset();
    Serve({});
    KdeScreenDriver driver;
    std::string error;
    EXPECT_FALSE(driver.Open(standin_->SocketPath(), {}, &error));
    EXPECT_EQ(error, "the compositor does not offer KDE output management (kde_output_management_v2)");
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
