// The paint cycle and the composition of the screen: each window keeps its
// own pixels; the screen is the top-level windows bottom to top, each with
// its visible children over it.
#include <algorithm>

#include "platform/gdi/raster.h"
#include "platform/screen/driver.h"
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

void Compose(gdi::Surface& screen, HWND hwnd, POINT origin, CRect clip) {
    Window* w = Find(hwnd);
    if (!w || !(w->style & WS_VISIBLE)) return;
    const CRect r(origin.x + w->rect.left, origin.y + w->rect.top, origin.x + w->rect.right,
                  origin.y + w->rect.bottom);
    clip = CRect(std::max(clip.left, r.left), std::max(clip.top, r.top), std::min(clip.right, r.right),
                 std::min(clip.bottom, r.bottom));
    if (clip.IsRectEmpty()) return;
    if (w->surface) {
        gdi::raster::BitBlt(screen, clip.left, clip.top, clip.Width(), clip.Height(), *w->surface,
                            clip.left - r.left, clip.top - r.top);
    }
    for (HWND c : w->children) Compose(screen, c, POINT{r.left, r.top}, clip);
}

// Whether composing top-level window hwnd writes every pixel of a width x
// height screen: it is shown and its surface reaches past every edge.
bool CoversScreen(HWND hwnd, int width, int height) {
    const Window* w = Find(hwnd);
    if (!w || !(w->style & WS_VISIBLE) || !w->surface) return false;
    const CRect& r = w->rect;
    return r.left <= 0 && r.top <= 0 && r.right >= width && r.bottom >= height &&
           static_cast<long long>(width) - r.left <= w->surface->width() &&
           static_cast<long long>(height) - r.top <= w->surface->height();
}

void PaintWindow(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w) return;
    w->dirty = false;
    w->paint_erase = w->erase;
    w->erase = false;
    Send(hwnd, WM_PAINT, 0, 0);
    if ((w = Find(hwnd))) w->paint_erase = false;
    S().present_pending = true;
}

}  // namespace

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
    // Black where no window is; a full-screen window's pixels cover it all.
    bool covered = false;
    for (HWND t : s.top_levels) covered = covered || CoversScreen(t, screen->width(), screen->height());
    if (!covered) std::fill(screen->pixels().begin(), screen->pixels().end(), gdi::Pixel{0});
    const CRect all(0, 0, screen->width(), screen->height());
    for (HWND t : s.top_levels) Compose(*screen, t, POINT{0, 0}, all);
    s.host->Present();
}

}  // namespace ui::detail
