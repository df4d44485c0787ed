// A stand-in for KDE Plasma's compositor behind KDE's output management
// protocols, built with libwayland-server from the same definitions: it
// describes scripted outputs (several modes, scale, place, EDID, order),
// records every configuration request, and answers apply with applied,
// failed or nothing, as told. KWin's own backends offer one mode per output,
// so mode switches are tested here.
//
// It serves on a socket of its own from a thread of its own; every method is
// safe to call from the test's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace wltest {

struct StandInMode {
    int width = 0;
    int height = 0;
    int refresh_mhz = 0;
    bool preferred = false;
};

struct StandInOutput {
    std::string name;
    std::vector<StandInMode> modes;
    int current = 0;  // index into modes; -1: none; -1: none
    double scale = 1.0;
    int x = 0;
    int y = 0;
    bool enabled = true;
    std::vector<std::uint8_t> edid;  // sent base64-encoded; empty: an empty edid event
};

class KdeStandIn {
public:
    enum class Reply { kApplied, kFailed, kSilent };

    // Serves `outputs` on a socket in `dir`, KDE's output order naming them
    // as `order` does (empty: every enabled output in turn). Null with
    // `error` set when it cannot.
    static std::unique_ptr<KdeStandIn> Start(const std::vector<StandInOutput>& outputs,
                                             const std::string& dir, std::string* error,
                                             const std::vector<std::string>& order = {});
    ~KdeStandIn();
    KdeStandIn(const KdeStandIn&) = delete;
    KdeStandIn& operator=(const KdeStandIn&) = delete;

    // The socket's path, for wl_display_connect or WAYLAND_DISPLAY.
    const std::string& SocketPath() const { return socket_path_; }

    // How the next applies are answered (applied until told otherwise).
    void SetReply(Reply reply);
    // Every configuration request so far, one line each, e.g.
    // "mode DP-1 1280x1024@75025", "scale DP-1 1.5", "apply", in order.
    std::vector<std::string> Requests();
    // The outputs as they are now.
    std::vector<StandInOutput> Outputs();
    // Another program switches `output` to its mode `index`: every client
    // hears of it.
    void SwitchElsewhere(const std::string& output, int index);
    // Stops serving; clients see the connection close.
    void Stop();

    struct Server;

private:
    KdeStandIn() = default;
    std::unique_ptr<Server> server_;
    std::string socket_path_;
};

}  // namespace wltest
