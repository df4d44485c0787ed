#include "tools/command_line.h"

#include <algorithm>

#include "pages/build_version.h"

namespace cli {
namespace {

constexpr std::size_t kUsageWidth = 100;

std::string Left(const Option& option) {
    return option.name + (option.value.empty() ? "" : " " + option.value);
}

const Option* Find(const Program& program, const std::string& name) {
    for (const Option& option : program.options) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

}  // namespace

Parsed Parse(const Program& program, int argc, char** argv, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") return Parsed::kHelp;
        if (arg == "--version") return Parsed::kVersion;
        const Option* option = Find(program, arg);
        if (!option || !option->take) {
            *error = arg.starts_with("-") ? "unknown option " + arg : "unexpected argument \"" + arg + "\"";
            return Parsed::kBadArguments;
        }
        std::string value;
        if (!option->value.empty()) {
            if (i + 1 >= argc) {
                *error = "option " + arg + " needs a value (" + option->value + ")";
                return Parsed::kBadArguments;
            }
            value = argv[++i];
        }
        if (!option->take(value, error)) return Parsed::kBadArguments;
    }
    return Parsed::kRun;
}

std::string UsageText(const Program& program) {
    const std::string start = "usage: " + program.name;
    std::string usage = start;
    std::size_t line = usage.size();
    for (const Option& option : program.options) {
        const std::string item = " [" + Left(option) + "]";
        if (line + item.size() > kUsageWidth) {
            usage += "\n" + std::string(start.size(), ' ');
            line = start.size();
        }
        usage += item;
        line += item.size();
    }
    return usage + "\n";
}

std::string HelpText(const Program& program) {
    std::size_t width = 0;
    for (const Option& option : program.options) width = std::max(width, Left(option).size());
    std::string help = UsageText(program) + "\n" + program.about + "\noptions:\n";
    for (const Option& option : program.options) {
        std::string left = Left(option);
        left.resize(width, ' ');
        help += "  " + left + "  ";
        for (const char c : option.help) {
            help += c;
            if (c == '\n') help += std::string(width + 4, ' ');
        }
        help += "\n";
    }
    return help + program.more;
}

std::optional<int> HandleCommandLine(const Program& program, int argc, char** argv, std::ostream& out,
                                     std::ostream& err, const std::function<bool(std::string*)>& check) {
    std::string error;
    Parsed parsed = Parse(program, argc, argv, &error);
    if (parsed == Parsed::kRun && check && !check(&error)) parsed = Parsed::kBadArguments;
    switch (parsed) {
        case Parsed::kHelp:
            out << HelpText(program);
            return kExitDone;
        case Parsed::kVersion:
            out << program.name << " " << CORVANE_VERSION << "\n";
            return kExitDone;
        case Parsed::kBadArguments:
            err << program.name << ": " << error << "\n" << UsageText(program);
            return kExitBadArguments;
        case Parsed::kRun:
            break;
    }
    return std::nullopt;
}

}  // namespace cli
