#include "platform/screen/xrandr/x_errors.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/context.h"

namespace screen::xrandr {
namespace {

// Xlib's handlers take no user data, so what they need is kept in the
// context. The part is made by the first Watch, before any handler is set.
struct WatchedPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kXrandrErrors;
    std::mutex mutex;
    std::vector<std::pair<Display*, ConnectionErrors*>> watched;
    XErrorHandler previous_error = nullptr;
    XIOErrorHandler previous_io_error = nullptr;
    bool installed = false;
};

WatchedPart& Watched() {
    return platform::TheContext().Get<WatchedPart>();
}

ConnectionErrors* Find(Display* display) {
    WatchedPart& part = Watched();
    std::lock_guard lock(part.mutex);
    auto it = std::find_if(part.watched.begin(), part.watched.end(),
                           [display](const auto& entry) { return entry.first == display; });
    return it == part.watched.end() ? nullptr : it->second;
}

int OnError(Display* display, XErrorEvent* event) {
    if (ConnectionErrors* errors = Find(display)) {
        ++errors->count;
        errors->last_code = event->error_code;
        return 0;
    }
    const XErrorHandler previous = Watched().previous_error;
    return previous ? previous(display, event) : 0;
}

int OnIoError(Display* display) {
    if (ConnectionErrors* errors = Find(display)) {
        errors->gone = true;
        return 0;  // the per-connection exit handler below keeps the process alive
    }
    const XIOErrorHandler previous = Watched().previous_io_error;
    return previous ? previous(display) : 0;
}

#ifdef CORVANE_HAVE_IO_ERROR_EXIT_HANDLER
void OnIoErrorExit(Display* display, void*) {
    if (ConnectionErrors* errors = Find(display)) errors->gone = true;
}
#endif

}  // namespace

void Watch(Display* display, ConnectionErrors* errors) {
    WatchedPart& part = Watched();
    {
        std::lock_guard lock(part.mutex);
        part.watched.emplace_back(display, errors);
        // Installed once; a toolkit that later sets its own handlers and
        // restores ours keeps this working.
        if (!part.installed) {
            part.installed = true;
            part.previous_error = XSetErrorHandler(OnError);
            part.previous_io_error = XSetIOErrorHandler(OnIoError);
        }
    }
#ifdef CORVANE_HAVE_IO_ERROR_EXIT_HANDLER
    XSetIOErrorExitHandler(display, OnIoErrorExit, nullptr);
#endif
}

void Unwatch(Display* display) {
    WatchedPart& part = Watched();
    std::lock_guard lock(part.mutex);
    std::erase_if(part.watched, [display](const auto& entry) { return entry.first == display; });
}

bool SurvivesLostServer() {
#ifdef CORVANE_HAVE_IO_ERROR_EXIT_HANDLER
    return true;
#else
    return false;
#endif
}

}  // namespace screen::xrandr
