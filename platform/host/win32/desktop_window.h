// The Windows desktop's side of the host: one borderless popup window whose
// picture lies in a 32-bit DIB section, and the thread's message queue. Kept
// apart from the drawing layer's types, which share names with <windows.h>.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace host::win32 {

struct WindowInput {
    enum Kind { kMouseDown, kMouseUp, kMouseMove, kKey, kQuit, kDisplayChanged, kScaleChanged };
    Kind kind = kMouseMove;
    int x = 0;  // client coordinates: device pixels from the window's top left
    int y = 0;
    int key = 0;  // VK_ code
};

// Makes the process per-monitor DPI aware, the best way this Windows offers;
// an answer that it is so already counts. False when every way failed.
bool BecomePerMonitorDpiAware();

class DesktopWindow {
public:
    DesktopWindow();
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    // Makes the window, hidden; false with the reason in `error`.
    bool Open(const std::string& title, std::string* error);

    // width x height pixels, 0x00RRGGBB, top row first, no padding: the DIB
    // section the window shows. A new size gives new pixels (the old ones
    // are freed); null when the size cannot be had.
    std::uint32_t* Pixels(int width, int height);
    // Copies [left, right) x [top, bottom) of the pixels to the window.
    void Show(int left, int top, int right, int bottom);
    // Puts the window at (x, y) on the desktop, width x height device pixels,
    // shown on top or hidden.
    void Place(int x, int y, int width, int height, bool visible, const std::string& title);

    // The next input, waiting for it without a timer. False once the
    // window is gone.
    bool Wait(WindowInput* input);

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace host::win32
