// corvane-adjust: the wizard on the user's desktop. It takes --help and --version only, and
// reads no files or settings; the screen's mode comes from RandR on X11, or
// from SDL (read-only) elsewhere. No exit path restores the mode.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/host/sdl/sdl_host.h"
#include "platform/host/sdl/sdl_screen_driver.h"
#include "platform/screen/xrandr/xrandr_driver.h"
#include "platform/ui/afxwin.h"
#include "platform/ui/framework.h"
#include "platform/ui/resources.h"
#include "res/app_resources.h"
#include "tools/adjust/options.h"

namespace {

constexpr const char* kProgram = "corvane-adjust";

gdi::SurfacePtr LoadIconPicture(int id) {
    CBitmap bitmap;
    return ui::LoadBitmapResource(bitmap, id) ? bitmap.GetSafeHandle() : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    adjust::Options options;
    if (const auto status = adjust::HandleCommandLine(argc, argv, &options, std::cout, std::cerr))
        return *status;
    RegisterAppResources();
    host::SdlHost host;
    std::string error;
    if (!host.Open(kProgram, &error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return 1;
    }
    host.SetIconLoader(LoadIconPicture);

    screen::XrandrScreenDriver randr;
    host::SdlScreenDriver sdl_modes(host.window());
    if (host.X11Window() != 0 && randr.Open({}, &error)) {
        randr.ShowWindow(host.X11Window());
        screen::SetDriver(&randr);
        host.AddSource(randr.ConnectionFd(), [&randr] {
            randr.ProcessPendingEvents();
            if (randr.ServerGone()) return host::SdlHost::SourceState::kGone;
            // A change reached the framework as a posted WM_DISPLAYCHANGE.
            return ui::QueuedMessageCount() > 0 ? host::SdlHost::SourceState::kChanged
                                                : host::SdlHost::SourceState::kQuiet;
        });
    } else {
        screen::SetDriver(&sdl_modes);
        host.SetDisplayEventHandler([&sdl_modes] { sdl_modes.Refresh(); });
    }

    char* args[] = {argv[0], nullptr};
    const int code = AfxWinMain(host, 1, args);
    if (host.SourceGone()) {
        std::fprintf(stderr, "%s: the display server went away; exiting\n", kProgram);
        // Nothing of SDL's may touch the dead connection on the way out.
        std::_Exit(1);
    }
    ui::ResetState();
    screen::SetDriver(nullptr);
    return code;
}
