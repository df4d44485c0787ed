// How a message reaches its handler: WindowProc, the message map, the
// default window procedure, command routing and owner-draw reflection.
#include "platform/gdi/dc.h"
#include "platform/ui/window_dc.h"
#include "platform/ui/window_state.h"
#include "platform/ui/wnd.h"

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = 0;
    if (message == WM_COMMAND) return OnCommand(wParam, lParam);
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
    if (!entry) return FALSE;
    return CallHandler(*entry, wParam, lParam, pResult);
}

// The handler may destroy this window (and delete this object): nothing
// here touches the object after the call.
BOOL CWnd::CallHandler(const AFX_MSGMAP_ENTRY& e, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = e.pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    (void)message;
    (void)wParam;
    (void)lParam;
    (void)pResult;
    return FALSE;
}

// The owner-drawn child draws itself: the parent passes the message back.
void CWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (!lpDrawItemStruct) return;
    if (CWnd* child = FromHandle(lpDrawItemStruct->hwndItem)) {
        LRESULT result = 0;
        child->OnChildNotify(WM_DRAWITEM, static_cast<WPARAM>(nIDCtl),
                             reinterpret_cast<LPARAM>(lpDrawItemStruct), &result);
    }
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
        case WM_CLOSE:
            DestroyWindow();
            return 0;
        case WM_ERASEBKGND: {
            ui::detail::Window* w = ui::detail::Find(m_hWnd);
            CDC* dc = reinterpret_cast<CDC*>(wParam);
            if (!w || !w->background || !dc) return 0;
            // Inside a paint only its part needs erasing.
            const bool painting = !w->paint_rect.IsEmpty();
            const gdi::Rect r = painting ? w->paint_rect : gdi::Rect{0, 0, w->rect.Width(), w->rect.Height()};
            HBRUSH old = dc->SelectObject(w->background);
            dc->PatBlt(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.Width()),
                       static_cast<int>(r.Height()), PATCOPY);
            dc->SelectObject(old);
            return 1;
        }
        case WM_PAINT: {
            CPaintDC dc(this);
            return 0;
        }
        default:
            return 0;
    }
}
