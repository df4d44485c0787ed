#include "tools/adjust/monitor_report.h"

#include <sstream>

#include "tools/adjust/monitor_choice.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/screen/edid_builder.h"

namespace {

using edidtest::EdidBuilder;
using screen::Monitor;

Monitor WithEdid(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    Monitor m;
    m.name = name;
    m.active = true;
    m.current = {1024, 768, 60, 32};
    screen::AttachEdid(m, bytes, "/nonexistent");
    return m;
}

TEST(MonitorReport, JsonHasExactlyTheKeysInOrder) {
    std::vector<Monitor> list;
    list.push_back(WithEdid("DUMMY0", EdidBuilder()
                                          .Pnp("ACR")
                                          .Year(2004)
                                          .Timing(1280, 1024, 60, 338, 270)
                                          .Name("AL1716")
                                          .SerialText("L46")
                                          .Build()));
    list[0].primary = true;
    list[0].make = "Acer Technologies";
    list.push_back(WithEdid("DUMMY1", EdidBuilder().BreakChecksum().Build()));
    list[1].active = false;
    list[1].current = {};

    EXPECT_EQ(
        adjust::MonitorsJson(list),
        "[\n"
        "  {\"name\":\"DUMMY0\",\"connector\":\"VGA\",\"primary\":true,"
        "\"current\":{\"width\":1024,\"height\":768,\"refresh\":60},"
        "\"edid\":{\"input\":\"analog\",\"pnp\":\"ACR\",\"make\":\"Acer Technologies\",\"model\":\"AL1716\","
        "\"serial\":\"L46\",\"year\":2004,\"width_mm\":338,\"height_mm\":270,\"diagonal_in\":17.0,"
        "\"native\":{\"width\":1280,\"height\":1024,\"refresh\":60}},\"edid_error\":null},\n"
        "  {\"name\":\"DUMMY1\",\"connector\":\"unknown\",\"primary\":false,"
        "\"current\":{\"width\":0,\"height\":0,\"refresh\":0},\"edid\":null,\"edid_error\":\"bad "
        "checksum\"}\n"
        "]\n");
    EXPECT_EQ(adjust::MonitorsJson({}), "[]\n");
}

TEST(MonitorReport, JsonEscapesWhatNamesAndMakersMayHold) {
    std::vector<Monitor> list{WithEdid("A\"B\\C\n\xC3", EdidBuilder().Name("N\"x").Build())};
    list[0].make = "M\tk\x7F";
    const std::string json = adjust::MonitorsJson(list);
    EXPECT_NE(json.find("\"name\":\"A\\\"B\\\\C\\u000a\\u00c3\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"model\":\"N\\\"x\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"make\":\"M\\u0009k\\u007f\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"serial\":null"), std::string::npos) << json;
}

TEST(MonitorReport, TextHasOneBlockPerMonitor) {
    std::vector<Monitor> list{
        WithEdid("DVI-D-1", EdidBuilder().Digital(true).Pnp("DEL").Product(0x40AF).Build()),
        WithEdid("HDMI-1", {}), WithEdid("DP-1", EdidBuilder().CeaExtension().Build())};
    list[1].model = "Reported Model";
    list[1].current.refresh = 1;  // "default": no rate is told
    const std::string text = adjust::MonitorsText(list);
    EXPECT_NE(text.find("DVI-D-1\n  connector:    DVI\n  current mode: 1024x768 at 60 Hz\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  model:        product code 0x40AF\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  EDID:         version 1.3, 0 extension blocks\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\nHDMI-1\n  connector:    unknown\n  current mode: 1024x768\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("  EDID:         version 1.3, 1 extension block\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  EDID:         none (no EDID)\n  model:        Reported Model\n"),
              std::string::npos)
        << text;
}

TEST(MonitorReport, HintNamesAnotherAnalogMonitor) {
    std::vector<Monitor> list{WithEdid("DUMMY0", EdidBuilder().Digital(true).Build()),
                              WithEdid("DUMMY1", EdidBuilder().Digital(false).Build()),
                              WithEdid("DUMMY2", EdidBuilder().Digital(false).Build())};
    EXPECT_EQ(adjust::AnalogHint(list, &list[0]),
              "DUMMY1 is an analog (VGA) monitor: corvane-adjust --monitor DUMMY1 adjusts it");
    EXPECT_EQ(adjust::AnalogHint(list, &list[1]),
              "DUMMY2 is an analog (VGA) monitor: corvane-adjust --monitor DUMMY2 adjusts it");
    list.pop_back();
    EXPECT_EQ(adjust::AnalogHint(list, &list[1]), "");  // the wizard is on the only analog one
}

TEST(MonitorChoice, ByNameOrThePrimary) {
    std::vector<Monitor> list{WithEdid("DUMMY0", EdidBuilder().Digital(true).Build()),
                              WithEdid("DUMMY1", EdidBuilder().Digital(false).Build()),
                              WithEdid("DUMMY1", {}), WithEdid("DUMMY2", {})};
    list[0].primary = true;
    list[3].active = false;
    std::string chosen;
    std::ostringstream err;

    EXPECT_EQ(adjust::ChooseMonitor(list, "", err, &chosen), std::nullopt);
    EXPECT_EQ(chosen, "DUMMY0");
    EXPECT_EQ(err.str(), "DUMMY1 is an analog (VGA) monitor: corvane-adjust --monitor DUMMY1 adjusts it\n");

    // Two of one name: the first, and a note saying so.
    err.str("");
    EXPECT_EQ(adjust::ChooseMonitor(list, "DUMMY1", err, &chosen), std::nullopt);
    EXPECT_EQ(chosen, "DUMMY1");
    EXPECT_EQ(err.str(), "corvane-adjust: 2 monitors are named DUMMY1; the wizard covers the first\n");

    err.str("");
    EXPECT_EQ(adjust::ChooseMonitor(list, "DUMMY2", err, &chosen), 2);
    EXPECT_EQ(chosen, "");
    EXPECT_EQ(err.str(), "corvane-adjust: DUMMY2 is connected but shows no picture; switch it on first\n");

    err.str("");
    EXPECT_EQ(adjust::ChooseMonitor(list, "HDMI-1", err, &chosen), 2);
    EXPECT_EQ(
        err.str().rfind("corvane-adjust: there is no monitor named \"HDMI-1\"; the monitors are:\nDUMMY0", 0),
        0u)
        << err.str();

    err.str("");
    EXPECT_EQ(adjust::ChooseMonitor({}, "", err, &chosen), std::nullopt);
    EXPECT_EQ(chosen, "");
    EXPECT_EQ(adjust::ChooseMonitor({}, "X", err, &chosen), 2);
}

}  // namespace
