#include "tools/adjust/options.h"

namespace adjust {
namespace {

// An option without a value that sets `flag`.
auto Sets(bool* flag) {
    return [flag](const std::string&, std::string*) { return *flag = true; };
}

}  // namespace

cli::Program CommandLine(Options* options) {
    return {
        "corvane-adjust",
        "Shows the LCD adjustment wizard full screen on the desktop: it compares the display mode\n"
        "with the one recommended for the panel, offers to change to it, and shows test patterns\n"
        "for the monitor's pitch, phase and position controls.\n",
        {
            {"--help", "", "print this help and exit", {}},
            {"--version", "", "print the version and exit", {}},
            {"--monitor", "NAME",
             "show the wizard on monitor NAME and change its mode only (default: the primary)",
             [options](const std::string& value, std::string*) {
                 options->monitor = value;
                 return true;
             }},
            {"--list-monitors", "", "print every connected monitor and exit", Sets(&options->list_monitors)},
            {"--json", "", "with --list-monitors: print the list as JSON", Sets(&options->json)},
        },
        "\nenvironment:\n"
        "  WAYLAND_DISPLAY  the Wayland desktop to show the wizard on\n"
        "  DISPLAY          the X11 desktop to show the wizard on\n"
        "\nexit status:\n"
        "  0  the wizard was closed (Quit or Finish), help, version or the monitors were printed\n"
        "  1  no desktop could be opened, the display server went away, or no monitor was left\n"
        "  2  bad arguments, or no monitor of the name given to --monitor\n",
    };
}

std::optional<int> HandleCommandLine(int argc, char** argv, Options* options, std::ostream& out,
                                     std::ostream& err) {
    return cli::HandleCommandLine(CommandLine(options), argc, argv, out, err, [options](std::string* error) {
        if (options->json && !options->list_monitors) {
            *error = "option --json goes with --list-monitors";
            return false;
        }
        return true;
    });
}

}  // namespace adjust
