// Waiting for a screen to show an expected picture, for tests that compare
// what a real server shows with what the snapshot tool drew.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "tests/e2e/screen_image.h"

namespace e2e {

// Polls `capture` until it returns `expected` pixel for pixel, for at most
// `timeout_ms`. On failure writes NAME-shown.png and NAME-expected.png into
// `dir` and says how `what` (e.g. "the screen") differed.
inline ::testing::AssertionResult PictureBecomes(const std::function<Image()>& capture, const Image& expected,
                                                 const std::filesystem::path& dir, const std::string& name,
                                                 const std::string& what, int timeout_ms = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    Image shown;
    for (;;) {
        shown = capture();
        if (!shown.empty() && shown == expected) return ::testing::AssertionSuccess();
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    WritePng((dir / (name + "-shown.png")).string(), shown);
    WritePng((dir / (name + "-expected.png")).string(), expected);
    return ::testing::AssertionFailure()
           << name << ": " << what << " (" << shown.width << "x" << shown.height
           << ") differs from the snapshot (" << expected.width << "x" << expected.height << ") in "
           << CountDifferences(shown, expected) << " pixels; pictures in " << dir.string();
}

}  // namespace e2e
