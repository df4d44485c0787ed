// Where windows really live: the window framework draws its screen into the
// host's buffer, presents it, and takes input events from the host.
#pragma once

#include <string>
#include <string_view>

#include "platform/gdi/rect.h"
#include "platform/gdi/surface.h"

namespace host {

struct Event {
    enum Type {
        kMouseDown,  // left button, screen coordinates
        kMouseUp,
        kMouseMove,
        kKey,             // a key pressed and released; key is a VK_ code
        kQuit,            // the user asked the program to close
        kAnswer,          // choose the button `answer` (IDYES, IDNO, IDOK) of the open message box,
                          // or of the next one to open
        kDisplayChanged,  // something outside input happened (e.g. the mode changed); nothing to translate
        kPictureLost      // the host lost the picture it showed: present again (into a new buffer)
    };
    Type type = kMouseMove;
    int x = 0;
    int y = 0;
    int key = 0;
    int answer = 0;
};

// A top-level window as the host should show it.
struct WindowPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = false;
    std::string title;
    int icon_id = 0;  // resource number of the class icon; 0 for none
};

class Host {
public:
    virtual ~Host() = default;

    // Blocks until the next event. False: no more input will ever come (a
    // script ran out, or the display went away).
    virtual bool WaitEvent(Event& event) = 0;

    // The buffer the framework composes the screen into, width x height;
    // null when that size cannot be had. Its contents stay until the next
    // call, so the last presented screen can be read back, and the next
    // frame need only be composed where it differs.
    virtual gdi::Surface* ScreenBuffer(int width, int height) = 0;
    // True when the last ScreenBuffer call returned another buffer than the
    // call before, holding that call's picture: the host moved it (a buffer
    // the desktop still reads is not drawn into). Any other new buffer is
    // taken to hold nothing of the picture.
    virtual bool ScreenBufferMoved() const { return false; }
    // Shows what was composed into the screen buffer. Only the pixels in
    // damage (within the buffer; maybe empty) changed since the last call.
    virtual void Present(const gdi::Rect& damage) = 0;

    // The main window was created, shown, hidden, moved or destroyed.
    virtual void WindowPlaced(const WindowPlacement& placement) { (void)placement; }
    // An event that could not be delivered (e.g. an answer the open box has no button for).
    virtual void InputRejected(const Event& event, std::string_view reason) {
        (void)event;
        (void)reason;
    }
};

}  // namespace host
