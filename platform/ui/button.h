// CButton: an owner-drawn push button. Press, capture, release inside = one
// BN_CLICKED to the parent; its look comes from DrawItem.
#pragma once

#include "platform/ui/wnd.h"

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)

public:
    BOOL Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Draws the button for an owner-draw request; the base draws nothing.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    void OnEnable(BOOL bEnable);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    DECLARE_MESSAGE_MAP()

private:
    void DrawNow(UINT action);
    void Draw(CDC& dc, UINT action);
    void SetPushed(bool pushed);
    void NotifyClicked();

    bool pushed_ = false;
    bool tracking_ = false;  // the mouse pressed it and holds the capture
};
