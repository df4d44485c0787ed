#include "tools/adjust/desktop_run.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/screen/driver.h"
#include "platform/ui/afxwin.h"
#include "platform/ui/framework.h"

namespace adjust {

void DesktopRun::Attach(screen::EventScreenDriver& driver, std::function<bool()> follow) {
    screen::SetDriver(&driver);
    host_.AddSource(driver.ConnectionFd(), [this, &driver, follow = std::move(follow)] {
        driver.ProcessPendingEvents();
        if (driver.ServerGone()) return host::SourceState::kGone;
        if (!follow()) {
            monitor_lost_ = true;
            return host::SourceState::kGone;
        }
        // A change reached the framework as a posted WM_DISPLAYCHANGE.
        return ui::QueuedMessageCount() > 0 ? host::SourceState::kChanged : host::SourceState::kQuiet;
    });
}

int DesktopRun::Run(char* argv0) {
    char* args[] = {argv0, nullptr};
    const int code = AfxWinMain(host_, 1, args);
    if (host_.SourceGone()) {
        const std::string lost = host_.LostOutput();
        if (monitor_lost_ || !lost.empty()) {
            std::fprintf(stderr, "%s: the monitor %swas disconnected and no other monitor is left; exiting\n",
                         program_, lost.empty() ? "" : (lost + " ").c_str());
        } else {
            std::fprintf(stderr, "%s: the display server went away; exiting\n", program_);
        }
        // Nothing of the host's may touch the dead connection on the way out.
        std::_Exit(1);
    }
    ui::ResetState();
    screen::SetDriver(nullptr);
    return code;
}

}  // namespace adjust
