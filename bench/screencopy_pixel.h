// One pixel of a wlroots compositor's output, read from outside the program
// under test: wlr-screencopy of a 1x1 region into a wl_shm buffer. Each read
// waits for the output's next frame, so what it sees is what the output
// really shows.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace bench {

class ScreencopyPixel {
public:
    ~ScreencopyPixel();
    ScreencopyPixel(const ScreencopyPixel&) = delete;
    ScreencopyPixel& operator=(const ScreencopyPixel&) = delete;

    // Connects to the compositor at `socket_path` (absolute); null with
    // `error` set when it cannot, or when it offers no screencopy or output.
    static std::unique_ptr<ScreencopyPixel> Connect(const std::string& socket_path, std::string* error);

    // 0x00RRGGBB of output pixel (x, y) in the compositor's layout; nothing
    // when the copy failed or the connection broke.
    std::optional<std::uint32_t> Read(int x, int y);

    struct State;

private:
    ScreencopyPixel() = default;
    std::unique_ptr<State> state_;
};

}  // namespace bench
