#include "platform/screen/driver.h"
#include "platform/ui/window_state.h"
#include "platform/ui/wnd.h"

namespace ui::detail {

State& S() {
    return platform::TheContext().Get<State>();
}

void State::EndRun() {
    while (!top_levels.empty()) {
        const HWND h = top_levels.back();
        if (!Destroy(h)) top_levels.pop_back();
    }
}

Window* Find(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = S().windows.find(hwnd);
    return it == S().windows.end() ? nullptr : it->second.get();
}

bool IsDescendantOrSelf(HWND hwnd, HWND ancestor) {
    for (Window* w = Find(hwnd); w; w = Find(w->parent)) {
        if (w->hwnd == ancestor) return true;
    }
    return false;
}

bool IsShown(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w) return false;
    for (; w; w = Find(w->parent)) {
        if (!(w->style & WS_VISIBLE)) return false;
    }
    return true;
}

POINT ClientOrigin(HWND hwnd) {
    POINT p;
    for (Window* w = Find(hwnd); w; w = Find(w->parent)) {
        p.x += w->rect.left;
        p.y += w->rect.top;
    }
    return p;
}

namespace {

// Posted, never sent: the change is handled from the loop, not inside
// whatever call made it.
void OnDisplayModeChanged(const screen::DisplayMode& mode) {
    S().present_pending = true;
    const std::vector<HWND> tops = S().top_levels;
    for (HWND h : tops) {
        Post(h, WM_DISPLAYCHANGE, static_cast<WPARAM>(mode.bpp), MAKELPARAM(mode.width, mode.height));
    }
}

}  // namespace

void EnsureHooks() {
    if (S().hooks_installed) return;
    S().hooks_installed = true;
    screen::SetChangeCallback(OnDisplayModeChanged);
}

}  // namespace ui::detail
