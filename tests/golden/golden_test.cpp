// The pages as committed pictures, compared pixel for pixel. On a difference
// the actual picture and a diff (differences in red) are written beside the
// build and their paths printed. Redraw with `make golden` only when a change
// to the pictures is meant.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/golden/golden_states.h"

namespace {

namespace fs = std::filesystem;

class Pages : public ::testing::TestWithParam<golden::State> {};

TEST_P(Pages, MatchTheirPicturePixelForPixel) {
    const golden::State& state = GetParam();
    golden::Picture expected;
    std::string error;
    ASSERT_TRUE(
        golden::ReadPng((fs::path(CORVANE_GOLDEN_DIR) / state.FileName()).string(), &expected, &error))
        << error << "\n(run `make golden` to draw the pictures)";
    const golden::Picture actual = golden::Render(state);
    const long differences = golden::CountDifferences(expected, actual);
    if (differences == 0) return;

    const fs::path out = fs::path(CORVANE_GOLDEN_OUT) / state.FileName();
    fs::create_directories(out.parent_path());
    const fs::path actual_file = fs::path(out).replace_extension(".actual.png");
    const fs::path diff_file = fs::path(out).replace_extension(".diff.png");
    golden::WritePng(actual_file.string(), actual, nullptr);
    golden::WritePng(diff_file.string(), golden::DiffPicture(expected, actual), nullptr);
    ADD_FAILURE() << state.FileName() << ": " << differences << " pixels differ (" << actual.width << "x"
                  << actual.height << " drawn, " << expected.width << "x" << expected.height << " expected)\n"
                  << "  actual: " << actual_file.string() << "\n  diff:   " << diff_file.string();
}

std::string TestName(const ::testing::TestParamInfo<golden::State>& info) {
    std::string name =
        std::to_string(info.param.width) + "x" + std::to_string(info.param.height) + "_" + info.param.name;
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(golden, Pages, ::testing::ValuesIn(golden::States()), TestName);

}  // namespace
