#include "tests/wayland/compositor.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace wltest {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr const char* kTestUserName = "corvane-test";
constexpr int kStartTimeoutMs = 20000;
constexpr int kStopGraceMs = 3000;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& text, std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    chmod(path.c_str(), 0644);
    return true;
}

bool LookUpUser(const char* name, TestUser* user) {
    const passwd* entry = getpwnam(name);
    if (!entry) return false;
    *user = {entry->pw_uid, entry->pw_gid, entry->pw_name};
    return true;
}

// A Unix socket in `dir` whose name matches `pattern`, or empty.
std::string FindSocket(const std::string& dir, const std::regex& pattern) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_socket(ec) && std::regex_match(name, pattern)) return name;
    }
    return {};
}

std::string Tail(const std::string& text, std::size_t max = 2000) {
    return text.size() <= max ? text : "..." + text.substr(text.size() - max);
}

std::set<std::string> HeadlessOutputNames(const std::string& json) {
    static const std::regex name_pattern("\"name\": \"(HEADLESS-[0-9]+)\"");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), name_pattern); it != std::sregex_iterator();
         ++it) {
        names.insert((*it)[1].str());
    }
    return names;
}

}  // namespace

bool GetTestUser(TestUser* user, std::string* error) {
    if (geteuid() != 0) {
        const passwd* entry = getpwuid(geteuid());
        *user = {geteuid(), getegid(), entry ? entry->pw_name : std::to_string(geteuid())};
        return true;
    }
    if (LookUpUser(kTestUserName, user)) return true;
    const RunResult added = harness::Run(
        {{"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", kTestUserName}}, 30000);
    // Another test process may have created it meanwhile: look again either way.
    if (LookUpUser(kTestUserName, user)) return true;
    if (error) *error = std::string("cannot create the user ") + kTestUserName + ": " + added.Output();
    return false;
}

int RunAsUser(const TestUser& user, const std::function<int()>& body, int timeout_ms) {
    std::unique_ptr<Process> child = Process::Fork(&user, body);
    if (!child) return -1;
    if (!child->Wait(timeout_ms)) return -1;  // the destructor kills it
    return child->Result().status;
}

// ---- Compositor ----

Compositor::~Compositor() {
    StopAll();
    if (!runtime_dir_.empty()) {
        std::error_code ec;
        fs::remove_all(runtime_dir_, ec);
    }
}

void Compositor::StopAll() {
    if (main_) main_->Stop(kStopGraceMs);
    for (auto it = helpers_.rbegin(); it != helpers_.rend(); ++it) (*it)->Stop(kStopGraceMs);
}

bool Compositor::MakeRuntimeDir(std::string* error) {
    if (!GetTestUser(&user_, error)) return false;
    char pattern[] = "/tmp/corvane-wl-XXXXXX";
    if (!mkdtemp(pattern)) {
        if (error) *error = std::string("mkdtemp failed: ") + std::strerror(errno);
        return false;
    }
    runtime_dir_ = pattern;
    if (chown(pattern, user_.uid, user_.gid) != 0 || chmod(pattern, 0700) != 0) {
        if (error) *error = "cannot hand " + runtime_dir_ + " to " + user_.name;
        return false;
    }
    return true;
}

Env Compositor::ClientEnv(const Env& extra) const {
    static const std::set<std::string> kDropped = {"DISPLAY",
                                                   "WAYLAND_DISPLAY",
                                                   "WAYLAND_SOCKET",
                                                   "XDG_RUNTIME_DIR",
                                                   "DBUS_SESSION_BUS_ADDRESS",
                                                   "SWAYSOCK",
                                                   "HOME",
                                                   "XAUTHORITY",
                                                   "USER",
                                                   "LOGNAME",
                                                   "I3SOCK",
                                                   "XDG_SESSION_TYPE",
                                                   "XDG_CURRENT_DESKTOP"};
    Env session = {{"XDG_RUNTIME_DIR", runtime_dir_},
                   {"HOME", runtime_dir_},
                   {"USER", user_.name},
                   {"LOGNAME", user_.name},
                   {"WAYLAND_DISPLAY", wayland_display_},
                   {"DBUS_SESSION_BUS_ADDRESS", BusAddress()}};
    session.insert(session.end(), extra.begin(), extra.end());
    return harness::EnvironmentWith(session, kDropped);
}

std::unique_ptr<Process> Compositor::Launch(const std::vector<std::string>& argv, const Env& extra,
                                            std::string* error) const {
    return Process::Start({argv, ClientEnv(extra), runtime_dir_, runtime_dir_, -1, &user_}, error);
}

RunResult Compositor::Run(const std::vector<std::string>& argv, const Env& extra, int timeout_ms) const {
    std::string error;
    std::unique_ptr<Process> process = Launch(argv, extra, &error);
    if (!process) {
        RunResult result;
        result.err = error;
        return result;
    }
    if (!process->Wait(timeout_ms)) process->Stop(0);
    return process->Result();
}

std::string Compositor::ExecutableForUser(const std::string& path, std::string* error) const {
    if (user_.uid == geteuid()) return path;
    const std::string dir = runtime_dir_ + "/bin";
    const std::string copy = dir + "/" + fs::path(path).filename().string();
    std::error_code ec;
    fs::create_directories(dir, ec);
    chmod(dir.c_str(), 0755);
    if (!fs::exists(copy, ec) && !fs::copy_file(path, copy, ec)) {
        if (error) *error = "cannot copy " + path + ": " + ec.message();
        return {};
    }
    chmod(copy.c_str(), 0755);
    return copy;
}

pid_t Compositor::Pid() const {
    return main_ ? main_->Pid() : -1;
}

bool Compositor::Running() const {
    return main_ && main_->Running();
}

void Compositor::Kill() {
    if (main_ && main_->Pid() > 0) {
        kill(-main_->Pid(), SIGKILL);
        main_->Wait(kStopGraceMs);
    }
}

std::string Compositor::Log() const {
    if (!main_) return {};
    return main_->Stdout() + main_->Stderr();
}

// ---- sway ----

bool SwayCompositor::Installed() {
    return harness::ProgramInstalled("sway") && harness::ProgramInstalled("swaymsg");
}

std::unique_ptr<SwayCompositor> SwayCompositor::Start(std::string* error, const SwayOptions& options) {
    std::unique_ptr<SwayCompositor> sway(new SwayCompositor);
    if (!sway->MakeRuntimeDir(error)) return nullptr;
    const std::string& dir = sway->runtime_dir_;
    const std::string display_file = dir + "/xwayland-display";
    std::string config = "seat * hide_cursor 300\n";
    if (options.xwayland) {
        config += "xwayland force\n";
        config += "exec sh -c 'echo \"$DISPLAY\" > " + display_file + ".part && mv " + display_file +
                  ".part " + display_file + "'\n";
    } else {
        config += "xwayland disable\n";
    }
    config += options.extra_config + "\n";
    if (!WriteFile(dir + "/sway.config", config, error)) return nullptr;

    const Env env = sway->ClientEnv({{"WLR_BACKENDS", "headless"},
                                     {"WLR_RENDERER", "pixman"},
                                     {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                     {"XDG_CONFIG_HOME", dir}});
    sway->main_ =
        Process::Start({{"sway", "-c", dir + "/sway.config"}, env, dir, dir, -1, &sway->user_}, error);
    if (!sway->main_) return nullptr;

    SwayCompositor* raw = sway.get();
    const auto alive = [raw] { return raw->Running(); };
    const bool ready = harness::WaitFor(
        [raw] {
            static const std::regex ipc_pattern("sway-ipc\\..*\\.sock");
            static const std::regex wayland_pattern("wayland-[0-9]+");
            raw->ipc_socket_ = FindSocket(raw->runtime_dir_, ipc_pattern);
            raw->wayland_display_ = FindSocket(raw->runtime_dir_, wayland_pattern);
            if (raw->ipc_socket_.empty() || raw->wayland_display_.empty()) return false;
            raw->ipc_socket_ = raw->runtime_dir_ + "/" + raw->ipc_socket_;
            // Ready once its first output is on (the IPC answers a little earlier).
            const RunResult outputs = raw->Swaymsg({"-t", "get_outputs", "-r"});
            return outputs.status == 0 && outputs.out.find("\"active\": true") != std::string::npos;
        },
        alive, kStartTimeoutMs);
    if (ready && options.xwayland) {
        harness::WaitFor([&] { return !ReadFile(display_file).empty(); }, alive, kStartTimeoutMs);
        std::string display = ReadFile(display_file);
        while (!display.empty() && (display.back() == '\n' || display.back() == ' ')) display.pop_back();
        sway->xwayland_display_ = display;
    }
    if (!ready || (options.xwayland && sway->xwayland_display_.empty())) {
        if (error) *error = "sway did not start: " + Tail(sway->Log());
        return nullptr;
    }
    return sway;
}

RunResult SwayCompositor::Swaymsg(const std::vector<std::string>& args) const {
    std::vector<std::string> argv = {"swaymsg", "-s", ipc_socket_};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv);
}

std::string SwayCompositor::CreateOutput(std::string* error) const {
    const RunResult before = Swaymsg({"-t", "get_outputs", "-r"});
    const RunResult created = Swaymsg({"create_output"});
    if (before.status != 0 || created.status != 0) {
        if (error) *error = "swaymsg create_output failed: " + created.out + created.err;
        return {};
    }
    const std::set<std::string> old_names = HeadlessOutputNames(before.out);
    std::string name;
    harness::WaitFor(
        [&] {
            for (const std::string& now : HeadlessOutputNames(Swaymsg({"-t", "get_outputs", "-r"}).out)) {
                if (!old_names.count(now)) name = now;
            }
            return !name.empty();
        },
        [this] { return Running(); }, 5000);
    if (name.empty() && error) *error = "no new output appeared";
    return name;
}

// ---- mutter ----

bool MutterCompositor::Installed() {
    return xtest::XvfbServer::Installed() && harness::ProgramInstalled("mutter") &&
           harness::ProgramInstalled("dbus-daemon") && harness::ProgramInstalled("gdbus");
}

std::unique_ptr<MutterCompositor> MutterCompositor::Start(std::string* error, int monitors) {
    std::unique_ptr<MutterCompositor> mutter(new MutterCompositor);
    if (!mutter->MakeRuntimeDir(error)) return nullptr;
    const std::string& dir = mutter->runtime_dir_;

    // Room for the nested window when it shows two monitors side by side, one at 1280x1024.
    mutter->xvfb_ = xtest::XvfbServer::Start(error, monitors > 1 ? "2560x1200x24" : "1600x1200x24");
    if (!mutter->xvfb_) return nullptr;

    // The session bus: the standard session policy, also admitting the
    // test's own uid (the session bus otherwise admits only its owner).
    std::string config =
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig>\n"
        "  <include>/usr/share/dbus-1/session.conf</include>\n";
    if (mutter->user_.uid != geteuid()) {
        config +=
            "  <policy context=\"default\"><allow user=\"" + std::to_string(geteuid()) + "\"/></policy>\n";
    }
    config += "</busconfig>\n";
    if (!WriteFile(dir + "/bus.conf", config, error)) return nullptr;
    // Ready once it prints its address: it listens then.
    std::unique_ptr<Process> bus = Process::StartAndReadLine(
        {{"dbus-daemon", "--config-file=" + dir + "/bus.conf", "--nofork", "--nopidfile",
          "--address=unix:path=" + dir + "/bus"},
         mutter->ClientEnv(),
         dir,
         dir,
         -1,
         &mutter->user_},
        [](int fd) { return std::vector<std::string>{"--print-address=" + std::to_string(fd)}; },
        kStartTimeoutMs, &mutter->bus_address_, error);
    if (!bus) return nullptr;
    mutter->helpers_.push_back(std::move(bus));

    // mutter keeps monitors.xml here when a change is made persistent.
    const std::string config_dir = dir + "/config";
    if (mkdir(config_dir.c_str(), 0700) != 0 ||
        chown(config_dir.c_str(), mutter->user_.uid, mutter->user_.gid) != 0) {
        if (error) *error = "cannot create " + config_dir;
        return nullptr;
    }
    const std::string display_name = "wayland-corvane";
    Env extra = {{"DISPLAY", mutter->xvfb_->DisplayName()},
                 {"MUTTER_DEBUG_DUMMY_MODE_SPECS", "1024x768:1280x1024:800x600"},
                 {"GSETTINGS_BACKEND", "memory"},
                 {"XDG_CONFIG_HOME", config_dir}};
    if (monitors > 1) extra.emplace_back("MUTTER_DEBUG_NUM_DUMMY_MONITORS", std::to_string(monitors));
    const Env env = mutter->ClientEnv(extra);
    mutter->main_ =
        Process::Start({{"mutter", "--nested", "--wayland", "--no-x11", "--wayland-display=" + display_name},
                        env,
                        dir,
                        dir,
                        -1,
                        &mutter->user_},
                       error);
    if (!mutter->main_) return nullptr;
    MutterCompositor* raw = mutter.get();
    const bool ready = harness::WaitFor(
        [&] {
            return fs::exists(dir + "/" + display_name) &&
                   raw->CallDisplayConfig("GetCurrentState").status == 0;
        },
        [raw] { return raw->Running(); }, kStartTimeoutMs);
    if (!ready) {
        if (error) *error = "mutter did not start: " + Tail(mutter->Log());
        return nullptr;
    }
    mutter->wayland_display_ = display_name;
    return mutter;
}

MutterCompositor::~MutterCompositor() {
    StopAll();
    xvfb_.reset();
}

RunResult MutterCompositor::CallDisplayConfig(const std::string& method,
                                              const std::vector<std::string>& args) const {
    std::vector<std::string> argv = {"gdbus",
                                     "call",
                                     "--session",
                                     "--timeout",
                                     "5",
                                     "--dest",
                                     "org.gnome.Mutter.DisplayConfig",
                                     "--object-path",
                                     "/org/gnome/Mutter/DisplayConfig",
                                     "--method",
                                     "org.gnome.Mutter.DisplayConfig." + method};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv, {}, 10000);
}

}  // namespace wltest
