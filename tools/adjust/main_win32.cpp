// corvane-adjust on Windows: the wizard on the monitor chosen with --monitor
// (a device name such as \\.\DISPLAY2) or else the primary; --list-monitors
// prints them. It reads no files or settings. No exit path restores the mode.
#include <iostream>
#include <string>

#include "platform/gdi/text.h"
#include "platform/host/win32/win32_host.h"
#include "platform/screen/win32/win32_driver.h"
#include "platform/ui/afxwin.h"
#include "platform/ui/framework.h"
#include "res/app_resources.h"
#include "tools/adjust/console_win32.h"
#include "tools/adjust/monitor_choice.h"
#include "tools/adjust/monitor_report.h"
#include "tools/adjust/options.h"

namespace {

constexpr const char* kProgram = "corvane-adjust";

}  // namespace

int main(int argc, char** argv) {
    adjust::UseParentConsole();
    adjust::Options options;
    if (const auto status = adjust::HandleCommandLine(argc, argv, &options, std::cout, std::cerr))
        return *status;
    const std::vector<screen::Monitor> monitors = screen::ReadWin32Monitors();
    if (options.list_monitors) {
        std::cout << (options.json ? adjust::MonitorsJson(monitors) : adjust::MonitorsText(monitors));
        return adjust::kExitDone;
    }
    RegisterAppResources();
    // The fonts' set-up runs while the monitor is chosen and the window made.
    gdi::text::StartFontSetup(/*preparation_due=*/true);
    // Before the first window: one program pixel is one device pixel at any scale.
    if (!host::win32::BecomePerMonitorDpiAware())
        std::cerr << kProgram << ": Windows may scale the window: it refused per-monitor DPI awareness\n";
    std::string monitor;
    if (const auto status = adjust::ChooseMonitor(monitors, options.monitor, std::cerr, &monitor))
        return *status;
    std::string error;
    screen::Win32ScreenDriver driver;
    if (monitor.empty() || !driver.Open(monitor, &error)) {
        std::cerr << kProgram << ": " << (monitor.empty() ? "no monitor shows a picture" : error) << "\n";
        return adjust::kExitNoDisplay;
    }
    host::Win32Host host;
    if (!host.Open(kProgram, &error)) {
        std::cerr << kProgram << ": " << error << "\n";
        return adjust::kExitNoDisplay;
    }
    // The frame's screen is the chosen monitor's picture, wherever it sits.
    host.SetScreenOrigin([&driver](int* x, int* y) {
        if (!driver.Origin(x, y)) *x = *y = 0;
    });
    host.SetDisplayEventHandler([&driver] { driver.Refresh(); });
    screen::SetDriver(&driver);

    char* args[] = {argv[0], nullptr};
    const int code = AfxWinMain(host, 1, args);
    ui::ResetState();
    screen::SetDriver(nullptr);
    return code;
}
