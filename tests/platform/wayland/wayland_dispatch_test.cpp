// The one Wayland loop against a socket whose far end the test plays: the
// compositor's messages are written by hand, its faults made with
// shutdown() and close().
#include "platform/wayland_dispatch.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/screen/wayland/readonly_driver.h"
#include "platform/wayland_connection.h"

namespace {

using platform::Dispatched;

class FakeCompositor : public ::testing::Test {
protected:
    void SetUp() override { MakeSocket(); }
    void TearDown() override { Hang(); }
    void MakeSocket() {
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        client_fd_ = fds[0];
        far_ = fds[1];
    }
    // Ends the client's connection (or the socket it did not take) and the far end.
    void Hang() {
        if (display_)
            wl_display_disconnect(display_);
        else if (client_fd_ >= 0)
            close(client_fd_);
        if (far_ >= 0) close(far_);
        display_ = nullptr;
        client_fd_ = far_ = -1;
    }
    wl_display* Connect() {
        display_ = wl_display_connect_to_fd(client_fd_);
        return display_;
    }
    // wl_callback.done(serial) for the object `id`, as the compositor sends it.
    void SendDone(std::uint32_t id) {
        const std::uint32_t message[] = {id, (12u << 16) | 0u, 7u};
        ASSERT_EQ(write(far_, message, sizeof message), static_cast<ssize_t>(sizeof message));
    }

    int client_fd_ = -1;
    int far_ = -1;
    wl_display* display_ = nullptr;
};

TEST_F(FakeCompositor, EachWayOfWakingUpIsTold) {
    wl_display* display = Connect();
    ASSERT_NE(display, nullptr);
    // Silence: the deadline passes.
    EXPECT_EQ(platform::DispatchOnce(display, {}, platform::Clock::now(), nullptr), Dispatched::kTimedOut);
    // Ready before sleeping: no sleep, though the deadline is far.
    EXPECT_EQ(platform::DispatchOnce(display, {}, platform::DeadlineAfter(60000), [] { return true; }),
              Dispatched::kReady);
    // Another descriptor: it wakes the wait and its revents say so.
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    ASSERT_EQ(write(pipe_fds[1], "x", 1), 1);
    pollfd extra{pipe_fds[0], POLLIN, 0};
    EXPECT_EQ(platform::DispatchOnce(display, {&extra, 1}, platform::DeadlineAfter(60000), nullptr),
              Dispatched::kWoke);
    EXPECT_TRUE(extra.revents & POLLIN);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
}

TEST_F(FakeCompositor, AnswerIsReadAndDispatched) {
    wl_display* display = Connect();
    ASSERT_NE(display, nullptr);
    bool done = false;
    wl_callback* callback = wl_display_sync(display);
    static const wl_callback_listener listener = {
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(callback, &listener, &done);
    SendDone(wl_proxy_get_id(reinterpret_cast<wl_proxy*>(callback)));
    EXPECT_EQ(platform::DispatchUntil(display, platform::DeadlineAfter(60000), [&] { return done; }),
              Dispatched::kReady);
    EXPECT_TRUE(done);
    wl_callback_destroy(callback);
}

// A request that cannot be sent (flush), a poll() that fails, a connection
// closed under the wait (read) and a descriptor closed under the client are
// failures at once, never waited out as time-outs.
TEST_F(FakeCompositor, BrokenConnectionFailsAtOnce) {
    enum Fault { kFlush, kPoll, kRead, kDescriptor };
    for (const Fault fault : {kFlush, kPoll, kRead, kDescriptor}) {
        SCOPED_TRACE(fault);
        Hang();
        MakeSocket();
        wl_display* display = Connect();
        ASSERT_NE(display, nullptr);
        wl_callback* callback = nullptr;
        // poll() refuses more descriptors than the process may open.
        std::vector<pollfd> extra(fault == kPoll ? 64 : 0, pollfd{-1, POLLIN, 0});
        rlimit limit{};
        ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
        rlimit lowered = limit;
        if (fault == kFlush) {
            ASSERT_EQ(shutdown(far_, SHUT_RD), 0);
            callback = wl_display_sync(display);
        } else if (fault == kPoll) {
            lowered.rlim_cur = 32;
        } else if (fault == kRead) {
            close(far_);
            far_ = -1;
        } else {
            close(wl_display_get_fd(display));
        }
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
        const Dispatched got =
            platform::DispatchOnce(display, extra, platform::DeadlineAfter(60000), nullptr);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
        EXPECT_EQ(got, Dispatched::kFailed);
        if (callback) wl_callback_destroy(callback);
        // The disconnect closes the descriptor again: let it be one of ours.
        if (fault == kDescriptor) dup2(far_, wl_display_get_fd(display));
    }
}

// The read-only driver once let a failed flush pass and waited for an answer
// that could not come, then called the compositor silent.
TEST_F(FakeCompositor, ReadOnlyDriverSaysTheConnectionBroke) {
    ASSERT_EQ(shutdown(far_, SHUT_RD), 0);
    setenv("WAYLAND_SOCKET", std::to_string(client_fd_).c_str(), 1);
    screen::WaylandReadOnlyScreenDriver driver;
    driver.SetReplyTimeout(2000);
    std::string error;
    EXPECT_FALSE(driver.Open({}, {}, &error));
    unsetenv("WAYLAND_SOCKET");
    client_fd_ = -1;  // the driver took it, and closed it with its connection
    EXPECT_EQ(error, "the connection to the Wayland compositor broke");
    EXPECT_EQ(driver.LastError(), error);
    EXPECT_EQ(driver.LastErrorCode(), DISP_CHANGE_FAILED);
}

// The drivers' connection tells a silent compositor from one that broke the
// connection, and once broken it waits for nothing.
TEST_F(FakeCompositor, DriverConnectionTellsSilenceFromABreak) {
    const wl_registry_listener ignore{[](void*, wl_registry*, std::uint32_t, const char*, std::uint32_t) {},
                                      [](void*, wl_registry*, std::uint32_t) {}};
    setenv("WAYLAND_SOCKET", std::to_string(client_fd_).c_str(), 1);
    platform::WaylandConnection link;
    std::string why;
    EXPECT_FALSE(link.Connect({}, &ignore, nullptr, 100, &why));
    unsetenv("WAYLAND_SOCKET");
    client_fd_ = -1;  // the connection took it
    EXPECT_EQ(why, "the Wayland compositor does not answer");
    EXPECT_FALSE(link.gone());
    close(far_);
    far_ = -1;
    EXPECT_FALSE(link.DispatchUntil([] { return false; }, 2000));
    EXPECT_TRUE(link.gone());
    EXPECT_STREQ(link.WaitFailure(), "the connection to the Wayland compositor broke");
}

}  // namespace
