// The wlroots driver against a real sway on the headless backend.
#include "platform/screen/wlr/wlr_driver.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "platform/screen/devmode.h"
#include "tests/wayland/compositor.h"

namespace {

using screen::DisplayMode;
using screen::WlrScreenDriver;
using wltest::SwayCompositor;

// What sway itself reports for an output: its mode, scale and position.
struct SwayOutput {
    bool found = false;
    bool active = false;
    int width = 0;
    int height = 0;
    int refresh_mhz = 0;
    double scale = 0;
    std::string transform;
    int x = 0;
    int y = 0;
};

SwayOutput QueryOutput(const SwayCompositor& sway, const std::string& name) {
    SwayOutput out;
    const std::string json = sway.Swaymsg({"-t", "get_outputs", "-r"}).out;
    const std::size_t at = json.find("\"name\": \"" + name + "\"");
    if (at == std::string::npos) return out;
    // The record of this output runs until the next output's name.
    const std::size_t end = json.find("\"name\": \"HEADLESS-", at + 1);
    const std::string record = json.substr(at, end == std::string::npos ? std::string::npos : end - at);
    std::smatch m;
    out.found = true;
    out.active = record.find("\"active\": true") != std::string::npos;
    if (std::regex_search(
            record, m,
            std::regex(R"("current_mode": \{\s*"width": (\d+),\s*"height": (\d+),\s*"refresh": (\d+))"))) {
        out.width = std::stoi(m[1]);
        out.height = std::stoi(m[2]);
        out.refresh_mhz = std::stoi(m[3]);
    }
    if (std::regex_search(record, m, std::regex(R"("scale": ([0-9.]+))"))) out.scale = std::stod(m[1]);
    if (std::regex_search(record, m, std::regex(R"re("transform": "([a-z0-9-]+)")re"))) out.transform = m[1];
    // The output's own "rect" comes before its name.
    const std::size_t rect = json.rfind("\"rect\": {", at);
    const std::string place = rect == std::string::npos ? "" : json.substr(rect, at - rect);
    if (std::regex_search(place, m, std::regex(R"("rect": \{\s*"x": (-?\d+),\s*"y": (-?\d+))"))) {
        out.x = std::stoi(m[1]);
        out.y = std::stoi(m[2]);
    }
    return out;
}

// Waits for the driver's connection to have something, then processes it.
void Pump(WlrScreenDriver& driver, int timeout_ms = 2000) {
    pollfd fd{driver.ConnectionFd(), POLLIN, 0};
    poll(&fd, 1, timeout_ms);
    driver.ProcessPendingEvents();
}

class WlrDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
        std::string error;
        sway = SwayCompositor::Start(&error);
        ASSERT_TRUE(sway) << error;
    }

    void Open(WlrScreenDriver& driver, const std::string& head = {}) {
        std::string error;
        ASSERT_TRUE(driver.Open(sway->WaylandSocketPath(), head, &error)) << error;
        driver.SetChangeListener([this](const DisplayMode& mode) { heard.push_back(mode); });
    }

    std::unique_ptr<SwayCompositor> sway;
    std::vector<DisplayMode> heard;
};

TEST_F(WlrDriverTest, ReadsTestsAndAppliesKeepingScaleAndPosition) {
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-1", "mode", "1024x768@60Hz", "scale", "2", "pos", "10", "20",
                             "transform", "90"})
                  .status,
              0);
    WlrScreenDriver driver;
    Open(driver);
    EXPECT_EQ(driver.HeadName(), "HEADLESS-1");
    EXPECT_EQ(QueryOutput(*sway, "HEADLESS-1").x, 10);
    EXPECT_EQ(driver.Current(), (DisplayMode{1024, 768, 60, 32}));

    // A test changes nothing.
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(QueryOutput(*sway, "HEADLESS-1").width, 1024);
    EXPECT_TRUE(heard.empty());

    EXPECT_EQ(driver.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    const SwayOutput after = QueryOutput(*sway, "HEADLESS-1");
    EXPECT_EQ(after.width, 1280);
    EXPECT_EQ(after.height, 1024);
    EXPECT_EQ(after.refresh_mhz, 60000);
    EXPECT_EQ(after.scale, 2.0);
    EXPECT_EQ(after.transform, "90");
    EXPECT_EQ(after.x, 10);
    EXPECT_EQ(after.y, 20);
    EXPECT_EQ(driver.Current(), (DisplayMode{1280, 1024, 60, 32}));
    driver.ProcessPendingEvents();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], (DisplayMode{1280, 1024, 60, 32}));
}

TEST_F(WlrDriverTest, RefusesDepthsAndSizesItCannotHave) {
    WlrScreenDriver driver;
    Open(driver);
    const DisplayMode before = driver.Current();
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 16}), DISP_CHANGE_BADMODE);
    EXPECT_EQ(driver.TestMode({0, 0, 60, 32}), DISP_CHANGE_BADMODE);
    EXPECT_EQ(driver.SetMode({-5, 1024, 60, 32}), DISP_CHANGE_BADMODE);
    EXPECT_EQ(driver.Current(), before);
    EXPECT_TRUE(heard.empty());
}

TEST_F(WlrDriverTest, FollowsChangesByOtherPrograms) {
    WlrScreenDriver driver;
    Open(driver);
    // A change that leaves the mode as it was is not announced.
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-1", "pos", "50", "0"}).status, 0);
    Pump(driver);
    EXPECT_TRUE(heard.empty());
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-1", "mode", "800x600@75Hz"}).status, 0);
    Pump(driver);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], (DisplayMode{800, 600, 75, 32}));
    EXPECT_EQ(driver.Current(), heard[0]);
    EXPECT_FALSE(driver.ServerGone());
}

TEST_F(WlrDriverTest, ActsOnTheNamedHeadAndKeepsTheOthers) {
    const std::string second = sway->CreateOutput();
    ASSERT_FALSE(second.empty());
    const SwayOutput first_before = QueryOutput(*sway, "HEADLESS-1");
    WlrScreenDriver driver;
    Open(driver, second);
    EXPECT_EQ(driver.HeadName(), second);
    EXPECT_EQ(driver.SetMode({800, 600, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    const SwayOutput changed = QueryOutput(*sway, second);
    EXPECT_EQ(changed.width, 800);
    EXPECT_EQ(changed.height, 600);
    const SwayOutput first_after = QueryOutput(*sway, "HEADLESS-1");
    EXPECT_TRUE(first_after.active);
    EXPECT_EQ(first_after.width, first_before.width);
    EXPECT_EQ(first_after.height, first_before.height);
    EXPECT_EQ(first_after.x, first_before.x);

    WlrScreenDriver missing;
    std::string error;
    EXPECT_FALSE(missing.Open(sway->WaylandSocketPath(), "NO-SUCH-OUTPUT", &error));
    EXPECT_NE(error.find("NO-SUCH-OUTPUT"), std::string::npos);
}

// A sway nested in the test's sway (wlroots' Wayland backend): its outputs
// are windows of the outer one, so closing a window unplugs an output.
TEST_F(WlrDriverTest, AHeadUnpluggedBetweenTestAndChangeFails) {
    const std::string dir = sway->RuntimeDir() + "/nested";
    ASSERT_EQ(
        sway->Run({"sh", "-c", "mkdir -m 700 " + dir + " && echo 'xwayland disable' > " + dir + "/config"})
            .status,
        0);
    std::string error;
    auto nested = sway->Launch({"sway", "-c", dir + "/config"},
                               {{"XDG_RUNTIME_DIR", dir},
                                {"WLR_BACKENDS", "wayland"},
                                {"WLR_RENDERER", "pixman"},
                                {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                {"WAYLAND_DISPLAY", sway->WaylandSocketPath()}},
                               &error);
    ASSERT_TRUE(nested) << error;
    const auto nested_msg = [&](const std::string& args) {
        return sway->Run({"sh", "-c", "swaymsg -s " + dir + "/sway-ipc.*.sock " + args});
    };
    for (int i = 0; i < 100 && nested_msg("-t get_outputs").out.find("WL-1") == std::string::npos; ++i) {
        usleep(50000);
    }
    ASSERT_EQ(nested_msg("create_output").status, 0);
    for (int i = 0; i < 100 && nested_msg("-t get_outputs").out.find("WL-2") == std::string::npos; ++i) {
        usleep(50000);
    }

    WlrScreenDriver driver;
    ASSERT_TRUE(driver.Open(dir + "/wayland-1", "WL-2", &error)) << error;
    const DisplayMode before = driver.Current();
    EXPECT_GT(before.width, 0);
    EXPECT_EQ(driver.TestMode({800, 600, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    ASSERT_EQ(sway->Swaymsg({"[title=\"wlroots - WL-2\"] kill"}).status, 0);
    for (int i = 0; i < 100 && nested_msg("-t get_outputs").out.find("WL-2") != std::string::npos; ++i) {
        usleep(50000);
    }
    ASSERT_EQ(nested_msg("-t get_outputs").out.find("WL-2"), std::string::npos);
    EXPECT_EQ(driver.SetMode({800, 600, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.Current(), before);
    EXPECT_FALSE(driver.ServerGone());

    // The output left is still changed as before.
    WlrScreenDriver first;
    ASSERT_TRUE(first.Open(dir + "/wayland-1", "WL-1", &error)) << error;
    EXPECT_EQ(first.SetMode({800, 600, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    // Outputs of the Wayland backend have no refresh rate (0).
    EXPECT_EQ(first.Current().width, 800);
    EXPECT_EQ(first.Current().height, 600);
}

TEST_F(WlrDriverTest, TheCompositorGoingAwayIsReportedOnce) {
    WlrScreenDriver driver;
    Open(driver);
    const DisplayMode before = driver.Current();
    int gone = 0;
    driver.SetServerGoneCallback([&] { ++gone; });
    // Between a passing test and the change, the compositor (and its heads) go.
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    sway->Kill();
    EXPECT_EQ(driver.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(gone, 1);  // found while waiting for the answer
    Pump(driver);
    driver.ProcessPendingEvents();
    EXPECT_TRUE(driver.ServerGone());
    EXPECT_EQ(gone, 1);
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.LastError(), "the compositor went away");
    EXPECT_EQ(driver.Current(), before);
    EXPECT_EQ(gone, 1);
}

TEST_F(WlrDriverTest, ACompositorThatStopsAnsweringTimesOut) {
    WlrScreenDriver driver;
    Open(driver);
    driver.SetReplyTimeout(300);
    ASSERT_EQ(kill(sway->Pid(), SIGSTOP), 0);
    const int tested = driver.TestMode({1280, 1024, 60, 32});
    const int set = driver.SetMode({1280, 1024, 60, 32});
    const bool offered = WlrScreenDriver::Offered(sway->WaylandSocketPath());
    kill(sway->Pid(), SIGCONT);
    EXPECT_EQ(tested, DISP_CHANGE_FAILED);
    EXPECT_EQ(set, DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.LastError(), "the compositor does not answer");
    EXPECT_FALSE(offered);
    EXPECT_TRUE(WlrScreenDriver::Offered(sway->WaylandSocketPath()));
    // Once it answers again, so does the driver.
    driver.SetReplyTimeout(3000);
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL);
}

TEST(WlrDriver, NoCompositorIsAClearError) {
    WlrScreenDriver driver;
    std::string error;
    EXPECT_FALSE(driver.Open("/nonexistent/wayland-socket", {}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(driver.ConnectionFd(), -1);
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_FALSE(WlrScreenDriver::Offered("/nonexistent/wayland-socket"));
}

}  // namespace
