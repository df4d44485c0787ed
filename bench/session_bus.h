// A private D-Bus session bus for the programs a benchmark starts, as every
// desktop session has one. Without it, libraries that look for the session
// bus (SDL does, on start) launch one on demand and wait for it: tens of
// milliseconds that would be counted in every start-up.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

class SessionBus {
public:
    // Starts dbus-daemon and points DBUS_SESSION_BUS_ADDRESS at it for this
    // process and its children; on failure leaves the environment as it was.
    SessionBus() {
        FILE* out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
        if (!out) return;
        char address[512] = {};
        char pid[32] = {};
        const bool read = std::fgets(address, sizeof address, out) && std::fgets(pid, sizeof pid, out);
        pclose(out);
        if (!read) return;
        std::string text(address);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        pid_ = static_cast<pid_t>(std::atol(pid));
        if (text.empty() || pid_ <= 0) return;
        setenv("DBUS_SESSION_BUS_ADDRESS", text.c_str(), 1);
        address_ = text;
    }
    ~SessionBus() {
        if (pid_ > 0) kill(pid_, SIGTERM);
    }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool running() const { return !address_.empty(); }

private:
    pid_t pid_ = 0;
    std::string address_;
};

}  // namespace bench
