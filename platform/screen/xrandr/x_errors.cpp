#include "platform/screen/xrandr/x_errors.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace screen::xrandr {
namespace {

std::mutex g_mutex;
std::vector<std::pair<Display*, ConnectionErrors*>> g_watched;
XErrorHandler g_previous_error = nullptr;
XIOErrorHandler g_previous_io_error = nullptr;

ConnectionErrors* Find(Display* display) {
    std::lock_guard lock(g_mutex);
    auto it = std::find_if(g_watched.begin(), g_watched.end(),
                           [display](const auto& entry) { return entry.first == display; });
    return it == g_watched.end() ? nullptr : it->second;
}

int OnError(Display* display, XErrorEvent* event) {
    if (ConnectionErrors* errors = Find(display)) {
        ++errors->count;
        errors->last_code = event->error_code;
        return 0;
    }
    return g_previous_error ? g_previous_error(display, event) : 0;
}

int OnIoError(Display* display) {
    if (ConnectionErrors* errors = Find(display)) {
        errors->gone = true;
        return 0;  // the per-connection exit handler below keeps the process alive
    }
    return g_previous_io_error ? g_previous_io_error(display) : 0;
}

#ifdef CORVANE_HAVE_IO_ERROR_EXIT_HANDLER
void OnIoErrorExit(Display* display, void*) {
    if (ConnectionErrors* errors = Find(display)) errors->gone = true;
}
#endif

}  // namespace

void Watch(Display* display, ConnectionErrors* errors) {
    {
        std::lock_guard lock(g_mutex);
        g_watched.emplace_back(display, errors);
    }
    // Installed once; a toolkit that later sets its own handlers and restores
    // ours keeps this working.
    static const bool installed = [] {
        g_previous_error = XSetErrorHandler(OnError);
        g_previous_io_error = XSetIOErrorHandler(OnIoError);
        return true;
    }();
    (void)installed;
#ifdef CORVANE_HAVE_IO_ERROR_EXIT_HANDLER
    XSetIOErrorExitHandler(display, OnIoErrorExit, nullptr);
#endif
}

void Unwatch(Display* display) {
    std::lock_guard lock(g_mutex);
    std::erase_if(g_watched, [display](const auto& entry) { return entry.first == display; });
}

bool SurvivesLostServer() {
#ifdef CORVANE_HAVE_IO_ERROR_EXIT_HANDLER
    return true;
#else
    return false;
#endif
}

}  // namespace screen::xrandr
