// corvane-snapshot: runs the wizard on a simulated screen, performs scripted
// steps and writes the screen as a PNG and the drawing calls as JSON Lines.
#include <cstdio>
#include <iostream>

#include "tools/snapshot/options.h"
#include "tools/snapshot/output_file.h"
#include "tools/snapshot/png_writer.h"
#include "tools/snapshot/session.h"

int main(int argc, char** argv) {
    snapshot::Options options;
    if (const auto status =
            cli::HandleCommandLine(snapshot::CommandLine(&options), argc, argv, std::cout, std::cerr))
        return *status;
    std::string error;
    // Both outputs are created before the run, so a bad path costs no run.
    snapshot::OutputFile trace_file, png_file;
    if ((!options.trace.empty() && !trace_file.Open(options.trace, &error)) ||
        (!options.png.empty() && !png_file.Open(options.png, &error))) {
        std::cerr << "corvane-snapshot: " << error << "\n";
        return snapshot::kBadArguments;
    }

    snapshot::Session session(options);
    const int status = session.Run(argv[0]);
    session.RecordFinalState();

    bool written = true;
    if (trace_file.file()) {
        for (const auto& record : session.trace().records) {
            const std::string line = record.ToJson() + "\n";
            std::fwrite(line.data(), 1, line.size(), trace_file.file());
        }
        if (!trace_file.Commit(&error)) {
            std::cerr << "corvane-snapshot: " << error << "\n";
            written = false;
        }
    }
    if (png_file.file()) {
        const gdi::Surface* screen = session.screen();
        if (!screen) error = "nothing was shown; no PNG written";
        if (!screen || !WritePng(*screen, png_file.file(), &error) || !png_file.Commit(&error)) {
            png_file.Discard();
            std::cerr << "corvane-snapshot: " << error << "\n";
            written = false;
        }
    }
    if (status == snapshot::kUnansweredBox) std::cerr << "corvane-snapshot: a message box had no answer\n";
    if (status == snapshot::kEndedEarly)
        std::cerr << "corvane-snapshot: the program ended before the last step\n";
    return written ? status : snapshot::kBadArguments;
}
