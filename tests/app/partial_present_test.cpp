// Frames presented a part at a time are the frames composed whole: the same
// script, run once on a screen buffer that is kept and once on a new buffer
// for every frame, presents the same pictures, frame by frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/snapshot/session.h"

namespace {

struct Frames {
    std::vector<gdi::SurfacePtr> pictures;
    std::vector<gdi::Rect> damages;
};

Frames Run(const std::string& mode, const std::string& steps, bool whole, snapshot::Options options = {}) {
    std::string error;
    const auto parsed_mode = snapshot::ParseMode(mode);
    const auto parsed_steps = snapshot::ParseSteps(steps, &error);
    if (!parsed_mode || !parsed_steps) throw std::runtime_error("bad test script: " + steps + " / " + error);
    options.mode = *parsed_mode;
    options.steps = *parsed_steps;
    snapshot::Session session(options);
    session.host().SetKeepFrames(true);
    session.host().SetFreshBuffers(whole);
    session.Run("corvane-adjust");
    return {session.host().frames(), session.host().damages()};
}

// The centre of chart row n (1 to 5) at width x height, as a click step.
std::string Row(int n, int width, int height) {
    return std::to_string(width * 3 / 10) + "," + std::to_string(height * (41 + 6 * (n - 1)) / 100);
}

// Compares every frame; returns how many were presented in part.
int ExpectSameFrames(const std::string& mode, const std::string& steps, snapshot::Options options = {}) {
    const Frames partial = Run(mode, steps, false, options);
    const Frames whole = Run(mode, steps, true, options);
    EXPECT_EQ(partial.pictures.size(), whole.pictures.size()) << steps;
    int in_part = 0;
    for (std::size_t i = 0; i < std::min(partial.pictures.size(), whole.pictures.size()); ++i) {
        const gdi::Surface& a = *partial.pictures[i];
        const gdi::Surface& b = *whole.pictures[i];
        EXPECT_EQ(a.width(), b.width()) << steps << ", frame " << i;
        EXPECT_EQ(a.height(), b.height()) << steps << ", frame " << i;
        if (a.width() != b.width() || a.height() != b.height()) continue;
        std::size_t differing = 0;
        for (std::size_t k = 0; k < a.pixels().size(); ++k) differing += a.pixels()[k] != b.pixels()[k];
        EXPECT_EQ(differing, 0u) << steps << " at " << mode << ": frame " << i << " differs in " << differing
                                 << " pixels";
        if (!gdi::BoundsOf(a).Intersected(partial.damages[i]).IsEmpty() &&
            partial.damages[i] != gdi::BoundsOf(a)) {
            ++in_part;
        }
    }
    return in_part;
}

TEST(PartialPresent, ChartPressesInTurnAtEverySize) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{640, 480}, {1024, 768}, {1920, 1080}}) {
        const std::string steps = "click adjust; click " + Row(1, w, h) + "; click " + Row(3, w, h) +
                                  "; click " + Row(2, w, h) + "; click " + Row(5, w, h) + "; click " +
                                  Row(1, w, h) + "; click " + Row(4, w, h);
        EXPECT_GE(ExpectSameFrames(std::to_string(w) + "x" + std::to_string(h), steps), 5)
            << "each new row is presented in part";
    }
}

TEST(PartialPresent, PressReleasedElsewhereAndBoxesOpenedAndClosed) {
    const std::string mode = "1024x768";
    auto r = [](int n) { return Row(n, 1024, 768); };
    ExpectSameFrames(mode,
                     "click adjust; click " + r(3) + "; press " + r(1) + "; release 10,10; click " + r(2));
    // Next with a mode that does not match asks first; No stays, Yes goes on.
    ExpectSameFrames(mode, "click adjust; click " + r(4) + "; click next; answer no; click " + r(2) +
                               "; click next; answer yes; click back; click " + r(5));
    // A refused change shows its message over the chart, then the chart takes presses again.
    snapshot::Options refusing;
    refusing.accept = std::vector<screen::DisplayMode>{{640, 480, 60, 32}};
    ExpectSameFrames(mode, "click adjust; click " + r(3) + "; click change; answer ok; click " + r(1),
                     refusing);
}

TEST(PartialPresent, ModeChangesBetweenPresses) {
    ExpectSameFrames("1024x768", "click adjust; click " + Row(2, 1024, 768) + "; mode 1280x1024; click " +
                                     Row(4, 1280, 1024) + "; mode 1024x768; click " + Row(1, 1024, 768));
}

}  // namespace
