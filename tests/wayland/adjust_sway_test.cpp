// The real corvane-adjust as a native Wayland client of sway: what the
// output shows equals the snapshot tool's picture at the output's device
// size, at scale 1 and 2; changes are followed; leaving is prompt.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "tests/wayland/sway_session.h"

namespace wltest {
namespace {

// User plus system clock ticks of a process so far; -1 when unreadable.
long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long utime = -1, stime = -1;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) stime = std::stol(field);
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

// Device size and sway scale: at scale 2 the surface is half the size in
// logical units and must still fill every device pixel one to one.
struct Scaled {
    int width;
    int height;
    const char* scale;
};

class SwayPages : public SwaySession, public ::testing::WithParamInterface<Scaled> {};

TEST_P(SwayPages, WelcomeResolutionAndPitchEqualTheSnapshot) {
    SetOutput(GetParam().width, GetParam().height, GetParam().scale);
    StartProgram();
    const e2e::Snapshot welcome = Expect("");
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    EXPECT_EQ(welcome.image.width, GetParam().width);

    ClickButton(welcome, "adjust");
    const e2e::Snapshot resolution = Expect("click adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));

    const std::string to_row = ToChartRow(resolution);
    ASSERT_FALSE(to_row.empty());
    Click(resolution.TextCentre("17\""));
    const e2e::Snapshot row = Expect(to_row);
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));

    ClickButton(row, "next");
    const e2e::Snapshot pitch = Expect(to_row + "; click next; answer yes");
    Click(pitch.BoxButtonCentre(0, "yes"));
    ASSERT_TRUE(ScreenBecomes(pitch.image, "pitch"));
    // Whole scales are exact: no warning about the desktop's scaling.
    EXPECT_EQ(program_->Stderr().find("scaling"), std::string::npos) << program_->Stderr();
}

INSTANTIATE_TEST_SUITE_P(Scales, SwayPages,
                         ::testing::Values(Scaled{1024, 768, "1"}, Scaled{2048, 1536, "2"}),
                         [](const auto& info) { return std::string("Scale") + info.param.scale; });

using SwayChanges = SwaySession;

// swaymsg changes the mode under the Pitch page: the page is redrawn at the
// new size, as the snapshot tool draws it after the same change.
TEST_F(SwayChanges, ExternalModeChangeIsFollowed) {
    SetOutput(1024, 768, "1");
    StartProgram();
    const e2e::Snapshot welcome = Expect("");
    const e2e::Snapshot resolution = Expect("click adjust");
    const std::string to_pitch = ToChartRow(resolution) + "; click next; answer yes";
    const e2e::Snapshot pitch = Expect(to_pitch);
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickButton(welcome, "adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    Click(resolution.TextCentre("17\""));
    ClickButton(Expect(ToChartRow(resolution)), "next");
    Click(pitch.BoxButtonCentre(0, "yes"));
    ASSERT_TRUE(ScreenBecomes(pitch.image, "pitch"));

    const std::string start = ModeText();
    SetOutput(1280, 1024, "1");
    const e2e::Snapshot larger = Expect(to_pitch + "; mode 1280x1024@60/32", start);
    ASSERT_EQ(larger.image.width, 1280);
    EXPECT_TRUE(ScreenBecomes(larger.image, "pitch-1280x1024"));
}

// The wizard's own button sets 1280x1024@60 through wlr-output-management:
// sway reports the new mode and the output shows the page at that size.
TEST_F(SwayChanges, RecommendedResolutionChangesTheOutput) {
    SetOutput(1024, 768, "1");
    StartProgram();
    const std::string start = ModeText();
    const e2e::Snapshot welcome = Expect("");
    const e2e::Snapshot resolution = Expect("click adjust");
    const std::string to_row = ToChartRow(resolution);
    const e2e::Snapshot row = Expect(to_row);
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickButton(welcome, "adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    Click(resolution.TextCentre("17\""));
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));

    ClickButton(row, "change");
    const e2e::Snapshot changed = Expect(to_row + "; click change", start);
    ASSERT_EQ(changed.image.width, 1280);
    EXPECT_FALSE(changed.ButtonCentre("change"));
    width_ = 1280;
    height_ = 1024;
    ASSERT_TRUE(ScreenBecomes(changed.image, "changed"));
    const RunResult outputs = sway_->Swaymsg({"-t", "get_outputs", "-r"});
    EXPECT_NE(outputs.out.find("\"current_mode\": {\n      \"width\": 1280,\n      \"height\": 1024,\n      "
                               "\"refresh\": 60000"),
              std::string::npos)
        << outputs.out;

    ClickButton(changed, "next");
    const e2e::Snapshot pitch = Expect(to_row + "; click change; click next", start);
    EXPECT_TRUE(ScreenBecomes(pitch.image, "pitch-1280x1024"));
}

// Presses that each present a few rows (into buffers the compositor takes
// in turn), a box opened and closed, a page change and back: every buffer
// is brought up to date, so nothing stale ever shows.
TEST_F(SwayChanges, PartialPresentsLeaveNothingStale) {
    SetOutput(1024, 768, "1");
    StartProgram();
    const e2e::Snapshot welcome = Expect("");
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickButton(welcome, "adjust");
    std::string steps = "click adjust";
    const e2e::Snapshot chart = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(chart.image, "chart"));
    const auto click_row = [&](const char* label) {
        const auto row = chart.TextCentre(label);
        ASSERT_TRUE(row) << label;
        Click(row);
        steps += "; click " + std::to_string(row->x) + "," + std::to_string(row->y);
    };
    for (const char* label : {"15\"", "19\"", "16\"", "18\"", "17\""}) {
        click_row(label);
        ASSERT_TRUE(ScreenBecomes(Expect(steps).image, std::string("row-") + label));
    }
    const e2e::Snapshot with_box = Expect(steps + "; click next; answer no");
    ClickButton(Expect(steps), "next");
    Click(with_box.BoxButtonCentre(0, "no"));
    steps += "; click next; answer no";
    ASSERT_TRUE(ScreenBecomes(Expect(steps).image, "box-closed"));
    click_row("16\"");
    const e2e::Snapshot sixteen = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(sixteen.image, "row-after-box"));
    ClickButton(sixteen, "back");
    steps += "; click back";
    const e2e::Snapshot back = Expect(steps);
    ASSERT_TRUE(ScreenBecomes(back.image, "welcome-again"));
    ClickButton(back, "adjust");
    steps += "; click adjust";
    ASSERT_TRUE(ScreenBecomes(Expect(steps).image, "chart-again"));
}

// The scale changes while the confirmation box is open: the device size is
// the same, so the box stays as it was, one to one, and still answers.
TEST_F(SwayChanges, ScaleChangeWithTheBoxOpen) {
    SetOutput(2048, 1536, "1");
    StartProgram();
    const e2e::Snapshot resolution = Expect("click adjust");
    const std::string to_row = ToChartRow(resolution);
    const e2e::Snapshot row = Expect(to_row);
    const e2e::Snapshot asking = e2e::RunSnapshot(dir_.string(), ModeText(), to_row + "; click next");
    ASSERT_EQ(asking.status, 3) << asking.output;  // the box waits for an answer
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    ClickButton(Expect(""), "adjust");
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    Click(resolution.TextCentre("17\""));
    ClickButton(row, "next");
    ASSERT_TRUE(ScreenBecomes(asking.image, "box-open"));

    SetOutput(2048, 1536, "2");
    ASSERT_TRUE(ScreenBecomes(asking.image, "box-open-at-scale-2"));
    const e2e::Snapshot pitch = Expect(to_row + "; click next; answer yes");
    Click(pitch.BoxButtonCentre(0, "yes"));
    EXPECT_TRUE(ScreenBecomes(pitch.image, "pitch-at-scale-2"));
}

// A fractional scale cannot be shown one to one here (sway offers no
// fractional-scale protocol): one line says so and how to fix it.
TEST_F(SwayChanges, FractionalScaleIsReportedOnce) {
    SetOutput(1920, 1080, "1.5");
    StartProgram();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string said;
    while (std::chrono::steady_clock::now() < deadline) {
        said = program_->Stderr();
        if (said.find("scaling") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string line =
        "the desktop's scaling keeps the patterns from being exact; set the scale of HEADLESS-1 to 100 %";
    ASSERT_NE(said.find(line), std::string::npos) << said;
    SetOutput(1920, 1080, "1.25");
    SetOutput(1920, 1080, "1.5");
    ASSERT_TRUE(program_->Running());
    said = program_->Stderr();
    EXPECT_EQ(said.find(line), said.rfind(line)) << said;
}

// sway with XWayland, its windows fullscreen as the wizard's own are.
class SwayXwayland : public SwaySession {
protected:
    SwayOptions Options() const override {
        return {.xwayland = true, .extra_config = "for_window [class=\".*\"] fullscreen enable\n"};
    }
    void ClickX(std::optional<e2e::Point> at) {
        ASSERT_TRUE(at) << "nothing to click";
        const RunResult r =
            sway_->Run({"xdotool", "mousemove", std::to_string(at->x), std::to_string(at->y), "click", "1"},
                       {{"DISPLAY", sway_->XwaylandDisplay()}});
        ASSERT_EQ(r.status, 0) << r.err;
    }
};

// With DISPLAY alone the wizard is an X11 client of XWayland, whose RandR
// cannot change the monitor: the change fails with the driver's message
// and the output keeps its mode.
TEST_F(SwayXwayland, ChangeFailsAndTheOutputKeepsItsMode) {
    if (!xtest::ProgramInstalled("Xwayland") || !xtest::ProgramInstalled("xdotool")) {
        GTEST_SKIP() << "Xwayland or xdotool is not installed";
    }
    ASSERT_FALSE(sway_->XwaylandDisplay().empty());
    SetOutput(1024, 768, "1");
    StartProgram({{"WAYLAND_DISPLAY", ""}, {"DISPLAY", sway_->XwaylandDisplay()}});
    const e2e::Snapshot welcome = Expect("");
    const e2e::Snapshot resolution = Expect("click adjust");
    const std::string to_row = ToChartRow(resolution);
    ASSERT_TRUE(ScreenBecomes(welcome.image, "welcome"));
    ClickX(welcome.ButtonCentre("adjust"));
    ASSERT_TRUE(ScreenBecomes(resolution.image, "resolution"));
    ClickX(resolution.TextCentre("17\""));
    const e2e::Snapshot row = Expect(to_row);
    ASSERT_TRUE(ScreenBecomes(row.image, "chart-row"));

    // The snapshot tool's driver refusing the same test the same way.
    ClickX(row.ButtonCentre("change"));
    const e2e::Snapshot refused = e2e::RunSnapshot(dir_.string(), ModeText(), to_row + "; click change",
                                                   {"--accept", "1024x768@60/32", "--reject", "-1"});
    EXPECT_EQ(refused.status, 3) << refused.output;  // the failure's box waits for its OK
    EXPECT_TRUE(ScreenBecomes(refused.image, "failure-box"));
    const RunResult outputs = sway_->Swaymsg({"-t", "get_outputs", "-r"});
    EXPECT_NE(outputs.out.find("\"current_mode\": {\n      \"width\": 1024,\n      \"height\": 768"),
              std::string::npos)
        << outputs.out;
}

using SwayLeaving = SwaySession;

TEST_F(SwayLeaving, KilledCompositorEndsTheProgramWithinASecond) {
    SetOutput(1024, 768, "1");
    StartProgram();
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    sway_->Kill();
    ASSERT_TRUE(program_->Wait(1000)) << "still running 1 s after the compositor died";
    EXPECT_EQ(program_->Result().status, 1);
    EXPECT_NE(program_->Result().err.find("corvane-adjust: the display server went away; exiting"),
              std::string::npos)
        << program_->Result().err;
}

// A sway nested in the test's sway (wlroots' Wayland backend): its outputs
// are windows of the outer one, so closing a window unplugs an output. The
// wizard on the unplugged output says which monitor went and moves to the
// other one; when that goes too, it ends.
TEST_F(SwayLeaving, UnpluggedMonitorHandsTheWizardToTheOther) {
    const std::string dir = sway_->RuntimeDir() + "/nested";
    ASSERT_EQ(
        sway_->Run({"sh", "-c", "mkdir -m 700 " + dir + " && echo 'xwayland disable' > " + dir + "/config"})
            .status,
        0);
    std::string error;
    auto nested = sway_->Launch({"sway", "-c", dir + "/config"},
                                {{"XDG_RUNTIME_DIR", dir},
                                 {"WLR_BACKENDS", "wayland"},
                                 {"WLR_RENDERER", "pixman"},
                                 {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                 {"WAYLAND_DISPLAY", sway_->WaylandSocketPath()}},
                                &error);
    ASSERT_TRUE(nested) << error;
    const auto nested_msg = [&](const std::string& args) {
        return sway_->Run({"sh", "-c", "swaymsg -s " + dir + "/sway-ipc.*.sock " + args});
    };
    const auto wait_for = [](const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return done();
    };
    ASSERT_TRUE(wait_for([&] { return nested_msg("-t get_outputs").out.find("WL-1") != std::string::npos; }));
    ASSERT_EQ(nested_msg("create_output").status, 0);
    ASSERT_TRUE(wait_for([&] { return nested_msg("-t get_outputs").out.find("WL-2") != std::string::npos; }));

    program_ = sway_->Launch({adjust_, "--monitor", "WL-2"},
                             {{"XDG_RUNTIME_DIR", dir}, {"WAYLAND_DISPLAY", "wayland-1"}}, &error);
    ASSERT_TRUE(program_) << error;
    ASSERT_TRUE(wait_for([&] {
        return nested_msg("-t get_tree").out.find("corvane-adjust") != std::string::npos;
    })) << program_->Stderr();
    ASSERT_EQ(sway_->Swaymsg({"[title=\"wlroots - WL-2\"] kill"}).status, 0);
    EXPECT_TRUE(wait_for([&] {
        return program_->Stderr().find(
                   "corvane-adjust: the monitor WL-2 was disconnected; moving to WL-1\n") !=
               std::string::npos;
    })) << program_->Stderr();
    EXPECT_TRUE(program_->Running()) << program_->Stderr();

    // With the last one gone too, it says so and ends.
    ASSERT_EQ(sway_->Swaymsg({"[title=\"wlroots - WL-1\"] kill"}).status, 0);
    ASSERT_TRUE(program_->Wait(5000)) << "still running after every monitor was unplugged";
    EXPECT_EQ(program_->Result().status, 1);
    EXPECT_NE(
        program_->Result().err.find(
            "corvane-adjust: the monitor WL-1 was disconnected and no other monitor is left; exiting\n"),
        std::string::npos)
        << program_->Result().err;
    nested->Stop(500);
}

// A second headless sway started with no outputs at all: the wizard has
// nowhere to go, says so and fails.
TEST_F(SwayLeaving, CompositorWithoutOutputsIsAClearError) {
    const std::string dir = sway_->RuntimeDir() + "/empty";
    ASSERT_EQ(
        sway_->Run({"sh", "-c", "mkdir -m 700 " + dir + " && echo 'xwayland disable' > " + dir + "/config"})
            .status,
        0);
    std::string error;
    auto empty = sway_->Launch({"sway", "-c", dir + "/config"},
                               {{"XDG_RUNTIME_DIR", dir},
                                {"WLR_BACKENDS", "headless"},
                                {"WLR_HEADLESS_OUTPUTS", "0"},
                                {"WLR_RENDERER", "pixman"},
                                {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                {"WAYLAND_DISPLAY", ""}},
                               &error);
    ASSERT_TRUE(empty) << error;
    for (int i = 0; i < 200 && !std::filesystem::exists(dir + "/wayland-1"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(std::filesystem::exists(dir + "/wayland-1")) << empty->Stderr();
    const RunResult r = sway_->Run({adjust_}, {{"XDG_RUNTIME_DIR", dir}, {"WAYLAND_DISPLAY", "wayland-1"}});
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("corvane-adjust: the Wayland compositor has no outputs"), std::string::npos)
        << r.err;
    empty->Stop(500);
}

// Blocked in poll(): ten idle seconds cost no clock ticks (one allowed for
// the sampling edge).
TEST_F(SwayLeaving, IdleProgramUsesNoCpu) {
    SetOutput(1024, 768, "1");
    StartProgram();
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    const long before = CpuTicks(program_->Pid());
    ASSERT_GE(before, 0);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const long after = CpuTicks(program_->Pid());
    EXPECT_LE(after - before, 1);
}

// SDL serves the X11 desktop only: a native Wayland client shows its first
// page without ever loading it (loading it and its libraries costs more than
// the rest of the start).
TEST_F(SwayLeaving, NativeClientNeverLoadsSdl) {
    SetOutput(1024, 768, "1");
    StartProgram();
    ASSERT_TRUE(ScreenBecomes(Expect("").image, "welcome"));
    std::ifstream maps("/proc/" + std::to_string(program_->Pid()) + "/maps");
    const std::string mapped((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
    ASSERT_NE(mapped.find("libwayland-client"), std::string::npos) << "cannot read what the program mapped";
    EXPECT_EQ(mapped.find("libSDL2"), std::string::npos);
}

}  // namespace
}  // namespace wltest
