#include "platform/host/headless/headless_host.h"

#include <utility>

namespace host {

void HeadlessHost::PushClick(int x, int y) {
    PushPress(x, y);
    PushRelease(x, y);
}

void HeadlessHost::PushKey(int vk) {
    Event e{Event::kKey};
    e.key = vk;
    PushEvent(e);
}

void HeadlessHost::PushAnswer(int id) {
    Event e{Event::kAnswer};
    e.answer = id;
    PushEvent(e);
}

void HeadlessHost::PushDisplayChange(screen::SimulatedScreenDriver& driver, const screen::DisplayMode& mode) {
    PushAction([&driver, mode] { driver.ExternalChange(mode); });
}

void HeadlessHost::PushAction(std::function<void()> action) {
    script_.push_back({Event{Event::kDisplayChanged}, std::move(action)});
}

void HeadlessHost::PushEvent(const Event& event) {
    script_.push_back({event, nullptr});
}

void HeadlessHost::PushNext(const std::vector<Event>& events) {
    for (auto it = events.rbegin(); it != events.rend(); ++it) script_.push_front({*it, nullptr});
}

bool HeadlessHost::WaitEvent(Event& event) {
    if (script_.empty()) return false;
    Step step = std::move(script_.front());
    script_.pop_front();
    if (step.action) step.action();
    event = step.event;
    return true;
}

gdi::Surface* HeadlessHost::ScreenBuffer(int width, int height) {
    if (fresh_buffers_ || !screen_ || screen_->width() != width || screen_->height() != height) {
        screen_ = gdi::Surface::Create(width, height);
    }
    return screen_.get();
}

void HeadlessHost::Present(const gdi::Rect& damage) {
    ++presents_;
    last_damage_ = damage;
    if (!keep_frames_ || !screen_) return;
    gdi::SurfacePtr copy = gdi::Surface::Create(screen_->width(), screen_->height());
    if (copy) copy->pixels() = std::as_const(*screen_).pixels();
    frames_.push_back(std::move(copy));
    damages_.push_back(damage);
}

void HeadlessHost::InputRejected(const Event& event, std::string_view reason) {
    (void)event;
    rejected_.emplace_back(reason);
}

}  // namespace host
