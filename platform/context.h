// The one owner of everything the platform layer keeps between calls: the
// window table, the message queue, the host, the screen driver, observers and
// hooks, caches. Each layer keeps its share as one part of the context.
//
// Run parts belong to one run of the program and are replaced by fresh ones
// with NewRun(); process parts (caches, the application object, process-wide
// error handlers) live as long as the process.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>

namespace platform {

enum class PartId : std::size_t {
    // Process parts.
    kDisplayCaps,    // what device contexts report about the display
    kFontRegistry,   // fontconfig matches and FreeType faces
    kApp,            // the application object
    kResources,      // the program's embedded resources and the icons made of them
    kWindowClasses,  // registered window classes, standard cursors and system brushes
    kX11Errors,      // the desktop host's X I/O error handler
    kXrandrErrors,   // the xrandr driver's X error handlers
    kBackground,     // the queue of start-up work for the background thread
    // Run parts, in the order they are set up (they are ended in reverse).
    kTrace,   // where this run's drawing is recorded
    kScreen,  // driver, display-change callback, settings observer
    kUi,      // windows, queue, capture, focus, boxes, host, input, observers
    kCount
};
inline constexpr PartId kFirstRunPart = PartId::kTrace;

// A layer's share of the context. A part type derives from Part and names
// its slot as `static constexpr PartId kId`.
struct Part {
    virtual ~Part() = default;
    // Called on every run part, latest first, before the run parts are
    // dropped: the place to close what still refers to other parts.
    virtual void EndRun() {}
};

class Context {
public:
    Context() = default;
    ~Context() = default;
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // The part of type T, made on first use.
    template <class T>
    T& Get() {
        std::unique_ptr<Part>& slot = parts_[static_cast<std::size_t>(T::kId)];
        if (!slot) slot = std::make_unique<T>();
        return static_cast<T&>(*slot);
    }

    // The same, for a part that other threads use too.
    template <class T>
    T& GetShared() {
        std::lock_guard lock(shared_mutex_);
        return Get<T>();
    }

    // Ends the run parts (latest first) and drops them; the next use of each
    // makes a fresh one.
    void NewRun();
    // The same for one run part.
    void Renew(PartId id);

private:
    std::array<std::unique_ptr<Part>, static_cast<std::size_t>(PartId::kCount)> parts_;
    std::mutex shared_mutex_;
};

// The context of this process, made with the application object (or on first
// use by a test or tool).
Context& TheContext();

}  // namespace platform
