// A host without a display: windows live in memory, input comes from a
// script that tests or the snapshot tool fill in advance.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/screen/simulated_driver.h"

namespace host {

class HeadlessHost : public Host {
public:
    void PushPress(int x, int y) { PushEvent({Event::kMouseDown, x, y}); }
    void PushRelease(int x, int y) { PushEvent({Event::kMouseUp, x, y}); }
    void PushMove(int x, int y) { PushEvent({Event::kMouseMove, x, y}); }
    void PushClick(int x, int y);
    void PushKey(int vk);
    void PushQuit() { PushEvent({Event::kQuit}); }
    // Chooses IDYES, IDNO or IDOK in the box open when this step is reached,
    // or else in the next box to open.
    void PushAnswer(int id);
    // The screen changes mode when this step is reached.
    void PushDisplayChange(screen::SimulatedScreenDriver& driver, const screen::DisplayMode& mode);
    // Runs an arbitrary action when this step is reached.
    void PushAction(std::function<void()> action);
    void PushEvent(const Event& event);
    // Puts events at the front of the script, to run next, in their order
    // (an action uses it to click where a button is at that moment).
    void PushNext(const std::vector<Event>& events);

    bool WaitEvent(Event& event) override;
    gdi::Surface* ScreenBuffer(int width, int height) override;
    void Present(const gdi::Rect& damage) override;
    void WindowPlaced(const WindowPlacement& placement) override { placement_ = placement; }
    void InputRejected(const Event& event, std::string_view reason) override;

    // The last presented screen; null before the first present.
    const gdi::Surface* screen() const { return presents_ ? screen_.get() : nullptr; }
    int presents() const { return presents_; }
    // The part of the screen the last present changed.
    const gdi::Rect& last_damage() const { return last_damage_; }
    // On: every frame is composed into a new buffer, so the framework
    // composes the whole screen each time (a reference for tests).
    void SetFreshBuffers(bool on) { fresh_buffers_ = on; }
    // On: a copy of every presented screen is kept, in order.
    void SetKeepFrames(bool on) { keep_frames_ = on; }
    const std::vector<gdi::SurfacePtr>& frames() const { return frames_; }
    const std::vector<gdi::Rect>& damages() const { return damages_; }  // of each kept frame
    std::size_t pending() const { return script_.size(); }
    const WindowPlacement& placement() const { return placement_; }
    const std::vector<std::string>& rejected() const { return rejected_; }

private:
    struct Step {
        Event event;
        std::function<void()> action;  // set: run it, then report kDisplayChanged
    };
    std::deque<Step> script_;
    std::shared_ptr<gdi::Surface> screen_;
    int presents_ = 0;
    gdi::Rect last_damage_;
    bool fresh_buffers_ = false;
    bool keep_frames_ = false;
    std::vector<gdi::SurfacePtr> frames_;
    std::vector<gdi::Rect> damages_;
    WindowPlacement placement_;
    std::vector<std::string> rejected_;
};

}  // namespace host
