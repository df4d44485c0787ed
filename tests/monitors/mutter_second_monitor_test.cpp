// corvane-adjust --monitor LVDS2 on mutter nested with two dummy monitors
// side by side in one window on its Xvfb: the wizard covers the second
// monitor, whose picture equals the snapshot, and leaves the first as it
// was; the change acts on the second alone.
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

namespace {

// LVDS1 starts at the window's left edge, LVDS2 right of it; both 1024x768.
constexpr int kSecondX = 1024;
// mutter draws its cursor where the pointer last was in its window: the
// pointer rests at LVDS2's pixel (1023, 767), and the cursor's box there is
// left out of comparisons.
constexpr int kParkX = kSecondX + 1023;
constexpr int kParkY = 767;

class MutterSecondMonitor : public ::testing::Test {
protected:
    void SetUp() override {
        if (!wltest::MutterCompositor::Installed() || !xtest::ProgramInstalled("xdotool")) {
            GTEST_SKIP() << "mutter or xdotool is not installed";
        }
        dir_ =
            std::filesystem::temp_directory_path() / ("corvane-mutter-monitors-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        std::string error;
        mutter_ = wltest::MutterCompositor::Start(&error, 2);
        ASSERT_TRUE(mutter_) << error;
        program_path_ = mutter_->ExecutableForUser(CORVANE_ADJUST_PATH, &error);
        ASSERT_FALSE(program_path_.empty()) << error;
        Move(kParkX, kParkY);
    }

    void TearDown() override {
        if (program_) program_->Stop(500);
        mutter_.reset();
        if (!HasFailure()) std::filesystem::remove_all(dir_);
    }

    void Move(int x, int y) {
        const auto r = mutter_->Xvfb().Run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)});
        ASSERT_EQ(r.status, 0) << r.Output();
    }

    e2e::Image Region(int x, int y, int width, int height) const {
        return e2e::Crop(e2e::CaptureRoot(mutter_->Xvfb().DisplayName()), x, y, width, height);
    }

    // LVDS2 as it looks now, the cursor's box filled from `like`.
    e2e::Image Second(const e2e::Image& like) const {
        e2e::Image shown = Region(kSecondX, 0, like.width, like.height);
        e2e::CoverCursor(shown, like, kParkX - kSecondX, kParkY);
        return shown;
    }

    ::testing::AssertionResult SecondBecomes(const e2e::Image& expected, const std::string& name,
                                             int timeout_ms = 10000) {
        return e2e::PictureBecomes([&] { return Second(expected); }, expected, dir_, name, "LVDS2",
                                   timeout_ms)
               << "\nprogram stderr: " << (program_ ? program_->Stderr() : "");
    }

    // A click on LVDS2 that leads to `after`; a nested mutter now and then
    // drops a click, so one that changed nothing is tried again.
    ::testing::AssertionResult ClickAndSee(std::optional<e2e::Point> at, const e2e::Image& before,
                                           const e2e::Image& after, const std::string& name) {
        if (!at) return ::testing::AssertionFailure() << name << ": nothing to click";
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto r =
                mutter_->Xvfb().Run({"xdotool", "mousemove", std::to_string(kSecondX + at->x),
                                     std::to_string(at->y), "sleep", "0.1", "mousedown", "1", "mouseup", "1",
                                     "mousemove", std::to_string(kParkX), std::to_string(kParkY)});
            if (r.status != 0) return ::testing::AssertionFailure() << r.Output();
            if (SecondBecomes(after, name, 3000)) return ::testing::AssertionSuccess();
            if (Second(before) != before) break;
        }
        return SecondBecomes(after, name);
    }

    // LVDS1 still shows `first` (polled: mutter redraws at its own pace).
    // mutter's cursor starts at the window's top left until the pointer
    // first moves in it; that box is left out.
    ::testing::AssertionResult FirstKeeps(const e2e::Image& first, const std::string& name) {
        e2e::Image shown;
        for (int tries = 0; tries < 50; ++tries) {
            shown = Region(0, 0, first.width, first.height);
            for (int y = 0; y < 32 && !shown.empty(); ++y) {
                for (int x = 0; x < 32; ++x) {
                    const std::size_t i = static_cast<std::size_t>(y) * first.width + x;
                    shown.pixels[i] = first.pixels[i];
                }
            }
            if (shown == first) return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        e2e::WritePng((dir_ / (name + "-shown.png")).string(), shown);
        e2e::WritePng((dir_ / (name + "-expected.png")).string(), first);
        return ::testing::AssertionFailure()
               << name << ": LVDS1 changed in " << e2e::CountDifferences(shown, first)
               << " pixels; pictures in " << dir_;
    }

    e2e::Snapshot Expect(const std::string& steps, const std::string& mode = "1024x768@60/32") {
        e2e::Snapshot s = e2e::RunSnapshot(dir_.string(), mode, steps);
        EXPECT_EQ(s.status, 0) << steps << "\n" << s.output;
        return s;
    }

    // "1280x1024@60.000" and so on: the current mode of each connector, as
    // GetCurrentState's text shows it.
    std::string CurrentModeOf(const std::string& connector) const {
        const std::string state = mutter_->CallDisplayConfig("GetCurrentState").out;
        std::size_t at = state.find("(('" + connector + "'");
        if (at == std::string::npos) return "none";
        const std::size_t current = state.find("'is-current': <true>", at);
        const std::size_t open = state.rfind("('", current);
        if (current == std::string::npos || open == std::string::npos || open < at) return "none";
        return state.substr(open + 2, state.find('\'', open + 2) - open - 2);
    }

    // ApplyMonitorsConfig, temporary, with `logical_monitors` in GVariant text.
    ::testing::AssertionResult Apply(const std::string& logical_monitors) {
        const std::string state = mutter_->CallDisplayConfig("GetCurrentState").out;
        const std::size_t at = state.find("uint32 ");
        if (at == std::string::npos) return ::testing::AssertionFailure() << "no serial in: " << state;
        const std::string serial = std::to_string(std::stoul(state.substr(at + 7)));
        const wltest::RunResult r =
            mutter_->CallDisplayConfig("ApplyMonitorsConfig", {serial, "1", logical_monitors, "@a{sv} {}"});
        if (r.status != 0) return ::testing::AssertionFailure() << r.out << r.err;
        return ::testing::AssertionSuccess();
    }

    std::filesystem::path dir_;
    std::unique_ptr<wltest::MutterCompositor> mutter_;
    std::unique_ptr<wltest::Process> program_;
    std::string program_path_;
};

TEST_F(MutterSecondMonitor, WizardCoversLvds2AndChangesItAlone) {
    const e2e::Image first = Region(0, 0, 1024, 768);
    ASSERT_FALSE(first.empty());
    const e2e::Snapshot welcome = Expect("");
    const e2e::Snapshot resolution = Expect("click adjust");
    const auto row_at = resolution.TextCentre("17\"");
    ASSERT_TRUE(row_at);
    const std::string to_row =
        "click adjust; click " + std::to_string(row_at->x) + "," + std::to_string(row_at->y);
    const e2e::Snapshot row = Expect(to_row);
    const e2e::Snapshot changed = Expect(to_row + "; click change");
    ASSERT_EQ(changed.image.width, 1280);

    std::string error;
    program_ = mutter_->Launch({program_path_, "--monitor", "LVDS2"}, {}, &error);
    ASSERT_TRUE(program_) << error;
    ASSERT_TRUE(SecondBecomes(welcome.image, "welcome"));
    EXPECT_TRUE(FirstKeeps(first, "first-kept"));

    ASSERT_TRUE(ClickAndSee(welcome.ButtonCentre("adjust"), welcome.image, resolution.image, "resolution"));
    ASSERT_TRUE(ClickAndSee(row_at, resolution.image, row.image, "chart-row"));
    ASSERT_TRUE(ClickAndSee(row.ButtonCentre("change"), row.image, changed.image, "changed"));
    EXPECT_EQ(CurrentModeOf("LVDS2"), "1280x1024@60.000");
    // mutter stretches its background over the whole layout, so LVDS1's
    // picture changes with LVDS2's size; its mode is what must stay.
    EXPECT_EQ(CurrentModeOf("LVDS1"), "1024x768@60.000");
}

// LVDS2, at 1280x1024, goes away under the wizard: it moves to LVDS1 and
// draws for LVDS1's own mode there.
TEST_F(MutterSecondMonitor, UnpluggedMonitorHandsTheWizardToTheOther) {
    const e2e::Snapshot welcome = Expect("");
    std::string error;
    program_ = mutter_->Launch({program_path_, "--monitor", "LVDS2"}, {}, &error);
    ASSERT_TRUE(program_) << error;
    ASSERT_TRUE(SecondBecomes(welcome.image, "welcome"));

    ASSERT_TRUE(
        Apply("[(0, 0, 1.0, 0, true, [('LVDS1', '1024x768@60.000', @a{sv} {})]), "
              "(1024, 0, 1.0, 0, false, [('LVDS2', '1280x1024@60.000', @a{sv} {})])]"));
    ASSERT_TRUE(SecondBecomes(Expect("", "1280x1024@60/32").image, "welcome-1280"));

    ASSERT_TRUE(Apply("[(0, 0, 1.0, 0, true, [('LVDS1', '1024x768@60.000', @a{sv} {})])]"));
    EXPECT_TRUE(FirstKeeps(welcome.image, "moved"));
    EXPECT_NE(program_->Stderr().find("LVDS2"), std::string::npos) << program_->Stderr();
}

}  // namespace
