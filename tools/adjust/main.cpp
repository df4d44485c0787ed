// corvane-adjust: the wizard on the user's desktop, on the monitor chosen with
// --monitor or else the primary; --list-monitors prints them. It reads no
// files or settings. With WAYLAND_DISPLAY set it is a native Wayland client
// (X11 through XWayland only when the compositor cannot be reached);
// otherwise an X11 client whose mode comes from RandR. No exit path restores
// the mode.
#include <cstdio>
#include <cstdlib>
#include <future>
#include <iostream>
#include <string>
#include <utility>

#include "platform/gdi/text.h"
#include "platform/host/sdl/sdl_host.h"
#include "platform/host/sdl/sdl_screen_driver.h"
#include "platform/host/wayland/wayland_host.h"
#include "platform/screen/xrandr/xrandr_driver.h"
#include "platform/ui/afxwin.h"
#include "platform/ui/resources.h"
#include "res/app_resources.h"
#include "tools/adjust/desktop_run.h"
#include "tools/adjust/monitor_choice.h"
#include "tools/adjust/options.h"
#include "tools/adjust/wayland_desktop.h"

namespace {

constexpr const char* kProgram = "corvane-adjust";

gdi::SurfacePtr LoadIconPicture(int id) {
    CBitmap bitmap;
    return ui::LoadBitmapResource(bitmap, id) ? bitmap.GetSafeHandle() : nullptr;
}

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

}  // namespace

int main(int argc, char** argv) {
    adjust::Options options;
    if (const auto status = adjust::HandleCommandLine(argc, argv, &options, std::cout, std::cerr))
        return *status;
    if (options.list_monitors) return adjust::ListMonitors(options.json, std::cout, std::cerr);
    RegisterAppResources();
    host::SdlHost::PrepareEnvironment();
    // Fontconfig's set-up runs while the monitor is chosen, the desktop is
    // reached and the window is made; then the first page's glyphs, which the
    // frame asks for once it knows the screen.
    gdi::text::StartFontSetup(/*preparation_due=*/true);
    std::string error;
    if (Set("WAYLAND_DISPLAY")) {
        host::WaylandHost wayland;
        // The monitors are read over the window's own connection.
        if (wayland.Connect(&error)) {
            // The screen driver's connection runs while the monitor is chosen
            // and the compositor is asked for the window; it acts on the
            // window's output once that is known.
            std::future<adjust::OpenedDriver> driver = adjust::StartOpeningDriver(options.monitor);
            std::string monitor;
            if (const auto status =
                    adjust::ChooseWaylandMonitor(options.monitor, std::cerr, &monitor, wayland.Display())) {
                return *status;
            }
            if (wayland.Open(kProgram, monitor, &error))
                return adjust::RunOnWayland(wayland, std::move(driver), kProgram, argv[0]);
            driver.wait();  // it reads WAYLAND_DISPLAY, which may go below
        }
        if (wayland.Connected() || !Set("DISPLAY")) {
            std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
            return 1;
        }
        std::fprintf(stderr, "%s: %s; using the X display %s instead\n", kProgram, error.c_str(),
                     std::getenv("DISPLAY"));
        unsetenv("WAYLAND_DISPLAY");  // SDL must not try it again
    }
    host::SdlHost host;
    if (!host.Open(kProgram, &error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return 1;
    }
    host.SetIconLoader(LoadIconPicture);

    screen::XrandrScreenDriver randr;
    host::SdlScreenDriver sdl_modes(host.window());
    adjust::DesktopRun run(host, kProgram);
    if (host.X11Window() != 0 && randr.Open({}, &error)) {
        std::string monitor;
        if (const auto status =
                adjust::ChooseMonitor(randr.Monitors(), options.monitor, std::cerr, &monitor)) {
            return *status;
        }
        randr.ShowWindow(host.X11Window());
        // The frame's screen is the chosen monitor's picture, wherever it sits.
        const auto place = [&host, &randr] {
            int x = 0;
            int y = 0;
            if (randr.CurrentOrigin(&x, &y)) host.SetScreenOrigin(x, y);
        };
        if (!monitor.empty()) {
            randr.ActOn(monitor);
            place();
        }
        run.Attach(randr, [&randr, place, following = !monitor.empty()] {
            if (following && randr.CurrentOutput().empty()) return false;
            place();
            return true;
        });
    } else {
        if (!options.monitor.empty()) {
            std::fprintf(stderr, "%s: --monitor needs an X display with RandR or a Wayland compositor\n",
                         kProgram);
            return 1;
        }
        screen::SetDriver(&sdl_modes);
        host.SetDisplayEventHandler([&sdl_modes] { sdl_modes.Refresh(); });
    }
    return run.Run(argv[0]);
}
