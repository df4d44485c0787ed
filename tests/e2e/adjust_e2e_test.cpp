#include <signal.h>

#include <chrono>
#include <thread>

#include "tests/e2e/adjust_fixture.h"

namespace e2e {
namespace {

// The snapshot steps up to a chart row: the row's place comes from the
// Resolution page's own trace.
std::string ToChartRow(const Snapshot& resolution_page) {
    const auto row = resolution_page.TextCentre("17\"");
    return row ? "click adjust; click " + std::to_string(row->x) + "," + std::to_string(row->y) : "";
}

void ExpectScreenSize(const xtest::XvfbServer& server, int width, int height) {
    int w = 0, h = 0;
    ASSERT_TRUE(server.QueryScreenSize(&w, &h));
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
}

TEST_F(AdjustE2e, FirstScreenEqualsSnapshot) {
    const Snapshot welcome = Expect("");
    StartProgram();
    EXPECT_TRUE(ScreenBecomes(welcome.image, "welcome"));
}

// Through every page with the real buttons, the confirmation answered No and
// then Yes on the box itself; Finish ends the program with status 0 and the
// mode as it was.
TEST_F(AdjustE2e, ClicksThroughEveryPage) {
    StartProgram();
    const Snapshot welcome = Expect("");
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));

    std::string steps = "click adjust";
    ClickButton(welcome, "adjust");
    const Snapshot resolution = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));

    steps = ToChartRow(resolution);
    ASSERT_FALSE(steps.empty());
    Click(resolution.TextCentre("17\""));
    const Snapshot row = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));

    // The box as the snapshot shows it while it waits (status 3: no answer).
    ClickButton(row, "next");
    const Snapshot box = RunSnapshot(dir_.string(), kStartMode, steps + "; click next; answer no");
    ASSERT_EQ(box.status, 0) << box.output;
    const Snapshot asking = RunSnapshot(dir_.string(), kStartMode, steps + "; click next");
    ASSERT_EQ(asking.status, 3) << asking.output;
    ASSERT_TRUE(ScreenBecomes(asking.image, "box-open"));
    Click(box.BoxButtonCentre(0, "no"));
    steps += "; click next; answer no";
    const Snapshot declined = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(declined.image, "box-declined"));

    ClickButton(declined, "next");
    ASSERT_TRUE(ScreenBecomes(asking.image, "box-open-again"));
    Click(box.BoxButtonCentre(0, "yes"));
    steps += "; click next; answer yes";
    Snapshot page = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(page.image, "pitch"));

    for (const char* name : {"phase", "centering", "completion"}) {
        ClickButton(page, "next");
        steps += "; click next";
        page = Expect(steps);
        ASSERT_TRUE(ScreenBecomes(page.image, name));
    }
    ClickButton(page, "back");
    steps += "; click back";
    page = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(page.image, "back-to-centering"));
    ClickButton(page, "next");
    steps += "; click next";
    page = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(page.image, "completion-again"));

    ClickButton(page, "finish");
    EXPECT_TRUE(program_->Wait(5000));
    EXPECT_EQ(program_->Result().status, 0) << program_->Stderr();
    ExpectScreenSize(*server_, 1600, 1200);
}

// The recommended mode is set on the real screen, the window follows it, the
// page shows the mode in green with the button gone, and finishing leaves
// the new mode in place.
TEST_F(AdjustE2e, RecommendedResolutionChangesTheScreen) {
    StartProgram();
    const Snapshot welcome = Expect("");
    const Snapshot resolution = Expect("click adjust");
    const std::string steps = ToChartRow(resolution);
    const Snapshot row = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickButton(welcome, "adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    Click(resolution.TextCentre("17\""));
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));

    ClickButton(row, "change");
    const Snapshot changed = Expect(steps + "; click change");
    ASSERT_EQ(changed.image.width, 1280);
    EXPECT_FALSE(changed.ButtonCentre("change"));
    ASSERT_TRUE(ScreenBecomes(changed.image, "changed"));
    ExpectScreenSize(*server_, 1280, 1024);

    Snapshot page = changed;
    std::string at = steps + "; click change";
    for (const char* name : {"pitch", "phase", "centering", "completion"}) {
        ClickButton(page, "next");
        at += "; click next";
        page = Expect(at, kStartMode);
        ASSERT_TRUE(ScreenBecomes(page.image, name));
    }
    ClickButton(page, "finish");
    EXPECT_TRUE(program_->Wait(5000));
    EXPECT_EQ(program_->Result().status, 0) << program_->Stderr();
    ExpectScreenSize(*server_, 1280, 1024);
}

TEST_F(AdjustE2e, ExternalModeChangeRedrawsThePitchPage) {
    StartProgram();
    const Snapshot welcome = Expect("");
    const Snapshot resolution = Expect("click adjust");
    const std::string to_row = ToChartRow(resolution);
    const std::string steps = to_row + "; click next; answer yes";
    const Snapshot row = Expect(to_row);
    const Snapshot pitch = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickButton(welcome, "adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    Click(resolution.TextCentre("17\""));
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));
    ClickButton(row, "next");
    ASSERT_TRUE(ScreenBecomes(RunSnapshot(dir_.string(), kStartMode, to_row + "; click next").image, "box"));
    Click(pitch.BoxButtonCentre(0, "yes"));
    ASSERT_TRUE(ScreenBecomes(pitch.image, "pitch"));

    std::string error;
    ASSERT_TRUE(server_->SwitchMode("1024x768_60.00", &error)) << error;
    const Snapshot smaller = Expect(steps + "; mode 1024x768@60/32");
    ASSERT_EQ(smaller.image.width, 1024);
    EXPECT_TRUE(ScreenBecomes(smaller.image, "pitch-1024x768"));
}

// Presses that each present a few rows, then a box over them, then a page
// change and back: no stale region is ever left on the screen.
TEST_F(AdjustE2e, PartialPresentsLeaveNothingStale) {
    StartProgram();
    const Snapshot welcome = Expect("");
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickButton(welcome, "adjust");
    std::string steps = "click adjust";
    const Snapshot chart = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(chart.image, "chart"));
    for (const char* label : {"15\"", "19\"", "16\"", "18\"", "17\""}) {
        const auto row = chart.TextCentre(label);
        ASSERT_TRUE(row) << label;
        Click(row);
        steps += "; click " + std::to_string(row->x) + "," + std::to_string(row->y);
        ASSERT_TRUE(ScreenBecomes(Expect(steps).image, std::string("row-") + label));
    }
    const Snapshot with_box = RunSnapshot(dir_.string(), kStartMode, steps + "; click next; answer no");
    ASSERT_EQ(with_box.status, 0) << with_box.output;
    ClickButton(Expect(steps), "next");
    Click(with_box.BoxButtonCentre(0, "no"));
    steps += "; click next; answer no";
    const Snapshot declined = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(declined.image, "box-closed"));
    Click(chart.TextCentre("16\""));
    steps += "; click " + std::to_string(chart.TextCentre("16\"")->x) + "," +
             std::to_string(chart.TextCentre("16\"")->y);
    const Snapshot sixteen = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(sixteen.image, "row-after-box"));
    ClickButton(sixteen, "back");
    steps += "; click back";
    const Snapshot back = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(back.image, "welcome-again"));
    ClickButton(back, "adjust");
    steps += "; click adjust";
    ASSERT_TRUE(ScreenBecomes(Expect(steps).image, "chart-again"));
}

// The program starts without the locale's compose table: keys still reach
// the box, Return answering Yes and Escape No.
TEST_F(AdjustE2e, ReturnAndEscapeAnswerTheBox) {
    StartProgram();
    const Snapshot welcome = Expect("");
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickButton(welcome, "adjust");
    const Snapshot resolution = Expect("click adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    const std::string steps = ToChartRow(resolution);
    ASSERT_FALSE(steps.empty());
    Click(resolution.TextCentre("17\""));
    const Snapshot row = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));

    const Snapshot asking = RunSnapshot(dir_.string(), kStartMode, steps + "; click next");
    for (const auto& [key, answer] : {std::pair{"Escape", "no"}, std::pair{"Return", "yes"}}) {
        ClickButton(row, "next");
        ASSERT_TRUE(ScreenBecomes(asking.image, "box-open"));
        const auto r = server_->Run({"xdotool", "key", key});
        ASSERT_EQ(r.status, 0) << r.Output();
        ASSERT_TRUE(ScreenBecomes(Expect(steps + "; click next; answer " + answer).image, key));
    }
}

// Blocked in poll(): ten idle seconds cost (almost) nothing.
TEST_F(AdjustE2e, IdleProgramUsesNoCpu) {
    StartProgram();
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    const double before = program_->CpuMilliseconds();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double after = program_->CpuMilliseconds();
    ASSERT_GE(before, 0);
    EXPECT_LT(after - before, 20.0);
}

TEST_F(AdjustE2e, KilledServerEndsTheProgramWithinASecond) {
    StartProgram();
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    const auto killed = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(server_->Pid(), SIGKILL), 0);
    const bool ended = program_->Wait(3000);
    const auto took = std::chrono::steady_clock::now() - killed;
    ASSERT_TRUE(ended) << "still running 3 s after the server died";
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_EQ(program_->Result().status, 1);
    EXPECT_NE(program_->Stderr().find("corvane-adjust: the display server went away"), std::string::npos)
        << program_->Stderr();
}

TEST_F(AdjustE2e, NoDisplaySaysSoAndFails) {
    for (const std::string& display :
         {std::string(),
          std::string(":") + std::to_string(xtest::XvfbServer::FreeDisplayNumber(server_->Number()))}) {
        const harness::RunResult run =
            harness::Run({{CORVANE_ADJUST_PATH},
                          harness::EnvironmentWith({{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}})},
                         5000);
        ASSERT_FALSE(run.timed_out) << "display \"" << display << "\"";
        EXPECT_NE(run.status, 0);
        const std::string said = run.err;
        EXPECT_EQ(said.rfind("corvane-adjust: ", 0), 0u) << said;
        EXPECT_NE(said.find("display"), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace e2e
