// The real corvane-adjust as a native Wayland client of KWin (virtual
// backend): the pictures equal the snapshot tool's at every scale where one
// buffer pixel can land on one device pixel, and the program says so once
// where none can; scale changes are followed; a mode the output does not
// offer is refused as the compositor's list says; the primary follows KDE's
// output order; leaving is prompt.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/e2e/picture_wait.h"
#include "tests/wayland/kwin_session.h"

namespace wltest {
namespace {

constexpr char kScaleWarning[] = "the desktop's scaling keeps the patterns from being exact";

// Waits until the program's stderr holds `text`, at most `timeout_ms`.
bool SaysWithin(const Process& program, const std::string& text, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (program.Stderr().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class KWinPages : public KWinSession, public ::testing::WithParamInterface<double> {};

// The output keeps its 1280x800 device pixels at each scale.
TEST_P(KWinPages, WelcomeResolutionAndPitchEqualTheSnapshot) {
    StartKWin({});
    SetScale("Virtual-0", GetParam());
    StartProgram();
    const e2e::Snapshot welcome = Expect("");
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickButton(welcome, "adjust");
    const e2e::Snapshot resolution = Expect("click adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    ClickButton(resolution, "next");
    const e2e::Snapshot pitch = Expect("click adjust; click next");
    ASSERT_TRUE(ScreenBecomes(pitch.image, "pitch"));
    EXPECT_EQ(CountInStderr(kScaleWarning), 0) << program_->Stderr();
}

INSTANTIATE_TEST_SUITE_P(Scales, KWinPages, ::testing::Values(1.0, 1.25, 1.5, 2.0), [](const auto& info) {
    return "scale_" + std::to_string(static_cast<int>(info.param * 100));
});

using KWinChanges = KWinSession;

// 1280x800 device pixels at 1.75 give no whole logical size that covers
// them exactly: one line says so, once; again only after a scale with exact
// pixels came in between.
TEST_F(KWinChanges, ScaleWithoutExactPixelsIsReportedOnceAfterEachChangeToIt) {
    StartKWin({});
    SetScale("Virtual-0", 1.75);
    StartProgram();
    ASSERT_TRUE(SaysWithin(*program_, kScaleWarning, 10000)) << program_->Stderr();
    // KWin 5.27 at times keeps configuring the window at 1.75's logical size
    // after this change, so the picture is no sign that the program has
    // seen it: the change is given time to arrive instead.
    SetScale("Virtual-0", 1.25);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(CountInStderr(kScaleWarning), 1) << program_->Stderr();
    SetScale("Virtual-0", 1.75);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (CountInStderr(kScaleWarning) < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CountInStderr(kScaleWarning), 2) << program_->Stderr();
}

// The desktop's scale changes while the wizard runs (KWin keeps the device
// size): the picture stays the snapshot's, with no warning.
TEST_F(KWinChanges, ScaleChangesAreFollowedWithoutWarning) {
    StartKWin({});
    StartProgram();
    const e2e::Snapshot welcome = Expect("");
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    for (const double scale : {2.0, 1.25}) {
        SetScale("Virtual-0", scale);
        ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome-at-" + std::to_string(scale)));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CountInStderr(kScaleWarning), 0) << program_->Stderr();
}

// KWin's virtual output lists one mode: 1280x1024 is refused as not offered,
// through KDE's output management, with nothing said about missing protocols.
TEST_F(KWinChanges, UnofferedRecommendedModeIsNotSupported) {
    StartKWin({});
    StartProgram();
    const e2e::Snapshot resolution = Expect("click adjust");
    const auto row = resolution.TextCentre("17\"");
    ASSERT_TRUE(row);
    const std::string to_row = "click adjust; click " + std::to_string(row->x) + "," + std::to_string(row->y);
    const e2e::Snapshot chosen = Expect(to_row);
    // The snapshot's screen accepts the output's one mode and refuses others as not offered.
    const e2e::Snapshot refused = e2e::RunSnapshot(dir_.string(), "1280x800@60/32", to_row + "; click change",
                                                   {"--accept", "1280x800@60/32"});
    ASSERT_EQ(refused.status, 3) << "the box stays open: " << refused.output;
    bool box = false;
    for (const std::string& line : refused.trace) {
        box = box || (line.find("\"op\":\"messagebox\"") != std::string::npos &&
                      line.find("The graphics mode is not supported by the computer or video card.") !=
                          std::string::npos);
    }
    ASSERT_TRUE(box);
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    ClickButton(Expect(""), "adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    Click(row);
    ASSERT_TRUE(ScreenBecomes(chosen.image, "chart-row"));
    ClickButton(chosen, "change");
    EXPECT_TRUE(ScreenBecomes(refused.image, "refused"));
    // Nothing about protocols the compositor lacks, nor anything else.
    EXPECT_EQ(program_->Stderr(), "");
}

TEST_F(KWinChanges, ListNamesThePrimaryFromKdesOrder) {
    StartKWin({.outputs = 2});
    const std::vector<std::string> list = {adjust_, "--list-monitors", "--json"};
    const RunResult before = kwin_->Run(list);
    ASSERT_EQ(before.status, 0) << before.err;
    EXPECT_NE(before.out.find(R"({"name":"Virtual-0","connector":"unknown","primary":true,)"),
              std::string::npos)
        << before.out;
    EXPECT_NE(before.out.find(R"({"name":"Virtual-1","connector":"unknown","primary":false,)"),
              std::string::npos)
        << before.out;
    MakePrimary("Virtual-1");
    const RunResult after = kwin_->Run(list);
    ASSERT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(after.out.find(R"(  {"name":"Virtual-1","connector":"unknown","primary":true,)"), 2u)
        << after.out;
    EXPECT_NE(after.out.find(R"({"name":"Virtual-0","connector":"unknown","primary":false,)"),
              std::string::npos)
        << after.out;
    // The wizard takes the primary when no monitor is named.
    StartProgram();
    const e2e::Snapshot welcome = Expect("");
    EXPECT_TRUE(e2e::PictureBecomes([&] { return Capture("Virtual-1"); }, welcome.image, dir_,
                                    "welcome-on-primary", "Virtual-1"));
}

TEST_F(KWinChanges, KilledCompositorEndsTheProgramWithinASecond) {
    StartKWin({});
    StartProgram();
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    kwin_->Kill();
    ASSERT_TRUE(program_->Wait(1000)) << "still running 1 s after the compositor died";
    EXPECT_EQ(program_->Result().status, 1);
}

}  // namespace
}  // namespace wltest
