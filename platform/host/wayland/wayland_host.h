// The desktop host on a Wayland compositor, as a native client: the frame is
// a fullscreen xdg-toplevel on one output, its buffer in the output's device
// pixels, presented through shared memory, and a loop that sleeps in poll()
// until the compositor or another source has something to say.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/host/event_source.h"

struct wl_display;

namespace host {

class WaylandHost final : public DesktopHost {
public:
    using SourceState = host::SourceState;

    WaylandHost();
    ~WaylandHost() override;
    WaylandHost(const WaylandHost&) = delete;
    WaylandHost& operator=(const WaylandHost&) = delete;

    // Connects to $WAYLAND_DISPLAY; false with the reason in `error`.
    bool Connect(std::string* error);
    // Connects unless Connect did, and makes the window on the output named
    // `output_name` (empty: the first output); false with the reason in
    // `error`. `program` names the window and starts the lines it prints.
    bool Open(const std::string& program, const std::string& output_name, std::string* error);

    // The connection was made (Open may still have failed after it).
    bool Connected() const;
    // The connection, for others to read on an event queue of their own
    // (null before Connect).
    wl_display* Display() const;
    // The output the window is on, as the compositor names it.
    std::string OutputName() const;

    void AddSource(int fd, std::function<SourceState()> drain) override;
    bool SourceGone() const override;
    std::string LostOutput() const override;

    bool WaitEvent(Event& event) override;
    gdi::Surface* ScreenBuffer(int width, int height) override;
    bool ScreenBufferMoved() const override;
    void Present(const gdi::Rect& damage) override;
    void WindowPlaced(const WindowPlacement& placement) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace host
