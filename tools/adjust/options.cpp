#include "tools/adjust/options.h"

#include <algorithm>

#include "pages/build_version.h"

namespace adjust {
namespace {

constexpr const char* kProgram = "corvane-adjust";

const OptionHelp* FindOption(const std::string& name) {
    for (const OptionHelp& option : OptionList()) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

}  // namespace

const std::vector<OptionHelp>& OptionList() {
    static const std::vector<OptionHelp> options = {
        {"--help", "", "print this help and exit"},
        {"--version", "", "print the version and exit"},
        {"--monitor", "NAME",
         "show the wizard on monitor NAME and change its mode only (default: the primary)"},
        {"--list-monitors", "", "print every connected monitor and exit"},
        {"--json", "", "with --list-monitors: print the list as JSON"},
    };
    return options;
}

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "--version") {
            options->action = arg == "--help" ? Options::Action::kHelp : Options::Action::kVersion;
            return true;
        }
        const OptionHelp* option = FindOption(arg);
        if (!option) {
            *error = arg.starts_with("-") ? "unknown option " + arg : "unexpected argument \"" + arg + "\"";
            return false;
        }
        if (!option->argument.empty() && i + 1 >= argc) {
            *error = "option " + arg + " needs a value (" + option->argument + ")";
            return false;
        }
        if (arg == "--monitor") options->monitor = argv[++i];
        if (arg == "--list-monitors") options->list_monitors = true;
        if (arg == "--json") options->json = true;
    }
    if (options->json && !options->list_monitors) {
        *error = "option --json goes with --list-monitors";
        return false;
    }
    return true;
}

std::string UsageText() {
    std::string usage = std::string("usage: ") + kProgram;
    for (const OptionHelp& option : OptionList()) {
        usage += " [" + option.name + (option.argument.empty() ? "" : " " + option.argument) + "]";
    }
    return usage + "\n";
}

std::string HelpText() {
    std::string help = UsageText();
    help +=
        "\nShows the LCD adjustment wizard full screen on the desktop: it compares the display mode\n"
        "with the one recommended for the panel, offers to change to it, and shows test patterns\n"
        "for the monitor's pitch, phase and position controls.\n\noptions:\n";
    std::size_t width = 0;
    for (const OptionHelp& option : OptionList()) {
        width =
            std::max(width, option.name.size() + (option.argument.empty() ? 0 : option.argument.size() + 1));
    }
    for (const OptionHelp& option : OptionList()) {
        std::string left = option.name + (option.argument.empty() ? "" : " " + option.argument);
        left.resize(width, ' ');
        help += "  " + left + "  " + option.text + "\n";
    }
    help +=
        "\nenvironment:\n"
        "  WAYLAND_DISPLAY  the Wayland desktop to show the wizard on\n"
        "  DISPLAY          the X11 desktop to show the wizard on\n"
        "\nexit status:\n"
        "  0  the wizard was closed (Quit or Finish), help, version or the monitors were printed\n"
        "  1  no desktop could be opened, the display server went away, or no monitor was left\n"
        "  2  bad arguments, or no monitor of the name given to --monitor\n";
    return help;
}

std::string VersionText() {
    return std::string(kProgram) + " " + CORVANE_VERSION + "\n";
}

std::optional<int> HandleCommandLine(int argc, char** argv, Options* options, std::ostream& out,
                                     std::ostream& err) {
    std::string error;
    if (!ParseOptions(argc, argv, options, &error)) {
        err << kProgram << ": " << error << "\n" << UsageText();
        return kExitBadArguments;
    }
    switch (options->action) {
        case Options::Action::kHelp:
            out << HelpText();
            return kExitDone;
        case Options::Action::kVersion:
            out << VersionText();
            return kExitDone;
        case Options::Action::kRun:
            break;
    }
    return std::nullopt;
}

}  // namespace adjust
