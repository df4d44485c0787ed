// Device contexts over a window's client area.
#pragma once

#include "platform/gdi/dc.h"
#include "platform/ui/wnd.h"

// Draws straight into the window's pixels; the screen shows them at the
// next presentation.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC();

protected:
    CWnd* m_pWnd;
};

// BeginPaint / EndPaint: erases the background first when an erase was asked for.
class CPaintDC : public CClientDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();

    // rcPaint: what to draw; drawing elsewhere shows too, as with a client DC.
    PAINTSTRUCT m_ps;
};
