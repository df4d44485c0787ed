#include "tests/monitors/xorg_dummy.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/xserver/xvfb_server.h"

namespace monitorstest {
namespace {

constexpr const char* kDriver = "/usr/lib/xorg/modules/drivers/dummy_drv.so";
constexpr int kStartTimeoutMs = 15000;

// No input devices (the machine's own stay untouched) and a 1024x768 start.
constexpr const char* kConfig = R"(Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
  EndSubSection
EndSection
)";

}  // namespace

bool XorgDummy::Available(std::string* why) {
    if (geteuid() != 0) {
        *why = "Xorg with the dummy driver needs root";
        return false;
    }
    if (!xtest::ProgramInstalled("Xorg") || access(kDriver, R_OK) != 0) {
        *why = "Xorg or its dummy driver (xserver-xorg-video-dummy) is not installed";
        return false;
    }
    if (!xtest::ProgramInstalled("xrandr")) {
        *why = "xrandr is not installed";
        return false;
    }
    return true;
}

std::unique_ptr<XorgDummy> XorgDummy::Start(const std::string& dir, std::string* error) {
    const std::string config = dir + "/xorg.conf";
    std::ofstream(config) << kConfig;
    int number = -1;
    auto child = xtest::StartOnFreeDisplay(
        [&](int n) {
            return std::vector<std::string>{"Xorg",       ":" + std::to_string(n),
                                            "-config",    config,
                                            "-configdir", dir + "/no-config.d",
                                            "-logfile",   dir + "/xorg.log",
                                            "-noreset",   "-nolisten",
                                            "tcp"};
        },
        4, kStartTimeoutMs, &number);
    if (child) return std::unique_ptr<XorgDummy>(new XorgDummy(std::move(child), number));
    *error =
        "Xorg did not start (last display tried :" + std::to_string(number) + "); see " + dir + "/xorg.log";
    return nullptr;
}

XorgDummy::XorgDummy(std::unique_ptr<harness::Child> child, int number)
    : child_(std::move(child)), display_(":" + std::to_string(number)) {}

XorgDummy::~XorgDummy() {
    child_->Stop(3000);
}

xtest::CommandResult XorgDummy::Run(const std::vector<std::string>& argv) const {
    return xtest::RunCommand(argv, display_);
}

bool XorgDummy::SetEdid(const std::string& output, const std::vector<std::uint8_t>& bytes,
                        std::string* error) const {
    Display* display = XOpenDisplay(display_.c_str());
    if (!display) {
        *error = "cannot open " + display_;
        return false;
    }
    bool done = false;
    const Window root = DefaultRootWindow(display);
    if (XRRScreenResources* res = XRRGetScreenResourcesCurrent(display, root)) {
        const Atom edid = XInternAtom(display, RR_PROPERTY_RANDR_EDID, False);
        for (int i = 0; i < res->noutput && !done; ++i) {
            XRROutputInfo* info = XRRGetOutputInfo(display, res, res->outputs[i]);
            if (info && output == std::string(info->name, static_cast<std::size_t>(info->nameLen))) {
                if (bytes.empty()) {
                    XRRDeleteOutputProperty(display, res->outputs[i], edid);
                } else {
                    XRRChangeOutputProperty(display, res->outputs[i], edid, XA_INTEGER, 8, PropModeReplace,
                                            bytes.data(), static_cast<int>(bytes.size()));
                }
                done = true;
            }
            if (info) XRRFreeOutputInfo(info);
        }
        XRRFreeScreenResources(res);
    }
    XSync(display, False);
    XCloseDisplay(display);
    if (!done) *error = "no output named " + output;
    return done;
}

bool XorgDummy::AddStandardModes(const std::string& output, std::string* error) const {
    for (const xtest::StandardMode& mode : xtest::StandardModes()) {
        std::vector<std::string> newmode = {"xrandr", "--newmode", mode.name};
        std::istringstream timings(mode.modeline);
        for (std::string word; timings >> word;) newmode.push_back(word);
        Run(newmode);  // fails harmlessly when another output added it first
        const auto result = Run({"xrandr", "--addmode", output, mode.name});
        if (result.status != 0) {
            *error = std::string("--addmode ") + output + " " + mode.name + " failed: " + result.Output();
            return false;
        }
    }
    return true;
}

bool XorgDummy::SetMode(const std::string& output, const std::string& mode, std::string* error) const {
    std::vector<std::string> argv{"xrandr", "--output", output, "--mode", mode};
    if (output != "DUMMY0") argv.insert(argv.end(), {"--right-of", "DUMMY0"});
    const auto result = Run(argv);
    if (result.status != 0)
        *error = "xrandr --output " + output + " --mode " + mode + " failed: " + result.Output();
    return result.status == 0;
}

std::string XorgDummy::Geometry(const std::string& output) const {
    const auto result = Run({"xrandr", "--query"});
    std::istringstream lines(result.Output());
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string name, state, next;
        words >> name >> state >> next;
        if (name != output) continue;
        if (state != "connected") return state;
        if (next == "primary") words >> next;
        return next.find('x') != std::string::npos && next.find('+') != std::string::npos ? next : "off";
    }
    return "missing";
}

}  // namespace monitorstest
