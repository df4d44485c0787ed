#include "tools/adjust/options.h"

#include <gtest/gtest.h>

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

TEST(AdjustOptions, NoArgumentsRunsTheWizard) {
    const AdjustRun run = RunAdjust({});
    EXPECT_FALSE(run.status.has_value());
    EXPECT_EQ(run.options.action, adjust::Options::Action::kRun);
    EXPECT_EQ(run.out + run.err, "");
}

TEST(AdjustOptions, HelpListsEveryOptionAndTheEnvironment) {
    const AdjustRun run = RunAdjust({"--help"});
    ASSERT_EQ(run.status, adjust::kExitDone);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.starts_with("usage: corvane-adjust"));
    for (const adjust::OptionHelp& option : adjust::OptionList()) {
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
        EXPECT_EQ(run.err, c.message + adjust::UsageText());
    }
}

TEST(AdjustOptions, TheFirstOfHelpAndVersionWins) {
    EXPECT_EQ(RunAdjust({"--help", "--bogus"}).options.action, adjust::Options::Action::kHelp);
    EXPECT_EQ(RunAdjust({"--version", "--help"}).options.action, adjust::Options::Action::kVersion);
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
    EXPECT_EQ(run.err, "corvane-adjust: option --json goes with --list-monitors\n" + adjust::UsageText());
    run = RunAdjust({"--monitor"});
    EXPECT_EQ(run.status, adjust::kExitBadArguments);
    EXPECT_EQ(run.err, "corvane-adjust: option --monitor needs a value (NAME)\n" + adjust::UsageText());
}

bool ParseSnapshot(std::vector<std::string> args, snapshot::Options* options, std::string* error) {
    args.insert(args.begin(), "corvane-snapshot");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return snapshot::ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(SnapshotOptions, HelpAndVersionTakeNoValue) {
    snapshot::Options help, version;
    std::string error;
    ASSERT_TRUE(ParseSnapshot({"--mode", "800x600", "--help"}, &help, &error)) << error;
    EXPECT_TRUE(help.help);
    EXPECT_FALSE(help.version);
    ASSERT_TRUE(ParseSnapshot({"--version"}, &version, &error)) << error;
    EXPECT_TRUE(version.version);
    EXPECT_EQ(snapshot::VersionText(), "corvane-snapshot " + VersionMajor + "." + VersionMinor + "\n");
}

TEST(SnapshotOptions, UnknownOptionIsNamedAsUnknown) {
    snapshot::Options options;
    std::string error;
    // The last argument, which has no value after it, still counts as unknown.
    EXPECT_FALSE(ParseSnapshot({"--bogus"}, &options, &error));
    EXPECT_EQ(error, "unknown option --bogus");
    EXPECT_FALSE(ParseSnapshot({"--png"}, &options, &error));
    EXPECT_EQ(error, "option --png needs a value");
}

TEST(SnapshotOptions, TheParserTakesEveryOptionTheHelpNames) {
    // Every --word of the help text, given a value, is known to the parser.
    const std::string help = snapshot::HelpText();
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

}  // namespace
