#include "platform/ui/window_dc.h"

#include "platform/ui/window_state.h"

namespace {

// Windows that have no pixels still get a device context that draws nothing.
HBITMAP SurfaceOf(CWnd* wnd) {
    ui::detail::Window* w = wnd ? ui::detail::Find(wnd->m_hWnd) : nullptr;
    if (w && w->surface) return w->surface;
    static const HBITMAP empty = gdi::Surface::Create(0, 0);
    return empty;
}

}  // namespace

CClientDC::CClientDC(CWnd* pWnd) : m_pWnd(pWnd) {
    AttachWindowSurface(SurfaceOf(pWnd));
}

CClientDC::~CClientDC() {
    if (m_pWnd && ui::detail::IsShown(m_pWnd->m_hWnd)) ui::detail::S().present_pending = true;
}

CPaintDC::CPaintDC(CWnd* pWnd) : CClientDC(pWnd) {
    ui::detail::Window* w = pWnd ? ui::detail::Find(pWnd->m_hWnd) : nullptr;
    if (!w) return;
    w->dirty = false;
    w->paint_rect = gdi::United(w->paint_rect, w->update);
    w->update = {};
    const gdi::Rect& r = w->paint_rect;
    m_ps.rcPaint = RECT{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
                        static_cast<int>(r.bottom)};
    m_ps.fErase = w->paint_erase || w->erase;
    if (w->paint_erase || w->erase) {
        w->paint_erase = w->erase = false;
        pWnd->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(static_cast<CDC*>(this)), 0);
    }
}

CPaintDC::~CPaintDC() {
    if (ui::detail::Window* w = m_pWnd ? ui::detail::Find(m_pWnd->m_hWnd) : nullptr) w->paint_rect = {};
}
