#include "platform/host/sdl/sdl_host.h"

#include <SDL.h>
#include <poll.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <future>
#include <utility>
#include <vector>

#include "platform/host/sdl/sdl_events.h"
#include "platform/host/sdl/sdl_x11.h"

namespace host {
namespace {

bool NoDisplayConfigured() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (!x || !*x) && (!wayland || !*wayland);
}

std::string DesktopDrivers() {
    std::string list;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (x && *x) list = "x11";
    if (wayland && *wayland) list += list.empty() ? "wayland" : ",wayland";
    return list;
}

// Whether an image holds pixels as the drawing layer does: 0x00RRGGBB words.
bool SameLayout(const SDL_Surface* image) {
    const SDL_PixelFormat* f = image->format;
    return f->BytesPerPixel == 4 && f->Rmask == 0xFF0000 && f->Gmask == 0x00FF00 && f->Bmask == 0x0000FF;
}

// Faults `size` bytes at `data` in on another thread, leaving their contents
// as they are. Advice only: where the kernel lacks it, the first writes fault
// instead. In steps, each holding the process's memory map only briefly.
std::future<void> Prefault(void* data, std::size_t size) {
    return std::async(std::launch::async, [bytes = static_cast<char*>(data), size] {
        constexpr std::size_t kStep = std::size_t{256} << 10;
        for (std::size_t at = 0; at < size; at += kStep) {
            if (madvise(bytes + at, std::min(kStep, size - at), MADV_POPULATE_WRITE) != 0) return;
        }
    });
}

}  // namespace

struct SdlHost::Impl {
    bool sdl_started = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    // On X11 frames go straight into the window's shared image: no renderer,
    // no texture.
    bool window_surface = false;
    SDL_Texture* texture = nullptr;
    int texture_width = 0;
    int texture_height = 0;
    // The screen buffer: on X11 a surface over the window's image when that
    // has the buffer's size and layout (`over_image`), else pixels of our own.
    gdi::SurfacePtr buffer;
    bool over_image = false;
    // The window image the last frame was copied into: a new one, or one the
    // server lost (exposed, resized), takes the whole buffer again.
    const SDL_Surface* shown_target = nullptr;
    int shown_width = 0;
    int shown_height = 0;
    bool target_stale = true;
    // A whole frame was asked of the framework and not yet begun.
    bool frame_requested = false;
    SDL_Rect display_bounds{};
    WindowPlacement placement;
    int icon_id = 0;
    IconLoader icon_loader;
    std::vector<EventSource> sources;
    std::function<void()> on_display_event;
    std::deque<Event> pending;
    bool source_gone = false;
    std::future<void> prefault;  // of the first window image

    ~Impl() {
        if (prefault.valid()) prefault.wait();
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        if (sdl_started) SDL_Quit();
    }

    // Window units to device pixels: more than one only under desktop scaling.
    WindowMapping Mapping() const {
        WindowMapping m{placement.x, placement.y, 1.0, 1.0};
        int ww = 0, wh = 0, pw = 0, ph = 0;
        SDL_GetWindowSize(window, &ww, &wh);
        if (renderer && SDL_GetRendererOutputSize(renderer, &pw, &ph) == 0 && ww > 0 && wh > 0) {
            m.scale_x = static_cast<double>(pw) / ww;
            m.scale_y = static_cast<double>(ph) / wh;
        }
        return m;
    }

    // After the window's size is set or reported (SDL_WINDOWEVENT_SIZE_CHANGED,
    // even to the same size) SDL replaces the window's image by a new
    // SDL_Surface, whose pixels may be mapped where the old ones were: only
    // this mark, which a new surface lacks, tells that an image holds the picture.
    bool HoldsPicture(const SDL_Surface* image) const { return image->userdata == this; }
    void MarkHoldsPicture(SDL_Surface* image) { image->userdata = this; }

    // Asks the framework to compose and present the whole screen again.
    void RequestWholeFrame() {
        if (frame_requested) return;
        frame_requested = true;
        pending.push_back(Event{Event::kPictureLost});
    }

    // Shows the damaged part of the image the buffer lies over. An image SDL
    // has replaced since lost the picture: the framework composes it again,
    // into a buffer over the new image.
    void ShowImage(gdi::Rect damage) {
        SDL_Surface* image = SDL_GetWindowSurface(window);
        if (!image) return;
        if (!HoldsPicture(image)) {
            RequestWholeFrame();
            return;
        }
        const gdi::Rect whole{0, 0, image->w, image->h};
        damage = damage.Intersected(whole);
        if (damage.IsEmpty()) return;
        const SDL_Rect shown{static_cast<int>(damage.left), static_cast<int>(damage.top),
                             static_cast<int>(damage.Width()), static_cast<int>(damage.Height())};
        SDL_UpdateWindowSurfaceRects(window, &shown, 1);
    }

    // Copies the damaged part of the buffer into the window's own image,
    // unscaled at the top left, and shows that part; a new or lost image
    // takes all of it, black where the buffer does not reach.
    void CopyToWindowSurface(gdi::Rect damage) {
        SDL_Surface* target = SDL_GetWindowSurface(window);
        if (!target || !buffer) return;
        const SDL_PixelFormat* f = target->format;
        const bool same_layout = SameLayout(target);
        const int w = std::min(buffer->width(), target->w);
        const int h = std::min(buffer->height(), target->h);
        const gdi::Rect whole{0, 0, target->w, target->h};
        if (target_stale || target != shown_target || target->w != shown_width || target->h != shown_height) {
            if (w < target->w || h < target->h || !same_layout)
                SDL_FillRect(target, nullptr, SDL_MapRGB(f, 0, 0, 0));
            damage = whole;
            target_stale = false;
            shown_target = target;
            shown_width = target->w;
            shown_height = target->h;
        }
        damage = damage.Intersected(whole);
        if (damage.IsEmpty()) return;
        const gdi::Rect copied = damage.Intersected({0, 0, w, h});
        if (!copied.IsEmpty()) CopyRows(target, copied, same_layout);
        const SDL_Rect shown{static_cast<int>(damage.left), static_cast<int>(damage.top),
                             static_cast<int>(damage.Width()), static_cast<int>(damage.Height())};
        SDL_UpdateWindowSurfaceRects(window, &shown, 1);
    }

    // The pixels of area (inside both) from the buffer into the window image.
    void CopyRows(SDL_Surface* target, const gdi::Rect& area, bool same_layout) {
        const int left = static_cast<int>(area.left);
        const int top = static_cast<int>(area.top);
        const int width = static_cast<int>(area.Width());
        const int height = static_cast<int>(area.Height());
        if (same_layout) {
            if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
            auto* out = static_cast<unsigned char*>(target->pixels);
            for (int y = top; y < top + height; ++y) {
                const gdi::Pixel* in = std::as_const(*buffer).row(y) + left;
                std::copy(
                    in, in + width,
                    reinterpret_cast<gdi::Pixel*>(out + static_cast<std::ptrdiff_t>(y) * target->pitch) +
                        left);
            }
            if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
            return;
        }
        // Any other layout: let SDL convert, 0x00RRGGBB being RGB888.
        // Only read: SDL's surface API takes the pixels as non-const.
        auto* pixels = const_cast<gdi::Pixel*>(std::as_const(*buffer).pixels().data());
        SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(pixels, buffer->width(), buffer->height(), 32,
                                                               buffer->width() * 4, SDL_PIXELFORMAT_RGB888);
        if (!from) return;
        SDL_Rect in{left, top, width, height};
        SDL_Rect out = in;
        SDL_BlitSurface(from, &in, target, &out);
        SDL_FreeSurface(from);
    }

    // Shows the texture unscaled at the top left; what it does not cover is black.
    void Repaint() {
        if (window_surface && over_image) {
            ShowImage({0, 0, INT32_MAX, INT32_MAX});  // all of it
            return;
        }
        if (window_surface) {
            target_stale = true;
            if (buffer) CopyToWindowSurface({});
            return;
        }
        if (!renderer) return;
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        if (texture) {
            const SDL_Rect dst{0, 0, texture_width, texture_height};
            SDL_RenderCopy(renderer, texture, nullptr, &dst);
        }
        SDL_RenderPresent(renderer);
    }

    void Take(const SDL_Event& e) {
        if (e.type == SDL_WINDOWEVENT) {
            const Uint8 what = e.window.event;
            if (what == SDL_WINDOWEVENT_EXPOSED || what == SDL_WINDOWEVENT_SIZE_CHANGED) Repaint();
            if (what == SDL_WINDOWEVENT_DISPLAY_CHANGED && on_display_event) on_display_event();
        }
        if (e.type == SDL_DISPLAYEVENT && on_display_event) on_display_event();
        if (auto event = TranslateSdlEvent(e, Mapping())) pending.push_back(*event);
    }

    void DrainSdl() {
        SDL_PumpEvents();
        SDL_Event e;
        while (SDL_PollEvent(&e)) Take(e);
    }

    // Sleeps until SDL's connection or a source has something to read.
    void Sleep() {
        const int x_fd = x11::ConnectionFd(window);
        if (x_fd < 0) {
            SDL_Event e;
            if (SDL_WaitEvent(&e)) Take(e);
            return;
        }
        if (x11::EventsWaiting(window)) return;
        std::vector<pollfd> fds{{x_fd, POLLIN, 0}};
        for (const EventSource& s : sources) fds.push_back({s.fd, POLLIN, 0});
        // EINTR included: a signal may have left SDL a quit event to pump.
        poll(fds.data(), fds.size(), -1);
    }
};

void SdlHost::PrepareEnvironment() {
    // SDL's X11 input method reads the locale's whole compose table (half a
    // megabyte) at start, for composing typed text: the wizard takes none.
    // A table the user names is still read.
    setenv("XCOMPOSEFILE", "/dev/null", 0);
}

SdlHost::SdlHost() : impl_(std::make_unique<Impl>()) {}

SdlHost::~SdlHost() = default;

bool SdlHost::Open(const std::string& program, std::string* error) {
    Impl& m = *impl_;
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    // Only desktops: SDL would otherwise go on to the console's own drivers,
    // which take over (or wait for) the whole screen. X11 first, where RandR
    // can change the mode (XWayland included).
    if (NoDisplayConfigured()) {
        if (error) *error = "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
        return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, DesktopDrivers().c_str());
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        const char* x = std::getenv("DISPLAY");
        if (error) {
            *error = x && *x ? "cannot open the X display \"" + std::string(x) + "\" (" + SDL_GetError() + ")"
                             : std::string("cannot open the Wayland display (") + SDL_GetError() + ")";
        }
        return false;
    }
    m.sdl_started = true;
    if (SDL_GetDisplayBounds(0, &m.display_bounds) != 0) m.display_bounds = {0, 0, 640, 480};
    m.window = SDL_CreateWindow(program.c_str(), m.display_bounds.x, m.display_bounds.y, m.display_bounds.w,
                                m.display_bounds.h,
                                SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!m.window) {
        if (error) *error = std::string("cannot create a window: ") + SDL_GetError();
        return false;
    }
    // On X11 frames are copied straight into the window's shared image;
    // X11 windows are never scaled, so its pixels are the device's. Its
    // framebuffer must then be X's own shared image, not a GL texture.
    if (VideoDriver() == "x11") {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        m.window_surface = true;
        x11::ExitWhenConnectionLost(m.window, program);
        // The window's shared image is made now, and its memory is faulted in
        // while the first page is drawn, instead of when the page is copied in.
        if (SDL_Surface* image = SDL_GetWindowSurface(m.window); image && image->pixels) {
            m.prefault = Prefault(
                image->pixels, static_cast<std::size_t>(image->pitch) * static_cast<std::size_t>(image->h));
        }
        return true;
    }
    m.renderer = SDL_CreateRenderer(m.window, -1, 0);
    if (!m.renderer) {
        if (error) *error = std::string("cannot draw into the window: ") + SDL_GetError();
        return false;
    }
    x11::ExitWhenConnectionLost(m.window, program);
    return true;
}

SDL_Window* SdlHost::window() const {
    return impl_->window;
}

std::string SdlHost::VideoDriver() const {
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

unsigned long SdlHost::X11Window() const {
    return x11::WindowId(impl_->window);
}

void SdlHost::AddSource(int fd, std::function<SourceState()> drain) {
    if (fd >= 0 && drain) impl_->sources.push_back({fd, std::move(drain)});
}

void SdlHost::SetDisplayEventHandler(std::function<void()> handler) {
    impl_->on_display_event = std::move(handler);
}

void SdlHost::SetScreenOrigin(int x, int y) {
    impl_->display_bounds.x = x;
    impl_->display_bounds.y = y;
}

void SdlHost::SetIconLoader(IconLoader loader) {
    impl_->icon_loader = std::move(loader);
}

bool SdlHost::SourceGone() const {
    return impl_->source_gone;
}

bool SdlHost::WaitEvent(Event& event) {
    Impl& m = *impl_;
    for (;;) {
        if (!m.pending.empty()) {
            event = m.pending.front();
            m.pending.pop_front();
            return true;
        }
        // Sources first: the driver's own requests may have queued events
        // that poll() will never report.
        bool changed = false;
        if (!DrainSources(m.sources, &changed)) {
            m.source_gone = true;
            return false;
        }
        if (changed) {
            event = Event{};
            event.type = Event::kDisplayChanged;
            return true;
        }
        m.DrainSdl();
        if (!m.pending.empty()) continue;
        m.Sleep();
    }
}

gdi::Surface* SdlHost::ScreenBuffer(int width, int height) {
    Impl& m = *impl_;
    m.frame_requested = false;
    // Composed straight into the window's image where it has the buffer's
    // size and layout: no buffer of our own, no copy per frame. A new
    // surface is made while the one it replaces still exists, so its address
    // differs from the buffer last presented and the framework composes it whole.
    SDL_Surface* image = m.window_surface ? SDL_GetWindowSurface(m.window) : nullptr;
    if (image && image->pixels && image->w == width && image->h == height && image->pitch == width * 4 &&
        SameLayout(image) && !SDL_MUSTLOCK(image)) {
        if (!m.over_image || !m.HoldsPicture(image)) {
            m.buffer = gdi::Surface::CreateOver(static_cast<gdi::Pixel*>(image->pixels), width, height);
            m.over_image = m.buffer != nullptr;
            if (m.over_image) m.MarkHoldsPicture(image);
        }
        if (m.over_image) return m.buffer.get();
    }
    if (!m.buffer || m.over_image || m.buffer->width() != width || m.buffer->height() != height) {
        m.buffer = gdi::Surface::Create(width, height);
        m.over_image = false;
        m.target_stale = true;
    }
    return m.buffer.get();
}

void SdlHost::Present(const gdi::Rect& damage) {
    Impl& m = *impl_;
    if (m.window_surface) {
        if (m.over_image) {
            m.buffer->Flush();  // drawing that waits must be in the image before it is sent
            m.ShowImage(damage);
        } else if (m.buffer && m.buffer->width() > 0 && m.buffer->height() > 0) {
            m.CopyToWindowSurface(damage);
        }
        return;
    }
    if (!m.renderer || !m.buffer) return;
    const int w = m.buffer->width();
    const int h = m.buffer->height();
    if (w <= 0 || h <= 0) return;
    gdi::Rect area = damage.Intersected({0, 0, w, h});
    if (!m.texture || m.texture_width != w || m.texture_height != h) {
        area = {0, 0, w, h};
        if (m.texture) SDL_DestroyTexture(m.texture);
        // 0x00RRGGBB in a 32-bit word: the buffer's own layout, copied as is.
        m.texture = SDL_CreateTexture(m.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
        m.texture_width = m.texture ? w : 0;
        m.texture_height = m.texture ? h : 0;
        if (!m.texture) return;
    }
    if (area.IsEmpty()) return;
    const SDL_Rect part{static_cast<int>(area.left), static_cast<int>(area.top),
                        static_cast<int>(area.Width()), static_cast<int>(area.Height())};
    SDL_UpdateTexture(m.texture, &part, std::as_const(*m.buffer).row(part.y) + part.x,
                      w * static_cast<int>(sizeof(gdi::Pixel)));
    m.Repaint();
}

void SdlHost::WindowPlaced(const WindowPlacement& placement) {
    Impl& m = *impl_;
    if (!m.window) return;
    m.placement = placement;
    SDL_SetWindowTitle(m.window, placement.title.c_str());
    if (placement.icon_id != m.icon_id && m.icon_loader) {
        m.icon_id = placement.icon_id;
        if (gdi::SurfacePtr icon = m.icon_loader(placement.icon_id)) {
            SDL_Surface* s =
                SDL_CreateRGBSurfaceWithFormatFrom(icon->pixels().data(), icon->width(), icon->height(), 32,
                                                   icon->width() * 4, SDL_PIXELFORMAT_RGB888);
            if (s) {
                SDL_SetWindowIcon(m.window, s);  // SDL keeps a copy
                SDL_FreeSurface(s);
            }
        }
    }
    if (!placement.visible) {
        SDL_HideWindow(m.window);
        return;
    }
    // The framework's screen starts at the origin of the display that shows
    // the window. Its sizes are device pixels; under desktop scaling a
    // window unit holds more than one.
    const WindowMapping map = m.Mapping();
    const int w = std::max(static_cast<int>(placement.width / map.scale_x + 0.5), 1);
    const int h = std::max(static_cast<int>(placement.height / map.scale_y + 0.5), 1);
    SDL_SetWindowPosition(m.window, m.display_bounds.x + placement.x, m.display_bounds.y + placement.y);
    SDL_SetWindowSize(m.window, w, h);
    SDL_ShowWindow(m.window);
    SDL_RaiseWindow(m.window);
}

}  // namespace host
