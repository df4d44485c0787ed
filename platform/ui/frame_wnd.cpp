#include "platform/ui/frame_wnd.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext) {
    (void)lpszMenuName;
    const bool by_default = rect.left == CW_USEDEFAULT;
    const int width = by_default ? CW_USEDEFAULT : rect.right - rect.left;
    const int height = by_default ? CW_USEDEFAULT : rect.bottom - rect.top;
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, width, height,
                    pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr, static_cast<LPVOID>(pContext));
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (!cs.lpszClass) cs.lpszClass = "AfxFrameOrView";
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}
