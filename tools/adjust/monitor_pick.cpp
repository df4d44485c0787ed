// ChooseMonitor: the choice among monitors every desktop makes alike.
#include "tools/adjust/monitor_choice.h"
#include "tools/adjust/monitor_report.h"

namespace adjust {
namespace {

constexpr const char* kProgram = "corvane-adjust";

}  // namespace

std::optional<int> ChooseMonitor(std::span<const screen::Monitor> monitors, const std::string& requested,
                                 std::ostream& err, std::string* chosen) {
    chosen->clear();
    if (requested.empty()) {
        const screen::Monitor* monitor = screen::DefaultMonitor(monitors);
        if (!monitor) return std::nullopt;
        *chosen = monitor->name;
        const std::string hint = AnalogHint(monitors, monitor);
        if (!hint.empty()) err << hint << "\n";
        return std::nullopt;
    }
    int duplicates = 0;
    const screen::Monitor* monitor = screen::FindMonitor(monitors, requested, &duplicates);
    if (!monitor) {
        err << kProgram << ": there is no monitor named \"" << requested << "\"; the monitors are:\n"
            << (monitors.empty() ? "  (none)\n" : MonitorsText(monitors));
        return 2;
    }
    if (!monitor->active) {
        err << kProgram << ": " << requested << " is connected but shows no picture; switch it on first\n";
        return 2;
    }
    if (duplicates > 0) {
        err << kProgram << ": " << duplicates + 1 << " monitors are named " << requested
            << "; the wizard covers the first\n";
    }
    *chosen = monitor->name;
    return std::nullopt;
}

}  // namespace adjust
