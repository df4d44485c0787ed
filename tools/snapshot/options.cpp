#include "tools/snapshot/options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>

#include "pages/build_version.h"

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

// The options that take a value; --help and --version take none.
const std::string kValueFlags[] = {"--mode", "--accept", "--reject", "--fail-apply",
                                   "--do",   "--png",    "--trace"};

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

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--help" || flag == "--version") {
            (flag == "--help" ? options->help : options->version) = true;
            return true;
        }
        if (std::find(std::begin(kValueFlags), std::end(kValueFlags), flag) == std::end(kValueFlags)) {
            *error = "unknown option " + flag;
            return false;
        }
        if (i + 1 >= argc) {
            *error = "option " + flag + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (flag == "--mode") {
            const auto mode = ParseMode(value);
            if (!mode) {
                *error = "bad mode \"" + value + "\" (WxH[@HZ][/BPP])";
                return false;
            }
            options->mode = *mode;
        } else if (flag == "--accept") {
            std::vector<screen::DisplayMode> modes;
            for (const std::string& item : Split(value, ',')) {
                const auto mode = ParseMode(item);
                if (!mode) {
                    *error = "bad mode \"" + item + "\" in --accept";
                    return false;
                }
                modes.push_back(*mode);
            }
            options->accept = modes;
        } else if (flag == "--reject") {
            options->reject.clear();
            for (const std::string& item : Split(value, ',')) {
                int code = 0;
                if (!ParseInt(Trim(item), &code)) {
                    *error = "bad code \"" + item + "\" in --reject";
                    return false;
                }
                options->reject.push_back(code);
            }
            if (options->reject.empty()) {
                *error = "--reject needs at least one code";
                return false;
            }
        } else if (flag == "--fail-apply") {
            int code = 0;
            if (!ParseInt(Trim(value), &code)) {
                *error = "bad code \"" + value + "\" for --fail-apply";
                return false;
            }
            options->fail_apply = code;
        } else if (flag == "--do") {
            auto steps = ParseSteps(value, error);
            if (!steps) return false;
            options->steps = *steps;
        } else if (flag == "--png") {
            options->png = value;
        } else if (flag == "--trace") {
            options->trace = value;
        } else {
            *error = "unknown option " + flag;
            return false;
        }
    }
    return true;
}

std::string UsageText() {
    return "usage: corvane-snapshot [--mode WxH[@HZ][/BPP]] [--accept LIST] [--reject CODES] [--do STEPS]\n"
           "                        [--fail-apply CODE] [--png FILE] [--trace FILE] [--help] [--version]\n";
}

std::string HelpText() {
    return UsageText() +
           "\nRuns the wizard on a simulated screen without a display, performs the scripted steps,\n"
           "and writes what the screen shows as a PNG and what was drawn as JSON Lines.\n"
           "\noptions:\n"
           "  --mode WxH[@HZ][/BPP]  the screen's mode at start (default 1024x768@60/32);\n"
           "                         BPP is 4, 8, 16, 24 or 32\n"
           "  --accept LIST          comma-separated modes the simulated screen accepts\n"
           "                         (default: every mode, every depth)\n"
           "  --reject CODES         comma-separated codes returned for rejected mode tests, in order,\n"
           "                         the last repeating (default -2)\n"
           "  --fail-apply CODE      every real mode change fails with this code after its test passed\n"
           "                         (as a compositor that refuses it); the mode stays as it was\n"
           "  --do STEPS             steps separated by ';': click NAME, click X,Y, press X,Y,\n"
           "                         release X,Y, answer yes|no|ok, mode WxH[@HZ][/BPP]\n"
           "  --png FILE             write the screen at the end as a 24-bit PNG\n"
           "  --trace FILE           write the drawing calls as JSON Lines\n"
           "  --help                 print this help and exit\n"
           "  --version              print the version and exit\n"
           "\nexit status:\n"
           "  0  done\n"
           "  2  bad arguments, or an output file that cannot be written\n"
           "  3  a message box had no answer\n"
           "  4  the program ended before the last step\n";
}

std::string VersionText() {
    return std::string("corvane-snapshot ") + CORVANE_VERSION + "\n";
}

}  // namespace snapshot
