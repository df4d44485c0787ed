// CFrameWnd: a top-level frame that deletes itself once its window is gone.
#pragma once

#include "platform/ui/wnd.h"

class CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)

public:
    static const CRect rectDefault;

    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCTSTR lpszMenuName = nullptr,
                DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    // The frame's default class (white background) and a client edge.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    // Frames live on the heap: the object goes with its window.
    void PostNcDestroy() override { delete this; }
};
