// Tests of corvane-adjust on a private Xorg with the dummy driver: the
// server, EDID blocks for its outputs, the program started on it, and
// comparisons of what the screen shows with the snapshot tool's pictures.
// The including test program defines CORVANE_ADJUST_PATH.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/screen_image.h"
#include "tests/e2e/snapshot_run.h"
#include "tests/harness/child.h"
#include "tests/monitors/xorg_dummy.h"
#include "tests/platform/screen/edid_builder.h"

namespace monitorstest {

using edidtest::EdidBuilder;

inline std::vector<std::uint8_t> AnalogVga() {
    return EdidBuilder()
        .Pnp("ACR")
        .Product(0xAD49)
        .Year(2004)
        .Digital(false)
        .SizeCm(34, 27)
        .Timing(1280, 1024, 60, 338, 270)
        .Name("AL1716")
        .SerialText("L46012345")
        .Build();
}

inline std::vector<std::uint8_t> DigitalDvi() {
    return EdidBuilder()
        .Pnp("DEL")
        .Year(2009)
        .Digital(true)
        .NumericSerial(808464432)
        .Timing(1680, 1050, 60, 474, 296)
        .Name("DELL 2209WA")
        .Build();
}

inline std::vector<std::uint8_t> HdmiWithCea() {
    return EdidBuilder()
        .Pnp("SAM")
        .Year(2015)
        .Digital(true)
        .Timing(1920, 1080, 60, 0, 0)
        .SizeCm(160, 90)
        .Name("SAMSUNG")
        .CeaExtension()
        .Build();
}

class XorgMonitors : public ::testing::Test {
public:
    // The program and what starts it: the Linux build's, unless a test of
    // another build says otherwise.
    virtual std::vector<std::string> Command() const { return {CORVANE_ADJUST_PATH}; }

protected:
    void SetUp() override {
        std::string why;
        if (!XorgDummy::Available(&why)) GTEST_SKIP() << why;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("corvane-monitors-" + std::to_string(getpid()) + "-" + info->name());
        std::filesystem::create_directories(dir_);
        std::string error;
        server_ = XorgDummy::Start(dir_.string(), &error);
        ASSERT_TRUE(server_) << error;
    }

    void TearDown() override {
        program_.reset();
        server_.reset();
        if (!HasFailure()) std::filesystem::remove_all(dir_);
    }

    void SetEdid(const std::string& output, const std::vector<std::uint8_t>& bytes) {
        std::string error;
        ASSERT_TRUE(server_->SetEdid(output, bytes, &error)) << error;
    }
    // Gives the output the standard modes and shows `mode` on it.
    void Show(const std::string& output, const std::string& mode) {
        std::string error;
        ASSERT_TRUE(server_->AddStandardModes(output, &error)) << error;
        ASSERT_TRUE(server_->SetMode(output, mode, &error)) << error;
    }

    // Polls until the part of the screen at (x, y) shows `expected` and the
    // rest of `keep` (a whole-screen picture) is as it was; on failure keeps
    // the pictures.
    ::testing::AssertionResult RegionBecomes(int x, int y, const e2e::Image& expected,
                                             const std::string& name, const e2e::Image* keep = nullptr) {
        const auto deadline = std::chrono::steady_clock::now() + picture_wait_;
        e2e::Image shown;
        e2e::Image root;
        for (;;) {
            root = e2e::CaptureRoot(server_->DisplayName());
            shown = e2e::Crop(root, x, y, expected.width, expected.height);
            const bool others_kept = !keep || SameOutside(root, *keep, x, y, expected.width, expected.height);
            if (!expected.empty() && shown == expected && others_kept) return ::testing::AssertionSuccess();
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        e2e::WritePng((dir_ / (name + "-screen.png")).string(), root);
        e2e::WritePng((dir_ / (name + "-expected.png")).string(), expected);
        return ::testing::AssertionFailure()
               << name << ": the monitor at " << x << "," << y << " differs from the snapshot in "
               << e2e::CountDifferences(shown, expected)
               << " pixels, or the rest of the screen changed; pictures in " << dir_
               << "\nprogram stderr: " << (program_ ? program_->Stderr() : "");
    }

    // Both pictures agree outside the rectangle (where both have pixels).
    static bool SameOutside(const e2e::Image& a, const e2e::Image& b, int x, int y, int width, int height) {
        for (int row = 0; row < std::min(a.height, b.height); ++row) {
            for (int col = 0; col < std::min(a.width, b.width); ++col) {
                if (col >= x && col < x + width && row >= y && row < y + height) continue;
                if (a.pixels[static_cast<std::size_t>(row) * a.width + col] !=
                    b.pixels[static_cast<std::size_t>(row) * b.width + col]) {
                    return false;
                }
            }
        }
        return true;
    }

    void Click(int x, int y) {
        const auto r =
            server_->Run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"});
        ASSERT_EQ(r.status, 0) << r.Output();
    }

    e2e::Snapshot Expect(const std::string& mode, const std::string& steps) {
        e2e::Snapshot s = e2e::RunSnapshot(dir_.string(), mode, steps);
        EXPECT_EQ(s.status, 0) << steps << "\n" << s.output;
        return s;
    }

    ::testing::AssertionResult GeometryBecomes(const std::string& output, const std::string& geometry) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::string now;
        while ((now = server_->Geometry(output)) != geometry) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return ::testing::AssertionFailure() << output << " is " << now << ", not " << geometry;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return ::testing::AssertionSuccess();
    }

    bool StderrShows(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (program_->Stderr().find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    harness::Env Environment() const {
        return harness::EnvironmentWith({{"DISPLAY", server_->DisplayName()}, {"WAYLAND_DISPLAY", ""}});
    }

    // Runs corvane-adjust to its end; its stdout and stderr, and its status.
    harness::RunResult RunAdjust(const std::vector<std::string>& args) {
        std::vector<std::string> command = Command();
        command.insert(command.end(), args.begin(), args.end());
        return RunProgram(command);
    }
    harness::RunResult RunProgram(const std::vector<std::string>& command) {
        const harness::RunResult run = harness::Run({command, Environment(), dir_.string()});
        EXPECT_FALSE(run.timed_out) << "corvane-adjust did not end";
        return run;
    }

    void StartWizard(const std::vector<std::string>& args) {
        std::vector<std::string> argv = Command();
        argv.insert(argv.end(), args.begin(), args.end());
        std::string error;
        program_ = harness::Child::Start({argv, Environment(), dir_.string()}, &error);
        ASSERT_TRUE(program_) << error;
    }

    std::filesystem::path dir_;
    // How long a picture may take to appear.
    std::chrono::seconds picture_wait_{10};
    std::unique_ptr<XorgDummy> server_;
    std::unique_ptr<harness::Child> program_;
};

}  // namespace monitorstest
