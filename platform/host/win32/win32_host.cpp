#include "platform/host/win32/win32_host.h"

#include "platform/screen/driver.h"

namespace host {

bool Win32Host::WaitEvent(Event& event) {
    win32::WindowInput input;
    for (;;) {
        if (!window_.Wait(&input)) return false;
        event = Event{};
        // Client coordinates to the framework's screen: the window sits at
        // the placement's point of the monitor.
        event.x = input.x + placement_.x;
        event.y = input.y + placement_.y;
        switch (input.kind) {
            case win32::WindowInput::kMouseDown:
                event.type = Event::kMouseDown;
                return true;
            case win32::WindowInput::kMouseUp:
                event.type = Event::kMouseUp;
                return true;
            case win32::WindowInput::kMouseMove:
                event.type = Event::kMouseMove;
                return true;
            case win32::WindowInput::kKey:
                event.type = Event::kKey;
                event.key = input.key;
                return true;
            case win32::WindowInput::kQuit:
                event.type = Event::kQuit;
                return true;
            case win32::WindowInput::kDisplayChanged:
                // The driver reads the new mode and tells the framework.
                if (on_display_) on_display_();
                event.type = Event::kDisplayChanged;
                return true;
            case win32::WindowInput::kScaleChanged:
                // The mode is the same; the framework lays out again all the same.
                screen::AnnounceDisplayChange();
                event.type = Event::kDisplayChanged;
                return true;
        }
    }
}

gdi::Surface* Win32Host::ScreenBuffer(int width, int height) {
    if (buffer_ && buffer_->width() == width && buffer_->height() == height) return buffer_.get();
    // The surface goes before the pixels it lies over.
    buffer_.reset();
    if (std::uint32_t* pixels = window_.Pixels(width, height))
        buffer_ = gdi::Surface::CreateOver(pixels, width, height);
    else if (width == 0 || height == 0)
        buffer_ = gdi::Surface::Create(width, height);
    return buffer_.get();
}

void Win32Host::Present(const gdi::Rect& damage) {
    if (!buffer_ || buffer_->width() <= 0 || buffer_->height() <= 0) return;
    const gdi::Rect area = damage.Intersected(gdi::BoundsOf(*buffer_));
    if (area.IsEmpty()) return;
    // Work still batched is painted before Windows reads the pixels.
    buffer_->Flush();
    window_.Show(static_cast<int>(area.left), static_cast<int>(area.top), static_cast<int>(area.right),
                 static_cast<int>(area.bottom));
}

void Win32Host::WindowPlaced(const WindowPlacement& placement) {
    placement_ = placement;
    if (origin_) origin_(&origin_x_, &origin_y_);
    window_.Place(origin_x_ + placement.x, origin_y_ + placement.y, placement.width, placement.height,
                  placement.visible, placement.title);
}

}  // namespace host
