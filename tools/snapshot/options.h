// The snapshot tool's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/screen/driver.h"
#include "tools/command_line.h"

namespace snapshot {

struct Step {
    enum Kind { kClickButton, kClickAt, kPress, kRelease, kAnswer, kMode } kind = kClickAt;
    std::string name;  // button name, or yes / no / ok
    int x = 0;
    int y = 0;
    screen::DisplayMode mode;
};

struct Options {
    screen::DisplayMode mode{1024, 768, 60, 32};
    std::optional<std::vector<screen::DisplayMode>> accept;  // unset: every mode, every depth
    std::vector<int> reject{-2};
    std::optional<int> fail_apply;  // every set fails with this code after its test passed
    std::vector<Step> steps;
    std::string png;
    std::string trace;
};

// "WxH[@HZ][/BPP]"; a missing rate is 60 and a missing depth 32; a depth
// other than 4, 8, 16, 24 or 32 is refused.
std::optional<screen::DisplayMode> ParseMode(const std::string& text);
std::optional<std::vector<Step>> ParseSteps(const std::string& text, std::string* error);
// The program's options, filling *options as they are taken.
cli::Program CommandLine(Options* options);

// The buttons by the names the steps use.
constexpr const char* kButtonNames[6] = {"adjust", "back", "next", "quit", "finish", "change"};

}  // namespace snapshot
