#include "platform/screen/drm_edid.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class DrmEdid : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("drm-" + std::to_string(getpid()));
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    void Connector(const std::string& entry, const std::string& edid) {
        fs::create_directories(root_ / entry);
        std::ofstream(root_ / entry / "edid", std::ios::binary) << edid;
    }
    std::string Read(const std::string& connector, std::string* error) {
        const auto bytes = screen::ReadDrmEdid(connector, error, root_.string());
        return std::string(bytes.begin(), bytes.end());
    }

    fs::path root_;
};

TEST_F(DrmEdid, MatchesTheConnectorNameUnderAnyCard) {
    Connector("card0-HDMI-A-1", std::string("\x00\xff\x01", 3));
    Connector("card0-DP-1", "");  // nothing plugged in: an empty file
    Connector("cardX-VGA-1", "v");
    Connector("card0", "c");
    Connector("renderD128", "r");
    std::string error;
    EXPECT_EQ(Read("HDMI-A-1", &error), std::string("\x00\xff\x01", 3));
    EXPECT_EQ(error, "");
    EXPECT_EQ(Read("DP-1", &error), "");
    EXPECT_EQ(error, "no EDID");
    for (const char* name : {"VGA-1", "HDMI-A", "", "card0"}) {
        error.clear();
        EXPECT_EQ(Read(name, &error), "") << name;
        EXPECT_EQ(error, "no EDID") << name;
    }
}

TEST_F(DrmEdid, TwoCardsWithTheSameConnectorNameGiveNoEdid) {
    Connector("card0-HDMI-A-1", "first");
    Connector("card1-HDMI-A-1", "second");
    std::string error;
    EXPECT_EQ(Read("HDMI-A-1", &error), "");
    EXPECT_EQ(error, "connectors of 2 cards are named HDMI-A-1");
}

TEST_F(DrmEdid, LongFilesStopAt64KiBAndAMissingDirectoryIsNoEdid) {
    Connector("card0-DP-2", std::string(70000, 'e'));
    std::string error;
    EXPECT_EQ(Read("DP-2", &error).size(), 65536u);
    error.clear();
    EXPECT_TRUE(screen::ReadDrmEdid("DP-2", &error, (root_ / "missing").string()).empty());
    EXPECT_EQ(error, "no EDID");
}

}  // namespace
