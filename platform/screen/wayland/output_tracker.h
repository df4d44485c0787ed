// The compositor's outputs as wl_output and xdg-output describe them: name,
// current mode, transform, scale and place in the desktop. Screen drivers
// use it where a compositor's own protocol says less.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_registry;

namespace screen::wayland {

struct OutputState {
    std::string name;
    int width = 0;  // current mode in device pixels; 0 before the compositor said
    int height = 0;
    int refresh_mhz = 0;
    std::int32_t transform = 0;  // wl_output.transform
    int integer_scale = 1;
    bool has_logical = false;  // xdg-output's place and size in the desktop
    int logical_x = 0;
    int logical_y = 0;
    int logical_width = 0;
    int logical_height = 0;

    // The scale the desktop uses: device size over logical size where both
    // are known (fractional scales), else the integer scale.
    double Scale() const;
};

class OutputTracker {
public:
    OutputTracker();
    ~OutputTracker();
    OutputTracker(const OutputTracker&) = delete;
    OutputTracker& operator=(const OutputTracker&) = delete;

    // Feed every registry global and removal; wl_output and the xdg-output
    // manager are taken, the rest ignored.
    void OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void OnGlobalRemove(std::uint32_t name);

    // Outputs whose name and mode are known.
    const OutputState* Find(const std::string& name) const;
    std::vector<const OutputState*> Outputs() const;

    // Runs after an output's state changed (its done event) or it left.
    void SetChangedCallback(std::function<void()> callback);

    // Destroys every proxy; call before the connection closes.
    void Clear();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace screen::wayland
