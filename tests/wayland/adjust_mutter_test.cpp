// The real corvane-adjust as a native Wayland client of mutter (GNOME),
// nested on a private Xvfb: what mutter's window shows equals the snapshot
// tool's picture at the monitor's mode.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/e2e/picture_wait.h"
#include "tests/e2e/screen_image.h"
#include "tests/e2e/snapshot_run.h"
#include "tests/wayland/compositor.h"

namespace wltest {
namespace {

// mutter's monitor starts at its first dummy mode.
constexpr const char* kStartMode = "1024x768@60/32";

class MutterSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!MutterCompositor::Installed() || !xtest::ProgramInstalled("xdotool")) {
            GTEST_SKIP() << "mutter or xdotool is not installed";
        }
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("corvane-mutter-" + std::to_string(getpid()) + "-" + info->name());
        std::filesystem::create_directories(dir_);
        std::string error;
        mutter_ = MutterCompositor::Start(&error);
        ASSERT_TRUE(mutter_) << error;
        const std::string adjust = mutter_->ExecutableForUser(CORVANE_ADJUST_PATH, &error);
        ASSERT_FALSE(adjust.empty()) << error;
        Park();
        program_ = mutter_->Launch({adjust}, {}, &error);
        ASSERT_TRUE(program_) << error;
    }

    void TearDown() override {
        if (program_) program_->Stop(500);
        mutter_.reset();
        if (!HasFailure()) std::filesystem::remove_all(dir_);
    }

    e2e::Snapshot Expect(const std::string& steps) {
        e2e::Snapshot s = e2e::RunSnapshot(dir_.string(), kStartMode, steps);
        EXPECT_EQ(s.status, 0) << steps << "\n" << s.output;
        return s;
    }

    // mutter draws its own cursor into its window wherever the pointer last
    // was: the pointer rests in the window's bottom-right pixel, and the
    // cursor's box there is left out of comparisons.
    void Park() {
        park_x_ = 1023;
        park_y_ = 767;
        const auto r =
            mutter_->Xvfb().Run({"xdotool", "mousemove", std::to_string(park_x_), std::to_string(park_y_)});
        ASSERT_EQ(r.status, 0) << r.Output();
    }

    e2e::Image Shown(const e2e::Image& like) const {
        e2e::Image shown =
            e2e::Crop(e2e::CaptureRoot(mutter_->Xvfb().DisplayName()), 0, 0, like.width, like.height);
        e2e::CoverCursor(shown, like, park_x_, park_y_);
        return shown;
    }

    // mutter's window on its Xvfb (at the top left) until it shows `expected`.
    ::testing::AssertionResult ScreenBecomes(const e2e::Image& expected, const std::string& name,
                                             int timeout_ms = 10000) {
        return e2e::PictureBecomes([&] { return Shown(expected); }, expected, dir_, name, "mutter's window",
                                   timeout_ms)
               << "\nprogram stderr: " << program_->Stderr();
    }

    void Click(std::optional<e2e::Point> at) {
        ASSERT_TRUE(at) << "nothing to click";
        const auto r =
            mutter_->Xvfb().Run({"xdotool", "mousemove", std::to_string(at->x), std::to_string(at->y),
                                 "sleep", "0.1", "mousedown", "1", "mouseup", "1", "mousemove",
                                 std::to_string(park_x_), std::to_string(park_y_)});
        ASSERT_EQ(r.status, 0) << r.Output();
    }

    // A click that leads from screen `before` to `after`. A busy nested
    // mutter now and then drops a click that arrives just as it maps the
    // window; one that left the screen exactly as it was is tried again.
    ::testing::AssertionResult ClickAndSee(std::optional<e2e::Point> at, const e2e::Image& before,
                                           const e2e::Image& after, const std::string& name) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Click(at);
            if (ScreenBecomes(after, name, 3000)) return ::testing::AssertionSuccess();
            if (Shown(before) != before) break;
        }
        return ScreenBecomes(after, name);
    }

    std::filesystem::path dir_;
    std::unique_ptr<MutterCompositor> mutter_;
    std::unique_ptr<Process> program_;
    int park_x_ = 0;
    int park_y_ = 0;
};

TEST_F(MutterSession, WelcomeResolutionAndPitchEqualTheSnapshot) {
    const e2e::Snapshot welcome = Expect("");
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));

    const e2e::Snapshot resolution = Expect("click adjust");
    ASSERT_TRUE(ClickAndSee(welcome.ButtonCentre("adjust"), welcome.image, resolution.image, "resolution"));

    const auto row_at = resolution.TextCentre("17\"");
    ASSERT_TRUE(row_at);
    const std::string to_row =
        "click adjust; click " + std::to_string(row_at->x) + "," + std::to_string(row_at->y);
    Click(row_at);
    const e2e::Snapshot row = Expect(to_row);
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));

    Click(row.ButtonCentre("next"));
    const e2e::Snapshot pitch = Expect(to_row + "; click next; answer yes");
    Click(pitch.BoxButtonCentre(0, "yes"));
    ASSERT_TRUE(ScreenBecomes(pitch.image, "pitch"));
}

// The steps to the Resolution page with the 17-inch row chosen.
std::string ToChartRow(const e2e::Snapshot& resolution) {
    const auto row = resolution.TextCentre("17\"");
    return row ? "click adjust; click " + std::to_string(row->x) + "," + std::to_string(row->y) : "";
}

// The mode mutter reports as current, e.g. "1280x1024@60.000".
std::string CurrentModeId(const MutterCompositor& mutter) {
    const std::string state = mutter.CallDisplayConfig("GetCurrentState").out;
    const std::size_t flag = state.find("'is-current': <true>");
    if (flag == std::string::npos) return {};
    const std::size_t open = state.rfind("('", flag);
    return state.substr(open + 2, state.find('\'', open + 2) - open - 2);
}

// The wizard's own button switches mutter's monitor to 1280x1024@60 through
// DisplayConfig; then another program switches it to 800x600, and the page
// follows both.
TEST_F(MutterSession, RecommendedResolutionAndAnExternalChange) {
    const e2e::Snapshot welcome = Expect("");
    const e2e::Snapshot resolution = Expect("click adjust");
    const std::string to_row = ToChartRow(resolution);
    ASSERT_FALSE(to_row.empty());
    const e2e::Snapshot row = Expect(to_row);
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ASSERT_TRUE(ClickAndSee(welcome.ButtonCentre("adjust"), welcome.image, resolution.image, "resolution"));
    Click(resolution.TextCentre("17\""));
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));

    Click(row.ButtonCentre("change"));
    const e2e::Snapshot changed = Expect(to_row + "; click change");
    ASSERT_EQ(changed.image.width, 1280);
    ASSERT_TRUE(ScreenBecomes(changed.image, "changed"));
    EXPECT_EQ(CurrentModeId(*mutter_), "1280x1024@60.000");

    const std::string state = mutter_->CallDisplayConfig("GetCurrentState").out;
    ASSERT_EQ(state.rfind("(uint32 ", 0), 0u) << state;
    const std::string serial = std::to_string(std::stoul(state.substr(8)));
    const RunResult applied = mutter_->CallDisplayConfig(
        "ApplyMonitorsConfig",
        {serial, "1", "[(0, 0, 1.0, 0, true, [('LVDS1', '800x600@60.000', @a{sv} {})])]", "{}"});
    ASSERT_EQ(applied.status, 0) << applied.err;
    const e2e::Snapshot smaller = Expect(to_row + "; click change; mode 800x600@60/32");
    ASSERT_EQ(smaller.image.width, 800);
    EXPECT_TRUE(ScreenBecomes(smaller.image, "changed-elsewhere-800x600"));
}

TEST_F(MutterSession, KilledCompositorEndsTheProgramWithinASecond) {
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    mutter_->Kill();
    ASSERT_TRUE(program_->Wait(1000)) << "still running 1 s after the compositor died";
    EXPECT_EQ(program_->Result().status, 1);
    EXPECT_NE(program_->Result().err.find("corvane-adjust: the display server went away; exiting"),
              std::string::npos)
        << program_->Result().err;
}

}  // namespace
}  // namespace wltest
