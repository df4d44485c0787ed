// A driver connected to a private Xvfb with the standard modes added, and a
// record of the notifications it sends.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/screen/xrandr/xrandr_driver.h"
#include "tests/xserver/xvfb_server.h"

namespace screen {

inline std::ostream& operator<<(std::ostream& out, const DisplayMode& mode) {
    return out << mode.width << "x" << mode.height << "@" << mode.refresh << "/" << mode.bpp;
}

}  // namespace screen

namespace xtest {

class XrandrDriverTest : public ::testing::Test {
protected:
    void SetUp() override { StartServer({}); }

    void StartServer(const std::vector<std::string>& extra_args, bool add_modes = true) {
        if (!XvfbServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
        std::string error;
        server_ = XvfbServer::Start(&error, "1600x1200x24", extra_args);
        ASSERT_TRUE(server_) << error;
        if (add_modes) {
            ASSERT_TRUE(server_->AddStandardModes(&error)) << error;
        }
        ASSERT_TRUE(driver_.Open(server_->DisplayName(), &error)) << error;
        driver_.SetChangeListener([this](const screen::DisplayMode& mode) { notified_.push_back(mode); });
    }

    // Processes events until the last notification equals `mode`.
    bool AwaitNotification(const screen::DisplayMode& mode, int timeout_ms = 5000) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        while (notified_.empty() || notified_.back() != mode) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return false;
            if (driver_.WaitForEvent(static_cast<int>(left))) driver_.ProcessPendingEvents();
        }
        return true;
    }

    // Whatever arrives within `ms`, processed.
    void Drain(int ms) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return;
            if (driver_.WaitForEvent(static_cast<int>(left))) driver_.ProcessPendingEvents();
        }
    }

    void ExpectServerSize(int width, int height) {
        int w = 0;
        int h = 0;
        ASSERT_TRUE(server_->QueryScreenSize(&w, &h));
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
    }

    // Declared first so the driver disconnects before the server stops.
    std::unique_ptr<XvfbServer> server_;
    screen::XrandrScreenDriver driver_;
    std::vector<screen::DisplayMode> notified_;
};

}  // namespace xtest
