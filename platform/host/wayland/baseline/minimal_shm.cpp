// The floor for start-up measurements on Wayland: the least a client does to
// put one frame on an output (one fullscreen xdg-toplevel, one white wl_shm
// buffer at the output's size, as the Wayland host shows its pixels), then
// waits to be ended.
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xdg-shell-client-protocol.h>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

struct Client {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* wm_base = nullptr;
    wl_output* output = nullptr;
    int width = 0;  // the output's current mode
    int height = 0;
    bool configured = false;  // a configure came that no commit has answered yet
};

void OutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                    int32_t) {}
void OutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
    auto* c = static_cast<Client*>(data);
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        c->width = width;
        c->height = height;
    }
}
void OutputDone(void*, wl_output*) {}
void OutputScale(void*, wl_output*, int32_t) {}
const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone, OutputScale};

void Ping(void*, xdg_wm_base* base, uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener kWmBaseListener = {Ping};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* c = static_cast<Client*>(data);
    const std::string_view i = interface;
    if (i == wl_compositor_interface.name && !c->compositor) {
        c->compositor =
            static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    } else if (i == wl_shm_interface.name && !c->shm) {
        c->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (i == xdg_wm_base_interface.name && !c->wm_base) {
        c->wm_base = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(c->wm_base, &kWmBaseListener, c);
    } else if (i == wl_output_interface.name && !c->output) {
        c->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        wl_output_add_listener(c->output, &kOutputListener, c);
    }
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

void SurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    static_cast<Client*>(data)->configured = true;
}
const xdg_surface_listener kSurfaceListener = {SurfaceConfigure};

void ToplevelConfigure(void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {}
void ToplevelClose(void*, xdg_toplevel*) {}
const xdg_toplevel_listener kToplevelListener = {ToplevelConfigure, ToplevelClose};

// A white XRGB8888 buffer of width x height in shared memory; null on failure.
wl_buffer* WhiteBuffer(wl_shm* shm, int width, int height) {
    const int stride = width * 4;
    const std::size_t size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    const int fd = memfd_create("baseline-shm", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) return nullptr;
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) return nullptr;
    std::memset(pixels, 0xFF, size);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
    close(fd);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    return buffer;
}

}  // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return 1;
    Client c;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &c);
    // The globals, then the output's mode.
    if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) return 1;
    if (!c.compositor || !c.shm || !c.wm_base || !c.output || c.width <= 0 || c.height <= 0) return 1;

    wl_surface* surface = wl_compositor_create_surface(c.compositor);
    xdg_surface* xdg = xdg_wm_base_get_xdg_surface(c.wm_base, surface);
    xdg_surface_add_listener(xdg, &kSurfaceListener, &c);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdg);
    xdg_toplevel_add_listener(toplevel, &kToplevelListener, &c);
    xdg_toplevel_set_fullscreen(toplevel, c.output);
    wl_surface_commit(surface);
    while (!c.configured) {
        if (wl_display_dispatch(display) < 0) return 1;
    }
    wl_buffer* buffer = WhiteBuffer(c.shm, c.width, c.height);
    if (!buffer) return 1;
    // Every configure is answered with a commit of the same white buffer: a
    // compositor waits for that before it shows the window in its new state.
    do {
        if (c.configured) {
            c.configured = false;
            wl_surface_attach(surface, buffer, 0, 0);
            wl_surface_damage(surface, 0, 0, c.width, c.height);
            wl_surface_commit(surface);
        }
    } while (wl_display_dispatch(display) >= 0);
    return 0;
}
