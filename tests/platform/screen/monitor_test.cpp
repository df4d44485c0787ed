#include "platform/screen/monitor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/platform/screen/edid_builder.h"

namespace {

using edidtest::EdidBuilder;
using screen::ConnectorType;
using screen::Monitor;

TEST(Monitor, ConnectorTypeFromItsName) {
    const struct {
        const char* name;
        ConnectorType type;
    } cases[] = {
        {"VGA-1", ConnectorType::kVga},
        {"VGA1", ConnectorType::kVga},
        {"DVI-I-1", ConnectorType::kDvi},
        {"DVI-D-0", ConnectorType::kDvi},
        {"HDMI-1", ConnectorType::kHdmi},
        {"HDMI-A-0", ConnectorType::kHdmi},
        {"DP-2", ConnectorType::kDisplayPort},
        {"DP1", ConnectorType::kDisplayPort},
        {"DisplayPort-0", ConnectorType::kDisplayPort},
        {"eDP-1", ConnectorType::kInternal},
        {"LVDS1", ConnectorType::kInternal},
        {"Panel", ConnectorType::kInternal},
        {"card0-HDMI-A-1", ConnectorType::kHdmi},
        {"card1-eDP-1", ConnectorType::kInternal},
        {"DUMMY0", ConnectorType::kUnknown},
        {"HEADLESS-1", ConnectorType::kUnknown},
        {"DPI-1", ConnectorType::kUnknown},
        {"Virtual-1", ConnectorType::kUnknown},
        {"", ConnectorType::kUnknown},
        {"card0", ConnectorType::kUnknown},
    };
    for (const auto& c : cases) EXPECT_EQ(screen::ConnectorFromName(c.name), c.type) << c.name;
    EXPECT_EQ(screen::ConnectorLabel(ConnectorType::kInternal), "eDP/LVDS");
    EXPECT_EQ(screen::ConnectorLabel(ConnectorType::kDisplayPort), "DisplayPort");
    EXPECT_EQ(screen::ConnectorLabel(static_cast<ConnectorType>(99)), "unknown");
}

class AttachEdid : public ::testing::Test {
protected:
    void SetUp() override {
        ids_ = std::filesystem::temp_directory_path() / ("monitor-pnp-" + std::to_string(getpid()) + ".ids");
        std::ofstream(ids_) << "ACR\tAcer Technologies\nSAM\tSamsung Electric Company\n";
    }
    void TearDown() override { std::filesystem::remove(ids_); }

    Monitor Attach(const std::vector<std::uint8_t>& bytes, const std::string& name = "DUMMY0") {
        Monitor m;
        m.name = name;
        m.connector = screen::ConnectorFromName(name);
        screen::AttachEdid(m, bytes, ids_.string());
        return m;
    }

    std::filesystem::path ids_;
};

TEST_F(AttachEdid, ConnectorFollowsTheInputWhenTheNameDoesNotTell) {
    const Monitor vga =
        Attach(EdidBuilder().Pnp("ACR").Digital(false).Name("AL1716").SerialText("S1").Build());
    ASSERT_TRUE(vga.edid) << vga.edid_error;
    EXPECT_EQ(vga.connector, ConnectorType::kVga);
    EXPECT_EQ(vga.make, "Acer Technologies");
    EXPECT_EQ(vga.model, "AL1716");
    EXPECT_EQ(vga.serial, "S1");
    EXPECT_TRUE(screen::IsAnalog(vga));

    // A digital input: the interface an EDID 1.4 names, else DVI or, with a CEA block, HDMI.
    const struct {
        int interface;  // -1: EDID 1.3, which names none
        bool cea;
        ConnectorType type;
    } inputs[] = {
        {-1, false, ConnectorType::kDvi},       {-1, true, ConnectorType::kHdmi},
        {1, true, ConnectorType::kDvi},         {2, false, ConnectorType::kHdmi},
        {3, false, ConnectorType::kHdmi},       {5, false, ConnectorType::kDisplayPort},
        {5, true, ConnectorType::kDisplayPort}, {4, false, ConnectorType::kDvi},
        {4, true, ConnectorType::kHdmi},        {0, false, ConnectorType::kDvi},
        {0, true, ConnectorType::kHdmi},
    };
    for (const auto& in : inputs) {
        EdidBuilder b;
        if (in.interface < 0)
            b.Digital(true);
        else
            b.Interface(in.interface);
        if (in.cea) b.CeaExtension();
        EXPECT_EQ(Attach(b.Build()).connector, in.type) << in.interface << (in.cea ? " with CEA" : "");
    }
    // A name that tells wins over the EDID.
    const Monitor named = Attach(EdidBuilder().Digital(false).Build(), "DP-1");
    EXPECT_EQ(named.connector, ConnectorType::kDisplayPort);
    EXPECT_TRUE(screen::IsAnalog(named));
}

TEST_F(AttachEdid, BadOrMissingEdidIsReportedAndNotRead) {
    Monitor m = Attach(EdidBuilder().Pnp("ACR").Name("X").BreakChecksum().Build());
    EXPECT_FALSE(m.edid);
    EXPECT_EQ(m.edid_error, "bad checksum");
    EXPECT_EQ(m.make, "");
    EXPECT_EQ(m.model, "");
    EXPECT_EQ(m.connector, ConnectorType::kUnknown);
    EXPECT_FALSE(screen::IsAnalog(m));

    m = Attach({});
    EXPECT_FALSE(m.edid);
    EXPECT_EQ(m.edid_error, "no EDID");

    // Without EDID a VGA connector still means an analog input.
    m = Attach({}, "VGA-1");
    EXPECT_TRUE(screen::IsAnalog(m));
}

TEST_F(AttachEdid, UnknownMakerOrMissingPnpIdsLeavesTheMakeEmpty) {
    EXPECT_EQ(Attach(EdidBuilder().Pnp("ZZZ").Build()).make, "");
    std::filesystem::remove(ids_);
    const Monitor m = Attach(EdidBuilder().Pnp("ACR").Build());
    ASSERT_TRUE(m.edid);
    EXPECT_EQ(m.edid->pnp, "ACR");
    EXPECT_EQ(m.make, "");
}

TEST(Monitor, FindingByNameAndTheDefault) {
    std::vector<Monitor> list(4);
    list[0].name = "DUMMY0";
    list[0].active = true;
    list[1].name = "DUMMY1";
    list[1].active = true;
    list[1].primary = true;
    list[2].name = "DUMMY1";
    list[3].name = "DUMMY3";

    int duplicates = -1;
    EXPECT_EQ(screen::FindMonitor(list, "DUMMY1", &duplicates), &list[1]);
    EXPECT_EQ(duplicates, 1);
    EXPECT_EQ(screen::FindMonitor(list, "DUMMY0", &duplicates), &list[0]);
    EXPECT_EQ(duplicates, 0);
    EXPECT_EQ(screen::FindMonitor(list, "dummy0"), nullptr);
    EXPECT_EQ(screen::FindMonitor(list, ""), nullptr);

    EXPECT_EQ(screen::DefaultMonitor(list), &list[1]);
    list[1].active = false;  // a primary without a picture is passed over
    EXPECT_EQ(screen::DefaultMonitor(list), &list[0]);
    list[0].active = false;
    EXPECT_EQ(screen::DefaultMonitor(list), nullptr);
    EXPECT_EQ(screen::DefaultMonitor({}), nullptr);
}

}  // namespace
