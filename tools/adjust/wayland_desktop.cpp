#include "tools/adjust/wayland_desktop.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "platform/host/wayland/wayland_host.h"
#include "platform/screen/compositor/compositor_driver.h"
#include "tools/adjust/desktop_run.h"

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
    DesktopRun run(host, program);
    run.Attach(*driver, [&host, modes = driver.get(), acting_on = host.OutputName()]() mutable {
        // The window moved to another output (its own went away): the modes
        // read and changed are that output's from now on. The host itself
        // ends the input when no output is left.
        if (host.OutputName() != acting_on) {
            acting_on = host.OutputName();
            modes->ActOn(acting_on);
            screen::AnnounceDisplayChange();
        }
        return true;
    });
    return run.Run(argv0);
}

}  // namespace adjust
