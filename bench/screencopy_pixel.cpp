#include "bench/screencopy_pixel.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>
#include <string_view>

namespace bench {
namespace {

// The two interfaces of wlr-screencopy-unstable-v1 this reader speaks, at
// version 1: the manager's requests and the frame's requests and events.
extern const wl_interface kFrameInterface;

const wl_interface* kNoTypes[] = {nullptr, nullptr, nullptr, nullptr};
const wl_interface* kCaptureOutputTypes[] = {&kFrameInterface, nullptr, &wl_output_interface};
const wl_interface* kCaptureRegionTypes[] = {
    &kFrameInterface, nullptr, &wl_output_interface, nullptr, nullptr, nullptr, nullptr};
const wl_interface* kCopyTypes[] = {&wl_buffer_interface};

const wl_message kManagerRequests[] = {
    {"capture_output", "nio", kCaptureOutputTypes},
    {"capture_output_region", "nioiiii", kCaptureRegionTypes},
    {"destroy", "", kNoTypes},
};
const wl_interface kManagerInterface = {"zwlr_screencopy_manager_v1", 1, 3, kManagerRequests, 0, nullptr};

const wl_message kFrameRequests[] = {
    {"copy", "o", kCopyTypes},
    {"destroy", "", kNoTypes},
};
const wl_message kFrameEvents[] = {
    {"buffer", "uuuu", kNoTypes},
    {"flags", "u", kNoTypes},
    {"ready", "uuu", kNoTypes},
    {"failed", "", kNoTypes},
};
const wl_interface kFrameInterface = {"zwlr_screencopy_frame_v1", 1, 2, kFrameRequests, 4, kFrameEvents};

constexpr std::uint32_t kCaptureOutputRegion = 1;
constexpr std::uint32_t kManagerDestroy = 2;
constexpr std::uint32_t kFrameCopy = 0;
constexpr std::uint32_t kFrameDestroy = 1;

// wl_shm formats a 1x1 copy may come in (the first two are wl_shm's own
// numbers, the others DRM fourcc codes).
constexpr std::uint32_t kArgb8888 = 0;
constexpr std::uint32_t kXrgb8888 = 1;
constexpr std::uint32_t kAbgr8888 = 0x34324241;
constexpr std::uint32_t kXbgr8888 = 0x34324258;

struct Frame {
    bool got_buffer = false;
    std::uint32_t format = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t stride = 0;
    bool ready = false;
    bool failed = false;
};

struct FrameListener {
    void (*buffer)(void*, wl_proxy*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t);
    void (*flags)(void*, wl_proxy*, std::uint32_t);
    void (*ready)(void*, wl_proxy*, std::uint32_t, std::uint32_t, std::uint32_t);
    void (*failed)(void*, wl_proxy*);
};

const FrameListener kFrameListener = {
    [](void* data, wl_proxy*, std::uint32_t format, std::uint32_t width, std::uint32_t height,
       std::uint32_t stride) {
        auto* f = static_cast<Frame*>(data);
        f->got_buffer = true;
        f->format = format;
        f->width = width;
        f->height = height;
        f->stride = stride;
    },
    [](void*, wl_proxy*, std::uint32_t) {},
    [](void* data, wl_proxy*, std::uint32_t, std::uint32_t, std::uint32_t) {
        static_cast<Frame*>(data)->ready = true;
    },
    [](void* data, wl_proxy*) { static_cast<Frame*>(data)->failed = true; },
};

}  // namespace

struct ScreencopyPixel::State {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_shm* shm = nullptr;
    wl_output* output = nullptr;
    wl_proxy* manager = nullptr;
    // The buffer copies land in, remade when the compositor asks for another shape.
    wl_buffer* buffer = nullptr;
    void* pixels = nullptr;
    std::size_t size = 0;
    std::uint32_t format = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t stride = 0;

    ~State() {
        DropBuffer();
        if (manager) wl_proxy_marshal_flags(manager, kManagerDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
        if (output) wl_output_destroy(output);
        if (shm) wl_shm_destroy(shm);
        if (registry) wl_registry_destroy(registry);
        if (display) wl_display_disconnect(display);
    }

    void DropBuffer() {
        if (buffer) wl_buffer_destroy(buffer);
        if (pixels) munmap(pixels, size);
        buffer = nullptr;
        pixels = nullptr;
    }

    bool MakeBuffer(const Frame& f) {
        if (buffer && f.format == format && f.width == width && f.height == height && f.stride == stride)
            return true;
        DropBuffer();
        size = static_cast<std::size_t>(f.stride) * f.height;
        if (size == 0 || f.width == 0) return false;
        const int fd = memfd_create("screencopy-pixel", MFD_CLOEXEC);
        if (fd < 0) return false;
        if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
            close(fd);
            return false;
        }
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p == MAP_FAILED) {
            close(fd);
            return false;
        }
        pixels = p;
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(size));
        close(fd);
        buffer = wl_shm_pool_create_buffer(pool, 0, static_cast<std::int32_t>(f.width),
                                           static_cast<std::int32_t>(f.height),
                                           static_cast<std::int32_t>(f.stride), f.format);
        wl_shm_pool_destroy(pool);
        format = f.format;
        width = f.width;
        height = f.height;
        stride = f.stride;
        return buffer != nullptr;
    }

    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t) {
        auto* s = static_cast<State*>(data);
        const std::string_view i = interface;
        if (i == wl_shm_interface.name && !s->shm) {
            s->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        } else if (i == wl_output_interface.name && !s->output) {
            s->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        } else if (i == kManagerInterface.name && !s->manager) {
            s->manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManagerInterface, 1));
        }
    }
};

ScreencopyPixel::~ScreencopyPixel() = default;

std::unique_ptr<ScreencopyPixel> ScreencopyPixel::Connect(const std::string& socket_path,
                                                          std::string* error) {
    std::unique_ptr<ScreencopyPixel> reader(new ScreencopyPixel);
    reader->state_ = std::make_unique<State>();
    State& s = *reader->state_;
    s.display = wl_display_connect(socket_path.c_str());
    if (!s.display) {
        if (error) *error = "cannot connect to " + socket_path;
        return nullptr;
    }
    s.registry = wl_display_get_registry(s.display);
    static const wl_registry_listener listener = {State::Global, [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry_add_listener(s.registry, &listener, &s);
    if (wl_display_roundtrip(s.display) < 0 || !s.shm || !s.output || !s.manager) {
        if (error) *error = "the compositor offers no wl_shm, wl_output or zwlr_screencopy_manager_v1";
        return nullptr;
    }
    return reader;
}

std::optional<std::uint32_t> ScreencopyPixel::Read(int x, int y) {
    State& s = *state_;
    Frame f;
    auto* frame = wl_proxy_marshal_flags(s.manager, kCaptureOutputRegion, &kFrameInterface, 1, 0, nullptr, 0,
                                         s.output, x, y, 1, 1);
    if (!frame) return std::nullopt;
    wl_proxy_add_listener(frame,
                          reinterpret_cast<void (**)(void)>(const_cast<FrameListener*>(&kFrameListener)), &f);
    bool copying = false;
    while (!f.ready && !f.failed) {
        if (f.got_buffer && !copying) {
            if (!s.MakeBuffer(f)) break;
            wl_proxy_marshal_flags(frame, kFrameCopy, nullptr, 1, 0, s.buffer);
            copying = true;
        }
        if (wl_display_dispatch(s.display) < 0) break;
    }
    wl_proxy_marshal_flags(frame, kFrameDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
    if (!f.ready || !s.pixels) return std::nullopt;
    std::uint32_t word = 0;
    std::memcpy(&word, s.pixels, sizeof word);
    switch (s.format) {
        case kArgb8888:
        case kXrgb8888:
            return word & 0xFFFFFF;
        case kAbgr8888:
        case kXbgr8888:
            return ((word & 0xFF) << 16) | (word & 0xFF00) | ((word >> 16) & 0xFF);
        default:
            return std::nullopt;
    }
}

}  // namespace bench
