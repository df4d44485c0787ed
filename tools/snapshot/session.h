// Runs the whole program on the headless host with a simulated screen,
// performs scripted steps, and keeps what the screen shows and what was drawn.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/trace.h"
#include "platform/host/headless/headless_host.h"
#include "platform/screen/simulated_driver.h"
#include "tools/snapshot/options.h"

class CMainFrame;
class ImageButton;

namespace snapshot {

enum Status { kDone = 0, kBadArguments = 2, kUnansweredBox = 3, kEndedEarly = 4 };

class Session {
public:
    explicit Session(Options options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts the program, runs every step, and returns the status. The
    // program stays alive afterwards (unless it ended) until the session ends.
    int Run(const char* argv0 = "corvane-snapshot");

    // The main window while it lives, else null.
    CMainFrame* frame() const;
    host::HeadlessHost& host() { return host_; }
    screen::SimulatedScreenDriver& driver() { return driver_; }
    const gdi::MemoryTrace& trace() const { return trace_; }
    // The screen as last presented (frame, buttons and any open box); when a
    // box went unanswered, the screen as it showed that box.
    const gdi::Surface* screen() const {
        return unanswered_box_screen_ ? unanswered_box_screen_.get() : host_.screen();
    }

    // Adds the end-of-run records: the six buttons and the state.
    void RecordFinalState();

private:
    void Script(const Step& step);

    Options options_;
    screen::SimulatedScreenDriver driver_;
    host::HeadlessHost host_;
    gdi::MemoryTrace trace_;
    std::shared_ptr<gdi::Surface> unanswered_box_screen_;
};

// The program started at one mode (60 Hz, 32 bpp) with no steps; its main
// window stays alive for the caller.
std::unique_ptr<Session> StartAt(int width, int height);

// The button a step name means, on the given frame.
ImageButton* ButtonByName(CMainFrame& frame, const std::string& name);

}  // namespace snapshot
