// corvane-adjust's monitors on a real X server whose outputs carry the EDID
// blocks the tests write: the list, the hint, the choice by name and the
// wizard on a second monitor.
#include "tests/monitors/xorg_fixture.h"

namespace {

using monitorstest::AnalogVga;
using monitorstest::DigitalDvi;
using monitorstest::EdidBuilder;
using monitorstest::HdmiWithCea;
using monitorstest::XorgMonitors;

TEST_F(XorgMonitors, ListReadsBackEveryFieldAndReportsBadBlocks) {
    Show("DUMMY0", "1024x768_60.00");
    for (const char* output : {"DUMMY1", "DUMMY2", "DUMMY3", "DUMMY4"}) Show(output, "800x600_60.00");
    SetEdid("DUMMY0", AnalogVga());
    SetEdid("DUMMY1", DigitalDvi());
    SetEdid("DUMMY2", HdmiWithCea());
    SetEdid("DUMMY3", EdidBuilder().Pnp("ACR").Name("BROKEN").BreakChecksum().Build());
    auto truncated = AnalogVga();
    truncated.resize(100);
    SetEdid("DUMMY4", truncated);

    const harness::RunResult json = RunAdjust({"--list-monitors", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.err, "");
    const std::string small = R"("current":{"width":800,"height":600,"refresh":60})";
    EXPECT_EQ(
        json.out,
        "[\n"
        R"(  {"name":"DUMMY0","connector":"VGA","primary":true,"current":{"width":1024,"height":768,"refresh":60},)"
        R"("edid":{"input":"analog","pnp":"ACR","make":"Acer Technologies","model":"AL1716",)"
        R"("serial":"L46012345","year":2004,"width_mm":338,"height_mm":270,"diagonal_in":17.0,)"
        R"("native":{"width":1280,"height":1024,"refresh":60}},"edid_error":null},)"
        "\n"
        R"(  {"name":"DUMMY1","connector":"DVI","primary":false,)" +
            small +
            R"(,"edid":{"input":"digital","pnp":"DEL","make":"Dell Inc.","model":"DELL 2209WA",)"
            R"("serial":"808464432","year":2009,"width_mm":474,"height_mm":296,"diagonal_in":22.0,)"
            R"("native":{"width":1680,"height":1050,"refresh":60}},"edid_error":null},)"
            "\n"
            R"(  {"name":"DUMMY2","connector":"HDMI","primary":false,)" +
            small +
            R"(,"edid":{"input":"digital","pnp":"SAM","make":"Samsung Electric Company","model":"SAMSUNG",)"
            R"("serial":null,"year":2015,"width_mm":1600,"height_mm":900,"diagonal_in":72.3,)"
            R"("native":{"width":1920,"height":1080,"refresh":60}},"edid_error":null},)"
            "\n"
            R"(  {"name":"DUMMY3","connector":"unknown","primary":false,)" +
            small + R"(,"edid":null,"edid_error":"bad checksum"},)" + "\n" +
            R"(  {"name":"DUMMY4","connector":"unknown","primary":false,)" + small +
            R"(,"edid":null,"edid_error":"too short: 100 bytes, a base block has 128"})" + "\n]\n");

    const harness::RunResult text = RunAdjust({"--list-monitors"});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* block : {"DUMMY0 (primary)\n  connector:    VGA\n  current mode: 1024x768 at 60 Hz\n",
                              "\n\nDUMMY1\n  connector:    DVI\n", "\n\nDUMMY2\n  connector:    HDMI\n",
                              "\n\nDUMMY3\n  connector:    unknown\n  current mode: 800x600 at 60 Hz\n"
                              "  EDID:         none (bad checksum)\n",
                              "\n\nDUMMY4\n"}) {
        EXPECT_NE(text.out.find(block), std::string::npos) << block << "\nin:\n" << text.out;
    }
}

// A block removed again, or never set: no EDID, and the list says so.
TEST_F(XorgMonitors, OutputWithoutEdid) {
    SetEdid("DUMMY0", AnalogVga());
    SetEdid("DUMMY0", {});
    const harness::RunResult json = RunAdjust({"--list-monitors", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find(R"("connector":"unknown","primary":true,)"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find(R"("edid":null,"edid_error":"no EDID"})"), std::string::npos) << json.out;
}

TEST_F(XorgMonitors, UnknownNameGivesStatus2AndTheList) {
    Show("DUMMY1", "800x600_60.00");
    const harness::RunResult run = RunAdjust({"--monitor", "DUMMY9"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("corvane-adjust: there is no monitor named \"DUMMY9\"; the monitors are:\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("DUMMY0 (primary)\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\nDUMMY1\n"), std::string::npos) << run.err;
}

TEST_F(XorgMonitors, HintNamesTheAnalogMonitorWhenTheWizardIsOnThePrimary) {
    Show("DUMMY0", "1024x768_60.00");
    Show("DUMMY1", "800x600_60.00");
    SetEdid("DUMMY0", DigitalDvi());
    SetEdid("DUMMY1", AnalogVga());
    const e2e::Snapshot welcome = Expect("1024x768@60/32", "");

    StartWizard({});
    ASSERT_TRUE(RegionBecomes(0, 0, welcome.image, "primary"));
    EXPECT_TRUE(
        StderrShows("DUMMY1 is an analog (VGA) monitor: corvane-adjust --monitor DUMMY1 adjusts it\n"))
        << program_->Stderr();
    program_.reset();

    // On the analog monitor itself there is nothing to hint at.
    StartWizard({"--monitor", "DUMMY1"});
    ASSERT_TRUE(RegionBecomes(1024, 0, Expect("800x600@60/32", "").image, "second"));
    EXPECT_EQ(program_->Stderr(), "");
}

TEST_F(XorgMonitors, WizardRunsOnTheSecondMonitorAndChangesItOnly) {
    Show("DUMMY0", "1024x768_60.00");
    Show("DUMMY1", "800x600_60.00");
    ASSERT_TRUE(GeometryBecomes("DUMMY1", "800x600+1024+0"));
    const e2e::Image before = e2e::CaptureRoot(server_->DisplayName());
    ASSERT_FALSE(before.empty());

    const std::string start = "800x600@60/32";
    const e2e::Snapshot welcome = Expect(start, "");
    const e2e::Snapshot resolution = Expect(start, "click adjust");
    const auto row = resolution.TextCentre("17\"");
    ASSERT_TRUE(row);
    const std::string to_row = "click adjust; click " + std::to_string(row->x) + "," + std::to_string(row->y);
    const e2e::Snapshot chosen = Expect(start, to_row);
    const e2e::Snapshot changed = Expect(start, to_row + "; click change");
    ASSERT_EQ(changed.image.width, 1280);

    StartWizard({"--monitor", "DUMMY1"});
    ASSERT_TRUE(RegionBecomes(1024, 0, welcome.image, "welcome", &before));
    const auto adjust = welcome.ButtonCentre("adjust");
    ASSERT_TRUE(adjust);
    Click(1024 + adjust->x, adjust->y);
    ASSERT_TRUE(RegionBecomes(1024, 0, resolution.image, "resolution", &before));
    Click(1024 + row->x, row->y);
    ASSERT_TRUE(RegionBecomes(1024, 0, chosen.image, "chosen", &before));
    const auto change = chosen.ButtonCentre("change");
    ASSERT_TRUE(change);
    Click(1024 + change->x, change->y);

    EXPECT_TRUE(GeometryBecomes("DUMMY1", "1280x1024+1024+0"));
    EXPECT_EQ(server_->Geometry("DUMMY0"), "1024x768+0+0");
    EXPECT_TRUE(RegionBecomes(1024, 0, changed.image, "changed", &before));
}

TEST_F(XorgMonitors, UnpluggedMonitorHandsTheWizardToThePrimaryThenEndsIt) {
    Show("DUMMY0", "1024x768_60.00");
    Show("DUMMY1", "800x600_60.00");
    StartWizard({"--monitor", "DUMMY1"});
    ASSERT_TRUE(RegionBecomes(1024, 0, Expect("800x600@60/32", "").image, "second"));

    ASSERT_EQ(server_->Run({"xrandr", "--output", "DUMMY1", "--off"}).status, 0);
    ASSERT_TRUE(RegionBecomes(0, 0, Expect("1024x768@60/32", "").image, "moved"));

    ASSERT_EQ(server_->Run({"xrandr", "--output", "DUMMY0", "--off"}).status, 0);
    ASSERT_TRUE(program_->Wait(5000));
    EXPECT_EQ(program_->Result().status, 1);
    EXPECT_NE(
        program_->Stderr().find("corvane-adjust: the monitor was disconnected and no other monitor is left; "
                                "exiting\n"),
        std::string::npos)
        << program_->Stderr();
}

}  // namespace
