// corvane-adjust.exe, the Windows build, under Wine on a private Xorg with the
// dummy driver: its pages equal the snapshot tool's pictures pixel for pixel,
// its mode change reaches the X server, it covers and changes only the
// monitor it is given, and it lists the monitors as the Linux program does.
// Run by `make test-windows`, which names the program in
// CORVANE_WINDOWS_ADJUST and makes the Wine prefix.
#include <cstdlib>

#include "tests/monitors/xorg_fixture.h"

namespace {

using monitorstest::AnalogVga;
using monitorstest::DigitalDvi;

std::string WindowsProgram() {
    const char* path = std::getenv("CORVANE_WINDOWS_ADJUST");
    return path ? path : "";
}

class WineAdjust : public monitorstest::XorgMonitors {
public:
    std::vector<std::string> Command() const override { return {"/usr/bin/wine", WindowsProgram()}; }

protected:
    void SetUp() override {
        ASSERT_NE(WindowsProgram(), "") << "CORVANE_WINDOWS_ADJUST names no program: run `make test-windows`";
        ASSERT_NE(std::getenv("WINEPREFIX"), nullptr) << "no Wine prefix: run `make test-windows`";
        // Wine's desktop process keeps the display it started with: each
        // test's server gets a new one.
        StopWine();
        XorgMonitors::SetUp();
        // Wine's first program on a new X server starts Wine's desktop first.
        picture_wait_ = std::chrono::seconds(60);
    }
    void TearDown() override {
        XorgMonitors::TearDown();
        StopWine();
    }
    static void StopWine() { EXPECT_EQ(std::system("wineserver -k >/dev/null 2>&1; wineserver -w"), 0); }

    // Clicks the centre of a button or text the snapshot found, on the
    // monitor whose picture starts at x0.
    void ClickAt(const std::optional<e2e::Point>& point, int x0 = 0) {
        ASSERT_TRUE(point);
        Click(x0 + point->x, point->y);
    }
    // The snapshot's steps to the chart's 17-inch row at `mode`.
    std::string ToRow(const std::string& mode, std::optional<e2e::Point>* row) {
        *row = Expect(mode, "click adjust").TextCentre("17\"");
        return *row ? "click adjust; click " + std::to_string((*row)->x) + "," + std::to_string((*row)->y)
                    : "";
    }
};

TEST_F(WineAdjust, PagesEqualTheSnapshotUpToPitch) {
    Show("DUMMY0", "1024x768_60.00");
    const std::string mode = "1024x768@60/32";
    std::optional<e2e::Point> row;
    const std::string to_row = ToRow(mode, &row);
    ASSERT_TRUE(row);
    const e2e::Snapshot welcome = Expect(mode, "");
    const e2e::Snapshot chart = Expect(mode, "click adjust");
    const e2e::Snapshot chosen = Expect(mode, to_row);
    // The confirmation box open, unanswered: the snapshot ends there (status 3).
    const e2e::Snapshot box = e2e::RunSnapshot(dir_.string(), mode, to_row + "; click next");
    ASSERT_EQ(box.status, 3) << box.output;
    const e2e::Snapshot pitch = Expect(mode, to_row + "; click next; answer yes");

    StartWizard({});
    ASSERT_TRUE(RegionBecomes(0, 0, welcome.image, "welcome"));
    ClickAt(welcome.ButtonCentre("adjust"));
    ASSERT_TRUE(RegionBecomes(0, 0, chart.image, "chart"));
    ClickAt(row);
    ASSERT_TRUE(RegionBecomes(0, 0, chosen.image, "chosen"));
    ClickAt(chosen.ButtonCentre("next"));
    ASSERT_TRUE(RegionBecomes(0, 0, box.image, "box"));
    ClickAt(pitch.BoxButtonCentre(0, "yes"));
    EXPECT_TRUE(RegionBecomes(0, 0, pitch.image, "pitch"));
    EXPECT_EQ(server_->Geometry("DUMMY0"), "1024x768+0+0");
}

TEST_F(WineAdjust, RecommendedResolutionChangesTheXModeAndThePageFollows) {
    Show("DUMMY0", "1024x768_60.00");
    const std::string mode = "1024x768@60/32";
    std::optional<e2e::Point> row;
    const std::string to_row = ToRow(mode, &row);
    ASSERT_TRUE(row);
    const e2e::Snapshot chosen = Expect(mode, to_row);
    const e2e::Snapshot changed = Expect(mode, to_row + "; click change");
    ASSERT_EQ(changed.image.width, 1280);

    const e2e::Snapshot welcome = Expect(mode, "");

    StartWizard({});
    ASSERT_TRUE(RegionBecomes(0, 0, welcome.image, "welcome"));
    ClickAt(welcome.ButtonCentre("adjust"));
    ClickAt(row);
    ASSERT_TRUE(RegionBecomes(0, 0, chosen.image, "chosen"));
    ClickAt(chosen.ButtonCentre("change"));
    EXPECT_TRUE(GeometryBecomes("DUMMY0", "1280x1024+0+0"));
    EXPECT_TRUE(RegionBecomes(0, 0, changed.image, "changed"));
}

TEST_F(WineAdjust, SecondMonitorIsCoveredAndChangedAlone) {
    Show("DUMMY0", "1024x768_60.00");
    Show("DUMMY1", "800x600_60.00");
    ASSERT_TRUE(GeometryBecomes("DUMMY1", "800x600+1024+0"));
    const e2e::Image before = e2e::CaptureRoot(server_->DisplayName());
    ASSERT_FALSE(before.empty());
    const std::string mode = "800x600@60/32";
    std::optional<e2e::Point> row;
    const std::string to_row = ToRow(mode, &row);
    ASSERT_TRUE(row);
    const e2e::Snapshot welcome = Expect(mode, "");
    const e2e::Snapshot chosen = Expect(mode, to_row);
    const e2e::Snapshot changed = Expect(mode, to_row + "; click change");

    StartWizard({"--monitor", "\\\\.\\DISPLAY2"});
    ASSERT_TRUE(RegionBecomes(1024, 0, welcome.image, "welcome", &before));
    ClickAt(welcome.ButtonCentre("adjust"), 1024);
    ClickAt(row, 1024);
    ASSERT_TRUE(RegionBecomes(1024, 0, chosen.image, "chosen", &before));
    ClickAt(chosen.ButtonCentre("change"), 1024);
    EXPECT_TRUE(GeometryBecomes("DUMMY1", "1280x1024+1024+0"));
    EXPECT_EQ(server_->Geometry("DUMMY0"), "1024x768+0+0");
    EXPECT_TRUE(RegionBecomes(1024, 0, changed.image, "changed", &before));
}

// The same keys and values as the Linux program prints for the same
// server; only the names differ, Windows naming displays by device.
TEST_F(WineAdjust, ListMonitorsReadsTheEdidsAsLinuxDoes) {
    Show("DUMMY0", "1024x768_60.00");
    Show("DUMMY1", "800x600_60.00");
    SetEdid("DUMMY0", AnalogVga());
    SetEdid("DUMMY1", DigitalDvi());

    // The Linux program first: its query makes the server probe its
    // outputs, which Wine, reading RandR's current state, does not do.
    const harness::RunResult linux_list = RunProgram({CORVANE_ADJUST_PATH, "--list-monitors", "--json"});
    ASSERT_EQ(linux_list.status, 0) << linux_list.err;
    const harness::RunResult windows = RunAdjust({"--list-monitors", "--json"});
    ASSERT_EQ(windows.status, 0) << windows.err;
    std::string expected = linux_list.out;
    for (const auto& [from, to] :
         {std::pair{"DUMMY0", R"(\\\\.\\DISPLAY1)"}, {"DUMMY1", R"(\\\\.\\DISPLAY2)"}}) {
        const std::string quoted = std::string("\"") + from + "\"";
        const auto at = expected.find(quoted);
        ASSERT_NE(at, std::string::npos) << expected;
        expected.replace(at, quoted.size(), std::string("\"") + to + "\"");
    }
    EXPECT_EQ(windows.out, expected);
    EXPECT_NE(windows.out.find(R"("make":"Dell Inc.")"), std::string::npos) << windows.out;
}

}  // namespace
