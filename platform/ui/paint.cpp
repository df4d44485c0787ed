// The paint cycle and the composition of the screen: each window keeps its
// own pixels; the screen is the top-level windows bottom to top, each with
// its visible children over it. Only the damaged part of the screen is
// composed and presented again: the rows drawn into window surfaces since
// the last presentation, and the places of windows shown, hidden or moved.
#include <algorithm>
#include <cstdint>

#include "platform/gdi/raster.h"
#include "platform/gdi/rect.h"
#include "platform/screen/driver.h"
#include "platform/ui/copy_changes.h"
#include "platform/ui/window_state.h"

namespace ui::detail {
namespace {

// Shown windows, parents before their children, bottom to top.
void CollectShown(HWND hwnd, std::vector<HWND>& out) {
    Window* w = Find(hwnd);
    if (!w || !(w->style & WS_VISIBLE)) return;
    out.push_back(hwnd);
    for (HWND c : w->children) CollectShown(c, out);
}

std::vector<HWND> ShownWindows() {
    std::vector<HWND> out;
    for (HWND t : S().top_levels) CollectShown(t, out);
    return out;
}

// Copies a window and its visible children onto the screen, each clipped to
// its parent's visible part (clip, in screen coordinates, inside the
// screen), and adds the screen pixels whose value changed to *changed;
// with `whole`, every pixel is shown again, and none is compared.
void Compose(gdi::Surface& screen, HWND hwnd, std::int64_t origin_x, std::int64_t origin_y, gdi::Rect clip,
             bool whole, gdi::Rect* changed) {
    Window* w = Find(hwnd);
    if (!w || !(w->style & WS_VISIBLE)) return;
    const gdi::Rect r = gdi::Rect::From(w->rect).Translated(origin_x, origin_y);
    clip = clip.Intersected(r);
    if (clip.IsEmpty()) return;
    if (w->surface) {
        const gdi::Rect pixels = gdi::BoundsOf(*w->surface).Translated(r.left, r.top).Intersected(clip);
        if (whole) {
            CopyAll(screen, pixels, *w->surface, r.left, r.top);
        } else {
            *changed = gdi::United(*changed, CopyChanges(screen, pixels, *w->surface, r.left, r.top));
        }
    }
    for (HWND c : w->children) Compose(screen, c, r.left, r.top, clip, whole, changed);
}

// Whether composing top-level window hwnd writes every pixel of the screen:
// it is shown, and both it and its surface reach past every edge.
bool CoversScreen(HWND hwnd, const gdi::Surface& screen) {
    const Window* w = Find(hwnd);
    if (!w || !(w->style & WS_VISIBLE) || !w->surface) return false;
    const gdi::Rect bounds = gdi::BoundsOf(screen);
    const gdi::Rect pixels =
        gdi::Rect::FromSize(w->rect.left, w->rect.top, w->surface->width(), w->surface->height());
    return gdi::Rect::From(w->rect).Contains(bounds) && pixels.Contains(bounds);
}

// Screen rectangle of a window's whole client area.
gdi::Rect ScreenRectOf(HWND hwnd, const Window& w) {
    const POINT origin = ClientOrigin(hwnd);
    return gdi::Rect::FromSize(origin.x, origin.y, w.rect.Width(), w.rect.Height());
}

// Adds the rows drawn into each shown window's surface since the last
// presentation to the screen's damage.
void CollectSurfaceDamage(State& s) {
    for (auto& [hwnd, w] : s.windows) {
        gdi::Surface* surface = w->surface.get();
        if (!surface || surface->written_top() == surface->written_bottom()) continue;
        if (IsShown(hwnd)) {
            const gdi::Rect client = ScreenRectOf(hwnd, *w);
            s.screen_damage.Add({client.left, client.top + surface->written_top(), client.right,
                                 client.top + surface->written_bottom()});
        }
        surface->ResetWritten();
    }
}

void PaintWindow(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w) return;
    w->dirty = false;
    w->paint_erase = w->erase;
    w->erase = false;
    Send(hwnd, WM_PAINT, 0, 0);
    if ((w = Find(hwnd))) {
        w->paint_erase = false;
        // A handler that did not begin painting leaves nothing to carry over.
        if (!w->dirty) w->update = {};
        w->paint_rect = {};
    }
    S().present_pending = true;
}

}  // namespace

void InvalidateClient(Window& w, const RECT* area, bool erase) {
    const gdi::Rect client{0, 0, w.rect.Width(), w.rect.Height()};
    if (area) {
        const gdi::Rect part = gdi::Rect::From(*area).Intersected(client);
        if (part.IsEmpty()) return;
        w.update = gdi::United(w.update, part);
    } else {
        w.update = client;
    }
    w.dirty = true;
    if (erase) w.erase = true;
}

void DamageWindowArea(HWND hwnd) {
    const Window* w = Find(hwnd);
    if (w && IsShown(hwnd)) S().screen_damage.Add(ScreenRectOf(hwnd, *w));
}

void DamageArea(HWND hwnd, const CRect& was_at) {
    const Window* w = Find(hwnd);
    if (!w) return;
    const POINT origin = ClientOrigin(hwnd);  // of the rectangle it has now
    S().screen_damage.Add(
        gdi::Rect::From(was_at).Translated(origin.x - w->rect.left, origin.y - w->rect.top));
}

bool PaintDirtyWindows() {
    bool painted = false;
    for (HWND h : ShownWindows()) {
        Window* w = Find(h);
        if (!w || !w->dirty || !IsShown(h)) continue;
        PaintWindow(h);
        painted = true;
    }
    return painted;
}

void PaintNow(HWND hwnd) {
    Window* w = Find(hwnd);
    if (w && w->dirty && IsShown(hwnd)) PaintWindow(hwnd);
}

void Present() {
    State& s = S();
    s.present_pending = false;
    if (!s.host) return;
    const screen::DisplayMode mode = screen::CurrentMode();
    gdi::Surface* screen = s.host->ScreenBuffer(std::max(mode.width, 0), std::max(mode.height, 0));
    if (!screen) return;
    CollectSurfaceDamage(s);
    const gdi::Rect bounds = gdi::BoundsOf(*screen);
    // A new buffer has nothing in common with what the host shows, unless
    // the host moved the picture into it.
    const bool same = screen == s.last_screen || s.host->ScreenBufferMoved();
    const bool whole =
        !same || screen->width() != s.last_screen_width || screen->height() != s.last_screen_height;
    if (whole) s.screen_damage.Add(bounds);
    s.last_screen = screen;
    s.last_screen_width = screen->width();
    s.last_screen_height = screen->height();
    const gdi::Rect area = s.screen_damage.Take(bounds);
    // Of the area composed again, only the pixels that changed are shown again.
    gdi::Rect changed;
    if (!area.IsEmpty()) {
        // Black where no window is; a full-screen window's pixels cover it all.
        bool covered = false;
        for (HWND t : s.top_levels) covered = covered || CoversScreen(t, *screen);
        if (!covered) {
            gdi::raster::FillRect(*screen,
                                  RECT{static_cast<int>(area.left), static_cast<int>(area.top),
                                       static_cast<int>(area.right), static_cast<int>(area.bottom)},
                                  gdi::Pixel{0});
            changed = area;
        }
        for (HWND t : s.top_levels) Compose(*screen, t, 0, 0, area, whole, &changed);
    }
    s.host->Present(whole ? area : changed);
}

}  // namespace ui::detail
