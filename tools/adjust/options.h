// corvane-adjust's command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "tools/command_line.h"

namespace adjust {

// How the program ends, as its exit status.
enum ExitStatus { kExitDone = 0, kExitNoDisplay = 1, kExitBadArguments = 2 };

struct Options {
    std::string monitor;         // --monitor NAME; empty: the primary
    bool list_monitors = false;  // --list-monitors
    bool json = false;           // --json, with --list-monitors
};

// The program's options, filling *options as they are taken.
cli::Program CommandLine(Options* options);

// Parses the arguments and does what needs no display: prints the help or the
// version on out, or the error and the usage on err. Returns the exit status
// when the program is to end now, or nothing when the wizard is to run.
std::optional<int> HandleCommandLine(int argc, char** argv, Options* options, std::ostream& out,
                                     std::ostream& err);

}  // namespace adjust
