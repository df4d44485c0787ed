// corvane-adjust --monitor HEADLESS-2 on a headless sway with two outputs:
// the wizard covers that output, whose screenshot equals the snapshot at its
// size, changes that output's mode alone, and leaves HEADLESS-1 as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/e2e/picture_wait.h"
#include "tests/wayland/sway_session.h"

namespace {

// HEADLESS-1 1024x768 at the origin, HEADLESS-2 800x600 right of it.
constexpr int kLayoutWidth = 1024 + 800;
constexpr int kLayoutHeight = 768;

class SwaySecondOutput : public wltest::SwaySession {
protected:
    e2e::Image CaptureOutput(const std::string& output) {
        const std::string path = sway_->RuntimeDir() + "/" + output + "-" + std::to_string(shots_++) + ".png";
        const wltest::RunResult r = sway_->Run({"grim", "-o", output, path});
        e2e::Image image;
        std::string error;
        if (r.status != 0 || !e2e::ReadPng(path, &image, &error)) image = {};
        std::filesystem::remove(path);
        return image;
    }

    ::testing::AssertionResult OutputBecomes(const std::string& output, const e2e::Image& expected,
                                             const std::string& name) {
        return e2e::PictureBecomes([&] { return CaptureOutput(output); }, expected, dir_, name, output)
               << "\nprogram stderr: " << (program_ ? program_->Stderr() : "");
    }

    // A click at point `at` of HEADLESS-2, through the pointer that spans the layout.
    void ClickSecond(std::optional<e2e::Point> at) {
        ASSERT_TRUE(at) << "nothing to click";
        const wltest::RunResult r = sway_->Run({click_, std::to_string(1024 + at->x), std::to_string(at->y),
                                                std::to_string(kLayoutWidth), std::to_string(kLayoutHeight)});
        ASSERT_EQ(r.status, 0) << r.err;
    }

    std::string OutputMode(const std::string& output) {
        const wltest::RunResult r = sway_->Swaymsg({"-t", "get_outputs", "--raw"});
        const std::size_t at = r.out.find("\"name\": \"" + output + "\"");
        const std::size_t mode = r.out.find("\"current_mode\"", at);
        if (at == std::string::npos || mode == std::string::npos) return "none";
        int width = 0, height = 0;
        const std::size_t w = r.out.find("\"width\":", mode);
        const std::size_t h = r.out.find("\"height\":", mode);
        if (w == std::string::npos || h == std::string::npos) return "none";
        width = std::atoi(r.out.c_str() + w + 8);
        height = std::atoi(r.out.c_str() + h + 9);
        return std::to_string(width) + "x" + std::to_string(height);
    }
};

TEST_F(SwaySecondOutput, WizardCoversHeadless2AndChangesItAlone) {
    std::string error;
    ASSERT_EQ(sway_->CreateOutput(&error), "HEADLESS-2") << error;
    ASSERT_EQ(sway_->Swaymsg({"output", "HEADLESS-1", "mode", "1024x768@60Hz", "position", "0", "0"}).status,
              0);
    ASSERT_EQ(
        sway_->Swaymsg({"output", "HEADLESS-2", "mode", "800x600@60Hz", "position", "1024", "0"}).status, 0);
    // The cursor shows until it has been idle a while: HEADLESS-1 as it
    // settles, with no cursor on it.
    e2e::Image first = CaptureOutput("HEADLESS-1");
    for (int tries = 0; tries < 50; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        const e2e::Image again = CaptureOutput("HEADLESS-1");
        if (!again.empty() && again == first) break;
        first = again;
    }
    ASSERT_FALSE(first.empty());

    const std::string start = "800x600@60/32";
    const e2e::Snapshot welcome = Expect("", start);
    const e2e::Snapshot resolution = Expect("click adjust", start);
    const std::string to_row = wltest::ToChartRow(resolution);
    ASSERT_FALSE(to_row.empty());
    const e2e::Snapshot row = Expect(to_row, start);
    const e2e::Snapshot changed = Expect(to_row + "; click change", start);
    ASSERT_EQ(changed.image.width, 1280);

    program_ = sway_->Launch({adjust_, "--monitor", "HEADLESS-2"}, {}, &error);
    ASSERT_TRUE(program_) << error;
    ASSERT_TRUE(OutputBecomes("HEADLESS-2", welcome.image, "welcome"));
    EXPECT_TRUE(OutputBecomes("HEADLESS-1", first, "first-kept"));

    ClickSecond(welcome.ButtonCentre("adjust"));
    ASSERT_TRUE(OutputBecomes("HEADLESS-2", resolution.image, "resolution"));
    ClickSecond(resolution.TextCentre("17\""));
    ASSERT_TRUE(OutputBecomes("HEADLESS-2", row.image, "chart-row"));
    ClickSecond(row.ButtonCentre("change"));

    EXPECT_TRUE(OutputBecomes("HEADLESS-2", changed.image, "changed"));
    EXPECT_EQ(OutputMode("HEADLESS-2"), "1280x1024");
    EXPECT_EQ(OutputMode("HEADLESS-1"), "1024x768");
    EXPECT_TRUE(OutputBecomes("HEADLESS-1", first, "first-kept-after-change"));
}

}  // namespace
