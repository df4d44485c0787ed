#include "tools/adjust/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "pages/version.h"
#include "tools/snapshot/options.h"

namespace {

// Runs the command-line step of corvane-adjust on the given arguments.
struct AdjustRun {
    std::optional<int> status;
    adjust::Options options;
    std::string out;
    std::string err;
};

AdjustRun RunAdjust(std::vector<std::string> args) {
    args.insert(args.begin(), "corvane-adjust");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    AdjustRun run;
    std::ostringstream out, err;
    run.status =
        adjust::HandleCommandLine(static_cast<int>(argv.size()), argv.data(), &run.options, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string AdjustUsage() {
    adjust::Options unused;
    return cli::UsageText(adjust::CommandLine(&unused));
}

TEST(AdjustOptions, NoArgumentsRunsTheWizard) {
    const AdjustRun run = RunAdjust({});
    EXPECT_FALSE(run.status.has_value());
    EXPECT_EQ(run.out + run.err, "");
}

TEST(AdjustOptions, HelpListsEveryOptionAndTheEnvironment) {
    const AdjustRun run = RunAdjust({"--help"});
    ASSERT_EQ(run.status, adjust::kExitDone);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.starts_with("usage: corvane-adjust"));
    adjust::Options unused;
    for (const cli::Option& option : adjust::CommandLine(&unused).options) {
        EXPECT_NE(run.out.find("\n  " + option.name), std::string::npos) << option.name;
    }
    EXPECT_NE(run.out.find("WAYLAND_DISPLAY"), std::string::npos);
    EXPECT_NE(run.out.find(" DISPLAY "), std::string::npos);
}

TEST(AdjustOptions, VersionIsTheOneTheWelcomePageShows) {
    const AdjustRun run = RunAdjust({"--version"});
    ASSERT_EQ(run.status, adjust::kExitDone);
    EXPECT_EQ(run.out, "corvane-adjust " + VersionMajor + "." + VersionMinor + "\n");
    EXPECT_EQ(run.err, "");
}

TEST(AdjustOptions, BadArgumentsPrintTheUsageOnStderrWithStatus2) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--bogus"}, "corvane-adjust: unknown option --bogus\n"},
        {{"-h"}, "corvane-adjust: unknown option -h\n"},
        {{"extra"}, "corvane-adjust: unexpected argument \"extra\"\n"},
        {{""}, "corvane-adjust: unexpected argument \"\"\n"},
        // An error before --help is still an error.
        {{"--bogus", "--help"}, "corvane-adjust: unknown option --bogus\n"},
    };
    for (const Case& c : cases) {
        const AdjustRun run = RunAdjust(c.args);
        EXPECT_EQ(run.status, adjust::kExitBadArguments) << c.message;
        EXPECT_EQ(run.out, "") << c.message;
        EXPECT_EQ(run.err, c.message + AdjustUsage());
    }
}

TEST(AdjustOptions, TheFirstOfHelpAndVersionWins) {
    EXPECT_TRUE(RunAdjust({"--help", "--bogus"}).out.starts_with(AdjustUsage()));
    EXPECT_TRUE(RunAdjust({"--version", "--help"}).out.starts_with("corvane-adjust " + VersionMajor));
}

TEST(AdjustOptions, MonitorOptions) {
    AdjustRun run = RunAdjust({"--monitor", "DUMMY1"});
    EXPECT_FALSE(run.status.has_value()) << run.err;
    EXPECT_EQ(run.options.monitor, "DUMMY1");
    EXPECT_FALSE(run.options.list_monitors);

    // A value that looks like an option is still the value.
    run = RunAdjust({"--monitor", "--json"});
    EXPECT_FALSE(run.status.has_value()) << run.err;
    EXPECT_EQ(run.options.monitor, "--json");
    EXPECT_FALSE(run.options.json);

    run = RunAdjust({"--json", "--list-monitors"});
    EXPECT_FALSE(run.status.has_value()) << run.err;
    EXPECT_TRUE(run.options.list_monitors);
    EXPECT_TRUE(run.options.json);

    run = RunAdjust({"--json"});
    EXPECT_EQ(run.status, adjust::kExitBadArguments);
    EXPECT_EQ(run.err, "corvane-adjust: option --json goes with --list-monitors\n" + AdjustUsage());
    run = RunAdjust({"--monitor"});
    EXPECT_EQ(run.status, adjust::kExitBadArguments);
    EXPECT_EQ(run.err, "corvane-adjust: option --monitor needs a value (NAME)\n" + AdjustUsage());
}

cli::Parsed ParseSnapshot(std::vector<std::string> args, snapshot::Options* options, std::string* error) {
    args.insert(args.begin(), "corvane-snapshot");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return cli::Parse(snapshot::CommandLine(options), static_cast<int>(argv.size()), argv.data(), error);
}

TEST(SnapshotOptions, HelpAndVersionTakeNoValue) {
    snapshot::Options options;
    std::string error;
    EXPECT_EQ(ParseSnapshot({"--mode", "800x600", "--help"}, &options, &error), cli::Parsed::kHelp) << error;
    EXPECT_EQ(ParseSnapshot({"--version"}, &options, &error), cli::Parsed::kVersion) << error;
}

TEST(SnapshotOptions, UnknownOptionIsNamedAsUnknown) {
    snapshot::Options options;
    std::string error;
    // The last argument, which has no value after it, still counts as unknown.
    EXPECT_EQ(ParseSnapshot({"--bogus"}, &options, &error), cli::Parsed::kBadArguments);
    EXPECT_EQ(error, "unknown option --bogus");
    EXPECT_EQ(ParseSnapshot({"--png"}, &options, &error), cli::Parsed::kBadArguments);
    EXPECT_EQ(error, "option --png needs a value (FILE)");
}

TEST(SnapshotOptions, TheParserTakesEveryOptionTheHelpNames) {
    // Every --word of the help text, given a value, is known to the parser.
    snapshot::Options unused;
    const std::string help = cli::HelpText(snapshot::CommandLine(&unused));
    int named = 0;
    for (std::size_t at = help.find("\n  --"); at != std::string::npos; at = help.find("\n  --", at + 1)) {
        const std::size_t start = at + 3;
        const std::string flag = help.substr(start, help.find_first_of(" \n", start) - start);
        snapshot::Options options;
        std::string error;
        ParseSnapshot({flag, "1"}, &options, &error);
        EXPECT_EQ(error.find("unknown option"), std::string::npos) << flag << ": " << error;
        ++named;
    }
    EXPECT_GE(named, 8);
}

// Both programs' help from their tables: usage lines within 100 columns, each
// wrapped one under the first option; every option's text in one column,
// its further lines under its first.
TEST(CommandLine, UsageAndHelpLineUp) {
    adjust::Options adjust_options;
    snapshot::Options snapshot_options;
    for (const cli::Program& program :
         {adjust::CommandLine(&adjust_options), snapshot::CommandLine(&snapshot_options)}) {
        SCOPED_TRACE(program.name);
        std::istringstream usage(cli::UsageText(program));
        int lines = 0;
        for (std::string line; std::getline(usage, line); ++lines) {
            EXPECT_LE(line.size(), 100u) << line;
            const std::string start = lines == 0 ? "usage: " + program.name + " ["
                                                 : std::string(program.name.size() + 8, ' ') + "[";
            EXPECT_TRUE(line.starts_with(start)) << line;
        }
        const std::string help = cli::HelpText(program);
        const std::size_t options = help.find("\noptions:\n") + 10;
        std::istringstream rows(help.substr(options, help.find("\n\n", options) - options));
        std::size_t column = 0;
        for (std::string row; std::getline(rows, row);) {
            const std::size_t text =
                row.find_first_not_of(' ', row.starts_with("  --") ? row.find("  ", 2) : 0);
            if (!column) column = text;
            EXPECT_EQ(text, column) << row;
        }
        EXPECT_GT(column, 0u);
    }
    const std::string snapshot_usage = cli::UsageText(snapshot::CommandLine(&snapshot_options));
    EXPECT_EQ(std::count(snapshot_usage.begin(), snapshot_usage.end(), '\n'), 2);  // wrapped once
}

}  // namespace
