// corvane-adjust's command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace adjust {

// How the program ends, as its exit status.
enum ExitStatus { kExitDone = 0, kExitNoDisplay = 1, kExitBadArguments = 2 };

struct Options {
    enum class Action { kRun, kHelp, kVersion };
    Action action = Action::kRun;
    std::string monitor;         // --monitor NAME; empty: the primary
    bool list_monitors = false;  // --list-monitors
    bool json = false;           // --json, with --list-monitors
};

// One option as --help lists it.
struct OptionHelp {
    std::string name;      // "--version"
    std::string argument;  // "" when the option takes no value
    std::string text;
};

// Every option, in the order --help lists them.
const std::vector<OptionHelp>& OptionList();

// Fills *options from the arguments; false with a message in *error for an
// unknown option, a missing value or a stray argument. --help and --version
// end the parse where they stand.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

std::string UsageText();
std::string HelpText();
std::string VersionText();

// Parses the arguments and does what needs no display: prints the help or the
// version on out, or the error and the usage on err. Returns the exit status
// when the program is to end now, or nothing when the wizard is to run.
std::optional<int> HandleCommandLine(int argc, char** argv, Options* options, std::ostream& out,
                                     std::ostream& err);

}  // namespace adjust
