#include "tests/wayland/sway_session.h"

#include <unistd.h>

#include "tests/e2e/picture_wait.h"

namespace wltest {

void SwaySession::SetUp() {
    if (!SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name) {
        if (c == '/') c = '-';
    }
    dir_ = std::filesystem::temp_directory_path() / ("corvane-sway-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::create_directories(dir_);
    std::string error;
    sway_ = SwayCompositor::Start(&error, Options());
    ASSERT_TRUE(sway_) << error;
    adjust_ = sway_->ExecutableForUser(CORVANE_ADJUST_PATH, &error);
    ASSERT_FALSE(adjust_.empty()) << error;
    click_ = sway_->ExecutableForUser(CORVANE_VIRTUAL_CLICK_PATH, &error);
    ASSERT_FALSE(click_.empty()) << error;
    // A pointer in the seat from the start, so that the program's seat has
    // one before the first click arrives.
    pointer_ = sway_->Launch({click_, "hold"}, {}, &error);
    ASSERT_TRUE(pointer_) << error;
}

void SwaySession::TearDown() {
    if (program_) program_->Stop(500);
    if (pointer_) pointer_->Stop(500);
    sway_.reset();
    if (!HasFailure()) std::filesystem::remove_all(dir_);
}

void SwaySession::SetOutput(int width, int height, const std::string& scale) {
    width_ = width;
    height_ = height;
    const RunResult r =
        sway_->Swaymsg({"output", "HEADLESS-1", "mode",
                        std::to_string(width) + "x" + std::to_string(height) + "@60Hz", "scale", scale});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
}

void SwaySession::StartProgram(const Env& extra) {
    std::string error;
    program_ = sway_->Launch({adjust_}, extra, &error);
    ASSERT_TRUE(program_) << error;
}

std::string SwaySession::ModeText() const {
    return std::to_string(width_) + "x" + std::to_string(height_) + "@60/32";
}

e2e::Image SwaySession::Capture(const std::string& name) {
    const std::string path = sway_->RuntimeDir() + "/" + name + "-" + std::to_string(shots_++) + ".png";
    const RunResult r = sway_->Run({"grim", "-o", "HEADLESS-1", path});
    e2e::Image image;
    std::string error;
    if (r.status != 0 || !e2e::ReadPng(path, &image, &error)) image = {};
    std::filesystem::remove(path);
    return image;
}

::testing::AssertionResult SwaySession::ScreenBecomes(const e2e::Image& expected, const std::string& name,
                                                      int timeout_ms) {
    return e2e::PictureBecomes([&] { return Capture(name); }, expected, dir_, name, "the output", timeout_ms)
           << "\nprogram stderr: " << (program_ ? program_->Stderr() : "");
}

e2e::Snapshot SwaySession::Expect(const std::string& steps, const std::string& mode) {
    e2e::Snapshot s = e2e::RunSnapshot(dir_.string(), mode.empty() ? ModeText() : mode, steps);
    EXPECT_EQ(s.status, 0) << steps << "\n" << s.output;
    EXPECT_FALSE(s.image.empty()) << steps;
    return s;
}

void SwaySession::Click(std::optional<e2e::Point> at) {
    ASSERT_TRUE(at) << "nothing to click";
    const RunResult r = sway_->Run({click_, std::to_string(at->x), std::to_string(at->y),
                                    std::to_string(width_), std::to_string(height_)});
    ASSERT_EQ(r.status, 0) << r.err;
}

void SwaySession::ClickButton(const e2e::Snapshot& reference, const std::string& name) {
    ASSERT_TRUE(reference.ButtonCentre(name)) << name << " is not shown";
    Click(reference.ButtonCentre(name));
}

std::string ToChartRow(const e2e::Snapshot& resolution_page) {
    const auto row = resolution_page.TextCentre("17\"");
    return row ? "click adjust; click " + std::to_string(row->x) + "," + std::to_string(row->y) : "";
}

}  // namespace wltest
