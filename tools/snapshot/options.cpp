#include "tools/snapshot/options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>

namespace snapshot {
namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Parses a whole int (with sign), refusing trailing text and overflow.
bool ParseInt(const std::string& text, int* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end && !text.empty();
}

bool ParsePoint(const std::string& text, int* x, int* y) {
    const auto comma = text.find(',');
    return comma != std::string::npos && ParseInt(Trim(text.substr(0, comma)), x) &&
           ParseInt(Trim(text.substr(comma + 1)), y);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

// The depths a display mode can have.
bool IsDisplayDepth(int bpp) {
    return bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

}  // namespace

std::optional<screen::DisplayMode> ParseMode(const std::string& text) {
    screen::DisplayMode mode{0, 0, 60, 32};
    std::string rest = Trim(text);
    if (const auto slash = rest.find('/'); slash != std::string::npos) {
        if (!ParseInt(rest.substr(slash + 1), &mode.bpp) || !IsDisplayDepth(mode.bpp)) return std::nullopt;
        rest.resize(slash);
    }
    if (const auto at = rest.find('@'); at != std::string::npos) {
        if (!ParseInt(rest.substr(at + 1), &mode.refresh) || mode.refresh < 0) return std::nullopt;
        rest.resize(at);
    }
    const auto x = rest.find('x');
    if (x == std::string::npos || !ParseInt(rest.substr(0, x), &mode.width) ||
        !ParseInt(rest.substr(x + 1), &mode.height) || mode.width < 0 || mode.height < 0) {
        return std::nullopt;
    }
    return mode;
}

std::optional<std::vector<Step>> ParseSteps(const std::string& text, std::string* error) {
    std::vector<Step> steps;
    for (const std::string& raw : Split(text, ';')) {
        const std::string item = Trim(raw);
        if (item.empty()) continue;
        const auto space = item.find(' ');
        const std::string verb = item.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : Trim(item.substr(space + 1));
        Step step;
        bool ok = false;
        if (verb == "click" || verb == "press" || verb == "release") {
            step.kind = verb == "click" ? Step::kClickAt : verb == "press" ? Step::kPress : Step::kRelease;
            ok = ParsePoint(arg, &step.x, &step.y);
            if (!ok && verb == "click") {
                const auto* names = std::begin(kButtonNames);
                ok = std::find_if(names, std::end(kButtonNames), [&](const char* n) { return arg == n; }) !=
                     std::end(kButtonNames);
                step.kind = Step::kClickButton;
                step.name = arg;
            }
        } else if (verb == "answer") {
            step.kind = Step::kAnswer;
            step.name = arg;
            ok = arg == "yes" || arg == "no" || arg == "ok";
        } else if (verb == "mode") {
            step.kind = Step::kMode;
            const auto mode = ParseMode(arg);
            ok = mode.has_value();
            if (ok) step.mode = *mode;
        }
        if (!ok) {
            if (error) *error = "bad step \"" + item + "\"";
            return std::nullopt;
        }
        steps.push_back(step);
    }
    return steps;
}

namespace {

// A code (a whole int) for `option`.
bool ParseCode(const std::string& text, const std::string& option, int* code, std::string* error) {
    if (ParseInt(Trim(text), code)) return true;
    *error = "bad code \"" + text + "\" " + option;
    return false;
}

}  // namespace

cli::Program CommandLine(Options* options) {
    const auto mode = [options](const std::string& value, std::string* error) {
        const auto parsed = ParseMode(value);
        if (!parsed) *error = "bad mode \"" + value + "\" (WxH[@HZ][/BPP])";
        if (parsed) options->mode = *parsed;
        return parsed.has_value();
    };
    const auto accept = [options](const std::string& value, std::string* error) {
        std::vector<screen::DisplayMode> modes;
        for (const std::string& item : Split(value, ',')) {
            const auto parsed = ParseMode(item);
            if (!parsed) {
                *error = "bad mode \"" + item + "\" in --accept";
                return false;
            }
            modes.push_back(*parsed);
        }
        options->accept = modes;
        return true;
    };
    const auto reject = [options](const std::string& value, std::string* error) {
        options->reject.clear();
        for (const std::string& item : Split(value, ',')) {
            if (!ParseCode(item, "in --reject", &options->reject.emplace_back(), error)) return false;
        }
        if (options->reject.empty()) *error = "--reject needs at least one code";
        return !options->reject.empty();
    };
    const auto fail_apply = [options](const std::string& value, std::string* error) {
        int code = 0;
        if (!ParseCode(value, "for --fail-apply", &code, error)) return false;
        options->fail_apply = code;
        return true;
    };
    const auto steps = [options](const std::string& value, std::string* error) {
        auto parsed = ParseSteps(value, error);
        if (parsed) options->steps = *parsed;
        return parsed.has_value();
    };
    const auto path = [](std::string* field) {
        return [field](const std::string& value, std::string*) {
            *field = value;
            return true;
        };
    };
    return {
        "corvane-snapshot",
        "Runs the wizard on a simulated screen without a display, performs the scripted steps,\n"
        "and writes what the screen shows as a PNG and what was drawn as JSON Lines.\n",
        {
            {"--mode", "WxH[@HZ][/BPP]",
             "the screen's mode at start (default 1024x768@60/32);\nBPP is 4, 8, 16, 24 or 32", mode},
            {"--accept", "LIST",
             "comma-separated modes the simulated screen accepts\n(default: every mode, every depth)",
             accept},
            {"--reject", "CODES",
             "comma-separated codes returned for rejected mode tests, in order,\nthe last repeating (default "
             "-2)",
             reject},
            {"--fail-apply", "CODE",
             "every real mode change fails with this code after its test passed\n(as a compositor that "
             "refuses it); "
             "the mode stays as it was",
             fail_apply},
            {"--do", "STEPS",
             "steps separated by ';': click NAME, click X,Y, press X,Y,\nrelease X,Y, answer yes|no|ok, mode "
             "WxH[@HZ][/BPP]",
             steps},
            {"--png", "FILE", "write the screen at the end as a 24-bit PNG", path(&options->png)},
            {"--trace", "FILE", "write the drawing calls as JSON Lines", path(&options->trace)},
            {"--help", "", "print this help and exit", {}},
            {"--version", "", "print the version and exit", {}},
        },
        "\nexit status:\n"
        "  0  done\n"
        "  2  bad arguments, or an output file that cannot be written\n"
        "  3  a message box had no answer\n"
        "  4  the program ended before the last step\n",
    };
}

}  // namespace snapshot
