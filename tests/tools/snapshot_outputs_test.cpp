// Output files appear whole or not at all, and a file that cannot be written
// makes the tool fail with status 2.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tools/snapshot/output_file.h"

namespace {

namespace fs = std::filesystem;

class SnapshotOutputs : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("snapshot-outputs-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Runs the tool with a shell-quoted argument string; its exit status.
    int Tool(const std::string& args) const {
        const std::string command = std::string(CORVANE_SNAPSHOT_PATH) + " " + args + " 2>/dev/null";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    fs::path dir_;
};

TEST_F(SnapshotOutputs, CommittedFileAppearsWholeUnderItsName) {
    snapshot::OutputFile out;
    std::string error;
    ASSERT_TRUE(out.Open((dir_ / "t.jsonl").string(), &error)) << error;
    std::fputs("line\n", out.file());
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_NE(Entries()[0], "t.jsonl") << "written under a temporary name first";
    ASSERT_TRUE(out.Commit(&error)) << error;
    EXPECT_EQ(Entries(), (std::vector<std::string>{"t.jsonl"}));
    std::ifstream in(dir_ / "t.jsonl");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "line");
}

TEST_F(SnapshotOutputs, DiscardedFileOrDirectoryTargetLeavesNothingBehind) {
    {
        std::ofstream(dir_ / "keep.png") << "old";
        snapshot::OutputFile out;
        ASSERT_TRUE(out.Open((dir_ / "keep.png").string(), nullptr));
        std::fputs("partial", out.file());
    }  // dropped without Commit
    EXPECT_EQ(Entries(), (std::vector<std::string>{"keep.png"}));
    EXPECT_EQ(fs::file_size(dir_ / "keep.png"), 3u) << "the old file is untouched";

    fs::create_directory(dir_ / "taken");
    snapshot::OutputFile out;
    std::string error;
    EXPECT_FALSE(out.Open((dir_ / "taken").string(), &error)) << "a directory is no output file";
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(Entries(), (std::vector<std::string>{"keep.png", "taken"}));
}

TEST_F(SnapshotOutputs, ALinkOrDeviceIsWrittenThroughAndNeverReplaced) {
    std::ofstream(dir_ / "target.jsonl") << "old";
    fs::create_symlink(dir_ / "target.jsonl", dir_ / "link.jsonl");
    snapshot::OutputFile out;
    std::string error;
    ASSERT_TRUE(out.Open((dir_ / "link.jsonl").string(), &error)) << error;
    std::fputs("new\n", out.file());
    ASSERT_TRUE(out.Commit(&error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.jsonl"));
    EXPECT_EQ(fs::file_size(dir_ / "target.jsonl"), 4u);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"link.jsonl", "target.jsonl"}));

    ASSERT_TRUE(out.Open("/dev/null", &error)) << error;
    ASSERT_TRUE(out.Commit(&error)) << error;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(SnapshotOutputs, MissingDirectoryIsRefusedAtOpen) {
    snapshot::OutputFile out;
    std::string error;
    EXPECT_FALSE(out.Open((dir_ / "missing" / "x.png").string(), &error));
    EXPECT_EQ(out.file(), nullptr);
    EXPECT_NE(error.find("missing/x.png"), std::string::npos) << error;
}

TEST_F(SnapshotOutputs, ToolFailsWithStatus2WhenAnOutputCannotBeWritten) {
    const std::string d = dir_.string();
    EXPECT_EQ(Tool("--png " + d + "/missing/x.png"), 2);
    EXPECT_EQ(Tool("--trace " + d + "/missing/x.jsonl --png " + d + "/x.png"), 2);
    fs::create_directory(dir_ / "taken.png");
    EXPECT_EQ(Tool("--trace " + d + "/t.jsonl --png " + d + "/taken.png"), 2);
    EXPECT_EQ(Tool("--mode 0x0 --png " + d + "/empty.png"), 2) << "nothing to draw is no picture";
    EXPECT_EQ(Entries(), (std::vector<std::string>{"taken.png"})) << "no partial files";

    EXPECT_EQ(Tool("--mode 1024x768/7"), 2);
    EXPECT_EQ(Tool("--png " + d + "/ok.png --trace " + d + "/ok.jsonl"), 0);
    EXPECT_GT(fs::file_size(dir_ / "ok.png"), 0u);
    EXPECT_GT(fs::file_size(dir_ / "ok.jsonl"), 0u);
}

}  // namespace
