// corvane-snapshot: runs the wizard on a simulated screen, performs scripted
// steps and writes the screen as a PNG and the drawing calls as JSON Lines.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "tools/snapshot/options.h"
#include "tools/snapshot/png_writer.h"
#include "tools/snapshot/session.h"

int main(int argc, char** argv) {
    snapshot::Options options;
    std::string error;
    if (!snapshot::ParseOptions(argc, argv, &options, &error)) {
        std::cerr << "corvane-snapshot: " << error << "\n" << snapshot::UsageText();
        return snapshot::kBadArguments;
    }
    if (options.help || options.version) {
        std::cout << (options.help ? snapshot::HelpText() : snapshot::VersionText());
        return snapshot::kDone;
    }
    std::ofstream trace_file;
    if (!options.trace.empty()) {
        trace_file.open(options.trace);
        if (!trace_file) {
            std::cerr << "corvane-snapshot: cannot write " << options.trace << "\n";
            return snapshot::kBadArguments;
        }
    }

    snapshot::Session session(options);
    const int status = session.Run(argv[0]);
    session.RecordFinalState();

    if (trace_file.is_open()) {
        for (const auto& record : session.trace().records) trace_file << record.ToJson() << '\n';
    }
    if (!options.png.empty()) {
        const gdi::Surface* screen = session.screen();
        if (!screen) {
            std::cerr << "corvane-snapshot: nothing was shown; no PNG written\n";
        } else if (!WritePng(*screen, options.png, &error)) {
            std::cerr << "corvane-snapshot: " << error << "\n";
        }
    }
    if (status == snapshot::kUnansweredBox) std::cerr << "corvane-snapshot: a message box had no answer\n";
    if (status == snapshot::kEndedEarly)
        std::cerr << "corvane-snapshot: the program ended before the last step\n";
    return status;
}
