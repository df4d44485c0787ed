#include "platform/ui/button.h"

#include "platform/ui/window_dc.h"

IMPLEMENT_DYNAMIC(CButton, CWnd)

BEGIN_MESSAGE_MAP(CButton, CWnd)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_ENABLE()
ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
END_MESSAGE_MAP()

BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}

void CButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    (void)lpDrawItemStruct;
}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    (void)wParam;
    if (message != WM_DRAWITEM) return FALSE;
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (pResult) *pResult = TRUE;
    return TRUE;
}

void CButton::Draw(CDC& dc, UINT action) {
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID());
    dis.itemAction = action;
    dis.itemState = (pushed_ ? ODS_SELECTED : 0) | (GetFocus() == this ? ODS_FOCUS : 0) |
                    (IsWindowEnabled() ? 0 : ODS_DISABLED);
    dis.hwndItem = m_hWnd;
    dis.hDC = &dc;
    GetClientRect(&dis.rcItem);
    if (CWnd* parent = GetParent()) {
        parent->SendMessage(WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    } else {
        DrawItem(&dis);
    }
}

// State changes are drawn at once, as the system's buttons do; a hidden
// button is drawn when it is shown again.
void CButton::DrawNow(UINT action) {
    if (!IsWindowVisible()) return;
    CClientDC dc(this);
    Draw(dc, action);
}

void CButton::SetPushed(bool pushed) {
    if (pushed_ == pushed) return;
    pushed_ = pushed;
    DrawNow(ODA_SELECT);
}

void CButton::OnPaint() {
    CPaintDC dc(this);
    Draw(dc, ODA_DRAWENTIRE);
}

void CButton::OnLButtonDown(UINT nFlags, CPoint point) {
    (void)nFlags;
    (void)point;
    SetCapture();
    SetFocus();
    tracking_ = true;
    SetPushed(true);
}

void CButton::OnMouseMove(UINT nFlags, CPoint point) {
    (void)nFlags;
    if (!tracking_) return;
    CRect client;
    GetClientRect(&client);
    SetPushed(client.PtInRect(point));
}

void CButton::OnLButtonUp(UINT nFlags, CPoint point) {
    (void)nFlags;
    if (!tracking_) return;
    tracking_ = false;
    CRect client;
    GetClientRect(&client);
    const bool was_pushed = pushed_;
    ReleaseCapture();
    if (!was_pushed) return;
    SetPushed(false);
    if (client.PtInRect(point)) NotifyClicked();  // last: the parent may destroy this button
}

void CButton::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    (void)nRepCnt;
    (void)nFlags;
    if (nChar == VK_SPACE && !tracking_) SetPushed(true);
}

void CButton::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
    (void)nRepCnt;
    (void)nFlags;
    if (nChar != VK_SPACE || tracking_ || !pushed_) return;
    SetPushed(false);
    NotifyClicked();
}

void CButton::OnSetFocus(CWnd* pOldWnd) {
    (void)pOldWnd;
    DrawNow(ODA_FOCUS);
}

void CButton::OnKillFocus(CWnd* pNewWnd) {
    (void)pNewWnd;
    if (!tracking_) pushed_ = false;
    DrawNow(ODA_FOCUS);
}

void CButton::OnEnable(BOOL bEnable) {
    if (!bEnable) pushed_ = tracking_ = false;
    Invalidate(FALSE);
}

LRESULT CButton::OnCaptureChanged(WPARAM wParam, LPARAM lParam) {
    (void)wParam;
    (void)lParam;
    if (!tracking_) return 0;
    tracking_ = false;
    SetPushed(false);
    return 0;
}

void CButton::NotifyClicked() {
    CWnd* parent = GetParent();
    if (!parent) return;
    const HWND self = m_hWnd;
    const UINT id = static_cast<UINT>(GetDlgCtrlID());
    ::SendMessage(parent->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(self));
}
