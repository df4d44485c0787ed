#include "platform/screen/gnome/mutter_monitors.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/platform/screen/edid_builder.h"

namespace {

screen::gnome::MutterMonitor Monitor(const std::string& connector, bool with_current_mode) {
    screen::gnome::MutterMonitor m;
    m.connector = connector;
    m.vendor = "Vendor " + connector;
    m.product = "Product";
    m.serial = "S1";
    // mutter's rate for 75 Hz, a double just short of it.
    m.modes.push_back({"1280x1024@74.999992", 1280, 1024, 74.99999237060547, {1.0}, with_current_mode, true});
    return m;
}

TEST(MutterMonitors, PrimaryPlaceModeAndEdidOrWhatGnomeReports) {
    const auto dir = std::filesystem::temp_directory_path() / ("mutter-drm-" + std::to_string(getpid()));
    const auto write_edid = [&](const std::string& entry, const std::vector<std::uint8_t>& edid) {
        std::filesystem::create_directories(dir / entry);
        std::ofstream(dir / entry / "edid", std::ios::binary)
            .write(reinterpret_cast<const char*>(edid.data()), static_cast<std::streamsize>(edid.size()));
    };
    write_edid("card0-DP-1", edidtest::EdidBuilder().Pnp("ACR").Name("AL1716").Digital(false).Build());
    write_edid("card0-HDMI-1", edidtest::EdidBuilder().BreakChecksum().Build());
    screen::gnome::MutterState state;
    state.monitors = {Monitor("eDP-1", true), Monitor("DP-1", true), Monitor("HDMI-1", false)};
    state.logical_monitors = {{0, 0, 1.0, 0, true, {"eDP-1"}}, {1280, 0, 1.0, 0, false, {"DP-1"}}};

    const auto monitors = screen::gnome::MonitorsOf(state, dir.string());
    std::filesystem::remove_all(dir);
    ASSERT_EQ(monitors.size(), 3u);

    EXPECT_EQ(monitors[0].name, "eDP-1");
    EXPECT_EQ(monitors[0].connector, screen::ConnectorType::kInternal);
    EXPECT_TRUE(monitors[0].primary);
    EXPECT_TRUE(monitors[0].active);
    EXPECT_EQ(monitors[0].current, (screen::DisplayMode{1280, 1024, 75, 32}));
    EXPECT_FALSE(monitors[0].edid);
    EXPECT_EQ(monitors[0].edid_error, "no EDID");
    EXPECT_EQ(monitors[0].make, "Vendor eDP-1");
    EXPECT_EQ(monitors[0].serial, "S1");

    EXPECT_FALSE(monitors[1].primary);
    EXPECT_EQ(monitors[1].x, 1280);
    ASSERT_TRUE(monitors[1].edid) << monitors[1].edid_error;
    EXPECT_EQ(monitors[1].model, "AL1716");  // the EDID's, not GNOME's product
    EXPECT_TRUE(screen::IsAnalog(monitors[1]));

    // In no logical monitor: connected but off.
    EXPECT_FALSE(monitors[2].active);
    EXPECT_EQ(monitors[2].edid_error, "bad checksum");  // read, but not an EDID
    EXPECT_EQ(monitors[2].make, "Vendor HDMI-1");
    EXPECT_EQ(monitors[2].current, screen::DisplayMode{});
}

}  // namespace
