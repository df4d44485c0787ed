// The real corvane-adjust on a private Xvfb (1600x1200, the standard modes
// added), clicked with xdotool and compared with the snapshot tool.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "tests/e2e/picture_wait.h"
#include "tests/e2e/screen_image.h"
#include "tests/e2e/snapshot_run.h"
#include "tests/xserver/xvfb_server.h"

namespace e2e {

// Xvfb's own start mode reports no refresh rate.
inline constexpr const char* kStartMode = "1600x1200@0/32";

class AdjustE2e : public ::testing::Test {
protected:
    void SetUp() override {
        if (!xtest::XvfbServer::Installed() || !xtest::ProgramInstalled("xdotool")) {
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        }
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("corvane-e2e-" + std::to_string(getpid()) + "-" + info->name());
        std::filesystem::create_directories(dir_);
        std::string error;
        server_ = xtest::XvfbServer::Start(&error);
        ASSERT_TRUE(server_) << error;
        ASSERT_TRUE(server_->AddStandardModes(&error)) << error;
    }

    void TearDown() override {
        program_.reset();
        server_.reset();
        if (!HasFailure()) std::filesystem::remove_all(dir_);
    }

    void StartProgram() {
        std::string error;
        program_ = harness::Child::Start(
            {{CORVANE_ADJUST_PATH},
             harness::EnvironmentWith({{"DISPLAY", server_->DisplayName()}, {"WAYLAND_DISPLAY", ""}}),
             dir_.string()},
            &error);
        ASSERT_TRUE(program_) << error;
    }

    Snapshot Expect(const std::string& steps, const std::string& mode = kStartMode) {
        Snapshot s = RunSnapshot(dir_.string(), mode, steps);
        EXPECT_EQ(s.status, 0) << steps << "\n" << s.output;
        EXPECT_FALSE(s.image.empty()) << steps;
        return s;
    }

    // Polls the screen until it shows `expected` pixel for pixel; on failure
    // keeps both pictures beside the test's stderr.
    ::testing::AssertionResult ScreenBecomes(const Image& expected, const std::string& name,
                                             int timeout_ms = 10000) {
        return PictureBecomes([this] { return CaptureRoot(server_->DisplayName()); }, expected, dir_, name,
                              "the screen", timeout_ms)
               << "\nprogram stderr: " << program_->Stderr();
    }

    void Click(std::optional<Point> at) {
        ASSERT_TRUE(at) << "nothing to click";
        const auto r = server_->Run(
            {"xdotool", "mousemove", std::to_string(at->x), std::to_string(at->y), "click", "1"});
        ASSERT_EQ(r.status, 0) << r.Output();
    }

    // Clicks where `reference` (the snapshot of the state before) shows
    // button `name`.
    void ClickButton(const Snapshot& reference, const std::string& name) {
        ASSERT_TRUE(reference.ButtonCentre(name)) << name << " is not shown";
        Click(reference.ButtonCentre(name));
    }

    std::filesystem::path dir_;
    std::unique_ptr<xtest::XvfbServer> server_;
    std::unique_ptr<harness::Child> program_;
};

}  // namespace e2e
