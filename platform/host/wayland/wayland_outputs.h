// The compositor's outputs (monitors) as wl_output and xdg-output describe
// them: name, current mode in device pixels, integer scale, logical size.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_output;
struct wl_registry;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace host::wayland {

struct OutputState {
    std::string name;  // e.g. "HEADLESS-1", "DP-1"; empty until told
    int mode_width = 0;
    int mode_height = 0;
    int refresh_mhz = 0;
    int scale = 1;
    int transform = 0;
    int logical_width = 0;  // from xdg-output; 0 when not told
    int logical_height = 0;
    friend bool operator==(const OutputState&, const OutputState&) = default;
};

class Outputs;

struct Output {
    Outputs* owner = nullptr;
    std::uint32_t global = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdg = nullptr;
    OutputState pending;
    OutputState state;   // as of the last "done"
    bool ready = false;  // one "done" seen
};

class Outputs {
public:
    // Runs after an output's state changed as a whole (a "done").
    using ChangeHandler = std::function<void(Output& output)>;

    Outputs() = default;
    ~Outputs();
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;

    void SetChangeHandler(ChangeHandler handler) { on_change_ = std::move(handler); }
    // From the registry: a wl_output global, the xdg-output manager.
    void Bind(wl_registry* registry, std::uint32_t global, std::uint32_t version);
    void BindXdgManager(wl_registry* registry, std::uint32_t global, std::uint32_t version);
    // A global went away; true when it was an output (then it is gone).
    bool Remove(std::uint32_t global);

    const std::vector<std::unique_ptr<Output>>& list() const { return outputs_; }
    Output* FindGlobal(std::uint32_t global) const;
    // The names of the outputs, ", "-separated, for messages.
    std::string Names() const;

private:
    void AttachXdg(Output& output);
    static void Done(Output& output, Outputs& self);

    std::vector<std::unique_ptr<Output>> outputs_;
    zxdg_output_manager_v1* xdg_manager_ = nullptr;
    ChangeHandler on_change_;

    friend struct OutputListeners;
};

}  // namespace host::wayland
