// corvane-virtual-click: a pointer for compositors without input devices.
//   corvane-virtual-click hold             keeps a pointer in the seat until killed
//   corvane-virtual-click X Y WIDTH HEIGHT moves to device pixel X,Y of a
//                                          WIDTH x HEIGHT layout and clicks the left button
// Exit status 0 when the compositor took every request, 2 on bad arguments,
// 1 when the compositor lacks the virtual-pointer protocol or went away.
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat) {
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        g->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

void GlobalRemove(void*, wl_registry*, uint32_t) {}

uint32_t NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

bool ParseInt(const char* text, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end || end == text || v < 0 || v > 100000) return false;
    *value = static_cast<int>(v);
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: corvane-virtual-click hold | X Y WIDTH HEIGHT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const bool hold = argc == 2 && std::strcmp(argv[1], "hold") == 0;
    int x = 0, y = 0, width = 0, height = 0;
    if (!hold && (argc != 5 || !ParseInt(argv[1], &x) || !ParseInt(argv[2], &y) ||
                  !ParseInt(argv[3], &width) || !ParseInt(argv[4], &height) || width == 0 || height == 0)) {
        return Usage();
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "corvane-virtual-click: cannot connect to the Wayland display\n");
        return 1;
    }
    Globals g;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener listener = {Global, GlobalRemove};
    wl_registry_add_listener(registry, &listener, &g);
    if (wl_display_roundtrip(display) < 0 || !g.manager) {
        std::fprintf(stderr,
                     "corvane-virtual-click: the compositor offers no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
    if (hold) {
        // Blocks until the compositor goes away or a signal ends the process.
        while (wl_display_dispatch(display) >= 0) {
        }
        return 0;
    }
    // The middle of the device pixel, as a fraction of the layout.
    zwlr_virtual_pointer_v1_motion_absolute(
        pointer, NowMs(), static_cast<uint32_t>(2 * x + 1), static_cast<uint32_t>(2 * y + 1),
        static_cast<uint32_t>(2 * width), static_cast<uint32_t>(2 * height));
    zwlr_virtual_pointer_v1_frame(pointer);
    zwlr_virtual_pointer_v1_button(pointer, NowMs(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
    zwlr_virtual_pointer_v1_frame(pointer);
    zwlr_virtual_pointer_v1_button(pointer, NowMs(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer);
    const bool ok = wl_display_roundtrip(display) >= 0;
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(g.manager);
    if (g.seat) wl_seat_destroy(g.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return ok ? 0 : 1;
}
