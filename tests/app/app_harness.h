// Runs the real program on the headless host through scripted steps, as the
// snapshot tool does, and gives tests the frame, the trace and the screen.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "tools/snapshot/session.h"

namespace app_test {

struct Run {
    std::unique_ptr<snapshot::Session> session;
    int status = -1;

    CMainFrame& frame() const {
        CMainFrame* f = session->frame();
        if (!f) throw std::runtime_error("the program has ended");
        return *f;
    }
    const std::vector<gdi::TraceObject>& records() const { return session->trace().records; }
    std::vector<const gdi::TraceObject*> WithOp(const std::string& op) const {
        return session->trace().WithOp(op);
    }
    const gdi::Surface& screen() const { return *session->screen(); }
};

// mode as the snapshot tool takes it ("1024x768@60/32"); steps as its --do.
inline Run Start(const std::string& mode, const std::string& steps = "",
                 const std::string& argv0 = "corvane-adjust", snapshot::Options options = {}) {
    std::string error;
    auto parsed_mode = snapshot::ParseMode(mode);
    auto parsed_steps = snapshot::ParseSteps(steps, &error);
    if (!parsed_mode || !parsed_steps) throw std::runtime_error("bad test script: " + mode + " / " + error);
    options.mode = *parsed_mode;
    options.steps = *parsed_steps;
    Run run;
    run.session = std::make_unique<snapshot::Session>(options);
    run.status = run.session->Run(argv0.c_str());
    return run;
}

inline RECT WindowRect(CWnd& wnd) {
    CRect r;
    wnd.GetWindowRect(&r);
    return r;
}

}  // namespace app_test
