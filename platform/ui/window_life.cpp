// Creating and destroying windows, their surfaces and their placement.
#include <algorithm>

#include "platform/ui/win_app.h"
#include "platform/ui/window_state.h"
#include "platform/ui/wnd.h"
#include "platform/ui/wnd_access.h"
#include "platform/ui/wnd_class.h"

namespace ui::detail {

void SetSurfaceSize(Window& w, int width, int height) {
    if (w.surface && w.surface->width() == width && w.surface->height() == height) return;
    // A size the drawing layer refuses leaves the window without pixels;
    // drawing into it then does nothing.
    w.surface = gdi::Surface::Create(width, height);
}

void NotifyPlacement(const Window& w) {
    if (w.parent || w.owner || !S().host) return;
    host::WindowPlacement p;
    p.x = w.rect.left;
    p.y = w.rect.top;
    p.width = w.rect.Width();
    p.height = w.rect.Height();
    p.visible = (w.style & WS_VISIBLE) != 0 && !w.destroying;
    p.title = w.title;
    p.icon_id = w.icon_id;
    S().host->WindowPlaced(p);
}

HWND CreateWindowFor(CWnd* wnd, CREATESTRUCT& cs) {
    EnsureHooks();
    const bool child = (static_cast<DWORD>(cs.style) & WS_CHILD) != 0;
    if (child && !Find(cs.hwndParent)) return nullptr;

    auto win = std::make_unique<Window>();
    win->hwnd = reinterpret_cast<HWND>(S().next_handle++);
    win->wnd = wnd;
    int x = cs.x, y = cs.y, cx = cs.cx, cy = cs.cy;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (cx == CW_USEDEFAULT) cx = cy = 0;
    win->rect = CRect(x, y, x + std::max(cx, 0), y + std::max(cy, 0));
    win->style = static_cast<DWORD>(cs.style) & ~WS_VISIBLE;
    win->ex_style = cs.dwExStyle;
    win->title = cs.lpszName ? cs.lpszName : "";
    if (const WndClassInfo* cls = FindWndClass(cs.lpszClass)) {
        win->class_name = cls->name;
        win->background = cls->hbrBackground;
        win->icon_id = cls->hIcon ? cls->hIcon->resource_id : 0;
    }
    if (child) {
        win->parent = cs.hwndParent;
        win->id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(cs.hMenu));
    } else {
        win->owner = Find(cs.hwndParent) ? cs.hwndParent : nullptr;
    }
    SetSurfaceSize(*win, win->rect.Width(), win->rect.Height());

    const HWND h = win->hwnd;
    if (child) {
        Find(cs.hwndParent)->children.push_back(h);
    } else {
        S().top_levels.push_back(h);
    }
    S().windows.emplace(h, std::move(win));
    wnd->m_hWnd = h;

    if (Send(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        Destroy(h);
        return nullptr;
    }
    if (Find(h) && (static_cast<DWORD>(cs.style) & WS_VISIBLE)) wnd->ShowWindow(SW_SHOW);
    return Find(h) ? h : nullptr;
}

namespace {

void Unlink(const Window& w) {
    std::vector<HWND>* list = &S().top_levels;
    if (Window* parent = Find(w.parent)) list = &parent->children;
    list->erase(std::remove(list->begin(), list->end(), w.hwnd), list->end());
}

}  // namespace

BOOL Destroy(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w || w->destroying) return FALSE;
    w->destroying = true;
    if (w->style & WS_VISIBLE) {
        if (IsShown(hwnd)) S().present_pending = true;
        DamageWindowArea(hwnd);
        w->style &= ~WS_VISIBLE;
        NotifyPlacement(*w);
    }
    State& s = S();
    if (s.capture && IsDescendantOrSelf(s.capture, hwnd)) s.capture = nullptr;
    if (s.focus && IsDescendantOrSelf(s.focus, hwnd)) s.focus = nullptr;

    // Windows owned by this one (its message boxes) go first.
    const std::vector<HWND> tops = s.top_levels;
    for (HWND t : tops) {
        if (Window* o = Find(t); o && o->owner == hwnd) Destroy(t);
    }
    Send(hwnd, WM_DESTROY, 0, 0);
    const std::vector<HWND> children = w->children;
    for (HWND c : children) Destroy(c);
    Send(hwnd, WM_NCDESTROY, 0, 0);

    CWnd* wnd = w->wnd;
    Unlink(*w);
    s.windows.erase(hwnd);  // w is gone from here on
    if (!wnd) return TRUE;
    wnd->m_hWnd = nullptr;
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == wnd) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    Access::PostNcDestroy(wnd);  // may delete wnd
    return TRUE;
}

}  // namespace ui::detail
