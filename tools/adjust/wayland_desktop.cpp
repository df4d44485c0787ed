#include "tools/adjust/wayland_desktop.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "platform/host/wayland/wayland_host.h"
#include "platform/screen/compositor/compositor_driver.h"
#include "platform/ui/afxwin.h"
#include "platform/ui/framework.h"

namespace adjust {

namespace {

OpenedDriver OpenDriver(const std::string& output) {
    OpenedDriver opened;
    opened.output = output;
    opened.driver = screen::OpenCompositorScreenDriver({}, output, &opened.error, &opened.kind);
    return opened;
}

}  // namespace

std::future<OpenedDriver> StartOpeningDriver(const std::string& output) {
    return std::async(std::launch::async, OpenDriver, output);
}

int RunOnWayland(host::WaylandHost& host, std::future<OpenedDriver> opening, const char* program,
                 char* argv0) {
    // The compositor owns the modes: its own protocol changes them where it
    // has one, for the output the window is on.
    OpenedDriver opened = opening.get();
    if (opened.output != host.OutputName()) {
        // Output management and GNOME's driver follow another output as they
        // do when the window moves; a driver that cannot is opened again.
        if (opened.driver && opened.kind != screen::CompositorDriverKind::kReadOnly) {
            opened.driver->ActOn(host.OutputName());
        } else {
            opened = OpenDriver(host.OutputName());
        }
    }
    std::unique_ptr<screen::EventScreenDriver> driver = std::move(opened.driver);
    if (!driver) {
        std::fprintf(stderr, "%s: %s\n", program, opened.error.c_str());
        return 1;
    }
    screen::SetDriver(driver.get());
    host.AddSource(
        driver->ConnectionFd(), [&host, modes = driver.get(), acting_on = host.OutputName()]() mutable {
            modes->ProcessPendingEvents();
            if (modes->ServerGone()) return host::SourceState::kGone;
            // The window moved to another output (its own went away): the modes
            // read and changed are that output's from now on.
            if (host.OutputName() != acting_on) {
                acting_on = host.OutputName();
                modes->ActOn(acting_on);
                screen::AnnounceDisplayChange();
            }
            // A change reached the framework as a posted WM_DISPLAYCHANGE.
            return ui::QueuedMessageCount() > 0 ? host::SourceState::kChanged : host::SourceState::kQuiet;
        });

    char* args[] = {argv0, nullptr};
    const int code = AfxWinMain(host, 1, args);
    if (host.SourceGone()) {
        if (!host.LostOutput().empty()) {
            std::fprintf(stderr,
                         "%s: the monitor %s was disconnected and no other monitor is left; exiting\n",
                         program, host.LostOutput().c_str());
        } else {
            std::fprintf(stderr, "%s: the display server went away; exiting\n", program);
        }
        std::_Exit(1);
    }
    ui::ResetState();
    screen::SetDriver(nullptr);
    return code;
}

}  // namespace adjust
