// The GNOME driver against a real mutter, and against a small stand-in
// service for what mutter never does (answer slowly or in the wrong shape,
// refuse, or show several monitors).
#include "platform/screen/gnome/gnome_driver.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/screen/devmode.h"
#include "tests/harness/child.h"
#include "tests/wayland/compositor.h"

namespace {

using screen::DisplayMode;
using screen::GnomeScreenDriver;
using wltest::MutterCompositor;

void Pump(GnomeScreenDriver& driver, int timeout_ms = 3000) {
    pollfd fd{driver.ConnectionFd(), POLLIN, 0};
    poll(&fd, 1, timeout_ms);
    driver.ProcessPendingEvents();
}

std::string CurrentModeId(const MutterCompositor& mutter) {
    const std::string state = mutter.CallDisplayConfig("GetCurrentState").out;
    const std::size_t flag = state.find("'is-current': <true>");
    if (flag == std::string::npos) return {};
    const std::size_t open = state.rfind("('", flag);
    return state.substr(open + 2, state.find('\'', open + 2) - open - 2);
}

class GnomeDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!MutterCompositor::Installed()) GTEST_SKIP() << "mutter is not installed";
        std::string error;
        mutter = MutterCompositor::Start(&error);
        ASSERT_TRUE(mutter) << error;
        ASSERT_TRUE(driver.Open(mutter->BusAddress(), {}, &error)) << error;
        driver.SetChangeListener([this](const DisplayMode& mode) { heard.push_back(mode); });
    }

    std::unique_ptr<MutterCompositor> mutter;
    GnomeScreenDriver driver;
    std::vector<DisplayMode> heard;
};

TEST_F(GnomeDriverTest, VerifiesThenReallySwitches) {
    EXPECT_EQ(driver.Connector(), "LVDS1");
    EXPECT_EQ(driver.Current(), (DisplayMode{1024, 768, 60, 32}));
    EXPECT_TRUE(GnomeScreenDriver::Offered(mutter->BusAddress()));

    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL) << driver.LastError();
    EXPECT_EQ(CurrentModeId(*mutter), "1024x768@60.000");
    EXPECT_EQ(driver.TestMode({1280, 1024, 75, 32}), DISP_CHANGE_BADMODE);
    EXPECT_EQ(driver.TestMode({1600, 1200, 60, 32}), DISP_CHANGE_BADMODE);
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 16}), DISP_CHANGE_BADMODE);
    EXPECT_TRUE(heard.empty());

    EXPECT_EQ(driver.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL) << driver.LastError();
    EXPECT_EQ(CurrentModeId(*mutter), "1280x1024@60.000");
    EXPECT_EQ(driver.Current(), (DisplayMode{1280, 1024, 60, 32}));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], (DisplayMode{1280, 1024, 60, 32}));
    // mutter's own MonitorsChanged for that change announces nothing new.
    Pump(driver, 500);
    EXPECT_EQ(heard.size(), 1u);
}

TEST_F(GnomeDriverTest, FollowsAnotherProgramsChange) {
    const std::string state = mutter->CallDisplayConfig("GetCurrentState").out;
    ASSERT_EQ(state.rfind("(uint32 ", 0), 0u) << state;
    const std::string serial = std::to_string(std::stoul(state.substr(8)));
    const wltest::RunResult applied = mutter->CallDisplayConfig(
        "ApplyMonitorsConfig",
        {serial, "1", "[(0, 0, 1.0, 0, true, [('LVDS1', '800x600@60.000', @a{sv} {})])]", "{}"});
    ASSERT_EQ(applied.status, 0) << applied.err;
    for (int i = 0; i < 5 && heard.empty(); ++i) Pump(driver, 1000);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], (DisplayMode{800, 600, 60, 32}));
    EXPECT_EQ(driver.Current(), heard[0]);
}

TEST_F(GnomeDriverTest, AServiceThatStopsAnsweringTimesOut) {
    driver.SetReplyTimeout(300);
    ASSERT_EQ(kill(mutter->Pid(), SIGSTOP), 0);
    const int tested = driver.TestMode({1280, 1024, 60, 32});
    const int set = driver.SetMode({1280, 1024, 60, 32});
    kill(mutter->Pid(), SIGCONT);
    EXPECT_EQ(tested, DISP_CHANGE_FAILED);
    EXPECT_EQ(set, DISP_CHANGE_FAILED);
    EXPECT_NE(driver.LastError().find("Timeout"), std::string::npos) << driver.LastError();
    EXPECT_EQ(driver.Current(), (DisplayMode{1024, 768, 60, 32}));
}

// ---- a stand-in service on a bus of our own ----

class PrivateBus {
public:
    PrivateBus() {
        char pattern[] = "/tmp/corvane-bus-XXXXXX";
        if (!mkdtemp(pattern)) return;
        dir_ = pattern;
        // Ready once it prints its address: it listens then.
        daemon_ = harness::Child::StartAndReadLine(
            {{"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + dir_ + "/bus"}},
            [](int fd) { return std::vector<std::string>{"--print-address=" + std::to_string(fd)}; }, 5000,
            &address_, nullptr);
        if (!daemon_) address_.clear();
    }
    ~PrivateBus() {
        daemon_.reset();
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    const std::string& Address() const { return address_; }

private:
    std::string dir_;
    std::string address_;
    std::unique_ptr<harness::Child> daemon_;
};

// Serves org.gnome.Mutter.DisplayConfig from a thread, as told.
class StandIn {
public:
    enum class Behaviour { kWrongShape, kSilent, kTwoMonitorsRefusing, kTwoMonitorsAccepting };

    StandIn(const std::string& address, Behaviour behaviour) : behaviour_(behaviour) {
        if (sd_bus_new(&bus_) < 0) return;
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        if (sd_bus_start(bus_) < 0) return;
        static const sd_bus_vtable vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("GetCurrentState", "", "ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv}",
                          &StandIn::GetCurrentState, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("ApplyMonitorsConfig", "uua(iiduba(ssa{sv}))a{sv}", "", &StandIn::Apply,
                          SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END};
        // sd-bus checks replies against the declared signature: the wrong
        // shape needs a declaration of its own.
        static const sd_bus_vtable wrong_vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("GetCurrentState", "", "us", &StandIn::GetCurrentState, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END};
        sd_bus_add_object_vtable(bus_, nullptr, "/org/gnome/Mutter/DisplayConfig",
                                 "org.gnome.Mutter.DisplayConfig",
                                 behaviour == Behaviour::kWrongShape ? wrong_vtable : vtable, this);
        ready_ = sd_bus_request_name(bus_, "org.gnome.Mutter.DisplayConfig", 0) >= 0;
        thread_ = std::thread([this] {
            while (!stop_) {
                while (sd_bus_process(bus_, nullptr) > 0) {
                }
                sd_bus_wait(bus_, 50000);
            }
        });
    }
    ~StandIn() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        for (sd_bus_message* m : unanswered_) sd_bus_message_unref(m);
        sd_bus_flush_close_unref(bus_);
    }
    bool Ready() const { return ready_; }

    struct Applied {
        std::uint32_t method = 0;
        std::vector<std::string> logical;  // "x,y scale transform primary connector=mode..."
    };
    std::vector<Applied> applied() {
        std::lock_guard<std::mutex> lock(mutex_);
        return applied_;
    }

private:
    // Two monitors side by side: DP-1 1920x1080 at scale 2 (primary), then
    // HDMI-1 1280x1024 at scale 1 turned 90 degrees, placed in logical pixels.
    static int AppendTwoMonitors(sd_bus_message* reply) {
        int r = sd_bus_message_append(reply, "u", 7u);
        r = r < 0 ? r : sd_bus_message_open_container(reply, 'a', "((ssss)a(siiddada{sv})a{sv})");
        struct ModeRow {
            const char* id;
            int w, h;
            double hz;
            bool current;
        };
        const struct {
            const char* connector;
            std::vector<ModeRow> modes;
        } monitors[] = {
            {"DP-1",
             {{"1920x1080@60.000", 1920, 1080, 60.0, true}, {"1280x1024@60.020", 1280, 1024, 60.02, false}}},
            {"HDMI-1",
             {{"1280x1024@60.020", 1280, 1024, 60.02, true}, {"1024x768@60.004", 1024, 768, 60.004, false}}},
        };
        const double scales[] = {1.0, 2.0};
        for (const auto& monitor : monitors) {
            r = r < 0 ? r : sd_bus_message_open_container(reply, 'r', "(ssss)a(siiddada{sv})a{sv}");
            r = r < 0 ? r : sd_bus_message_append(reply, "(ssss)", monitor.connector, "Maker", "Model", "1");
            r = r < 0 ? r : sd_bus_message_open_container(reply, 'a', "(siiddada{sv})");
            for (const ModeRow& mode : monitor.modes) {
                r = r < 0 ? r : sd_bus_message_open_container(reply, 'r', "siiddada{sv}");
                r = r < 0 ? r : sd_bus_message_append(reply, "siidd", mode.id, mode.w, mode.h, mode.hz, 1.0);
                r = r < 0 ? r : sd_bus_message_append_array(reply, 'd', scales, sizeof scales);
                if (mode.current) {
                    r = r < 0 ? r : sd_bus_message_append(reply, "a{sv}", 1, "is-current", "b", 1);
                } else {
                    r = r < 0 ? r : sd_bus_message_append(reply, "a{sv}", 0);
                }
                r = r < 0 ? r : sd_bus_message_close_container(reply);
            }
            r = r < 0 ? r : sd_bus_message_close_container(reply);
            r = r < 0 ? r : sd_bus_message_append(reply, "a{sv}", 0);
            r = r < 0 ? r : sd_bus_message_close_container(reply);
        }
        r = r < 0 ? r : sd_bus_message_close_container(reply);
        r = r < 0 ? r
                  : sd_bus_message_append(reply, "a(iiduba(ssss)a{sv})", 2, 0, 0, 2.0, 0u, 1, 1, "DP-1",
                                          "Maker", "Model", "1", 0, 960, 0, 1.0, 1u, 0, 1, "HDMI-1", "Maker",
                                          "Model", "1", 0);
        r = r < 0 ? r : sd_bus_message_append(reply, "a{sv}", 1, "layout-mode", "u", 1u);
        return r;
    }

    static int GetCurrentState(sd_bus_message* call, void* data, sd_bus_error*) {
        auto* self = static_cast<StandIn*>(data);
        if (self->behaviour_ == Behaviour::kSilent) {
            self->unanswered_.push_back(sd_bus_message_ref(call));
            return 1;
        }
        if (self->behaviour_ == Behaviour::kWrongShape)
            return sd_bus_reply_method_return(call, "us", 1u, "odd");
        sd_bus_message* reply = nullptr;
        int r = sd_bus_message_new_method_return(call, &reply);
        if (r >= 0) r = AppendTwoMonitors(reply);
        if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r;
    }

    static int Apply(sd_bus_message* call, void* data, sd_bus_error* error) {
        auto* self = static_cast<StandIn*>(data);
        Applied applied;
        std::uint32_t serial = 0;
        int r = sd_bus_message_read(call, "uu", &serial, &applied.method);
        r = r < 0 ? r : sd_bus_message_enter_container(call, 'a', "(iiduba(ssa{sv}))");
        while (r >= 0 && (r = sd_bus_message_enter_container(call, 'r', "iiduba(ssa{sv})")) > 0) {
            int x = 0, y = 0, primary = 0;
            double scale = 0;
            std::uint32_t transform = 0;
            r = sd_bus_message_read(call, "iidub", &x, &y, &scale, &transform, &primary);
            std::string text = std::to_string(x) + "," + std::to_string(y) + " " +
                               std::to_string(scale).substr(0, 3) + " " + std::to_string(transform) + " " +
                               (primary ? "primary" : "-");
            r = r < 0 ? r : sd_bus_message_enter_container(call, 'a', "(ssa{sv})");
            while (r >= 0 && (r = sd_bus_message_enter_container(call, 'r', "ssa{sv}")) > 0) {
                const char *connector = nullptr, *mode = nullptr;
                r = sd_bus_message_read(call, "ss", &connector, &mode);
                if (r >= 0) text += std::string(" ") + connector + "=" + mode;
                r = r < 0 ? r : sd_bus_message_skip(call, "a{sv}");
                r = r < 0 ? r : sd_bus_message_exit_container(call);
            }
            r = r < 0 ? r : sd_bus_message_exit_container(call);
            r = r < 0 ? r : sd_bus_message_exit_container(call);
            applied.logical.push_back(text);
        }
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->applied_.push_back(applied);
        }
        if (self->behaviour_ == Behaviour::kTwoMonitorsRefusing) {
            return sd_bus_error_set(error, "org.freedesktop.DBus.Error.InvalidArgs",
                                    "Logical monitors not adjacent");
        }
        return sd_bus_reply_method_return(call, "");
    }

    Behaviour behaviour_;
    sd_bus* bus_ = nullptr;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<sd_bus_message*> unanswered_;
    std::mutex mutex_;
    std::vector<Applied> applied_;
};

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!harness::ProgramInstalled("dbus-daemon")) GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_FALSE(bus.Address().empty());
    }
    PrivateBus bus;
};

TEST_F(StandInTest, AMissingServiceIsAClearError) {
    GnomeScreenDriver driver;
    std::string error;
    EXPECT_FALSE(GnomeScreenDriver::Offered(bus.Address()));
    EXPECT_FALSE(driver.Open(bus.Address(), {}, &error));
    EXPECT_NE(error.find("GetCurrentState"), std::string::npos) << error;
    EXPECT_EQ(driver.ConnectionFd(), -1);
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_FALSE(driver.Open("unix:path=/nonexistent/bus", {}, &error));
    EXPECT_NE(error.find("session bus"), std::string::npos) << error;
}

TEST_F(StandInTest, WrongShapesAndSilenceAreClearErrors) {
    {
        StandIn service(bus.Address(), StandIn::Behaviour::kWrongShape);
        ASSERT_TRUE(service.Ready());
        GnomeScreenDriver driver;
        std::string error;
        EXPECT_FALSE(driver.Open(bus.Address(), {}, &error));
        EXPECT_NE(error.find("signature \"us\""), std::string::npos) << error;
    }
    {
        StandIn service(bus.Address(), StandIn::Behaviour::kSilent);
        ASSERT_TRUE(service.Ready());
        GnomeScreenDriver driver;
        driver.SetReplyTimeout(200);
        std::string error;
        EXPECT_FALSE(driver.Open(bus.Address(), {}, &error));
        EXPECT_NE(error.find("Timeout"), std::string::npos) << error;
    }
}

TEST_F(StandInTest, KeepsTheRestOfTheLayoutAndReportsRefusals) {
    StandIn service(bus.Address(), StandIn::Behaviour::kTwoMonitorsRefusing);
    ASSERT_TRUE(service.Ready());
    GnomeScreenDriver driver;
    std::string error;
    ASSERT_TRUE(driver.Open(bus.Address(), {}, &error)) << error;
    EXPECT_EQ(driver.Connector(), "DP-1");
    EXPECT_EQ(driver.Current(), (DisplayMode{1920, 1080, 60, 32}));
    EXPECT_EQ(driver.TestMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_NE(driver.LastError().find("not adjacent"), std::string::npos) << driver.LastError();
    EXPECT_EQ(driver.SetMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.TestMode({1024, 768, 60, 32}), DISP_CHANGE_BADMODE);

    const auto applied = service.applied();
    ASSERT_EQ(applied.size(), 2u);
    EXPECT_EQ(applied[0].method, 0u);
    EXPECT_EQ(applied[1].method, 2u);
    // DP-1 shrinks from 960 to 640 logical pixels; HDMI-1 keeps its mode,
    // scale and turn, and moves left to stay beside it.
    const std::vector<std::string> expected = {"0,0 2.0 0 primary DP-1=1280x1024@60.020",
                                               "640,0 1.0 1 - HDMI-1=1280x1024@60.020"};
    EXPECT_EQ(applied[1].logical, expected);
}

TEST_F(StandInTest, ActsOnTheNamedMonitor) {
    StandIn service(bus.Address(), StandIn::Behaviour::kTwoMonitorsAccepting);
    ASSERT_TRUE(service.Ready());
    GnomeScreenDriver driver;
    std::string error;
    ASSERT_TRUE(driver.Open(bus.Address(), "HDMI-1", &error)) << error;
    EXPECT_EQ(driver.Current(), (DisplayMode{1280, 1024, 60, 32}));
    EXPECT_EQ(driver.TestMode({1024, 768, 60, 32}), DISP_CHANGE_SUCCESSFUL) << driver.LastError();
    const auto applied = service.applied();
    ASSERT_EQ(applied.size(), 1u);
    const std::vector<std::string> expected = {"0,0 2.0 0 primary DP-1=1920x1080@60.000",
                                               "960,0 1.0 1 - HDMI-1=1024x768@60.004"};
    EXPECT_EQ(applied[0].logical, expected);
    EXPECT_FALSE(driver.Open(bus.Address(), "VGA-9", &error));
    EXPECT_NE(error.find("VGA-9"), std::string::npos);
}

}  // namespace
