#include "tests/wayland/kwin_session.h"

#include <fake-input-client-protocol.h>
#include <fcntl.h>
#include <kde-output-device-v2-client-protocol.h>
#include <kde-output-management-v2-client-protocol.h>
#include <poll.h>
#include <sys/prctl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/screen/kde/kde_outputs.h"
#include "tests/e2e/picture_wait.h"

namespace wltest {
namespace {

constexpr std::uint32_t kLeftButton = 0x110;  // BTN_LEFT

// QImage's 32-bit formats as ScreenShot2 reports them: 0xAARRGGBB words.
constexpr std::uint32_t kQImageRgb32 = 4;
constexpr std::uint32_t kQImageArgb32Premultiplied = 6;

}  // namespace

// The test's own Wayland client of KWin: its output devices and management,
// and fake input.
struct KWinSession::Client {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    screen::kde::Outputs outputs;
    kde_output_management_v2* management = nullptr;
    org_kde_kwin_fake_input* input = nullptr;

    ~Client() {
        outputs.Clear();
        if (input) org_kde_kwin_fake_input_destroy(input);
        if (management) kde_output_management_v2_destroy(management);
        if (registry) wl_registry_destroy(registry);
        if (display) wl_display_disconnect(display);
    }

    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* c = static_cast<Client*>(data);
        c->outputs.OnGlobal(registry, name, interface, version);
        if (std::strcmp(interface, kde_output_management_v2_interface.name) == 0) {
            c->management = static_cast<kde_output_management_v2*>(
                wl_registry_bind(registry, name, &kde_output_management_v2_interface, std::min(version, 3u)));
        } else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0) {
            c->input = static_cast<org_kde_kwin_fake_input*>(
                wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, std::min(version, 4u)));
        }
    }
    static void GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
        static_cast<Client*>(data)->outputs.OnGlobalRemove(name);
    }

    // Empty when connected with all it needs, else what is missing. KWin
    // offers fake input only to clients of its own user.
    std::string Connect(const std::string& socket, bool want_input) {
        display = wl_display_connect(socket.c_str());
        if (!display) return "cannot connect";
        registry = wl_display_get_registry(display);
        static const wl_registry_listener listener = {Global, GlobalRemove};
        wl_registry_add_listener(registry, &listener, this);
        // KWin adds some globals a little after its socket appears.
        const auto complete = [&] {
            return management && (input || !want_input) && outputs.Offered() && outputs.AllDescribed();
        };
        for (int i = 0; i < 100 && !complete(); ++i) {
            if (wl_display_roundtrip(display) < 0) return "the connection failed";
            if (!complete()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!management) return "no kde_output_management_v2";
        if (want_input && !input) return "no org_kde_kwin_fake_input";
        if (!outputs.AllDescribed()) return "output devices not described";
        if (!input) return "";
        org_kde_kwin_fake_input_authenticate(input, "corvane tests", "clicks the wizard");
        return wl_display_roundtrip(display) >= 0 ? "" : "the connection failed";
    }

    const screen::kde::Device* Device(const std::string& name) {
        wl_display_roundtrip(display);
        return outputs.Find(name);
    }

    // Applies what `fill` asks for; true when KWin answers applied.
    template <typename Fill>
    bool Configure(Fill fill) {
        kde_output_configuration_v2* config = kde_output_management_v2_create_configuration(management);
        int outcome = 0;
        static const kde_output_configuration_v2_listener listener = {
            [](void* data, kde_output_configuration_v2*) { *static_cast<int*>(data) = 1; },
            [](void* data, kde_output_configuration_v2*) { *static_cast<int*>(data) = -1; }};
        kde_output_configuration_v2_add_listener(config, &listener, &outcome);
        fill(config);
        kde_output_configuration_v2_apply(config);
        while (outcome == 0 && wl_display_dispatch(display) >= 0) {
        }
        kde_output_configuration_v2_destroy(config);
        wl_display_roundtrip(display);
        return outcome == 1;
    }
};

// A fake pointer held by a child process as the test user from KWin's start
// to the test's end: a seat whose pointer comes and goes with each click
// would lose clicks sent before the program bound the new one. It clicks
// at the logical positions the test writes ("X Y\n"), answering each.
struct KWinSession::Pointer {
    int commands[2] = {-1, -1};
    int answers[2] = {-1, -1};
    std::thread thread;

    ~Pointer() {
        for (int fd : {commands[0], commands[1], answers[0], answers[1]}) {
            if (fd >= 0) close(fd);
        }
        if (thread.joinable()) thread.join();
    }

    bool Answered() const {
        pollfd fd{answers[0], POLLIN, 0};
        char answer = 0;
        return poll(&fd, 1, 10000) > 0 && read(answers[0], &answer, 1) == 1 && answer == 'k';
    }

    // In the child: the ends it does not use close, so that the test
    // closing its end of `commands` ends the loop.
    int Serve(const std::string& socket) {
        close(commands[1]);
        close(answers[0]);
        const int in = commands[0];
        const int out = answers[1];
        // KWin reads who a client is from /proc, which a process that
        // changed its user hides until it says otherwise.
        prctl(PR_SET_DUMPABLE, 1);
        Client pointer;
        const std::string why = pointer.Connect(socket, true);
        if (write(out, why.empty() ? "k" : "e", 1) != 1 || !why.empty()) return 1;
        FILE* commands = fdopen(in, "r");
        double x = 0;
        double y = 0;
        while (commands && std::fscanf(commands, "%lf %lf", &x, &y) == 2) {
            org_kde_kwin_fake_input_pointer_motion_absolute(pointer.input, wl_fixed_from_double(x),
                                                            wl_fixed_from_double(y));
            org_kde_kwin_fake_input_button(pointer.input, kLeftButton, 1);
            org_kde_kwin_fake_input_button(pointer.input, kLeftButton, 0);
            const bool ok = wl_display_roundtrip(pointer.display) >= 0;
            if (write(out, ok ? "k" : "e", 1) != 1 || !ok) return 2;
        }
        return 0;
    }
};

void KWinSession::SetUp() {
    if (!KWinCompositor::Installed()) GTEST_SKIP() << "kwin_wayland is not installed";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name) {
        if (c == '/') c = '-';
    }
    dir_ = std::filesystem::temp_directory_path() / ("corvane-kwin-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::create_directories(dir_);
}

void KWinSession::TearDown() {
    if (program_) program_->Stop(500);
    pointer_.reset();
    client_.reset();
    kwin_.reset();
    if (!HasFailure()) std::filesystem::remove_all(dir_);
}

void KWinSession::StartKWin(const KWinOptions& options) {
    options_ = options;
    std::string error;
    kwin_ = KWinCompositor::Start(&error, options);
    ASSERT_TRUE(kwin_) << error;
    adjust_ = kwin_->ExecutableForUser(CORVANE_ADJUST_PATH, &error);
    ASSERT_FALSE(adjust_.empty()) << error;
    client_ = std::make_shared<Client>();
    EXPECT_EQ(client_->Connect(kwin_->WaylandSocketPath(), false), "");
    pointer_ = std::make_shared<Pointer>();
    Pointer& p = *pointer_;
    ASSERT_EQ(pipe2(p.commands, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(p.answers, O_CLOEXEC), 0);
    p.thread = std::thread([&p, user = kwin_->User(), socket = kwin_->WaylandSocketPath()] {
        RunAsUser(
            user, [&] { return p.Serve(socket); }, 3600000);
    });
    ASSERT_TRUE(p.Answered()) << "no fake pointer in KWin";
    // The child has its own copies now.
    close(std::exchange(p.commands[0], -1));
    close(std::exchange(p.answers[1], -1));
}

void KWinSession::StartProgram(const std::vector<std::string>& args) {
    std::string error;
    std::vector<std::string> argv = {adjust_};
    argv.insert(argv.end(), args.begin(), args.end());
    program_ = kwin_->Launch(argv, {}, &error);
    ASSERT_TRUE(program_) << error;
}

e2e::Image KWinSession::Capture(const std::string& output) {
    e2e::Image image;
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) return image;
    int pipe_fds[2] = {-1, -1};
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error bus_error = SD_BUS_ERROR_NULL;
    std::uint32_t width = 0, height = 0, stride = 0, format = 0;
    std::string data;
    bool ok = sd_bus_set_address(bus, kwin_->BusAddress().c_str()) >= 0 &&
              sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0 && pipe2(pipe_fds, O_CLOEXEC) == 0;
    ok = ok &&
         sd_bus_message_new_method_call(bus, &call, "org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                                        "org.kde.KWin.ScreenShot2", "CaptureScreen") >= 0 &&
         sd_bus_message_append(call, "sa{sv}h", output.c_str(), 2, "native-resolution", "b", 1,
                               "include-cursor", "b", 0, pipe_fds[1]) >= 0;
    if (ok) {
        // KWin writes the pixels while the reply is on its way: read them meanwhile.
        std::thread reader([&] {
            char buffer[65536];
            for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) > 0;) data.append(buffer, n);
        });
        ok = sd_bus_call(bus, call, 5'000'000, &bus_error, &reply) >= 0;
        // The call holds a copy of the pipe's end too: the end comes when
        // KWin's copy alone is left and it is done.
        call = sd_bus_message_unref(call);
        close(pipe_fds[1]);
        pipe_fds[1] = -1;
        reader.join();
    }
    ok = ok && sd_bus_message_enter_container(reply, 'a', "{sv}") >= 0;
    while (ok && sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
        const char* key = nullptr;
        const char* contents = nullptr;
        char type = 0;
        sd_bus_message_read(reply, "s", &key);
        sd_bus_message_peek_type(reply, &type, &contents);
        std::uint32_t* field = !std::strcmp(key, "width")    ? &width
                               : !std::strcmp(key, "height") ? &height
                               : !std::strcmp(key, "stride") ? &stride
                               : !std::strcmp(key, "format") ? &format
                                                             : nullptr;
        if (field && contents && !std::strcmp(contents, "u")) {
            sd_bus_message_read(reply, "v", "u", field);
        } else {
            sd_bus_message_skip(reply, "v");
        }
        sd_bus_message_exit_container(reply);
    }
    for (int fd : pipe_fds) {
        if (fd >= 0) close(fd);
    }
    sd_bus_error_free(&bus_error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_flush_close_unref(bus);
    if (!ok || (format < kQImageRgb32 || format > kQImageArgb32Premultiplied) || width == 0 ||
        data.size() < static_cast<std::size_t>(stride) * height || stride < width * 4) {
        return image;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, data.data() + static_cast<std::size_t>(y) * stride + x * 4, 4);
            image.pixels[static_cast<std::size_t>(y) * width + x] = pixel & 0xffffff;
        }
    }
    return image;
}

::testing::AssertionResult KWinSession::ScreenBecomes(const e2e::Image& expected, const std::string& name,
                                                      int timeout_ms) {
    return e2e::PictureBecomes([&] { return Capture(); }, expected, dir_, name, "Virtual-0", timeout_ms)
           << "\nprogram stderr: " << (program_ ? program_->Stderr() : "");
}

e2e::Snapshot KWinSession::Expect(const std::string& steps) {
    const screen::kde::Device* device = client_->Device("Virtual-0");
    const screen::DisplayMode mode = device ? device->Mode() : screen::DisplayMode{};
    e2e::Snapshot s = e2e::RunSnapshot(
        dir_.string(), std::to_string(mode.width) + "x" + std::to_string(mode.height) + "@60/32", steps);
    EXPECT_EQ(s.status, 0) << steps << "\n" << s.output;
    EXPECT_FALSE(s.image.empty()) << steps;
    return s;
}

void KWinSession::Click(std::optional<e2e::Point> at) {
    ASSERT_TRUE(at) << "nothing to click";
    ASSERT_TRUE(pointer_) << "no pointer";
    const screen::kde::Device* device = client_->Device("Virtual-0");
    ASSERT_TRUE(device);
    // Fake input moves in the desktop's logical pixels.
    const double scale = wl_fixed_to_double(device->scale_fixed);
    const std::string line = std::to_string(device->x + (at->x + 0.5) / scale) + " " +
                             std::to_string(device->y + (at->y + 0.5) / scale) + "\n";
    ASSERT_EQ(write(pointer_->commands[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ASSERT_TRUE(pointer_->Answered()) << "the click did not reach KWin";
}

void KWinSession::ClickButton(const e2e::Snapshot& reference, const std::string& name) {
    ASSERT_TRUE(reference.ButtonCentre(name)) << name << " is not shown";
    Click(reference.ButtonCentre(name));
}

void KWinSession::SetScale(const std::string& output, double scale) {
    const screen::kde::Device* device = client_->Device(output);
    ASSERT_TRUE(device) << output;
    ASSERT_TRUE(client_->Configure([&](kde_output_configuration_v2* config) {
        kde_output_configuration_v2_scale(config, device->proxy, wl_fixed_from_double(scale));
    }));
}

void KWinSession::MakePrimary(const std::string& output) {
    std::vector<const screen::kde::Device*> order;
    for (const screen::kde::Device* device : client_->outputs.Devices()) {
        if (!device->enabled) continue;
        if (device->name == output) {
            order.insert(order.begin(), device);
        } else {
            order.push_back(device);
        }
    }
    ASSERT_FALSE(order.empty() || order.front()->name != output) << output;
    ASSERT_TRUE(client_->Configure([&](kde_output_configuration_v2* config) {
        for (std::size_t i = 0; i < order.size(); ++i) {
            kde_output_configuration_v2_set_priority(config, order[i]->proxy,
                                                     static_cast<std::uint32_t>(i + 1));
        }
    }));
}

int KWinSession::CountInStderr(const std::string& text) const {
    const std::string err = program_ ? program_->Stderr() : "";
    int count = 0;
    for (std::size_t at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) ++count;
    return count;
}

}  // namespace wltest
