#include <gtest/gtest.h>

#include "tools/snapshot/options.h"

namespace {

using snapshot::ParseMode;

TEST(SnapshotOptions, ModesTakeOnlyRealDisplayDepths) {
    for (int bpp : {4, 8, 16, 24, 32}) {
        const auto mode = ParseMode("1024x768@75/" + std::to_string(bpp));
        ASSERT_TRUE(mode) << bpp;
        EXPECT_EQ(*mode, (screen::DisplayMode{1024, 768, 75, bpp}));
    }
    EXPECT_EQ(ParseMode("800x600"), (screen::DisplayMode{800, 600, 60, 32}));
    for (const char* bad : {"1024x768/7", "1024x768/0", "1024x768/-32", "1024x768/1", "1024x768/64",
                            "1024x768/", "1024x768/32x", "1024x768/99999999999"}) {
        EXPECT_FALSE(ParseMode(bad)) << bad;
    }
}

TEST(SnapshotOptions, ABadDepthAnywhereIsABadArgument) {
    const auto parse = [](std::vector<std::string> args) {
        std::vector<char*> argv{const_cast<char*>("corvane-snapshot")};
        for (auto& a : args) argv.push_back(a.data());
        snapshot::Options options;
        std::string error;
        const cli::Parsed parsed =
            cli::Parse(snapshot::CommandLine(&options), static_cast<int>(argv.size()), argv.data(), &error);
        return parsed == cli::Parsed::kRun ? std::string() : error;
    };
    EXPECT_EQ(parse({"--mode", "1024x768@60/16"}), "");
    EXPECT_EQ(parse({"--mode", "1024x768/7"}), "bad mode \"1024x768/7\" (WxH[@HZ][/BPP])");
    EXPECT_EQ(parse({"--accept", "1280x1024@60/16,1024x768@60/12"}),
              "bad mode \"1024x768@60/12\" in --accept");
    EXPECT_EQ(parse({"--do", "click adjust; mode 800x600@60/3"}), "bad step \"mode 800x600@60/3\"");
    EXPECT_EQ(parse({"--reject", ""}), "--reject needs at least one code");
    EXPECT_EQ(parse({"--reject", "-2,x"}), "bad code \"x\" in --reject");
    EXPECT_EQ(parse({"--fail-apply", "y"}), "bad code \"y\" for --fail-apply");
}

}  // namespace
