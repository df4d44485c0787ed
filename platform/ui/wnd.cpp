// CWnd operations on its window.
#include "platform/ui/wnd.h"

#include <algorithm>

#include "platform/screen/driver.h"
#include "platform/ui/window_state.h"

using ui::detail::Find;
using ui::detail::S;
using ui::detail::Window;

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

CWnd::~CWnd() {
    // Runs as plain CWnd: the derived parts are gone, so no derived handler
    // or PostNcDestroy can be reached.
    if (m_hWnd) DestroyWindow();
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    Window* w = Find(hwnd);
    return w ? w->wnd : nullptr;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (!cs.lpszClass) cs.lpszClass = "AfxWnd";
    return TRUE;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID,
                    static_cast<LPVOID>(pContext));
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    const bool child = (dwStyle & WS_CHILD) != 0;
    const bool by_default = rect.left == CW_USEDEFAULT;
    const int width = by_default ? CW_USEDEFAULT : rect.right - rect.left;
    const int height = by_default ? CW_USEDEFAULT : rect.bottom - rect.top;
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, width, height,
                    pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    child ? reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(nID)) : nullptr, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x,
                    int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd) return FALSE;
    CREATESTRUCT cs;
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) return FALSE;
    return ui::detail::CreateWindowFor(this, cs) != nullptr;
}

BOOL CWnd::DestroyWindow() {
    return ui::detail::Destroy(m_hWnd);
}

namespace {

// Input state must not stay with a window that can no longer take input.
void DropInputState(HWND hwnd) {
    auto& s = S();
    if (s.capture && ui::detail::IsDescendantOrSelf(s.capture, hwnd)) ui::detail::SetCaptureTo(nullptr);
    if (s.focus && ui::detail::IsDescendantOrSelf(s.focus, hwnd)) ui::detail::SetFocusTo(nullptr);
}

}  // namespace

BOOL CWnd::ShowWindow(int nCmdShow) {
    Window* w = Find(m_hWnd);
    if (!w) return FALSE;
    const BOOL was_visible = (w->style & WS_VISIBLE) != 0;
    const bool was_shown = ui::detail::IsShown(m_hWnd);
    const CRect was_at = w->rect;
    if (nCmdShow == SW_HIDE) {
        if (!was_visible) return FALSE;
        w->style &= ~WS_VISIBLE;
        DropInputState(m_hWnd);
    } else {
        if (nCmdShow == SW_SHOWMAXIMIZED && !w->parent) {
            const screen::DisplayMode m = screen::CurrentMode();
            w->rect = CRect(0, 0, std::max(m.width, 0), std::max(m.height, 0));
            ui::detail::SetSurfaceSize(*w, w->rect.Width(), w->rect.Height());
            ui::detail::InvalidateClient(*w, nullptr, true);
        }
        if (!was_visible) {
            w->style |= WS_VISIBLE;
            ui::detail::InvalidateClient(*w, nullptr, true);
        }
    }
    // The screen changes where the window appears, disappears or moves.
    if (was_shown != ui::detail::IsShown(m_hWnd) || !(was_at == w->rect)) {
        if (was_shown) ui::detail::DamageArea(m_hWnd, was_at);
        ui::detail::DamageWindowArea(m_hWnd);
    }
    // Only what is on the screen needs presenting.
    if (was_shown || ui::detail::IsShown(m_hWnd)) S().present_pending = true;
    if ((w = Find(m_hWnd))) ui::detail::NotifyPlacement(*w);
    return was_visible;
}

BOOL CWnd::IsWindowVisible() const {
    return ui::detail::IsShown(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    Window* w = Find(m_hWnd);
    if (!w) return FALSE;
    const BOOL was_disabled = (w->style & WS_DISABLED) != 0;
    if (was_disabled == !bEnable) return was_disabled;
    if (bEnable) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
        DropInputState(m_hWnd);
    }
    SendMessage(WM_ENABLE, bEnable ? 1 : 0, 0);
    return was_disabled;
}

BOOL CWnd::IsWindowEnabled() const {
    Window* w = Find(m_hWnd);
    return w && !(w->style & WS_DISABLED);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    Window* w = Find(m_hWnd);
    if (!w) return;
    const CRect was_at = w->rect;
    w->rect = CRect(x, y, x + std::max(nWidth, 0), y + std::max(nHeight, 0));
    if (ui::detail::IsShown(m_hWnd)) ui::detail::DamageArea(m_hWnd, was_at);
    ui::detail::SetSurfaceSize(*w, w->rect.Width(), w->rect.Height());
    ui::detail::DamageWindowArea(m_hWnd);
    if (bRepaint) ui::detail::InvalidateClient(*w, nullptr, true);
    if (ui::detail::IsShown(m_hWnd)) S().present_pending = true;
    ui::detail::NotifyPlacement(*w);
}

void CWnd::MoveWindow(const RECT& rect, BOOL bRepaint) {
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, bRepaint);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    Window* w = Find(m_hWnd);
    *lpRect = w ? RECT{0, 0, w->rect.Width(), w->rect.Height()} : RECT{};
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    Window* w = Find(m_hWnd);
    if (!w) {
        *lpRect = RECT{};
        return;
    }
    const POINT o = ui::detail::ClientOrigin(m_hWnd);
    *lpRect = RECT{o.x, o.y, o.x + w->rect.Width(), o.y + w->rect.Height()};
}

void CWnd::Invalidate(BOOL bErase) {
    InvalidateRect(nullptr, bErase);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    if (Window* w = Find(m_hWnd)) ui::detail::InvalidateClient(*w, lpRect, bErase != FALSE);
}

void CWnd::UpdateWindow() {
    ui::detail::PaintNow(m_hWnd);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd) {
    Window* w = Find(m_hWnd);
    if (!w) return FALSE;
    const DWORD before = w->ex_style;
    w->ex_style = (before & ~dwRemove) | dwAdd;
    return w->ex_style != before;
}

DWORD CWnd::GetStyle() const {
    Window* w = Find(m_hWnd);
    return w ? w->style : 0;
}

DWORD CWnd::GetExStyle() const {
    Window* w = Find(m_hWnd);
    return w ? w->ex_style : 0;
}

int CWnd::GetDlgCtrlID() const {
    Window* w = Find(m_hWnd);
    return w ? static_cast<int>(w->id) : 0;
}

CWnd* CWnd::GetParent() const {
    Window* w = Find(m_hWnd);
    return w ? FromHandle(w->parent ? w->parent : w->owner) : nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ui::detail::Send(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessage(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::SetCapture() {
    CWnd* old = GetCapture();
    ui::detail::SetCaptureTo(m_hWnd);
    return old;
}

CWnd* CWnd::GetCapture() {
    return FromHandle(S().capture);
}

CWnd* CWnd::SetFocus() {
    CWnd* old = GetFocus();
    ui::detail::SetFocusTo(m_hWnd);
    return old;
}

CWnd* CWnd::GetFocus() {
    return FromHandle(S().focus);
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ui::detail::Send(hwnd, message, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Find(hwnd)) return FALSE;
    ui::detail::Post(hwnd, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int nExitCode) {
    ui::detail::Post(nullptr, WM_QUIT, static_cast<WPARAM>(nExitCode), 0);
}

BOOL IsWindow(HWND hwnd) {
    return Find(hwnd) != nullptr;
}

BOOL ReleaseCapture() {
    ui::detail::SetCaptureTo(nullptr);
    return TRUE;
}
