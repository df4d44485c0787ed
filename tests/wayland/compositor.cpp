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

#include "tests/xserver/subprocess.h"

extern char** environ;

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

// Polls `ready` every 50 ms until it holds, `alive` fails or time runs out.
template <typename Ready, typename Alive>
bool WaitFor(Ready ready, Alive alive, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (ready()) return true;
        if (!alive() || Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
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
    const xtest::CommandResult added = xtest::RunCommand(
        {"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", kTestUserName}, "",
        30000);
    // Another test process may have created it meanwhile: look again either way.
    if (LookUpUser(kTestUserName, user)) return true;
    if (error) *error = std::string("cannot create the user ") + kTestUserName + ": " + added.output;
    return false;
}

int RunAsUser(const TestUser& user, const std::function<int()>& body, int timeout_ms) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (user.uid != geteuid()) {
            if (setgroups(1, &user.gid) != 0 || setgid(user.gid) != 0 || setuid(user.uid) != 0) _exit(126);
        }
        const int result = body();
        std::fflush(nullptr);
        _exit(result & 0xff);
    }
    int status = 0;
    const bool ended =
        WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, [] { return true; }, timeout_ms);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---- Process ----

std::unique_ptr<Process> Process::Start(const TestUser& user, const std::vector<std::string>& argv,
                                        const Env& env, const std::string& log_dir, std::string* error) {
    if (argv.empty()) {
        if (error) *error = "nothing to run";
        return nullptr;
    }
    static int counter = 0;
    std::unique_ptr<Process> process(new Process);
    const std::string stem = log_dir + "/" + fs::path(argv[0]).filename().string() + "." +
                             std::to_string(getpid()) + "." + std::to_string(++counter);
    process->out_path_ = stem + ".out";
    process->err_path_ = stem + ".err";
    const int out_fd = open(process->out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err_fd = open(process->err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (out_fd < 0 || err_fd < 0 || null_fd < 0) {
        if (error) *error = "cannot create output files in " + log_dir;
        for (int fd : {out_fd, err_fd, null_fd})
            if (fd >= 0) close(fd);
        return nullptr;
    }

    // Built before fork: the child may only make async-signal-safe calls.
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> env_entries;
    for (const auto& [name, value] : env) env_entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : env_entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const bool switch_user = user.uid != geteuid();
    const gid_t gid = user.gid;
    const uid_t uid = user.uid;
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        if (switch_user) {
            if (setgroups(1, &gid) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(126);
        }
        // After the user switch: changing credentials clears the death signal.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(null_fd, STDIN_FILENO);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        if (chdir(log_dir.c_str()) != 0) _exit(126);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(out_fd);
    close(err_fd);
    close(null_fd);
    if (pid < 0) {
        if (error) *error = std::string("fork failed: ") + std::strerror(errno);
        return nullptr;
    }
    // Also from here, so Stop() finds the group even before the child ran.
    setpgid(pid, pid);
    process->pid_ = pid;
    return process;
}

Process::~Process() {
    Stop();
}

void Process::Collect(int wait_status) {
    pid_ = -1;
    if (WIFEXITED(wait_status)) {
        result_.status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
        result_.status = -1;
        result_.signal = WTERMSIG(wait_status);
    }
    result_.out = ReadFile(out_path_);
    result_.err = ReadFile(err_path_);
}

bool Process::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        Collect(status);
        return false;
    }
    return done == 0;
}

bool Process::Wait(int timeout_ms) {
    const bool ended = WaitFor([this] { return !Running(); }, [] { return true; }, timeout_ms);
    return ended;
}

std::string Process::Stdout() const {
    return ReadFile(out_path_);
}

std::string Process::Stderr() const {
    return ReadFile(err_path_);
}

void Process::Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

void Process::Stop(int grace_ms) {
    if (pid_ <= 0) return;
    const pid_t group = pid_;
    if (Running()) {
        kill(-group, SIGTERM);
        if (!Wait(grace_ms)) {
            kill(-group, SIGKILL);
            int status = 0;
            while (waitpid(group, &status, 0) < 0 && errno == EINTR) {
            }
            Collect(status);
        }
        result_.timed_out = true;
    }
    // Whatever it left in its group goes too (the group id stays reserved
    // while any member lives, so this reaches only our processes).
    kill(-group, SIGKILL);
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
    Env env;
    for (char** entry = environ; *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (!equals) continue;
        std::string name(*entry, static_cast<std::size_t>(equals - *entry));
        if (!kDropped.count(name)) env.emplace_back(std::move(name), equals + 1);
    }
    env.emplace_back("XDG_RUNTIME_DIR", runtime_dir_);
    env.emplace_back("HOME", runtime_dir_);
    env.emplace_back("USER", user_.name);
    env.emplace_back("LOGNAME", user_.name);
    if (!wayland_display_.empty()) env.emplace_back("WAYLAND_DISPLAY", wayland_display_);
    const std::string bus = BusAddress();
    if (!bus.empty()) env.emplace_back("DBUS_SESSION_BUS_ADDRESS", bus);
    for (const auto& [name, value] : extra) {
        std::erase_if(env, [&](const auto& entry) { return entry.first == name; });
        if (!value.empty()) env.emplace_back(name, value);
    }
    return env;
}

std::unique_ptr<Process> Compositor::Launch(const std::vector<std::string>& argv, const Env& extra,
                                            std::string* error) const {
    return Process::Start(user_, argv, ClientEnv(extra), runtime_dir_, error);
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

std::string Compositor::StartSessionBus(std::string* error) {
    const std::string& dir = runtime_dir_;
    // The standard session policy, also admitting the test's own uid (the
    // session bus otherwise admits only its owner).
    std::string config =
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig>\n"
        "  <include>/usr/share/dbus-1/session.conf</include>\n";
    if (user_.uid != geteuid()) {
        config +=
            "  <policy context=\"default\"><allow user=\"" + std::to_string(geteuid()) + "\"/></policy>\n";
    }
    config += "</busconfig>\n";
    if (!WriteFile(dir + "/bus.conf", config, error)) return {};
    const std::string bus_socket = dir + "/bus";
    std::unique_ptr<Process> bus =
        Process::Start(user_,
                       {"dbus-daemon", "--config-file=" + dir + "/bus.conf", "--nofork", "--nopidfile",
                        "--address=unix:path=" + bus_socket},
                       ClientEnv(), dir, error);
    if (!bus) return {};
    Process* bus_process = bus.get();
    helpers_.push_back(std::move(bus));
    if (!WaitFor([&] { return fs::exists(bus_socket); }, [&] { return bus_process->Running(); },
                 kStartTimeoutMs)) {
        if (error) *error = "dbus-daemon did not start: " + bus_process->Stderr();
        return {};
    }
    return "unix:path=" + bus_socket;
}

// ---- sway ----

bool SwayCompositor::Installed() {
    return xtest::ProgramInstalled("sway") && xtest::ProgramInstalled("swaymsg");
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
    sway->main_ = Process::Start(sway->user_, {"sway", "-c", dir + "/sway.config"}, env, dir, error);
    if (!sway->main_) return nullptr;

    SwayCompositor* raw = sway.get();
    const auto alive = [raw] { return raw->Running(); };
    const bool ready = WaitFor(
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
        WaitFor([&] { return !ReadFile(display_file).empty(); }, alive, kStartTimeoutMs);
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
    WaitFor(
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
    return xtest::XvfbServer::Installed() && xtest::ProgramInstalled("mutter") &&
           xtest::ProgramInstalled("dbus-daemon") && xtest::ProgramInstalled("gdbus");
}

std::unique_ptr<MutterCompositor> MutterCompositor::Start(std::string* error, int monitors) {
    std::unique_ptr<MutterCompositor> mutter(new MutterCompositor);
    if (!mutter->MakeRuntimeDir(error)) return nullptr;
    const std::string& dir = mutter->runtime_dir_;

    // Room for the nested window when it shows two monitors side by side, one at 1280x1024.
    mutter->xvfb_ = xtest::XvfbServer::Start(error, monitors > 1 ? "2560x1200x24" : "1600x1200x24");
    if (!mutter->xvfb_) return nullptr;

    mutter->bus_address_ = mutter->StartSessionBus(error);
    if (mutter->bus_address_.empty()) return nullptr;

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
    mutter->main_ = Process::Start(
        mutter->user_, {"mutter", "--nested", "--wayland", "--no-x11", "--wayland-display=" + display_name},
        env, dir, error);
    if (!mutter->main_) return nullptr;
    MutterCompositor* raw = mutter.get();
    const bool ready = WaitFor(
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

namespace wltest {

// ---- KWin ----

bool KWinCompositor::Installed() {
    return fs::exists(kInstalledKWin) && xtest::ProgramInstalled("dbus-daemon");
}

std::unique_ptr<KWinCompositor> KWinCompositor::Start(std::string* error, const KWinOptions& options) {
    std::unique_ptr<KWinCompositor> kwin(new KWinCompositor);
    if (!kwin->MakeRuntimeDir(error)) return nullptr;
    const std::string& dir = kwin->runtime_dir_;
    // The installed binary carries file capabilities, which a container
    // refuses to exec; a plain copy has none.
    const std::string copy = dir + "/kwin_wayland";
    std::error_code ec;
    if (!fs::copy_file(kInstalledKWin, copy, fs::copy_options::overwrite_existing, ec)) {
        if (error) *error = "cannot copy " + std::string(kInstalledKWin) + ": " + ec.message();
        return nullptr;
    }
    chmod(copy.c_str(), 0755);
    kwin->bus_address_ = kwin->StartSessionBus(error);
    if (kwin->bus_address_.empty()) return nullptr;
    const std::string config_dir = dir + "/config";
    if (mkdir(config_dir.c_str(), 0700) != 0 ||
        chown(config_dir.c_str(), kwin->user_.uid, kwin->user_.gid) != 0) {
        if (error) *error = "cannot create " + config_dir;
        return nullptr;
    }
    const std::string display_name = "wayland-kwin";
    std::vector<std::string> argv = {copy,
                                     "--socket",
                                     display_name,
                                     "--virtual",
                                     "--no-lockscreen",
                                     "--width",
                                     std::to_string(options.width),
                                     "--height",
                                     std::to_string(options.height),
                                     "--output-count",
                                     std::to_string(options.outputs)};
    if (!options.scale.empty()) {
        argv.push_back("--scale");
        argv.push_back(options.scale);
    }
    // The test's own clients may take screenshots and fake input.
    const Env env = kwin->ClientEnv({{"KWIN_SCREENSHOT_NO_PERMISSION_CHECKS", "1"},
                                     {"KWIN_WAYLAND_NO_PERMISSION_CHECKS", "1"},
                                     {"XDG_CONFIG_HOME", config_dir},
                                     {"WAYLAND_DISPLAY", ""}});
    kwin->main_ = Process::Start(kwin->user_, argv, env, dir, error);
    if (!kwin->main_) return nullptr;
    KWinCompositor* raw = kwin.get();
    const bool ready = WaitFor([&] { return fs::exists(dir + "/" + display_name); },
                               [raw] { return raw->Running(); }, kStartTimeoutMs);
    if (!ready) {
        if (error) *error = "kwin_wayland did not start: " + Tail(kwin->Log());
        return nullptr;
    }
    kwin->wayland_display_ = display_name;
    return kwin;
}

}  // namespace wltest
