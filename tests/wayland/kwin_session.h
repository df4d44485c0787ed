// corvane-adjust as a native client of KWin on its virtual backend: started
// as the test user, clicked through KWin's fake input, photographed through
// its ScreenShot2 D-Bus interface in device pixels, and compared with the
// snapshot tool. Outputs are reconfigured (scale, order) through KDE's output
// management, as the desktop's own settings do.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/e2e/screen_image.h"
#include "tests/e2e/snapshot_run.h"
#include "tests/wayland/compositor.h"

namespace wltest {

class KWinSession : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts KWin; its first output, Virtual-0, is the one photographed.
    void StartKWin(const KWinOptions& options);
    void StartProgram(const std::vector<std::string>& args = {});

    // What `output` shows now, device pixels; empty when the capture fails.
    e2e::Image Capture(const std::string& output = "Virtual-0");
    ::testing::AssertionResult ScreenBecomes(const e2e::Image& expected, const std::string& name,
                                             int timeout_ms = 10000);
    // The snapshot tool's run of `steps` at the output's device size.
    e2e::Snapshot Expect(const std::string& steps);
    // A left click at device pixel `at` of Virtual-0.
    void Click(std::optional<e2e::Point> at);
    void ClickButton(const e2e::Snapshot& reference, const std::string& name);

    // Sets `output`'s scale ("1.5"), or makes it first in KDE's output order,
    // and waits for the compositor's answer.
    void SetScale(const std::string& output, double scale);
    void MakePrimary(const std::string& output);

    // The lines of the program's stderr that contain `text`.
    int CountInStderr(const std::string& text) const;

    std::filesystem::path dir_;
    std::unique_ptr<KWinCompositor> kwin_;
    std::unique_ptr<Process> program_;
    std::string adjust_;
    KWinOptions options_;
    int shots_ = 0;

private:
    struct Client;
    std::shared_ptr<Client> client_;
    struct Pointer;
    std::shared_ptr<Pointer> pointer_;
};

}  // namespace wltest
