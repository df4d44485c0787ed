// The command line of both programs, from one table per program: the parse,
// the usage line and --help are all made from it, so they cannot drift.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct Option {
    std::string name;   // "--monitor"
    std::string value;  // what it takes, as --help names it ("NAME"); empty: nothing
    std::string help;   // what --help says; '\n' goes on under the first line
    // Takes the value (empty for an option without one); false with a
    // message in *error. Unset for --help and --version, which end the parse.
    std::function<bool(const std::string& value, std::string* error)> take;
};

struct Program {
    std::string name;             // "corvane-adjust"
    std::string about;            // the paragraph after the usage line
    std::vector<Option> options;  // in the order --help lists them
    std::string more;             // after the options: environment, exit status
};

enum class Parsed { kRun, kHelp, kVersion, kBadArguments };

// Takes the arguments in order. --help and --version end the parse where
// they stand; an unknown option, a missing value (the next argument is the
// value, whatever it looks like) or a stray argument fail with *error.
Parsed Parse(const Program& program, int argc, char** argv, std::string* error);

// "usage: NAME [--option VALUE] ...", wrapped under its first option.
std::string UsageText(const Program& program);
// The usage line, the paragraph, the options in two columns, the rest.
std::string HelpText(const Program& program);

// The exit statuses of the command-line step.
constexpr int kExitDone = 0;
constexpr int kExitBadArguments = 2;

// Parses and does what needs nothing else: prints the help or "NAME
// version" on out, or the error and the usage on err. Returns the exit
// status when the program is to end now; nothing when it is to run.
// `check` runs after a successful parse for rules between options.
std::optional<int> HandleCommandLine(const Program& program, int argc, char** argv, std::ostream& out,
                                     std::ostream& err, const std::function<bool(std::string*)>& check = {});

}  // namespace cli
