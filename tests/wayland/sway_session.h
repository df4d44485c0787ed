// corvane-adjust as a native client of a headless sway: started as the test
// user, clicked through a virtual pointer, photographed with grim, and
// compared with the snapshot tool at the output's device size.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/e2e/screen_image.h"
#include "tests/e2e/snapshot_run.h"
#include "tests/wayland/compositor.h"

namespace wltest {

class SwaySession : public ::testing::Test {
protected:
    void SetUp() override;
    // How the test's sway starts.
    virtual SwayOptions Options() const { return {}; }
    void TearDown() override;

    // Sets HEADLESS-1 to WIDTHxHEIGHT@60Hz (device pixels) at `scale`.
    void SetOutput(int width, int height, const std::string& scale);
    void StartProgram(const Env& extra = {});

    // What HEADLESS-1 shows now; empty when grim fails.
    e2e::Image Capture(const std::string& name);
    // Polls the output until it shows `expected` pixel for pixel; on failure
    // keeps both pictures in the test's directory.
    ::testing::AssertionResult ScreenBecomes(const e2e::Image& expected, const std::string& name,
                                             int timeout_ms = 10000);
    // The snapshot tool's run of `steps` from `mode` (default: the output's
    // mode now), which must succeed.
    e2e::Snapshot Expect(const std::string& steps, const std::string& mode = {});
    // A left click at device pixel `at` of HEADLESS-1.
    void Click(std::optional<e2e::Point> at);
    void ClickButton(const e2e::Snapshot& reference, const std::string& name);

    std::string ModeText() const;  // "WxH@60/32" for the snapshot tool

    std::filesystem::path dir_;
    std::unique_ptr<SwayCompositor> sway_;
    std::unique_ptr<Process> pointer_;
    std::unique_ptr<Process> program_;
    std::string adjust_;
    std::string click_;
    int width_ = 1024;
    int height_ = 768;
    int shots_ = 0;
};

// The steps to the Resolution page with the 17-inch row chosen, from that
// page's own trace; empty when the row is not drawn.
std::string ToChartRow(const e2e::Snapshot& resolution_page);

}  // namespace wltest
