// The snapshot tool as the reference: the same steps on the simulated screen,
// its picture and where its trace says things are.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/screen_image.h"

namespace e2e {

struct Point {
    int x = 0;
    int y = 0;
};

struct Snapshot {
    int status = -1;
    std::string output;
    Image image;
    std::vector<std::string> trace;  // JSON Lines

    // The centre of a button as the run left it, when it is visible.
    std::optional<Point> ButtonCentre(const std::string& name) const;
    // The centre of button `answer` ("yes", "no", "ok") of the n-th message box.
    std::optional<Point> BoxButtonCentre(std::size_t box, const std::string& answer) const;
    // The centre of the last text drawn as exactly `text`.
    std::optional<Point> TextCentre(const std::string& text) const;
};

// Runs the snapshot tool under the program's name (message boxes carry it in
// their caption), in `dir`.
// `options` go to the tool as they are, e.g. {"--accept", "1024x768@60/32"}.
Snapshot RunSnapshot(const std::string& dir, const std::string& mode, const std::string& steps,
                     const std::vector<std::string>& options = {});

}  // namespace e2e
